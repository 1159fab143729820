// Every kind of bad input gets one line on stderr that names the file or the
// option, the documented exit status, and leaves no output file behind.
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "tool_fixture.h"

namespace {

using namespace tintra_test;

std::vector<unsigned char> GoodPng(int bits = 8, int channels = 3)
{
    return EncodePng(MakeRaw(12, 10, bits, channels, 3), channels == 4 ? 6 : 2);
}

void WriteTiff(const std::string& path, int bits, int channels, TiffLayout layout)
{
    ASSERT_TRUE(WriteTiffSamples(path, MakeRaw(20, 20, bits, channels, 4), layout));
}

// 246 bytes of TIFF whose one strip claims 30000 x 30000 16-bit RGB pixels.
std::vector<unsigned char> TiffBomb()
{
    const std::vector<std::array<uint32_t, 4>> entries = {
        {256, 4, 1, 30000}, {257, 4, 1, 30000}, {258, 3, 1, 16},    {259, 3, 1, 1},           {262, 3, 1, 2},
        {273, 4, 1, 200},   {277, 3, 1, 3},     {278, 4, 1, 30000}, {279, 4, 1, 0xFFFFFFFFu}, {284, 3, 1, 1}};
    return TiffDirectory(entries, 246, 0);
}

struct BadCase {
    const char* name;
    std::function<void(const ScratchDir&)> setup;  // makes in.png / in.tif and the like
    std::vector<std::string> args;                 // "@" stands for the scratch folder
    int status;
    std::string message;  // expected on the single stderr line, "@" as above
    long file_size_limit = 0;  // bytes; 0: none
};

void PrintTo(const BadCase& c, std::ostream* out) { *out << c.name; }

class BadInput : public testing::TestWithParam<BadCase> {};

TEST_P(BadInput, FailsCleanly)
{
    const BadCase& c = GetParam();
    ScratchDir dir;
    if (c.setup) c.setup(dir);
    const std::vector<std::string> before = dir.list();
    std::vector<unsigned char> input_before;
    struct stat info;
    if (lstat(dir.path("in.png").c_str(), &info) == 0 && S_ISREG(info.st_mode)) input_before = ReadBytes(dir.path("in.png"));

    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(dir.expand(a));
    const ToolRun run = RunTintra(args, {}, c.file_size_limit);

    EXPECT_EQ(run.status, c.status) << run.err;
    const std::string expected = "tintra: " + dir.expand(c.message);
    EXPECT_NE(run.err.find(expected), std::string::npos) << "stderr: " << run.err;
    // The error is one line; a file failure adds only the summary line.
    const std::string first_line = run.err.substr(0, run.err.find('\n'));
    EXPECT_NE(first_line.find(expected), std::string::npos) << "stderr: " << run.err;
    EXPECT_LE(std::count(run.err.begin(), run.err.end(), '\n'), c.status == 2 ? 1 : 2) << run.err;
    // Nothing new in the folder: no output, no temporary file.
    EXPECT_EQ(dir.list(), before);
    if (!input_before.empty()) {
        EXPECT_EQ(ReadBytes(dir.path("in.png")), input_before);
    }
    // A usage error is found before anything is decoded, so a dry run meets
    // it too, in the same words.
    if (c.status != 2 || (args[0] != "render" && args[0] != "sheet")) return;
    args.insert(args.begin() + 1, "--dry-run");
    const ToolRun dry = RunTintra(args);
    EXPECT_EQ(dry.status, 2) << dry.err;
    EXPECT_NE(dry.err.substr(0, dry.err.find('\n')).find(expected), std::string::npos) << "dry run: " << dry.err;
    EXPECT_EQ(dir.list(), before);
}

const auto kGoodPng = [](const ScratchDir& d) { WriteBytes(d.path("in.png"), GoodPng()); };
const auto kTwoPngs = [](const ScratchDir& d) {
    WriteBytes(d.path("in.png"), GoodPng());
    WriteBytes(d.path("b.png"), GoodPng());
};
const std::vector<std::string> kRender = {"render", "@/in.png", "-o", "@/out.png"};

std::vector<std::string> RenderWith(std::vector<std::string> extra)
{
    std::vector<std::string> args = kRender;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadInput,
    testing::Values(
        BadCase{"missing", nullptr, kRender, 1, "@/in.png: no such file"},
        BadCase{"empty", [](const ScratchDir& d) { WriteBytes(d.path("in.png"), {}); }, kRender, 1,
                "@/in.png: empty file"},
        BadCase{"not_an_image",
                [](const ScratchDir& d) {
                    const std::string text = "just some text, no picture";
                    WriteBytes(d.path("in.png"), std::vector<unsigned char>(text.begin(), text.end()));
                },
                kRender, 1, "@/in.png: not an image file in a format tintra reads"},
        BadCase{"png_truncated_in_data",
                [](const ScratchDir& d) {
                    std::vector<unsigned char> png = GoodPng(16, 4);
                    png.resize(png.size() / 2);
                    WriteBytes(d.path("in.png"), png);
                },
                kRender, 1, "@/in.png: truncated or corrupt"},
        BadCase{"png_bad_checksum",
                [](const ScratchDir& d) {
                    std::vector<unsigned char> png = GoodPng();
                    png[png.size() - 20] ^= 0x55;  // inside the image data
                    WriteBytes(d.path("in.png"), png);
                },
                kRender, 1, "@/in.png: truncated or corrupt"},
        BadCase{"png_header_only",
                [](const ScratchDir& d) {
                    std::vector<unsigned char> png = GoodPng();
                    png.resize(20);
                    WriteBytes(d.path("in.png"), png);
                },
                kRender, 1, "@/in.png: truncated or corrupt"},
        BadCase{"png_too_large",
                [](const ScratchDir& d) {
                    RawImage wide;
                    wide.width = 30001, wide.height = 1, wide.channels = 3;
                    wide.samples.assign(30001 * 3, 0);
                    WriteBytes(d.path("in.png"), EncodePng(wide, 2));
                },
                kRender, 1, "@/in.png: image too large or empty: 30001 x 1"},
        BadCase{"tiff_truncated",
                [](const ScratchDir& d) {
                    WriteTiff(d.path("big.tif"), 16, 3, TiffLayout{});
                    std::vector<unsigned char> tiff = ReadBytes(d.path("big.tif"));
                    unlink(d.path("big.tif").c_str());
                    tiff.resize(tiff.size() / 3);
                    WriteBytes(d.path("in.png"), tiff);
                },
                kRender, 1, "@/in.png: truncated or corrupt"},
        BadCase{"tiff_garbage_after_magic",
                [](const ScratchDir& d) {
                    WriteBytes(d.path("in.png"), {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
                },
                kRender, 1, "@/in.png: truncated or corrupt"},
        BadCase{"input_is_unreadable",
                [](const ScratchDir& d) {
                    // Root reads whatever the permissions say; /proc/self/mem cannot
                    // be read from its start by anyone.
                    if (geteuid() == 0)
                        symlink("/proc/self/mem", d.path("in.png").c_str());
                    else {
                        WriteBytes(d.path("in.png"), GoodPng());
                        chmod(d.path("in.png").c_str(), 0);
                    }
                },
                kRender, 1, "@/in.png: cannot "},
        BadCase{"png_header_bomb",
                [](const ScratchDir& d) {
                    RawImage bomb = MakeRaw(16, 16, 16, 4, 1);
                    std::vector<unsigned char> png = EncodePng(bomb, 6);
                    const unsigned char side[4] = {0, 0, 0x75, 0x30};  // 30000, in place of 16
                    std::copy(side, side + 4, png.begin() + 16);
                    std::copy(side, side + 4, png.begin() + 20);
                    const uint32_t crc = (uint32_t)crc32(0, png.data() + 12, 17);  // IHDR's type and data
                    for (int i = 0; i < 4; ++i) png[29 + i] = (unsigned char)(crc >> (24 - 8 * i));
                    WriteBytes(d.path("in.png"), png);
                },
                RenderWith({"--max-pixels", "900M"}), 1, "@/in.png: the header claims 30000 x 30000 pixels"},
        BadCase{"tiff_header_bomb", [](const ScratchDir& d) { WriteBytes(d.path("in.png"), TiffBomb()); },
                RenderWith({"--max-pixels", "900M"}), 1, "@/in.png: the header claims 30000 x 30000 pixels"},
        BadCase{"above_max_pixels", kGoodPng, RenderWith({"--max-pixels", "100"}), 1,
                "@/in.png: 12 x 10 pixels is more than --max-pixels allows (100)"},
        BadCase{"sheet_larger_than_the_host_takes",
                [](const ScratchDir& d) { WriteBytes(d.path("in.png"), EncodePng(MakeRaw(8000, 2, 8, 3, 1), 2)); },
                {"sheet", "@/in.png", "-o", "@/s.png"},
                1,
                "@/in.png: its sheet would be"},
        BadCase{
            "sheet_beyond_max_pixels",
            kGoodPng,
            {"sheet", "@/in.png", "-o", "@/s.png", "--max-pixels", "1K"},
            1,
            "@/in.png: its sheet would be 84 x 29 pixels, more than the host takes (30000 each way) or --max-pixels "
            "allows (1000)"},
        // Refused before any file is opened: reading one would wait for ever.
        BadCase{"fifo", [](const ScratchDir& d) { mkfifo(d.path("in.png").c_str(), 0666); }, kRender, 2,
                "@/in.png: is a pipe, not an image file"},
        BadCase{"fifo_exr",
                [](const ScratchDir& d) { mkfifo(d.path("in.exr").c_str(), 0666); },
                {"render", "@/in.exr", "-o", "@/out.exr"},
                2,
                "@/in.exr: is a pipe, not an image file"},
        BadCase{"fifo_in_a_folder",
                [](const ScratchDir& d) {
                    mkdir(d.path("frames").c_str(), 0777);
                    WriteBytes(d.path("frames/a.png"), GoodPng());
                    mkfifo(d.path("frames/b.tif").c_str(), 0666);
                },
                {"render", "@/frames", "-o", "@/out"},
                2,
                "@/frames/b.tif: is a pipe, not an image file"},
        // Outputs that could not be written are found before anything is decoded.
        BadCase{"output_name_too_long",
                kGoodPng,
                {"render", "@/in.png", "-o", "@/" + std::string(260, 'n') + ".png"},
                2,
                "@/" + std::string(260, 'n') + ".png: the file name is 264 bytes, more than the 255"},
        BadCase{"output_folder_under_a_file",
                [](const ScratchDir& d) {
                    mkdir(d.path("frames").c_str(), 0777);
                    WriteBytes(d.path("frames/a.png"), GoodPng());
                    WriteBytes(d.path("afile"), {'x'});
                },
                {"render", "@/frames", "-o", "@/afile/out"},
                2,
                "-o @/afile/out/a.png: @/afile is not a folder"},
        BadCase{"one_file_into_a_pattern",
                kGoodPng,
                {"render", "@/in.png", "-o", "@/g.####.png"},
                2,
                "-o @/g.####.png names a frame sequence, but @/in.png is one file"},
        BadCase{"output_folder_missing",
                kGoodPng,
                {"render", "@/in.png", "-o", "@/nowhere/out.png"},
                2,
                "-o @/nowhere/out.png: the folder @/nowhere does not exist"},
        BadCase{"sheet_of_a_missing_file",
                nullptr,
                {"sheet", "@/in.png", "-o", "@/sheet.png"},
                1,
                "@/in.png: no such file"},
        BadCase{"plugin_missing", kGoodPng, RenderWith({"--plugin", "@/none.so"}), 1, "cannot load plug-in @/none.so"},
        // A bare name is a file in the current folder, not a library on the
        // system's search path (where libc.so.6 would be found).
        BadCase{"plugin_bare_name_is_not_searched", kGoodPng, RenderWith({"--plugin", "libc.so.6"}), 1,
                "cannot load plug-in libc.so.6: ./libc.so.6: cannot open shared object file"},
        BadCase{"plugin_not_a_library",
                [](const ScratchDir& d) {
                    WriteBytes(d.path("in.png"), GoodPng());
                    WriteBytes(d.path("fake.so"), {'n', 'o', 'p', 'e'});
                },
                RenderWith({"--plugin", "@/fake.so"}), 1, "cannot load plug-in @/fake.so"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

// A short write (a full disk) in every format: the libraries' own words for
// it are "Write Error" or a scanline number, and the writers of PNG, BMP,
// Targa, SGI and FITS ignore it altogether. The limit lets every header
// through but not the pixels.
std::vector<BadCase> ShortWrites()
{
    static const char* const kFormats[] = {"png", "tif", "jpg", "bmp", "tga", "sgi", "fits", "dpx", "ppm", "exr"};
    std::vector<BadCase> cases;
    for (const char* ext : kFormats) {
        const std::string out = std::string("@/out.") + ext;
        cases.push_back(BadCase{ext,
                                [](const ScratchDir& d) {
                                    WriteBytes(d.path("in.png"), EncodePng(MakeRaw(64, 64, 8, 3, 5), 2));
                                },
                                {"render", "@/in.png", "-o", out},
                                1,
                                out + ": cannot write: File too large",
                                4000});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(ShortWrite, BadInput, testing::ValuesIn(ShortWrites()),
                         [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Usage, BadInput,
    testing::Values(
        BadCase{"unknown_option", kGoodPng, RenderWith({"--saturation", "3"}), 2, "unknown option '--saturation'"},
        BadCase{"sheet_given_its_popup",
                kGoodPng,
                {"sheet", "@/in.png", "-o", "@/s.png", "--clip", "2"},
                2,
                "--clip does not apply to 'sheet' (a sheet shows every choice of Clip Method)"},
        BadCase{"value_missing", kGoodPng, RenderWith({"--chroma"}), 2, "--chroma needs a value"},
        BadCase{"mix_with_an_ae_build", kGoodPng, RenderWith({"--mix", "0.5", "--plugin", PluginPath()}), 2,
                "unknown option '--mix'"},
        // Whether an option is unknown or a parameter lacking its value is
        // the plug-in's declarations' to say.
        BadCase{"unknown_switch", kGoodPng, RenderWith({"--dryrun"}), 2,
                "unknown option '--dryrun' (did you mean --dry-run?)"},
        BadCase{"unknown_switch_before_an_option", kGoodPng, RenderWith({"--chrma", "--hue", "3"}), 2,
                "unknown option '--chrma' (did you mean --chroma?)"},
        BadCase{"value_missing_before_an_option", kGoodPng, RenderWith({"--hue", "--chroma", "5"}), 2,
                "--hue needs a value"},
        BadCase{"hue_not_a_number", kGoodPng, RenderWith({"--hue", "north"}), 2,
                "--hue: 'north' is not a number of degrees"},
        BadCase{"hue_out_of_range", kGoodPng, RenderWith({"--hue", "99999"}), 2, "--hue: 99999 is out of range"},
        BadCase{"chroma_out_of_range", kGoodPng, RenderWith({"--chroma", "2e7"}), 2,
                "--chroma: 2e7 is out of range (-10000000..10000000)"},
        BadCase{"alpha_not_a_number", kGoodPng, RenderWith({"--alpha", "half"}), 2, "--alpha: 'half' is not a number"},
        BadCase{"alpha_infinite", kGoodPng, RenderWith({"--alpha", "inf"}), 2, "--alpha: 'inf' is not a number"},
        BadCase{"clip_unknown", kGoodPng, RenderWith({"--clip", "soft"}), 2,
                "--clip: 'soft' is not one of adaptive, chroma, truncate, debug (or 1..4)"},
        BadCase{"clip_number_out_of_range", kGoodPng, RenderWith({"--clip", "5"}), 2, "--clip: '5' is not one of"},
        BadCase{"threads_zero", kGoodPng, RenderWith({"--threads", "0"}), 2, "--threads: '0' is not a thread count"},
        BadCase{"depth_unsupported", kGoodPng, RenderWith({"--depth", "32"}), 2, "--depth: '32' is not a sample type"},
        BadCase{"output_format_unknown",
                kGoodPng,
                {"render", "@/in.png", "-o", "@/out.xyz"},
                2,
                "-o @/out.xyz: unknown output format"},
        BadCase{"output_format_not_for_renders",
                kGoodPng,
                {"render", "@/in.png", "-o", "@/out.zfile"},
                2,
                "-o @/out.zfile: a .zfile output holds one channel of depth, not a colour image"},
        BadCase{"output_too_small_for_jpeg2000",
                kGoodPng,
                {"render", "@/in.png", "-o", "@/out.jp2"},
                1,
                "@/in.png: the image is 12 x 10 pixels, but a .jp2 file holds 32 to 30000 each way"},
        BadCase{"output_missing", kGoodPng, {"render", "@/in.png"}, 2, "-o OUT is missing"},
        BadCase{"output_is_the_input",
                kGoodPng,
                {"render", "@/in.png", "-o", "@/in.png", "--hue", "90"},
                2,
                "@/in.png is the input @/in.png; pass --overwrite to replace it"},
        BadCase{"output_is_the_input_by_another_name",
                kGoodPng,
                {"render", "@/in.png", "-o", "@/./in.png", "--hue", "90"},
                2,
                "@/./in.png is the input @/in.png; pass --overwrite to replace it"},
        BadCase{"folder_output_over_its_inputs",
                kTwoPngs,
                {"render", "@/in.png", "@/b.png", "-o", "@"},
                2,
                "@/in.png is the input @/in.png"},
        BadCase{"two_inputs_one_output",
                [](const ScratchDir& d) {
                    mkdir(d.path("x").c_str(), 0777);
                    WriteBytes(d.path("x/in.png"), GoodPng());
                    WriteBytes(d.path("in.png"), GoodPng());
                },
                {"render", "@/in.png", "@/x/in.png", "-o", "@/out"},
                2,
                "two inputs would both be written to"},
        BadCase{"several_inputs_into_a_file",
                [](const ScratchDir& d) {
                    WriteBytes(d.path("in.png"), GoodPng());
                    WriteBytes(d.path("b.png"), GoodPng());
                    WriteBytes(d.path("out.png"), GoodPng());
                },
                {"render", "@/in.png", "@/b.png", "-o", "@/out.png"},
                2,
                "-o @/out.png: is a file, but several inputs need a folder"},
        BadCase{"several_inputs_into_an_image_name",
                kTwoPngs,
                {"render", "@/in.png", "@/b.png", "-o", "@/new.png"},
                2,
                "-o @/new.png: several inputs need a folder, not an image file name"},
        BadCase{"space_padded_sequence",
                kGoodPng,
                {"render", "@/s.%4d.png", "-o", "@/g.%04d.png"},
                2,
                "@/s.%4d.png: %4d pads frame numbers with spaces; write %04d to pad them with zeros"},
        BadCase{"same_file_given_twice",
                kGoodPng,
                {"render", "@/in.png", "@/./in.png", "-o", "@/out"},
                2,
                "@/./in.png: given twice"},
        BadCase{"empty_folder",
                [](const ScratchDir& d) { mkdir(d.path("frames").c_str(), 0777); },
                {"render", "@/frames", "-o", "@/out"},
                2,
                "@/frames: no image files in this folder"},
        BadCase{"sheet_output_is_the_input",
                kGoodPng,
                {"sheet", "@/in.png", "-o", "@/in.png"},
                2,
                "@/in.png is the input @/in.png; pass --overwrite to replace it"},
        BadCase{"sheet_with_clip",
                kGoodPng,
                {"sheet", "@/in.png", "-o", "@/s.png", "--clip", "1"},
                2,
                "--clip does not apply to 'sheet'"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

// Each option that names a path or a colour space, given what a hurried or
// a hostile user gives it: refused before anything is decoded, in words
// that say what is wrong, with any control byte of the name escaped.
INSTANTIATE_TEST_SUITE_P(
    PathOptions, BadInput,
    testing::Values(
        BadCase{"report_is_the_input", kGoodPng, RenderWith({"--report", "@/in.png"}), 2,
                "--report @/in.png: is the input @/in.png"},
        BadCase{"report_is_the_output", kGoodPng, RenderWith({"--report", "@/./out.png"}), 2,
                "--report @/./out.png: is also the output of @/in.png"},
        BadCase{"report_is_the_output_folder",
                kTwoPngs,
                {"render", "@/in.png", "@/b.png", "-o", "@/out", "--report", "@/out"},
                2,
                "--report @/out: is the folder the output @/out/in.png goes in"},
        BadCase{"report_empty", kGoodPng, RenderWith({"--report", ""}), 2, "--report: '' is not a file name"},
        BadCase{"report_name_too_long", kGoodPng, RenderWith({"--report", "@/" + std::string(256, 'r')}), 2,
                "--report @/" + std::string(256, 'r') + ": the file name is 256 bytes, more than the 255"},
        BadCase{"report_is_a_folder", kGoodPng, RenderWith({"--report", "@"}), 2,
                "--report @: is a folder, not a file to write the report in"},
        BadCase{"report_is_a_device", kGoodPng, RenderWith({"--report", "/dev/null"}), 2,
                "--report /dev/null: is a device, not a file to write the report in"},
        BadCase{"report_folder_missing", kGoodPng, RenderWith({"--report", "@/none/run.json"}), 2,
                "--report @/none/run.json: the folder @/none does not exist"},
        BadCase{"report_folder_is_a_file", kGoodPng, RenderWith({"--report", "@/in.png/run.json"}), 2,
                "--report @/in.png/run.json: @/in.png is not a folder"},
        BadCase{"report_name_not_utf8",
                [](const ScratchDir& d) { WriteBytes(d.path("in\xff.png"), GoodPng()); },
                {"render", "@/in\xff.png", "-o", "@/out.png", "--report", "@/in\xff.png"},
                2,
                "--report @/in\xff.png: is the input @/in\xff.png"},
        BadCase{"report_name_with_control_bytes", kGoodPng, RenderWith({"--report", "@/\x1b[2J/run.json"}), 2,
                "--report @/\\x1b[2J/run.json: the folder @/\\x1b[2J does not exist"},
        BadCase{"colorconfig_is_a_folder", kGoodPng, RenderWith({"--colorspace", "auto", "--colorconfig", "@"}), 2,
                "colour config @: is a folder, not a colour config file"},
        BadCase{"colorconfig_is_a_device", kGoodPng, RenderWith({"--colorspace", "auto", "--colorconfig", "/dev/null"}),
                2, "colour config /dev/null: is a device, not a colour config file"},
        BadCase{"colorconfig_empty", kGoodPng, RenderWith({"--colorspace", "auto", "--colorconfig", ""}), 2,
                "--colorconfig: '' is not a file name"},
        BadCase{"colorspace_empty", kGoodPng, RenderWith({"--output-colorspace", ""}), 2,
                "--output-colorspace: '' is not a colour space"},
        BadCase{"colorspace_unknown", kGoodPng, RenderWith({"--colorspace", "\x1b]0;x\x07"}), 2,
                "--colorspace \\x1b]0;x\\x07: not a space of"},
        BadCase{"colorspace_gamma_too_high", kGoodPng, RenderWith({"--colorspace", "Gamma100.0001"}), 2,
                "--colorspace Gamma100.0001: gamma 100.0001 is outside 0.01..100"},
        BadCase{"output_colorspace_gamma_too_high", kGoodPng,
                RenderWith({"--colorspace", "auto", "--output-colorspace", "gamma1e30"}), 2,
                "--output-colorspace gamma1e30: gamma 1e30 is outside 0.01..100"},
        BadCase{"working_space_gamma_too_low", kGoodPng,
                RenderWith({"--colorspace", "auto", "--working-space", "Gamma0.0001"}), 2,
                "--working-space Gamma0.0001: gamma 0.0001 is outside 0.01..100"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

// With several inputs the good ones are still rendered, and the summary
// counts the failures.
TEST(BadInput, OtherInputsAreStillRendered)
{
    ScratchDir dir;
    WriteBytes(dir.path("a.png"), GoodPng());
    WriteBytes(dir.path("b.png"), {'b', 'a', 'd'});
    WriteBytes(dir.path("c.png"), GoodPng(16, 4));
    const ToolRun run =
        RunTintra({"render", dir.path("a.png"), dir.path("b.png"), dir.path("gone.png"), dir.path("c.png"), "-o",
                   dir.path("out"), "--hue", "30"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("tintra: " + dir.path("b.png") + ": not an image file in a format tintra reads"), std::string::npos);
    EXPECT_NE(run.err.find("tintra: " + dir.path("gone.png") + ": no such file"), std::string::npos);
    EXPECT_NE(run.err.find("2 of 4 frames rendered, 2 failed, "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("; written to " + dir.path("out") + "\n"), std::string::npos) << run.err;
    EXPECT_EQ(dir.list("out"), (std::vector<std::string>{"a.png", "c.png"}));
}

// --overwrite replaces the input, in one piece.
TEST(BadInput, OverwriteReplacesTheInputWhenAsked)
{
    ScratchDir dir;
    WriteBytes(dir.path("in.png"), GoodPng());
    const ToolRun run = RunTintra({"render", dir.path("in.png"), "-o", dir.path("in.png"), "--hue", "90",
                                   "--overwrite"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"in.png"}));
    RawImage out;
    ASSERT_TRUE(ReadPngSamples(dir.path("in.png"), out));
    EXPECT_NE(out.samples, MakeRaw(12, 10, 8, 3, 3).samples);
}

struct PluginErrorCase {
    const char* name;
    const char* command;  // the command number the plug-in fails
    const char* code;
    std::vector<std::string> args;
    std::string message;
};

void PrintTo(const PluginErrorCase& c, std::ostream* out) { *out << c.name; }

class PluginError : public testing::TestWithParam<PluginErrorCase> {};

TEST_P(PluginError, IsReportedWithItsCode)
{
    const PluginErrorCase& c = GetParam();
    ScratchDir dir;
    WriteBytes(dir.path("in.png"), GoodPng());
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(dir.expand(a));
    args.push_back("--plugin");
    args.push_back(FailingPluginPath());
    const ToolRun run = RunTintra(args, {"TINTRA_REAL_PLUGIN=" + PluginPath(),
                                         std::string("TINTRA_FAIL_COMMAND=") + c.command,
                                         std::string("TINTRA_FAIL_CODE=") + c.code});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(dir.expand(c.message)), std::string::npos) << run.err;
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"in.png"}));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PluginError,
    testing::Values(PluginErrorCase{"global_setup", "1", "512", {"info"}, "failed at global set-up: host error"},
                    PluginErrorCase{"params_setup", "4", "4", kRender, "failed at parameter set-up: host error"},
                    PluginErrorCase{"render", "11", "4", kRender,
                                    "tintra: @/in.png: the plug-in failed to render: host error"},
                    PluginErrorCase{"sheet_render", "11", "516", {"sheet", "@/in.png", "-o", "@/s.png"},
                                    "the plug-in failed to render with Adaptive Hue-dependent: host error"},
                    PluginErrorCase{"about", "0", "512", {"info"}, "failed at About: host error"}),
    [](const testing::TestParamInfo<PluginErrorCase>& info) { return std::string(info.param.name); });

// The code itself, not only the words, reaches the user.
TEST(PluginError, NamesTheNumber)
{
    ScratchDir dir;
    WriteBytes(dir.path("in.png"), GoodPng());
    const ToolRun run = RunTintra({"render", dir.path("in.png"), "-o", dir.path("out.png"), "--plugin",
                                   FailingPluginPath()},
                                  {"TINTRA_REAL_PLUGIN=" + PluginPath(), "TINTRA_FAIL_COMMAND=11",
                                   "TINTRA_FAIL_CODE=516"});
    EXPECT_NE(run.err.find("516"), std::string::npos) << run.err;
}

}  // namespace
