// Luminance/chroma EXRs: a Y channel, RY and BY stored at half the width
// and height, and perhaps A, as OpenEXR's RGBA interface writes pictures to
// save space. OpenImageIO 2.4 refuses them; OpenEXR's RGBA interface, as
// Nuke does, rebuilds R, G and B from them (with the file's chromaticities),
// and that is how they are read here. OpenEXR's own headers stay in the
// .cpp, so that the rest of tintra sees only OpenImageIO's description.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <OpenImageIO/imageio.h>

class LuminanceChromaFile {
public:
    LuminanceChromaFile();
    ~LuminanceChromaFile();

    // Opens path, a single-part scanline EXR of Y, RY and BY (RY and BY at
    // half resolution) and perhaps A, all half. header receives the file
    // described as OpenImageIO describes any EXR (windows, compression,
    // chromaticities, text), its channels R, G, B (and A) of half, which is
    // what the reading gives. A one-line reason when it cannot.
    bool Open(const std::string& path, OIIO::ImageSpec& header, std::string& error);
    // Rows top to bottom - 1 of the data window, counted from its first, as
    // R, G, B (and A when the file has it) floats per pixel, row after row,
    // as OpenImageIO reads a float page's. A one-line reason (the
    // library's) when they cannot be read.
    bool ReadRows(int32_t top, int32_t bottom, unsigned char* samples, std::string& error);
    // The line that says what the file held and how it is written.
    std::string Note() const;

private:
    struct File;
    std::unique_ptr<File> file_;
};
