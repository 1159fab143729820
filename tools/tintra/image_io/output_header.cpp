#include "tools/tintra/image_io/output_header.h"

#include <map>
#include <memory>

#include "tools/tintra/image_io/color_tags.h"
#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/png_text.h"
#include "tools/tintra/image_io/data_windows.h"
#include "tools/tintra/image_io/write_time.h"
#include "tools/tintra/reporting/library_chatter.h"

namespace {

// Attributes that describe how the input was stored rather than what it
// shows; the output chooses its own.
const char* const kStorageAttributes[] = {"compression",
                                          "Compression",
                                          "tiff:Compression",
                                          "tiff:RowsPerStrip",
                                          "tiff:PlanarConfiguration",
                                          "planarconfig",
                                          "tiff:PhotometricInterpretation",
                                          "tiff:ColorSpace",
                                          "oiio:BitsPerSample",
                                          "oiio:subimages",
                                          "png:compressionLevel",
                                          "png:filter",
                                          "oiio:UnassociatedAlpha",
                                          "oiio:ioproxy",
                                          "tiff:half",
                                          "jpeg:subsampling",
                                          "oiio:Movie",
                                          "oiio:SampleBorder",
                                          "tiff:subfiletype"};

// An EXR's compression as the library's writer takes it back: DWA's level
// goes in the name, which the writer would otherwise reset to its default.
std::string ExrCompression(const OIIO::ImageSpec& source)
{
    const std::string name = source.get_string_attribute("compression");
    const float level = source.get_float_attribute("openexr:dwaCompressionLevel", 0.0f);
    if (name.compare(0, 3, "dwa") != 0 || name.find(':') != std::string::npos || level <= 0.0f) return name;
    return name + ":" + std::to_string((int)(level + 0.5f));
}

// Exif and TIFF readers give the resolution's unit as its number (2 for
// inches), which every writer ignores, taking only a word; "in" is the one
// word for inches that all of them (JPEG's above all) take.
void SayResolutionUnitInWords(OIIO::ImageSpec& header)
{
    const OIIO::ParamValue* unit = header.find_attribute("ResolutionUnit");
    if (unit == nullptr) return;
    if (unit->type() != OIIO::TypeString) {
        const int code = header.get_int_attribute("ResolutionUnit", 1);
        header.attribute("ResolutionUnit", code == 2 ? "in" : code == 3 ? "cm" : "none");
    } else if (OIIO::Strutil::iequals(unit->get_string(), "inch")) {
        header.attribute("ResolutionUnit", "in");
    }
}

}  // namespace

std::vector<std::string> LostMetadata(const OIIO::ImageSpec& wanted, const OIIO::ImageSpec& got)
{
    std::vector<std::string> lost;
    // JPEG, for one, writes three of four channels without a word.
    if (got.nchannels < wanted.nchannels) lost.push_back(wanted.alpha_channel >= 0 ? "alpha" : "channels");
    if (wanted.find_attribute("ICCProfile") && !got.find_attribute("ICCProfile")) lost.push_back("ICC profile");
    const int orientation = wanted.get_int_attribute("Orientation", 1);
    if (orientation != 1 && got.get_int_attribute("Orientation", 1) != orientation) lost.push_back("orientation");
    if (wanted.find_attribute("XResolution") && !got.find_attribute("XResolution")) lost.push_back("resolution");
    if (wanted.find_attribute("oiio:Gamma") && !got.find_attribute("oiio:Gamma")) lost.push_back("gamma");
    for (const std::string& window : LostWindows(wanted, got)) lost.push_back(window);
    std::vector<std::string> text, exif;
    for (const OIIO::ParamValue& p : wanted.extra_attribs) {
        const std::string name = p.name().string();
        // Exif:ColorSpace is the library's own echo of the colour space.
        if (name.compare(0, 5, "Exif:") == 0 && name != "Exif:ColorSpace" && !got.find_attribute(name))
            exif.push_back(name.substr(5));
        // The compression is the output's own, said apart (CompressionNote).
        if (p.type() == OIIO::TypeString && name.find(':') == std::string::npos && name != "ResolutionUnit" &&
            name != "compression" && !got.find_attribute(name))
            text.push_back(name);
    }
    if (!exif.empty()) lost.push_back("Exif " + CommaList(exif));
    if (!text.empty()) lost.push_back("text (" + CommaList(text) + ")");
    return lost;
}

