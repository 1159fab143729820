// Layered and multi-channel EXRs: the colour layer chosen as compositors
// choose it (or named with --layer, or refused with the layers listed), and
// every other channel written back bit for bit where the format holds it.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

using ChannelList = std::vector<std::pair<std::string, OIIO::TypeDesc>>;

struct LayerCase {
    const char* name;
    ChannelList channels;
    std::vector<std::string> args;
    const char* out_ext;
    int status;
    const char* message;  // in the error or a note; "" for none
    std::vector<std::string> carried;  // channels written back unchanged
    std::vector<std::string> names = {};  // the output's channel names in the library's order, if checked
};

void PrintTo(const LayerCase& c, std::ostream* out) { *out << c.name; }

// Samples that differ by channel and pixel, in a data window that is not
// the display window, so that a shifted or mixed-up channel shows.
void WriteLayered(const std::string& path, const ChannelList& channels)
{
    OIIO::ImageSpec header(20, 10, (int)channels.size(), OIIO::TypeDesc::HALF);
    header.x = 5, header.y = 7, header.full_width = 40, header.full_height = 30;
    header.channelnames.clear();
    for (const auto& c : channels) {
        header.channelnames.push_back(c.first);
        header.channelformats.push_back(c.second);
    }
    header.alpha_channel = -1;
    std::vector<float> values(header.image_pixels() * channels.size());
    for (size_t i = 0; i < values.size(); ++i) values[i] = (float)((i * 37) % 97) / 64.0f;
    auto out = OIIO::ImageOutput::create(path);
    ASSERT_TRUE(out && out->open(path, header) && out->write_image(OIIO::TypeDesc::FLOAT, values.data()) &&
                out->close());
}

// One channel's samples as the file stores them, found by name; empty if absent.
std::vector<unsigned char> StoredChannel(const std::string& path, const std::string& name, OIIO::ImageSpec* header)
{
    auto in = OIIO::ImageInput::open(path);
    if (!in) return {};
    if (header != nullptr) *header = in->spec();
    const int c = in->spec().channelindex(name);
    if (c < 0) return {};
    std::vector<unsigned char> samples(in->spec().image_pixels() * in->spec().channelformat(c).size());
    return in->read_image(0, 0, c, c + 1, OIIO::TypeUnknown, samples.data()) ? samples : std::vector<unsigned char>();
}

class Layers : public testing::TestWithParam<LayerCase> {};

TEST_P(Layers, ChooseColourAndCarryTheRest)
{
    const LayerCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path("in.exr"), out = dir.path(std::string("out.") + c.out_ext);
    WriteLayered(in, c.channels);
    std::vector<std::string> args = {"render", in, "-o", out, "--hue", "40", "--chroma", "20"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolRun run = RunTintra(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (*c.message != '\0') {
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    if (c.status != 0) return;
    if (!c.names.empty()) {
        auto back = OIIO::ImageInput::open(out);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->spec().channelnames, c.names);
    }
    for (const std::string& name : c.carried) {
        OIIO::ImageSpec written;
        const std::vector<unsigned char> before = StoredChannel(in, name, nullptr);
        EXPECT_EQ(StoredChannel(out, name, &written), before) << name;
        EXPECT_EQ(std::vector<int>({written.x, written.y, written.full_width, written.full_height}),
                  std::vector<int>({5, 7, 40, 30}));
    }
}

const OIIO::TypeDesc kHalf = OIIO::TypeDesc::HALF, kFloat = OIIO::TypeDesc::FLOAT;
const ChannelList kTwoLayers = {{"albedo.R", kHalf}, {"albedo.G", kHalf}, {"albedo.B", kHalf}, {"beauty.R", kHalf},
                                {"beauty.G", kHalf}, {"beauty.B", kHalf}, {"beauty.A", kHalf}};

INSTANTIATE_TEST_SUITE_P(
    Files, Layers,
    testing::Values(
        LayerCase{"rgba_with_aovs",
                  {{"R", kHalf},
                   {"G", kHalf},
                   {"B", kHalf},
                   {"A", kHalf},
                   {"Z", kFloat},
                   {"N.x", kFloat},
                   {"N.y", kFloat},
                   {"id", kFloat},
                   {"specular.R", kHalf},
                   {"specular.G", kHalf},
                   {"specular.B", kHalf}},
                  {},
                  "exr",
                  0,
                  "",
                  {"A", "Z", "N.x", "N.y", "id", "specular.R", "specular.G", "specular.B"}},
        LayerCase{"rgba_layer_first",
                  {{"rgba.R", kHalf},
                   {"rgba.G", kHalf},
                   {"rgba.B", kHalf},
                   {"diffuse.R", kHalf},
                   {"diffuse.G", kHalf},
                   {"diffuse.B", kHalf}},
                  {},
                  "exr",
                  0,
                  "",
                  {"diffuse.R", "diffuse.G", "diffuse.B"}},
        LayerCase{"only_colour_layer",
                  {{"beauty.R", kHalf}, {"beauty.G", kHalf}, {"beauty.B", kHalf}, {"Z", kFloat}},
                  {},
                  "exr",
                  0,
                  "",
                  {"Z"},
                  {"Z", "beauty.R", "beauty.G", "beauty.B"}},
        LayerCase{"layer_named_beside_unprefixed_colour",
                  {{"R", kHalf},
                   {"G", kHalf},
                   {"B", kHalf},
                   {"A", kHalf},
                   {"beauty.R", kHalf},
                   {"beauty.G", kHalf},
                   {"beauty.B", kHalf},
                   {"beauty.A", kHalf}},
                  {"--layer", "beauty"},
                  "exr",
                  0,
                  "",
                  {"R", "G", "B", "A"},
                  {"R", "G", "B", "A", "beauty.R", "beauty.G", "beauty.B", "beauty.A"}},
        LayerCase{"two_layers_refused", kTwoLayers, {}, "exr", 1, "2 colour layers (albedo, beauty); choose one", {}},
        LayerCase{"layer_named", kTwoLayers, {"--layer", "beauty"}, "exr", 0, "", {"albedo.R", "albedo.G", "albedo.B"}},
        LayerCase{"layer_absent",
                  kTwoLayers,
                  {"--layer", "diffuse"},
                  "exr",
                  1,
                  "no layer \"diffuse\" with R, G and B channels; the file has albedo, beauty",
                  {}},
        LayerCase{"into_tiff",
                  {{"R", kHalf}, {"G", kHalf}, {"B", kHalf}, {"Z", kHalf}},
                  {},
                  "tif",
                  0,
                  "a .tif file keeps neither channel names nor a sample type per channel: Z written after",
                  {}},
        LayerCase{"into_png",
                  {{"R", kHalf}, {"G", kHalf}, {"B", kHalf}, {"A", kHalf}, {"Z", kFloat}},
                  {},
                  "png",
                  0,
                  "a .png file holds colour and alpha only: left out Z",
                  {}}),
    [](const testing::TestParamInfo<LayerCase>& info) { return std::string(info.param.name); });

}  // namespace
