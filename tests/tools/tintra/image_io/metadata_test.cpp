// What of an input's metadata an output keeps: a PNG's chunks byte for byte
// where the written image still satisfies them, the XMP packet and a TIFF's
// primaries as they were, colour tags that agree with the profile, one line
// for each left out, nothing of the library's own bookkeeping, and nothing of
// the moment of writing.
#include <algorithm>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <tiffio.h>
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/image_io/jpeg_markers.h"

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
// The same with 72 pixels per inch each way, which a pHYs chunk states per metre.
const Bytes kExif72 = {'M',  'M',  0, 42, 0, 0, 0, 8, 0, 3,  0x01, 0x1A, 0,    5,    0, 0, 0, 1,  0, 0, 0, 50,
                       0x01, 0x1B, 0, 5,  0, 0, 0, 1, 0, 0,  0,    58,   0x01, 0x28, 0, 3, 0, 0,  0, 1, 0, 2,
                       0,    0,    0, 0,  0, 0, 0, 0, 0, 72, 0,    0,    0,    1,    0, 0, 0, 72, 0, 0, 0, 1};

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
        MetadataCase{"exif_resolution_in_inches_stated_per_metre",
                     2,
                     {{"eXIf", kExif72}},
                     {},
                     {{"eXIf", kExif72}, {"pHYs", {0, 0, 0x0B, 0x12, 0, 0, 0x0B, 0x12, 1}}},
                     {},
                     "written to"},
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

