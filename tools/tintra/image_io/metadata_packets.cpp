#include "tools/tintra/image_io/metadata_packets.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/tintra/image_io/exif_comment.h"
#include "tools/tintra/image_io/metadata_bytes.h"

namespace {

constexpr const char* kXmp = "tintra:xmp";
constexpr const char* kWhitePoint = "tintra:whitepoint";
constexpr const char* kPrimaries = "tintra:primaries";
constexpr const char* kColorSpace = "tintra:packetscolorspace";
constexpr const char* kUserCommentAttribute = "tintra:usercomment";
constexpr uint16_t kTiffXmp = 700, kTiffWhitePoint = 318, kTiffPrimaries = 319;

void KeepValues(OIIO::ImageSpec& header, const char* name, const std::vector<uint32_t>& values)
{
    if (!values.empty())
        header.attribute(name, OIIO::TypeDesc(OIIO::TypeDesc::UINT32, (int)values.size()), values.data());
}

std::vector<uint32_t> TakeValues(OIIO::ImageSpec& header, const char* name)
{
    std::vector<uint32_t> values;
    const OIIO::ParamValue* p = header.find_attribute(name);
    if (p != nullptr && p->type().basetype == OIIO::TypeDesc::UINT32) {
        const auto* v = static_cast<const uint32_t*>(p->data());
        values.assign(v, v + p->type().numelements());
    }
    header.erase_attribute(name);
    return values;
}

// Where an XMP packet states its orientation (tiff:Orientation), the digit's
// place; npos if it states none.
size_t XmpOrientationAt(const std::string& xmp)
{
    size_t at = xmp.find("tiff:Orientation");
    if (at == std::string::npos) return at;
    at += 16;
    while (at < xmp.size() && (xmp[at] == '=' || xmp[at] == '"' || xmp[at] == '\'' || xmp[at] == '>')) ++at;
    return at < xmp.size() && xmp[at] >= '1' && xmp[at] <= '8' ? at : std::string::npos;
}

bool Rewrite(int fd, bool (*put)(std::vector<unsigned char>&, const std::string&), const std::string& xmp, bool& put_in,
             std::string& error)
{
    struct stat info;
    std::vector<unsigned char> file;
    if (fstat(fd, &info) == 0) file.resize((size_t)info.st_size);
    if (file.empty() || pread(fd, file.data(), file.size(), 0) != (ssize_t)file.size()) {
        error = std::string("cannot read the written file back: ") + std::strerror(errno);
        return false;
    }
    put_in = put(file, xmp);
    if (put_in &&
        (pwrite(fd, file.data(), file.size(), 0) != (ssize_t)file.size() || ftruncate(fd, (off_t)file.size()) != 0)) {
        error = std::string("cannot write: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

void KeepMetadataPackets(const std::string& path, const std::string& format, OIIO::ImageSpec& header)
{
    if (format != "jpeg" && format != "png" && format != "tiff") return;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0) return;
    void* mapped = fstat(fd, &info) == 0 && info.st_size > 0
                       ? mmap(nullptr, (size_t)info.st_size, PROT_READ, MAP_PRIVATE, fd, 0)
                       : MAP_FAILED;
    close(fd);
    if (mapped == MAP_FAILED) return;
    const ByteView file{static_cast<const unsigned char*>(mapped), (size_t)info.st_size};
    const std::string xmp = format == "jpeg" ? JpegXmp(file) : format == "png" ? PngXmp(file) : TiffXmp(file);
    if (!xmp.empty()) header.attribute(kXmp, xmp);
    if (format == "tiff") {
        KeepValues(header, kWhitePoint, TiffRationals(file, kTiffWhitePoint));
        KeepValues(header, kPrimaries, TiffRationals(file, kTiffPrimaries));
    }
    // Its character code and text, which may hold NULs: kept as bytes.
    const std::string comment = ExifUserComment(format == "jpeg"   ? JpegExif(file)
                                                : format == "tiff" ? file
                                                                   : ByteView{});
    if (!comment.empty())
        header.attribute(kUserCommentAttribute, OIIO::TypeDesc(OIIO::TypeDesc::UINT8, (int)comment.size()),
                         comment.data());
    munmap(mapped, (size_t)info.st_size);
    header.attribute(kColorSpace, header.get_string_attribute("oiio:ColorSpace"));
}

MetadataPackets TakeMetadataPackets(OIIO::ImageSpec& header)
{
    MetadataPackets packets;
    packets.xmp = header.get_string_attribute(kXmp);
    packets.white_point = TakeValues(header, kWhitePoint);
    packets.primaries = TakeValues(header, kPrimaries);
    const OIIO::ParamValue* comment = header.find_attribute(kUserCommentAttribute);
    if (comment != nullptr && comment->type().basetype == OIIO::TypeDesc::UINT8)
        packets.user_comment.assign(static_cast<const char*>(comment->data()), (size_t)comment->type().numelements());
    header.erase_attribute(kUserCommentAttribute);
    packets.colour_kept = header.get_string_attribute("oiio:ColorSpace") == header.get_string_attribute(kColorSpace);
    header.erase_attribute(kXmp);
    header.erase_attribute(kColorSpace);
    return packets;
}

bool PutMetadataPackets(const std::string& format, int fd, const MetadataPackets& packets,
                        const OIIO::ImageSpec& header, std::vector<std::string>& lost, std::string& error)
{
    std::vector<TiffEntry> entries;
    // A packet states the orientation the pixels now have (upright, after
    // --auto-orient), so that it does not turn them again; the rest as it was.
    std::string packet = packets.xmp;
    const size_t orientation = XmpOrientationAt(packet);
    if (orientation != std::string::npos)
        packet[orientation] = (char)('0' + std::min(std::max(header.get_int_attribute("Orientation", 1), 1), 8));
    const bool xmp = !packet.empty();
    bool put_in = format == "tiff";
    if (xmp && (format == "jpeg" || format == "png") &&
        !Rewrite(fd, format == "jpeg" ? PutJpegXmp : PutPngXmp, packet, put_in, error))
        return false;
    if (xmp && format == "tiff") entries.push_back(TiffEntry{kTiffXmp, 1, {}, packet});
    // Primaries describe the samples only while they are in the input's encoding.
    const bool primaries = (!packets.white_point.empty() || !packets.primaries.empty()) && packets.colour_kept;
    if (primaries && format == "tiff") {
        if (!packets.white_point.empty()) entries.push_back(TiffEntry{kTiffWhitePoint, 5, packets.white_point, ""});
        if (!packets.primaries.empty()) entries.push_back(TiffEntry{kTiffPrimaries, 5, packets.primaries, ""});
    }
    if (!entries.empty() && !SetTiffEntries(fd, entries)) put_in = false;
    if (xmp && !put_in) lost.push_back("XMP packet");
    bool comment_in = false;
    if (!packets.user_comment.empty() && !PutUserComment(format, fd, packets.user_comment, comment_in, error))
        return false;
    if (!packets.user_comment.empty() && !comment_in) lost.push_back("Exif UserComment");
    if (primaries && (format != "tiff" || !put_in)) lost.push_back("primaries and white point");
    return true;
}
