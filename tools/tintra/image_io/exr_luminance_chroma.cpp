#include "tools/tintra/image_io/exr_luminance_chroma.h"

#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfOutputFile.h>
#include <OpenEXR/ImfRgbaFile.h>
#include <OpenEXR/ImfStdIO.h>
#include <OpenImageIO/filesystem.h>

#include "tools/tintra/image_io/image_formats.h"

struct LuminanceChromaFile::File {
    explicit File(const std::string& path) : input(path.c_str()) {}
    Imf::RgbaInputFile input;
    bool alpha = false;
    std::vector<Imf::Rgba> rows;  // one band as OpenEXR rebuilds it
};

namespace {

// Y and A at full resolution, RY and BY at half each way, all half: what
// OpenEXR's RGBA interface writes and rebuilds (it reads other sample types
// as half, which would lose what a float file holds). Empty when the
// channels are such, else what they are.
std::string OtherChannels(const Imf::ChannelList& channels, bool& alpha)
{
    std::string said;
    bool other = false;
    int found = 0;
    for (Imf::ChannelList::ConstIterator c = channels.begin(); c != channels.end(); ++c) {
        const std::string name = c.name();
        const Imf::Channel& ch = c.channel();
        const int sampling = ch.xSampling == ch.ySampling ? ch.xSampling : 0;
        const bool chroma = name == "RY" || name == "BY";
        const bool known = name == "Y" || name == "A" || chroma;
        other = other || !known || sampling != (chroma ? 2 : 1) || ch.type != Imf::HALF;
        found += known ? 1 : 0;
        alpha = alpha || name == "A";
        said += (said.empty() ? "" : ", ") + name;
        if (sampling != 1)
            said += " (1 in " + std::to_string(ch.xSampling) + " x " + std::to_string(ch.ySampling) + ")";
        if (ch.type != Imf::HALF) said += ch.type == Imf::FLOAT ? " (float)" : " (uint)";
    }
    return other || found != (alpha ? 4 : 3) ? said : "";
}

// The file as OpenImageIO describes an EXR, with R, G, B (and A) halves in
// place of its channels: the header written, channels replaced, into
// memory (no pixels), and read back by OpenImageIO's own EXR reader, so
// that every attribute has the name and value it has for any other EXR.
bool DescribeAsRgb(const Imf::Header& file_header, bool alpha, OIIO::ImageSpec& header, std::string& error)
{
    Imf::Header rgb = file_header;
    Imf::ChannelList channels;
    for (const char* name : {"R", "G", "B", "A"})
        if (*name != 'A' || alpha) channels.insert(name, Imf::Channel(Imf::HALF));
    rgb.channels() = channels;
    Imf::StdOSStream stream;
    // Written whole, the header and an offset table of no chunks, when the
    // file is closed.
    (void)Imf::OutputFile(stream, rgb);
    const std::string bytes = stream.str();
    OIIO::Filesystem::IOMemReader memory(bytes.data(), bytes.size());
    // The configuration the reader opens every file with; a reader given
    // one takes its proxy from it.
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    const void* proxy = &memory;
    config.attribute("oiio:ioproxy", OIIO::TypeDesc::PTR, &proxy);
    const std::unique_ptr<OIIO::ImageInput> described = OIIO::ImageInput::open("header.exr", &config);
    if (!described) {
        error = "OpenImageIO could not describe the header: " + OIIO::geterror();
        return false;
    }
    header = described->spec();
    return true;
}

}  // namespace

LuminanceChromaFile::LuminanceChromaFile() = default;
LuminanceChromaFile::~LuminanceChromaFile() = default;

bool LuminanceChromaFile::Open(const std::string& path, OIIO::ImageSpec& header, std::string& error)
{
    // OpenEXR reports every failure, a damaged file's included, by throwing.
    try {
        file_ = std::make_unique<File>(path);
        const std::string other = OtherChannels(file_->input.header().channels(), file_->alpha);
        if (!other.empty()) {
            error = "unsupported layout: channels " + other +
                    " stored at a lower resolution; tintra reads such channels only as luminance/chroma: Y, RY and "
                    "BY (RY and BY at half resolution) and perhaps A, all half";
            return false;
        }
        return DescribeAsRgb(file_->input.header(), file_->alpha, header, error);
    } catch (const std::exception& e) {
        error = "truncated or corrupt: " + LibraryReason(e.what(), path);
    }
    return false;
}

bool LuminanceChromaFile::ReadRows(int32_t top, int32_t bottom, unsigned char* samples, std::string& error)
{
    try {
        const Imath::Box2i& window = file_->input.dataWindow();
        const int64_t width = (int64_t)window.max.x - window.min.x + 1;
        file_->rows.resize((size_t)(width * (bottom - top)));
        const Imath::V2i first(window.min.x, window.min.y + top);
        file_->input.setFrameBuffer(Imf::ComputeBasePointer(file_->rows.data(), first, width), 1, (size_t)width);
        file_->input.readPixels(window.min.y + top, window.min.y + bottom - 1);
    } catch (const std::exception& e) {
        error = LibraryReason(e.what(), file_->input.fileName());
        return false;
    }
    const size_t size = (file_->alpha ? 4 : 3) * sizeof(float);
    for (const Imf::Rgba& pixel : file_->rows) {
        const float rgba[4] = {pixel.r, pixel.g, pixel.b, pixel.a};
        std::memcpy(samples, rgba, size);
        samples += size;
    }
    return true;
}

std::string LuminanceChromaFile::Note() const
{
    return file_->alpha
               ? "luminance/chroma channels (Y, A; RY, BY at half resolution): read as RGBA and written as RGBA"
               : "luminance/chroma channels (Y; RY, BY at half resolution): read as RGB and written as RGB";
}