namespace {

using namespace tintra_test;

// A packet in a namespace the library does not know, so only a copy keeps it.
const std::string kXmp =
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
    "<rdf:Description rdf:about=\"\" xmlns:grade=\"http://example.com/grade/\" grade:Look=\"warm\"/>"
    "</rdf:RDF></x:xmpmeta>";

// An Exif block whose Exif directory holds a UserComment alone.
const std::string kComment("ASCII\0\0\0graded!!", 16);
const std::string kExifBlock =
    std::string("Exif\0\0II*\0\x08\0\0\0\x01\0\x69\x87\x04\0\x01\0\0\0\x1a\0\0\0\0\0\0\0", 32) +
    std::string("\x01\0\x86\x92\x07\0\x10\0\0\0\x2c\0\0\0\0\0\0\0", 18) + kComment;

// An ICC profile's header alone, of this data colour space, without a description.
std::vector<unsigned char> Profile(const std::string& space)
{
    std::vector<unsigned char> icc(132, 0);
    icc[3] = 132;
    std::memcpy(&icc[12], "mntr", 4);
    std::memcpy(&icc[16], space.data(), 4);
    std::memcpy(&icc[20], "XYZ ", 4);
    std::memcpy(&icc[36], "acsp", 4);
    return icc;
}

const char kIccSignature[] = "acsp";

struct PacketCase {
    const char* name;
    const char* in;  // "jpg", or "tif" with primaries and a white point
    std::string icc;  // the profile's colour space, or none
    const char* out;
    int status;
    std::string message;  // expected in stderr
    bool xmp_kept;  // the packet is in the output as it was
    bool comment_kept;  // the JPEG input's Exif UserComment is in the output as it was
    int exif_colour_space;  // as the output states it; 0: none expected
    size_t description = 0;  // bytes of a TIFF input's ImageDescription
    int orientation = 1;  // of a JPEG input 8x6, its packet and Exif saying so; rendered with --auto-orient if not 1
};

// The packet stating an orientation, for a JPEG input turned.
std::string PacketOf(const PacketCase& c, int orientation)
{
    if (c.orientation == 1) return kXmp;
    std::string xmp = kXmp;
    xmp.insert(xmp.find(" grade:Look"), " xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" tiff:Orientation=\"" +
                                            std::to_string(orientation) + "\"");
    return xmp;
}

void PrintTo(const PacketCase& c, std::ostream* out) { *out << c.name; }

void WriteInput(const std::string& path, const PacketCase& c)
{
    const RawImage raw = MakeRaw(8, 6, 8, 3, 3);
    std::vector<unsigned char> rows(raw.samples.begin(), raw.samples.end());
    const std::vector<unsigned char> icc = c.icc.empty()      ? std::vector<unsigned char>()
                                           : c.icc == "short" ? std::vector<unsigned char>{0, 0, 0, 4}
                                                              : Profile(c.icc);
    if (std::string(c.in) == "tif") {
        TIFF* t = TIFFOpen(path.c_str(), "w");
        const float primaries[] = {0.64f, 0.33f, 0.21f, 0.71f, 0.15f, 0.06f}, white[] = {0.3127f, 0.329f};
        SetTiffImage(t, 8, 6, 8, 3, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PRIMARYCHROMATICITIES, primaries);
        TIFFSetField(t, TIFFTAG_WHITEPOINT, white);
        TIFFSetField(t, TIFFTAG_XMLPACKET, (uint32_t)kXmp.size(), kXmp.data());
        if (!icc.empty()) TIFFSetField(t, TIFFTAG_ICCPROFILE, (uint32_t)icc.size(), icc.data());
        if (c.description > 0) TIFFSetField(t, TIFFTAG_IMAGEDESCRIPTION, std::string(c.description, 'd').c_str());
        for (uint32_t y = 0; y < 6; ++y) TIFFWriteScanline(t, &rows[y * 24], y, 0);
        TIFFClose(t);
        return;
    }
    OIIO::ImageSpec header(8, 6, 3, OIIO::TypeDesc::UINT8);
    if (c.orientation != 1) {
        header.attribute("Orientation", c.orientation);
        header.attribute("Exif:PixelXDimension", 8);
        header.attribute("Exif:PixelYDimension", 6);
    }
    if (!icc.empty())
        header.attribute("ICCProfile", OIIO::TypeDesc(OIIO::TypeDesc::UINT8, (int)icc.size()), icc.data());
    auto out = OIIO::ImageOutput::create(path);
    ASSERT_TRUE(out && out->open(path, header) && out->write_image(OIIO::TypeDesc::UINT8, rows.data()) && out->close());
    // The packet and a comment as another application writes them, in APP1
    // segments after the start.
    std::vector<unsigned char> file = ReadBytes(path);
    for (const std::string& body : std::vector<std::string>{
             std::string("http://ns.adobe.com/xap/1.0/\0", 29) + PacketOf(c, c.orientation), kExifBlock}) {
        std::vector<unsigned char> segment = {0xFF, 0xE1, (unsigned char)((body.size() + 2) >> 8),
                                              (unsigned char)(body.size() + 2)};
        segment.insert(segment.end(), body.begin(), body.end());
        file.insert(file.begin() + 2, segment.begin(), segment.end());
    }
    WriteBytes(path, file);
}

class Packets : public testing::TestWithParam<PacketCase> {};

TEST_P(Packets, CarriedOrSaidAndTheSameEveryTime)
{
    const PacketCase& c = GetParam();
    ScratchDir dir;
    const std::string in = dir.path(std::string("in.") + c.in), out = dir.path(std::string("out.") + c.out);
    WriteInput(in, c);
    std::vector<std::string> args = {"render", in, "-o", out, "--hue", "40"};
    if (c.orientation != 1) args.push_back("--auto-orient");
    const ToolRun run = RunTintra(args);
    ASSERT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    if (c.status != 0) return;
    const std::vector<unsigned char> first = ReadBytes(out);
    const std::string xmp = PacketOf(c, 1);
    EXPECT_EQ(std::search(first.begin(), first.end(), xmp.begin(), xmp.end()) != first.end(), c.xmp_kept);
    EXPECT_EQ(std::search(first.begin(), first.end(), kComment.begin(), kComment.end()) != first.end(), c.comment_kept);
    EXPECT_EQ(std::search(first.begin(), first.end(), kIccSignature, kIccSignature + 4) != first.end(),
              !c.icc.empty() && c.status == 0 && c.message.find("ICC profile") == std::string::npos);
    auto back = OIIO::ImageInput::open(out);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->spec().get_int_attribute("Exif:ColorSpace", 0), c.exif_colour_space);
    EXPECT_EQ(back->spec().find_attribute("DateTime"), nullptr) << "the input has none";
    if (c.orientation >= 5) {
        EXPECT_EQ(back->spec().get_int_attribute("Exif:PixelXDimension"), 6);
        EXPECT_EQ(back->spec().get_int_attribute("Exif:PixelYDimension"), 8);
    }
    back.reset();
    if (std::string(c.in) == "tif" && std::string(c.out) == "tif") {
        TIFF* t = TIFFOpen(out.c_str(), "r");
        float* primaries = nullptr;
        ASSERT_TRUE(TIFFGetField(t, TIFFTAG_PRIMARYCHROMATICITIES, &primaries));
        EXPECT_NEAR(primaries[2], 0.21f, 1e-6f);
        TIFFClose(t);
    }
    // Nothing of the time or the temporary name of writing: a second render
    // is the same file.
    args.push_back("--overwrite");
    ASSERT_EQ(RunTintra(args).status, 0);
    EXPECT_TRUE(ReadBytes(out) == first);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Packets,
    testing::Values(
        PacketCase{"xmp_and_comment_jpeg_to_jpeg", "jpg", "", "jpg", 0, "written to", true, true, 1},
        PacketCase{"xmp_jpeg_to_png_comment_said", "jpg", "", "png", 0, "Exif UserComment", true, false, 0},
        PacketCase{"xmp_and_primaries_tiff_to_tiff", "tif", "", "tif", 0, "written to", true, false, 0},
        PacketCase{"xmp_jpeg_to_exr_said", "jpg", "", "exr", 0, "XMP packet", false, false, 0},
        PacketCase{"xmp_jpeg_to_dpx_said", "jpg", "", "dpx", 0, "XMP packet", false, false, 0},
        PacketCase{"primaries_tiff_to_png_said", "tif", "", "png", 0, "primaries and white point", true, false, 0},
        PacketCase{"other_rgb_profile_stays_uncalibrated_in_jpeg", "jpg", "RGB ", "jpg", 0, "written to", true, true,
                   65535},
        PacketCase{"comment_and_uncalibrated_into_tiff", "jpg", "RGB ", "tif", 0, "written to", true, true, 65535},
        PacketCase{"cmyk_profile_refused", "jpg", "CMYK", "jpg", 1, "unsupported: CMYK samples", false, false, 0},
        PacketCase{"lab_profile_left_out_with_a_line", "jpg", "Lab ", "jpg", 0,
                   "its ICC profile describes Lab samples, and the file's are RGB or grey: left out", true, true, 1},
        PacketCase{"short_profile_left_out_of_a_png", "jpg", "short", "png", 0,
                   "its ICC profile does not read as one (4 bytes): left out", true, false, 0},
        PacketCase{"short_profile_left_out_of_a_tiff", "tif", "short", "jpg", 0,
                   "its ICC profile does not read as one (4 bytes): left out", true, false, 0},
        PacketCase{"turned_upright_packet_and_exif_dimensions_follow", "jpg", "", "jpg", 0, "written to", true, true, 1,
                   0, 6},
        PacketCase{"description_beyond_a_jpeg_marker_left_out", "tif", "", "jpg", 0,
                   "a JPEG marker holds 64 KB: left out the input's ImageDescription", true, false, 0, 70000}),
    [](const testing::TestParamInfo<PacketCase>& info) { return std::string(info.param.name); });

// libjpeg's own handler ends the process on an error (here, a marker
// longer than a marker holds); tintra's makes it an exception, which fails
// the file being written alone.
TEST(JpegErrors, ThrownNotExited)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = info.image_height = 1;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    const std::vector<unsigned char> comment(70000, 'c');
    EXPECT_THROW(jpeg_write_marker(&info, JPEG_COM, comment.data(), (unsigned)comment.size()), JpegLibraryError);
    jpeg_destroy_compress(&info);
    std::free(bytes);
}

}  // namespace
