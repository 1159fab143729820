// Multipart and one-channel EXRs: the parts that are pictures rendered, the
// others (depth, masks, motion) written back bit for bit with their own
// headers, and what a format cannot hold said or refused.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

struct Part {
    std::string name;
    std::vector<std::string> channels;
    OIIO::TypeDesc type;
    bool mipmapped = false;  // tiled, with levels down to 1 x 1
};

struct PartsCase {
    const char* name;
    std::vector<Part> parts;
    const char* out_ext;
    int status;
    const char* message;  // in the error or a note; "" for none
    std::vector<int> unchanged;  // parts written back bit for bit
};

void PrintTo(const PartsCase& c, std::ostream* out) { *out << c.name; }

void WriteParts(const std::string& path, const std::vector<Part>& parts)
{
    std::vector<OIIO::ImageSpec> headers;
    for (const Part& p : parts) {
        OIIO::ImageSpec header(24, 12, (int)p.channels.size(), p.type);
        header.channelnames = p.channels;
        header.alpha_channel = -1;
        if (parts.size() > 1) header.attribute("name", p.name);
        if (p.mipmapped) {
            header.tile_width = header.tile_height = 16;
            header.attribute("textureformat", "Plain Texture");
        }
        headers.push_back(header);
    }
    auto out = OIIO::ImageOutput::create(path);
    ASSERT_TRUE(out && out->open(path, (int)headers.size(), headers.data()));
    for (size_t i = 0; i < headers.size(); ++i) {
        std::vector<float> values(headers[i].image_pixels() * (size_t)headers[i].nchannels);
        for (size_t k = 0; k < values.size(); ++k) values[k] = (float)((k * 31 + i * 7) % 89) / 50.0f;
        if (i > 0) {
            ASSERT_TRUE(out->open(path, headers[i], OIIO::ImageOutput::AppendSubimage));
        }
        ASSERT_TRUE(out->write_image(OIIO::TypeDesc::FLOAT, values.data()));
        if (parts[i].mipmapped) {
            OIIO::ImageSpec level = headers[i];
            level.width = level.full_width = 12, level.height = level.full_height = 6;
            ASSERT_TRUE(out->open(path, level, OIIO::ImageOutput::AppendMIPLevel));
            ASSERT_TRUE(out->write_image(OIIO::TypeDesc::FLOAT, values.data()));
        }
    }
    ASSERT_TRUE(out->close());
}

// A part's name, channel names and samples as stored.
std::string StoredPart(const std::string& path, int part)
{
    auto in = OIIO::ImageInput::open(path);
    if (!in || !in->seek_subimage(part, 0)) return "(absent)";
    const OIIO::ImageSpec& header = in->spec();
    std::string stored =
        std::string(header.get_string_attribute("name")) + ":" + OIIO::Strutil::join(header.channelnames, ",") + ":";
    std::vector<unsigned char> samples(header.image_bytes(true));
    if (!in->read_image(part, 0, 0, header.nchannels, OIIO::TypeUnknown, samples.data())) return "(unreadable)";
    return stored + std::string(samples.begin(), samples.end());
}

class Parts : public testing::TestWithParam<PartsCase> {};

TEST_P(Parts, RenderPicturesAndCarryTheRest)
{
    const PartsCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path("in.exr"), out = dir.path(std::string("out.") + c.out_ext);
    WriteParts(in, c.parts);
    const ToolRun run = RunTintra({"render", in, "-o", out, "--hue", "40", "--chroma", "20"});
    EXPECT_EQ(run.status, c.status) << run.err;
    if (*c.message != '\0') {
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    for (int part : c.unchanged) EXPECT_EQ(StoredPart(out, part), StoredPart(in, part)) << "part " << part;
}

const OIIO::TypeDesc kHalf = OIIO::TypeDesc::HALF, kFloat = OIIO::TypeDesc::FLOAT;
const std::vector<Part> kBeauty = {{"beauty", {"R", "G", "B", "A"}, kHalf},
                                   {"depth", {"Z"}, kFloat},
                                   {"motion", {"forward.u", "forward.v"}, kHalf},
                                   {"mask", {"whitebar.mask"}, kHalf}};

INSTANTIATE_TEST_SUITE_P(
    Files, Parts,
    testing::Values(
        PartsCase{"multipart_into_exr", kBeauty, "exr", 0, "", {1, 2, 3}},
        PartsCase{"multipart_into_png", kBeauty, "png", 1, "the input has 4 pages, but a .png file holds one", {}},
        PartsCase{"luminance_only",
                  {{"", {"Y"}, kHalf}},
                  "exr",
                  0,
                  "one channel of colour (Y): rendered as grey and written as R, G and B",
                  {}},
        PartsCase{"mipmapped",
                  {{"", {"R", "G", "B"}, kHalf, true}},
                  "exr",
                  0,
                  "a texture of 5 resolution levels: the full one rendered and written as a plain image",
                  {}},
        PartsCase{"green_only", {{"", {"G"}, kHalf}}, "exr", 0, "one channel of colour (G): rendered as grey", {}}),
    [](const testing::TestParamInfo<PartsCase>& info) { return std::string(info.param.name); });

}  // namespace
