#include "tools/tintra/image_io/grey_png.h"

#include <unistd.h>
#include <vector>

#include "tools/tintra/image_io/image_formats.h"
#include "tools/tintra/image_io/output_file.h"

bool GreyPngInput(const std::vector<unsigned char>& chunks)
{
    // The first record: a flag byte, then IHDR's length, type and data,
    // whose tenth byte is the colour type.
    if (chunks.size() < 1 + 8 + 13 || std::string(chunks.begin() + 5, chunks.begin() + 9) != "IHDR") return false;
    const unsigned char colour_type = chunks[1 + 8 + 9];
    return colour_type == 0 || colour_type == 4;
}

bool RewriteAsGrey(int fd, const std::string& path, const OIIO::ImageSpec& header, std::string& error)
{
    auto in = OIIO::ImageInput::create("png");
    OIIO::ImageSpec config, read;
    config.attribute("oiio:UnassociatedAlpha", 1);
    const OIIO::TypeDesc type = header.format;
    const int channels = header.nchannels;
    std::vector<unsigned char> rgb((size_t)header.width * (size_t)header.height * (size_t)channels * type.size());
    if (!in || !in->open(path, read, config) || !in->read_image(0, 0, 0, channels, type, rgb.data())) {
        error = "the written file does not read back: " + LibraryReason(in ? in->geterror() : OIIO::geterror(), path);
        return false;
    }
    in.reset();
    // Channel 0 (and alpha) of every pixel, whatever the sample's size.
    const size_t size = type.size(), pixels = (size_t)header.width * (size_t)header.height;
    const int kept = channels == 4 ? 2 : 1;
    std::vector<unsigned char> grey(pixels * (size_t)kept * size);
    for (size_t p = 0; p < pixels; ++p)
        for (int k = 0; k < kept; ++k)
            std::copy_n(&rgb[(p * (size_t)channels + (k == 0 ? 0 : 3)) * size], size,
                        &grey[(p * (size_t)kept + (size_t)k) * size]);
    OIIO::ImageSpec grey_header = header;
    grey_header.nchannels = kept;
    grey_header.channelnames = kept == 2 ? std::vector<std::string>{"Y", "A"} : std::vector<std::string>{"Y"};
    grey_header.alpha_channel = kept == 2 ? 1 : -1;
    auto out = OIIO::ImageOutput::create("png");
    RecordingFile target(fd);
    if (ftruncate(fd, 0) != 0 || !out || !out->set_ioproxy(&target) || !out->open(path, grey_header) ||
        !out->write_image(type, grey.data()) || !out->close() || target.failure != 0) {
        error = "cannot write: " + LibraryReason(out ? out->geterror() : OIIO::geterror(), path);
        return false;
    }
    return true;
}
