// What one JPEG marker holds, and libjpeg's errors kept inside the process.
#pragma once

#include <stdexcept>
#include <string>

#include <OpenImageIO/imageio.h>

// Thrown where libjpeg would end the process (its default error handler
// calls exit()): a writer that meets it fails that file alone.
class JpegLibraryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    ~JpegLibraryError() override;  // defined beside the handler, which comes with it
};

// OpenImageIO's JPEG writer puts the description in a comment marker and
// the Exif, IPTC and XMP blocks it makes from the header in one marker
// each, and a marker holds 65533 bytes: the longest text attributes are
// left out until every block fits; note names them, or stays empty.
void FitJpegMarkers(OIIO::ImageSpec& header, std::string& note);