namespace {

// The compression names each writer of the library takes; the others write
// as they always do, whatever they are asked.
const std::map<std::string, std::string> kCompressionsTaken = {
    {"tiff", " none lzw zip deflate packbits jpeg ccittrle "},
    {"openexr", " none rle zip zips piz pxr24 b44 b44a dwaa dwab "},
    {"jpeg", " jpeg "},
    {"webp", " webp "},
    {"targa", " none rle "},
    {"iff", " none rle "}};

}  // namespace

bool KnownCompression(const std::string& name)
{
    for (const auto& format : kCompressionsTaken)
        if (!name.empty() && format.second.find(" " + name + " ") != std::string::npos) return true;
    return false;
}

std::string CompressionNote(const std::string& format, const std::string& extension, const std::string& asked,
                            const OIIO::ImageSpec& written)
{
    if (asked.empty()) return "";
    const std::string name = asked.substr(0, asked.find(':'));
    const auto takes = kCompressionsTaken.find(format);
    if (takes == kCompressionsTaken.end() || takes->second.find(" " + name + " ") == std::string::npos)
        return "--compression " + asked + " does not apply to a ." + extension +
               " file; written as that format writes it" +
               (format == "png" ? " (--png-compression sets its zlib level)" : "");
    // A writer may choose another for these samples (TIFF's JPEG takes 8 bits only).
    const std::string used = written.get_string_attribute("compression");
    const std::string used_name = used.substr(0, used.find(':'));
    if (!used.empty() && used_name != name && !(name == "deflate" && used_name == "zip"))
        return "--compression " + asked + ": the ." + extension + " file's writer used " + used + " for these samples";
    return "";
}

void ChooseEncoding(const std::string& format, const WriteOptions& options, OIIO::ImageSpec& header)
{
    using T = OIIO::TypeDesc;
    const int bits = options.samples == Samples::UInt10 ? 10 : options.samples == Samples::UInt12 ? 12 : 0;
    switch (options.samples) {
    case Samples::Input:
        // A float render into a format of integers: 16 bits, as near as it holds.
        if ((header.format == T::HALF || header.format == T::FLOAT) &&
            std::string(" openexr tiff hdr fits dpx ").find(" " + format + " ") == std::string::npos)
            header.set_format(T::UINT16);
        break;
    case Samples::UInt8: header.set_format(T::UINT8); break;
    case Samples::UInt10:
    case Samples::UInt12:
    case Samples::UInt16: header.set_format(T::UINT16); break;
    case Samples::Half: header.set_format(T::HALF); break;
    case Samples::Float: header.set_format(T::FLOAT); break;
    }
    if (options.samples != Samples::Input) header.erase_attribute("oiio:BitsPerSample");
    if (bits != 0) header.attribute("oiio:BitsPerSample", bits);
    // PNM's writer writes 8 bits unless told otherwise, whatever it is given.
    if (format == "pnm" && header.format == T::UINT16 && bits == 0) header.attribute("oiio:BitsPerSample", 16);
    if (format != "openexr") header.erase_attribute("compression");
    if (!options.compression.empty()) header.attribute("compression", options.compression);
    // IFF's writer in this version of the library garbles its RLE of 16-bit
    // samples with alpha (read back, a quarter of them are wrong).
    if (format == "iff" && options.compression.empty() && header.format == T::UINT16 && header.nchannels == 4)
        header.attribute("compression", "none");
    // A chroma tool halving chroma resolution by default would hide its
    // own work: JPEG keeps the source's subsampling, else none.
    if (!options.subsampling.empty()) header.attribute("jpeg:subsampling", options.subsampling);
    // Another format would keep it as text, which a later JPEG would obey.
    if (format != "jpeg") header.erase_attribute("jpeg:subsampling");
    if (format == "jpeg" && header.get_string_attribute("jpeg:subsampling").empty())
        header.attribute("jpeg:subsampling", "4:4:4");
    KeepInputDate(format, header);
    AgreeWithProfile(format, header);
    // The library writes a TIFF's IPTC block only when told to.
    if (format == "tiff") header.attribute("tiff:write_iptc", 1);
}

