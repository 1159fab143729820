// How outputs are encoded: the source's samples kept where the format holds
// them, the type, compression and subsampling asked for, and the switches
// that decide whether anything is written at all.
#include <functional>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <OpenImageIO/imagebufalgo.h>
#include <OpenImageIO/imageio.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

OIIO::ImageSpec Header(const std::string& path)
{
    auto in = OIIO::ImageInput::open(path);
    return in ? in->spec() : OIIO::ImageSpec();
}

struct EncodingCase {
    const char* name;
    const char* in_ext;
    int in_bits;  // 10: a 10-bit DPX
    std::vector<std::string> options;
    const char* out_ext;
    const char* attribute;  // "format" for the sample type
    std::string expected;
    std::string said = "";  // expected in stderr
    const char* in_compression = "";  // the input's compression; "": the library's default
};

void PrintTo(const EncodingCase& c, std::ostream* out) { *out << c.name; }

class Encoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(Encoding, IsWhatWasAskedOrTheSources)
{
    const EncodingCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path(std::string("in.") + c.in_ext), out = dir.path(std::string("out.") + c.out_ext);
    ASSERT_TRUE(WriteWithLibrary(in, MakeRaw(32, 32, c.in_bits > 8 ? 16 : 8, 3, 3), false,
                                 c.in_bits == 10 ? std::vector<std::pair<std::string, int>>{{"oiio:BitsPerSample", 10}}
                                                 : std::vector<std::pair<std::string, int>>{}));
    if (*c.in_compression != '\0') {
        OIIO::ImageBuf made(in);
        ASSERT_TRUE(made.read(0, 0, true));
        made.specmod().attribute("compression", c.in_compression);
        ASSERT_TRUE(made.write(in));
    }
    std::vector<std::string> args = {"render", in, "-o", out};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    const OIIO::ImageSpec header = Header(out);
    const OIIO::ParamValue* value = header.find_attribute(c.attribute);
    const std::string got = std::string(c.attribute) == "format" ? std::string(header.format.c_str())
                            : value != nullptr                   ? value->get_string()
                                                                 : "";
    EXPECT_EQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, Encoding,
    testing::Values(
        EncodingCase{"dpx10_kept", "dpx", 10, {}, "dpx", "oiio:BitsPerSample", "10"},
        EncodingCase{"uint12_asked", "png", 16, {"-d", "uint12"}, "tif", "oiio:BitsPerSample", "12"},
        EncodingCase{"half_asked", "png", 8, {"--depth=half"}, "exr", "format", "half"},
        EncodingCase{"uint8_asked", "png", 16, {"-d", "uint8"}, "tif", "format", "uint8"},
        EncodingCase{"compression_asked", "png", 8, {"--compression", "lzw"}, "tif", "compression", "lzw"},
        EncodingCase{"jpeg_chroma_kept_whole", "png", 8, {}, "jpg", "jpeg:subsampling", "4:4:4"},
        EncodingCase{
            "jpeg_subsampling_asked", "png", 8, {"--subsampling", "4:2:0"}, "jpg", "jpeg:subsampling", "4:2:0"},
        // As text in a PNG it would halve a later JPEG's chroma.
        EncodingCase{"jpeg_subsampling_not_kept_in_a_png", "jpg", 8, {}, "png", "jpeg:subsampling", ""},
        EncodingCase{"pnm16_kept", "png", 16, {}, "ppm", "format", "uint16"},
        // Lossy: read back whole, not compared sample for sample.
        EncodingCase{"tiff_jpeg_asked", "png", 8, {"--compression", "jpeg:90"}, "tif", "compression", "jpeg"},
        EncodingCase{"jpeg_takes_no_lzw",
                     "png",
                     8,
                     {"--compression", "lzw"},
                     "jpg",
                     "compression",
                     "",
                     "--compression lzw does not apply to a .jpg file"},
        EncodingCase{"tiff_jpeg_of_16_bits_said",
                     "png",
                     16,
                     {"--compression", "jpeg"},
                     "tif",
                     "compression",
                     "zip",
                     "--compression jpeg: the .tif file's writer used zip"},
        EncodingCase{"exr_compression_kept", "exr", 16, {}, "exr", "compression", "piz", "", "piz"},
        EncodingCase{"exr_dwa_kept", "exr", 16, {}, "exr", "compression", "dwab", "", "dwab:60"},
        EncodingCase{"exr_dwa_level_kept", "exr", 16, {}, "exr", "openexr:dwaCompressionLevel", "60", "", "dwab:60"},
        EncodingCase{
            "exr_compression_asked", "exr", 16, {"--compression", "zip"}, "exr", "compression", "zip", "", "piz"},
        EncodingCase{"iff_in_tiles", "png", 16, {}, "iff", "format", "uint16"},
        EncodingCase{"jpeg2000_written", "png", 8, {}, "jp2", "format", "uint8"},
        EncodingCase{"gif_written", "png", 8, {}, "gif", "format", "uint8"},
        EncodingCase{"ico_written", "png", 8, {}, "ico", "format", "uint8"},
        EncodingCase{"uint10_fallback_said",
                     "png",
                     16,
                     {"-d", "uint10"},
                     "png",
                     "format",
                     "uint16",
                     "a .png file cannot hold uint10 samples; written as uint16"},
        EncodingCase{"uint12_fallback_said",
                     "png",
                     16,
                     {"-d", "uint12"},
                     "jpg",
                     "format",
                     "uint8",
                     "a .jpg file cannot hold uint12 samples; written as uint8"}),
    [](const testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

// --no-clobber, --dry-run and --quiet: what is written and what is said.
struct SwitchCase {
    const char* name;
    std::vector<std::string> options;
    int status;
    bool output_changed;
    const char* out_text;  // expected on stdout ("" for nothing)
    bool err_empty;
    int existing_side =
        0;  // out.png is an image this many pixels a side; 0: three bytes of junk; -1: a folder, with a folder
    // in.png in it
    const char* command = "render";  // sheet: an existing out.png of a side is a whole sheet of in.png
    int mode = 0;  // out.png's permissions before, and after; 0: as made
    // "link": out.png a link to real.png, which is written; "stale": a
    // temporary file of out.png's left by a killed run, which is removed;
    // "live": one a running writer holds locked, which stays
    std::string kind = "";
};

void PrintTo(const SwitchCase& c, std::ostream* out) { *out << c.name; }

class Switches : public testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, WriteAndSayWhatTheyPromise)
{
    const SwitchCase& c = GetParam();
    ScratchDir dir;
    std::vector<unsigned char> input = EncodePng(MakeRaw(8, 8, 8, 3, 4), 2);
    WriteBytes(dir.path("in.png"), input);
    const bool sheet = std::string(c.command) == "sheet";
    if (sheet && c.existing_side > 0) {
        ASSERT_EQ(RunTintra({"sheet", dir.path("in.png"), "-o", dir.path("out.png")}).status, 0);
    }
    const std::vector<unsigned char> before = sheet && c.existing_side > 0 ? ReadBytes(dir.path("out.png"))
                                              : c.existing_side > 0
                                                  ? EncodePng(MakeRaw(c.existing_side, c.existing_side, 8, 3, 5), 2)
                                              : c.existing_side < 0 ? std::vector<unsigned char>{'/'}
                                                                    : std::vector<unsigned char>{'o', 'l', 'd'};
    if (c.existing_side < 0) {
        // -o names a folder, and the output in it is a folder too.
        mkdir(dir.path("out.png").c_str(), 0777);
        mkdir(dir.path("out.png/in.png").c_str(), 0777);
    } else
        WriteBytes(dir.path(c.kind == "link" ? "real.png" : "out.png"), before);
    if (c.kind == "link") {
        ASSERT_EQ(symlink("real.png", dir.path("out.png").c_str()), 0);
    }
    if (c.kind == "stale" || c.kind == "live") WriteBytes(dir.path(".out.png.tintra-0a1b2c"), {'o', 'l', 'd'});
    const int held = c.kind == "live" ? open(dir.path(".out.png.tintra-0a1b2c").c_str(), O_RDONLY) : -1;
    if (held >= 0) flock(held, LOCK_EX);
    if (c.mode != 0) chmod(dir.path("out.png").c_str(), (mode_t)c.mode);
    std::vector<std::string> args = {c.command, dir.path("in.png"), "-o", dir.path("out.png"), "--hue", "30"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = RunTintra(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    struct stat info;
    const bool folder = stat(dir.path("out.png").c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    EXPECT_EQ((folder ? std::vector<unsigned char>{'/'} : ReadBytes(dir.path("out.png"))) != before, c.output_changed);
    EXPECT_NE(run.out.find(c.out_text), std::string::npos) << run.out;
    EXPECT_EQ(run.err.empty(), c.err_empty) << run.err;
    if (held >= 0) close(held);
    EXPECT_EQ(dir.list().size(), c.kind == "link" || c.kind == "live" ? 3u : 2u);
    if (c.mode != 0) {
        EXPECT_EQ(info.st_mode & 0777, (mode_t)c.mode);
    }
    struct stat link;
    EXPECT_EQ(lstat(dir.path("out.png").c_str(), &link) == 0 && S_ISLNK(link.st_mode), c.kind == "link");
}

INSTANTIATE_TEST_SUITE_P(
    Options, Switches,
    testing::Values(SwitchCase{"replaces_by_default", {}, 0, true, "", false},
                    SwitchCase{"no_clobber_keeps", {"--no-clobber"}, 0, false, "", false, 8},
                    // Only a whole image of the frame's size counts as done.
                    SwitchCase{"no_clobber_fails_junk", {"--no-clobber"}, 1, false, "", false},
                    SwitchCase{"no_clobber_fails_wrong_size", {"--no-clobber"}, 1, false, "", false, 4},
                    SwitchCase{"dry_run_fails_junk", {"-n", "--no-clobber"}, 1, false, "", false},
                    // A sheet is kept, or fails, as a frame is.
                    SwitchCase{"sheet_no_clobber_keeps", {"--no-clobber"}, 0, false, "", false, 8, "sheet"},
                    SwitchCase{"sheet_no_clobber_fails_junk", {"--no-clobber"}, 1, false, "", false, 0, "sheet"},
                    SwitchCase{"folder_in_the_way", {}, 1, false, "", false, -1},
                    SwitchCase{"dry_run_folder_in_the_way", {"-n"}, 1, false, "", false, -1},
                    SwitchCase{"dry_run_writes_nothing", {"-n"}, 0, false, "in.png -> ", false},
                    SwitchCase{"quiet_says_the_summary", {"-q"}, 0, true, "", false},
                    // An output's permissions, links and leftovers, as users expect.
                    SwitchCase{"keeps_owner_only", {}, 0, true, "", false, 8, "render", 0600},
                    SwitchCase{"read_only_refused", {}, 2, false, "", false, 8, "render", 0444},
                    SwitchCase{"read_only_replaced_when_asked", {"--overwrite"}, 0, true, "", false, 8, "render", 0444},
                    SwitchCase{"writes_through_a_link", {}, 0, true, "", false, 8, "render", 0, "link"},
                    SwitchCase{"removes_a_stale_temporary", {}, 0, true, "", false, 8, "render", 0, "stale"},
                    SwitchCase{"leaves_a_live_temporary", {}, 0, true, "", false, 8, "render", 0, "live"}),
    [](const testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

// --auto-orient turns the pixels as the tag says and resets the tag. Where
// the stored first row's two ends are shown, in the words of the TIFF
// standard ("the 0th row represents the visual left-hand side ..."). The
// library's own reorientation (OpenImageIO 2.4) swaps 5 and 7, so it is not
// the reference.
struct OrientCase {
    int orientation;
    int shown_width;
    int first_x, first_y;  // where the stored top-left pixel is shown
    int last_x, last_y;  // where the stored top-right pixel is shown
};

void PrintTo(const OrientCase& c, std::ostream* out) { *out << "orientation " << c.orientation; }

class AutoOrient : public testing::TestWithParam<OrientCase> {};

TEST_P(AutoOrient, TurnsAsTheTagSays)
{
    const OrientCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path("in.tif"), out = dir.path("out.tif");
    const RawImage stored = MakeRaw(5, 3, 8, 3, 6);
    ASSERT_TRUE(WriteWithLibrary(in, stored, false, {{"Orientation", c.orientation}}));
    const ToolRun run = RunTintra({"render", in, "-o", out, "--auto-orient"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(OIIO::ImageBuf(out).spec().get_int_attribute("Orientation", 1), 1);
    RawImage shown;
    ASSERT_TRUE(ReadWithLibrary(out, shown));
    ASSERT_EQ(shown.width, c.shown_width);
    const auto pixel = [](const RawImage& image, int x, int y) {
        const size_t at = ((size_t)y * (size_t)image.width + (size_t)x) * 3;
        return std::vector<uint16_t>(image.samples.begin() + (long)at, image.samples.begin() + (long)at + 3);
    };
    EXPECT_EQ(pixel(shown, c.first_x, c.first_y), pixel(stored, 0, 0));
    EXPECT_EQ(pixel(shown, c.last_x, c.last_y), pixel(stored, 4, 0));
}

INSTANTIATE_TEST_SUITE_P(Tags, AutoOrient,
                         testing::Values(OrientCase{1, 5, 0, 0, 4, 0}, OrientCase{2, 5, 4, 0, 0, 0},
                                         OrientCase{3, 5, 4, 2, 0, 2}, OrientCase{4, 5, 0, 2, 4, 2},
                                         OrientCase{5, 3, 0, 0, 0, 4}, OrientCase{6, 3, 2, 0, 2, 4},
                                         OrientCase{7, 3, 2, 4, 2, 0}, OrientCase{8, 3, 0, 4, 0, 0}));

}  // namespace
