// The Exif colour space an output states, kept true to its ICC profile:
// OpenImageIO 2.4's JPEG and TIFF writers state sRGB for any header its
// readers tagged sRGB, whatever profile goes with it.
#pragma once

#include <string>

#include <OpenImageIO/imageio.h>

// Exif:ColorSpace as the profile (or, without one, the colour-space tag)
// says: 1 for sRGB, 65535 (uncalibrated) for anything else; the writers of
// the given format are kept from overriding it.
void AgreeWithProfile(const std::string& format, OIIO::ImageSpec& header);
