// What of an input's metadata an output keeps: a PNG's chunks byte for byte
// where the written image still satisfies them, one line for each left out,
// and nothing of the library's own bookkeeping.
#include <gtest/gtest.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;
using Bytes = std::vector<unsigned char>;
using Chunks = std::vector<std::pair<std::string, Bytes>>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The chunks of a PNG in order, the image data and the end left out.
Chunks ChunksOf(const Bytes& file)
{
    Chunks chunks;
    for (size_t at = 8; at + 12 <= file.size();) {
        const size_t length =
            (size_t)file[at] << 24 | (size_t)file[at + 1] << 16 | (size_t)file[at + 2] << 8 | file[at + 3];
        const std::string type(file.begin() + (long)at + 4, file.begin() + (long)at + 8);
        if (type == "IEND" || length > file.size() - at - 12) break;
        if (type != "IDAT")
            chunks.emplace_back(type, Bytes(file.begin() + (long)at + 8, file.begin() + (long)(at + 8 + length)));
        at += 12 + length;
    }
    return chunks;
}

// A big-endian Exif block with one entry: ResolutionUnit = inch.
const Bytes kExif = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x28, 0, 3, 0, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};

struct MetadataCase {
    const char* name;
    int colour_type;  // of the input PNG, 8 bits
    Chunks chunks;  // written into the input
    std::vector<std::string> options;
    Chunks kept;  // found in the output exactly so
    std::vector<std::string> absent;  // chunk types, or "text:" keyword prefixes, not found
    std::string message;  // expected in stderr
    int out_colour_type = -1;  // the output's, if checked
};

void PrintTo(const MetadataCase& c, std::ostream* out) { *out << c.name; }

class Metadata : public testing::TestWithParam<MetadataCase> {};

TEST_P(Metadata, KeptOrSaid)
{
    const MetadataCase& c = GetParam();
    ScratchDir dir;
    static const int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const RawImage raw = MakeRaw(6, 5, 8, kChannels[c.colour_type], 7);
    WriteBytes(dir.path("in.png"), EncodePng(raw, c.colour_type, c.chunks));
    std::vector<std::string> args = {"render", dir.path("in.png"), "-o", dir.path("out.png")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    const Bytes file = ReadBytes(dir.path("out.png"));
    if (c.out_colour_type >= 0) {
        EXPECT_EQ(file.size() > 25 ? file[25] : -1, c.out_colour_type);
    }
    const Chunks out = ChunksOf(file);
    for (const auto& want : c.kept)
        EXPECT_NE(std::find(out.begin(), out.end(), want), out.end()) << want.first << " not kept as it was";
    for (const std::string& gone : c.absent)
        for (const auto& chunk : out) {
            const bool text = chunk.first == "tEXt" || chunk.first == "zTXt" || chunk.first == "iTXt";
            EXPECT_FALSE(
                chunk.first == gone ||
                (text && gone.compare(0, 5, "text:") == 0 &&
                 std::string(chunk.second.begin(), chunk.second.end()).compare(0, gone.size() - 5, gone.substr(5)) ==
                     0))
                << gone << " found in the output";
        }
}

const Bytes kSbit = {5, 6, 5}, kBkgd = {0, 10, 0, 20, 0, 30}, kSplt = {'p', 0, 8, 1, 2, 3, 4, 0, 5};

INSTANTIATE_TEST_SUITE_P(
    PngChunks, Metadata,
    testing::Values(
        MetadataCase{"significant_bits_background_and_palette_kept_through_a_hue_turn",
                     2,
                     {{"sBIT", kSbit}, {"bKGD", kBkgd}, {"sPLT", kSplt}},
                     {"--hue", "40", "--chroma", "20"},
                     {{"sBIT", kSbit}, {"bKGD", kBkgd}, {"sPLT", kSplt}},
                     {},
                     "written to"},
        MetadataCase{"palette_histogram_left_out_with_a_line",
                     3,
                     {{"hIST", Bytes(512, 0)}},
                     {},
                     {},
                     {"hIST"},
                     "the input's PNG chunks hIST (the output has no palette) no longer hold of the output"},
        MetadataCase{"gamma_kept_to_the_last_digit",
                     2,
                     {{"gAMA", {0, 0, 0x88, 0xB8}}},
                     {},
                     {{"gAMA", {0, 0, 0x88, 0xB8}}},
                     {"sRGB", "cHRM"},
                     "written to"},
        MetadataCase{"no_colour_chunks_and_no_bookkeeping_added",
                     2,
                     {},
                     {"--hue", "40"},
                     {},
                     {"sRGB", "gAMA", "cHRM", "oFFs", "text:oiio:", "text:png:"},
                     "written to"},
        MetadataCase{
            "exif_kept_with_its_resolution_unit", 2, {{"eXIf", kExif}}, {}, {{"eXIf", kExif}}, {}, "written to"},
        MetadataCase{"latin1_text_kept_as_latin1",
                     2,
                     {{"tEXt", B(std::string("Comment\0caf\xE9", 12))}},
                     {},
                     {{"tEXt", B(std::string("Comment\0caf\xE9", 12))}},
                     {},
                     "written to"},
        MetadataCase{"unknown_chunks_kept_when_safe_to_copy",
                     2,
                     {{"prvt", {1, 2}}, {"prvT", {3}}},
                     {},
                     {{"prvt", {1, 2}}},
                     {"prvT"},
                     "prvT (unknown to this tool and not safe to copy"},
        MetadataCase{"grey_stays_grey_at_identity", 0, {{"sBIT", {5}}}, {}, {{"sBIT", {5}}}, {}, "written to", 0},
        MetadataCase{"grey_alpha_stays_grey_alpha_at_identity", 4, {}, {}, {}, {}, "written to", 4},
        MetadataCase{"grey_in_colour_said",
                     0,
                     {},
                     {"--hue", "40", "--chroma", "20"},
                     {},
                     {},
                     "the grey input came out in colour: written as RGB",
                     2}),
    [](const testing::TestParamInfo<MetadataCase>& info) { return std::string(info.param.name); });

}  // namespace
