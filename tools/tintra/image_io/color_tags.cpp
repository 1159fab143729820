#include "tools/tintra/image_io/color_tags.h"

#include "tools/tintra/image_io/color_space.h"
#include "tools/tintra/image_io/icc_profile.h"

void AgreeWithProfile(const std::string& format, OIIO::ImageSpec& header)
{
    constexpr int kSrgb = 1, kUncalibrated = 65535;
    const std::string tag = header.get_string_attribute("oiio:ColorSpace");
    int stated = header.get_int_attribute("Exif:ColorSpace", 0);
    if (const OIIO::ParamValue* icc = header.find_attribute("ICCProfile")) {
        const IccVerdict verdict =
            JudgeIccProfile(static_cast<const unsigned char*>(icc->data()), (size_t)icc->datasize());
        stated = verdict.space == "sRGB" ? kSrgb : kUncalibrated;
    } else if (stated == kSrgb && !tag.empty() && !OIIO::Strutil::iequals(tag, "sRGB")) {
        stated = kUncalibrated;  // the pixels were converted out of sRGB
    }
    if (stated == 0) return;
    header.attribute("Exif:ColorSpace", stated);
    // A tag of sRGB is what makes the writers state sRGB; a PNG's would
    // add an sRGB chunk beside a profile of another space.
    if (stated == kUncalibrated && OIIO::Strutil::iequals(tag, "sRGB") &&
        (format == "jpeg" || format == "tiff" || format == "png"))
        header.erase_attribute("oiio:ColorSpace");
}
