#include "tools/tintra/image_io/ink_colours.h"

std::string InkColoursSaidBy(const OIIO::ImageSpec& header)
{
    const std::string tiff = header.get_string_attribute("tiff:ColorSpace");
    if (tiff == "CMYK" || tiff == "color separated") return "its TIFF photometric interpretation (" + tiff + ")";
    const std::string jpeg = header.get_string_attribute("jpeg:ColorSpace");
    if (jpeg == "CMYK" || jpeg == "YCbCrK") return "its JPEG colour space (" + jpeg + ")";
    // The profile header's data colour space, four letters at byte 16.
    const OIIO::ParamValue* icc = header.find_attribute("ICCProfile");
    if (icc != nullptr && icc->datasize() >= 20) {
        const std::string space(static_cast<const char*>(icc->data()) + 16, 4);
        if (space != "RGB " && space != "GRAY") return "its ICC profile (" + space.substr(0, space.find(' ')) + ")";
    }
    return "";
}
