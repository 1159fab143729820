// Inputs whose samples are inks (CMYK) rather than light: OpenImageIO 2.4
// hands them over as RGB by a formula of its own while the file's ICC
// profile still describes inks, so an output would contradict itself.
#pragma once

#include <string>

#include <OpenImageIO/imageio.h>

// What in a page's header says its samples are not RGB or grey (its TIFF
// photometric interpretation, its JPEG colour space, its ICC profile), or
// empty when nothing does.
std::string InkColoursSaidBy(const OIIO::ImageSpec& header);

// Takes out of the header an ICC profile that does not read as one (too
// short, no signature, a stated size beyond its bytes) or that describes
// neither RGB, grey nor inks (Lab, XYZ): the line that says so, or empty.
std::string LeaveOutUnusableProfile(OIIO::ImageSpec& header);
