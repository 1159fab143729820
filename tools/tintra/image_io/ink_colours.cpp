#include "tools/tintra/image_io/ink_colours.h"

#include <cctype>
#include <cstring>

namespace {

// A profile's data colour space of inks: CMYK, CMY, or 2 to 15 colours.
bool InkSpace(const std::string& space)
{
    return space == "CMYK" || space == "CMY " ||
           (space.compare(1, 3, "CLR") == 0 && std::isxdigit((unsigned char)space[0]));
}

// A data colour space's four letters as printable words.
std::string NameOf(const std::string& space)
{
    std::string name;
    for (char c : space) name += std::isprint((unsigned char)c) ? std::string(1, c) : "?";
    const size_t end = name.find_last_not_of(' ');
    return end == std::string::npos ? "no" : name.substr(0, end + 1);
}

}  // namespace

std::string InkColoursSaidBy(const OIIO::ImageSpec& header)
{
    const std::string tiff = header.get_string_attribute("tiff:ColorSpace");
    if (tiff == "CMYK" || tiff == "color separated") return "its TIFF photometric interpretation (" + tiff + ")";
    const std::string jpeg = header.get_string_attribute("jpeg:ColorSpace");
    if (jpeg == "CMYK" || jpeg == "YCbCrK") return "its JPEG colour space (" + jpeg + ")";
    // The profile header's data colour space, four letters at byte 16 (a
    // profile that does not read is left out before this is asked).
    const OIIO::ParamValue* icc = header.find_attribute("ICCProfile");
    if (icc != nullptr && icc->datasize() >= 20) {
        const std::string space(static_cast<const char*>(icc->data()) + 16, 4);
        if (InkSpace(space)) return "its ICC profile (" + space.substr(0, space.find(' ')) + ")";
    }
    return "";
}

std::string LeaveOutUnusableProfile(OIIO::ImageSpec& header)
{
    const OIIO::ParamValue* icc = header.find_attribute("ICCProfile");
    if (icc == nullptr) return "";
    const auto* bytes = static_cast<const unsigned char*>(icc->data());
    const size_t size = icc->datasize();
    // A header of 128 bytes and a tag count, whose stated size is what is
    // there and whose signature is in its place.
    std::string why;
    if (size < 132 || std::memcmp(bytes + 36, "acsp", 4) != 0 ||
        ((size_t)bytes[0] << 24 | (size_t)bytes[1] << 16 | (size_t)bytes[2] << 8 | bytes[3]) > size) {
        why = "does not read as one (" + std::to_string(size) + " bytes)";
    } else {
        const std::string space(reinterpret_cast<const char*>(bytes) + 16, 4);
        if (space == "RGB " || space == "GRAY" || InkSpace(space)) return "";
        why = "describes " + NameOf(space) + " samples, and the file's are RGB or grey";
    }
    header.erase_attribute("ICCProfile");
    for (size_t i = header.extra_attribs.size(); i-- > 0;)
        if (header.extra_attribs[i].name().string().compare(0, 11, "ICCProfile:") == 0)
            header.extra_attribs.erase(header.extra_attribs.begin() + (long)i);
    return "its ICC profile " + why + ": left out";
}