void KeepLatin1Text(OIIO::ImageSpec& header, std::string& note)
{
    std::vector<std::string> dropped;
    for (size_t i = header.extra_attribs.size(); i-- > 0;) {
        const OIIO::ParamValue& p = header.extra_attribs[i];
        if (p.type() != OIIO::TypeString || p.name().string().find(':') != std::string::npos) continue;
        std::string latin1;
        const std::string name = p.name().string();
        if (TextAsLatin1(p.get_string(), latin1)) {
            header.attribute(name, latin1);
        } else {
            dropped.push_back(name);
            header.erase_attribute(name);
        }
    }
    if (!dropped.empty())
        note = "a .png file's text holds Latin-1 only (OpenImageIO 2.4 writes no iTXt): left out " + CommaList(dropped);
}

std::string SamplesName(const OIIO::ImageSpec& header)
{
    const int bits = header.get_int_attribute("oiio:BitsPerSample", (int)header.format.size() * 8);
    if (header.format == OIIO::TypeDesc::HALF) return "half";
    if (header.format == OIIO::TypeDesc::FLOAT) return "float";
    return "uint" + std::to_string(bits);
}

std::string WrittenSamples(const std::string& path)
{
    const QuietLibraries quiet;
    std::unique_ptr<OIIO::ImageInput> in = OIIO::ImageInput::open(path);
    if (!in) return "unknown samples";
    const std::string name = SamplesName(in->spec());
    return name == "half" ? "half float" : name == "float" ? "float" : name.substr(4) + "-bit";
}

OIIO::ImageSpec OutputHeader(const Image& image, const OIIO::ImageSpec* source, const std::string& source_format,
                             const std::vector<std::string>& names)
{
    OIIO::ImageSpec header = source != nullptr ? *source : OIIO::ImageSpec();
    KeepWindows(source != nullptr ? *source : header, image, header);
    header.depth = 1;
    header.tile_width = header.tile_height = 0;
    header.tile_depth = 1;
    header.deep = false;
    // A float render keeps the source's half or float samples.
    const bool half = source != nullptr && source->format == OIIO::TypeDesc::HALF;
    header.format = image.depth == 32   ? (half ? OIIO::TypeDesc::HALF : OIIO::TypeDesc::FLOAT)
                    : image.depth == 16 ? OIIO::TypeDesc::UINT16
                                        : OIIO::TypeDesc::UINT8;
    header.channelformats.clear();
    SayResolutionUnitInWords(header);
    header.nchannels = image.has_alpha ? 4 : 3;
    header.channelnames = {"R", "G", "B"};
    if (image.has_alpha) header.channelnames.push_back("A");
    // A layer keeps its names, and so does every other channel written
    // beside it (an unprefixed R of the file stays R).
    if (names.size() == header.channelnames.size()) header.channelnames = names;
    header.alpha_channel = image.has_alpha ? 3 : -1;
    header.z_channel = -1;
    // Kept until the writer knows the format: 10- and 12-bit samples and
    // JPEG's chroma subsampling follow the source where the format holds them.
    const int source_bits = header.get_int_attribute("oiio:BitsPerSample", 0);
    const std::string subsampling = header.get_string_attribute("jpeg:subsampling");
    for (const char* name : kStorageAttributes) header.erase_attribute(name);
    // A pipeline's choice (lossless PIZ for plates, DWA for previews) goes
    // on with the frames.
    if (source != nullptr && source_format == "openexr" && !source->get_string_attribute("compression").empty())
        header.attribute("compression", ExrCompression(*source));
    if (image.depth == 16 && (source_bits == 10 || source_bits == 12))
        header.attribute("oiio:BitsPerSample", source_bits);
    if (!subsampling.empty()) header.attribute("jpeg:subsampling", subsampling);
    // The library's reading of the ICC profile's header, not metadata of the
    // file: the profile itself goes across.
    for (size_t i = header.extra_attribs.size(); i-- > 0;)
        if (header.extra_attribs[i].name().string().compare(0, 11, "ICCProfile:") == 0)
            header.extra_attribs.erase(header.extra_attribs.begin() + (long)i);
    if (image.has_alpha) header.attribute("oiio:UnassociatedAlpha", image.premultiplied ? 0 : 1);
    return header;
}
