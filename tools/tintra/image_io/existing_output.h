// What already stands at an output's path, looked at before a frame is
// decoded: --no-clobber keeps only a whole image of the size the frame would
// be, and a folder in the way fails the frame whatever the options.
#pragma once

#include <cstdint>
#include <string>

#include <OpenImageIO/imageio.h>

enum class ExistingOutput {
    None,  // nothing there: the frame is written
    Image,  // an image file of the expected size
    NotImage,  // a file that does not open as an image of that size (why says how)
    Folder,  // a folder of that name: nothing can be written there
};

ExistingOutput LookAtOutput(const std::string& path, int32_t width, int32_t height, std::string& why);

// What becomes of a frame given what stands at its output, for the dry run
// and the render alike: written, kept, or failed with the note to print.
struct OutputVerdict {
    bool write = true;
    bool kept = false;
    std::string note;
};
// header: the input's first page, whose size (turned upright with
// auto_orient) the output has.
OutputVerdict JudgeOutput(const std::string& path, const OIIO::ImageSpec& header, bool auto_orient, bool no_clobber);
