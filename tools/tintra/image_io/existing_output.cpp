#include "tools/tintra/image_io/existing_output.h"

#include <sys/stat.h>

#include "tools/tintra/reporting/library_chatter.h"

ExistingOutput LookAtOutput(const std::string& path, int32_t width, int32_t height, std::string& why)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return ExistingOutput::None;
    if (S_ISDIR(info.st_mode)) return ExistingOutput::Folder;
    if (!S_ISREG(info.st_mode)) {
        why = "not a regular file";
        return ExistingOutput::NotImage;
    }
    const QuietLibraries quiet;
    auto in = OIIO::ImageInput::open(path);
    if (!in) {
        OIIO::geterror();
        why = info.st_size == 0 ? "an empty file" : "not an image tintra can read";
        return ExistingOutput::NotImage;
    }
    const OIIO::ImageSpec& found = in->spec();
    if (found.width != width || found.height != height) {
        why = "an image of " + std::to_string(found.width) + " x " + std::to_string(found.height);
        return ExistingOutput::NotImage;
    }
    return ExistingOutput::Image;
}

OutputVerdict JudgeOutput(const std::string& path, const OIIO::ImageSpec& header, bool auto_orient, bool no_clobber)
{
    const int orientation = auto_orient ? header.get_int_attribute("Orientation", 1) : 1;
    const bool swapped = orientation >= 5 && orientation <= 8;
    const int32_t width = swapped ? header.height : header.width;
    const int32_t height = swapped ? header.width : header.height;
    OutputVerdict verdict;
    std::string why;
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    switch (LookAtOutput(path, width, height, why)) {
    case ExistingOutput::None: break;
    case ExistingOutput::Folder: verdict = {false, false, "a folder is in the way of this output"}; break;
    case ExistingOutput::Image:
        if (no_clobber) verdict = {false, true, "exists, kept (--no-clobber)"};
        break;
    case ExistingOutput::NotImage:
        if (no_clobber)
            verdict = {false, false,
                       "exists but is " + why + ", not a " + size +
                           " image: not kept (render without --no-clobber to replace it)"};
        break;
    }
    return verdict;
}
