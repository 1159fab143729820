#include "tools/tintra/png_file.h"

#include <csetjmp>
#include <cstring>
#include <png.h>

#include "tools/tintra/channel_mapping.h"
#include "tools/tintra/interrupt.h"

// libpng reports errors by longjmp. Nothing with a destructor is created
// between a setjmp and a possible longjmp in the functions below, so no
// destructor is ever skipped: buffers belong to the callers' frames.

namespace {

struct PngMessage {
    char text[200];
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message)
{
    PngMessage* slot = static_cast<PngMessage*>(png_get_error_ptr(png));
    std::snprintf(slot->text, sizeof slot->text, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

struct Header {
    png_uint_32 width;
    png_uint_32 height;
    int bit_depth;
    int color_type;
};

// First stage of a read: the header only, so that the caller can check it and
// size the buffer before any pixel is decoded.
bool ReadHeader(png_structp png, png_infop info, std::FILE* file, Header& header)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    int interlace = 0;
    png_get_IHDR(png, info, &header.width, &header.height, &header.bit_depth, &header.color_type, &interlace,
                 nullptr, nullptr);
    return true;
}

bool ReadPixels(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    // PNG stores 16-bit samples big-endian; the host wants them native.
    if (png_get_bit_depth(png, info) == 16) png_set_swap(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_read_image(png, rows);
    // Reading the end checks the trailing chunks' CRCs, so a file cut short
    // after its pixel data is still reported.
    png_read_end(png, nullptr);
    return true;
}

const char* ColorTypeName(int color_type)
{
    switch (color_type) {
    case PNG_COLOR_TYPE_GRAY: return "grey";
    case PNG_COLOR_TYPE_GRAY_ALPHA: return "grey with alpha";
    case PNG_COLOR_TYPE_PALETTE: return "palette";
    case PNG_COLOR_TYPE_RGB: return "RGB";
    case PNG_COLOR_TYPE_RGB_ALPHA: return "RGBA";
    default: return "unknown colour type";
    }
}

bool WriteRows(png_structp png, png_infop info, std::FILE* file, const Image& image, unsigned char* row,
               bool& interrupted)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, (png_uint_32)image.width, (png_uint_32)image.height, image.depth,
                 image.has_alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (image.depth == 16) png_set_swap(png);

    const int channels = image.has_alpha ? 4 : 3;
    for (int32_t y = 0; y < image.height; ++y) {
        if (Interrupted()) {
            interrupted = true;
            return false;
        }
        const size_t base = (size_t)y * (size_t)image.width;
        if (image.depth == 16) {
            uint16_t* out = reinterpret_cast<uint16_t*>(row);
            for (int32_t x = 0; x < image.width; ++x) {
                const PF_Pixel16& p = image.pixels16[base + (size_t)x];
                uint16_t* o = out + (size_t)x * (size_t)channels;
                o[0] = HostToFile16(p.red);
                o[1] = HostToFile16(p.green);
                o[2] = HostToFile16(p.blue);
                if (channels == 4) o[3] = HostToFile16(p.alpha);
            }
        } else {
            for (int32_t x = 0; x < image.width; ++x) {
                const PF_Pixel& p = image.pixels8[base + (size_t)x];
                unsigned char* o = row + (size_t)x * (size_t)channels;
                o[0] = p.red;
                o[1] = p.green;
                o[2] = p.blue;
                if (channels == 4) o[3] = p.alpha;
            }
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool ReadPng(std::FILE* file, Image& image, std::string& error)
{
    PngMessage message{};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "out of memory starting libpng";
        return false;
    }

    bool ok = false;
    Header header{};
    if (!ReadHeader(png, info, file, header)) {
        error = std::string("corrupt PNG header (libpng: ") + message.text + ")";
    } else if (header.width > (png_uint_32)kMaxImageSide || header.height > (png_uint_32)kMaxImageSide) {
        error = "image too large: " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                " (the host's limit is " + std::to_string(kMaxImageSide) + " in each direction)";
    } else if ((header.color_type != PNG_COLOR_TYPE_RGB && header.color_type != PNG_COLOR_TYPE_RGB_ALPHA) ||
               (header.bit_depth != 8 && header.bit_depth != 16)) {
        error = "unsupported PNG: " + std::to_string(header.bit_depth) + "-bit " +
                ColorTypeName(header.color_type) + " (tintra reads 8- or 16-bit RGB or RGBA)";
    } else {
        const bool alpha = header.color_type == PNG_COLOR_TYPE_RGB_ALPHA;
        const int channels = alpha ? 4 : 3;
        const size_t bytes = (size_t)header.bit_depth / 8;
        const size_t row_bytes = (size_t)header.width * (size_t)channels * bytes;
        std::vector<unsigned char> raw((size_t)header.height * row_bytes);
        std::vector<png_bytep> rows(header.height);
        for (size_t y = 0; y < header.height; ++y) rows[y] = raw.data() + y * row_bytes;

        if (!ReadPixels(png, info, rows.data())) {
            error = std::string("truncated or corrupt PNG (libpng: ") + message.text + ")";
        } else {
            image = MakeImage((int32_t)header.width, (int32_t)header.height, header.bit_depth, alpha);
            const size_t n = image.pixel_count();
            if (header.bit_depth == 16) {
                const uint16_t* in = reinterpret_cast<const uint16_t*>(raw.data());
                for (size_t i = 0; i < n; ++i, in += channels)
                    image.pixels16[i] = PF_Pixel16{alpha ? FileToHost16(in[3]) : (uint16_t)PF_MAX_CHAN16,
                                                   FileToHost16(in[0]), FileToHost16(in[1]), FileToHost16(in[2])};
            } else {
                const unsigned char* in = raw.data();
                for (size_t i = 0; i < n; ++i, in += channels)
                    image.pixels8[i] = PF_Pixel{alpha ? in[3] : (uint8_t)PF_MAX_CHAN8, in[0], in[1], in[2]};
            }
            ok = true;
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

bool WritePng(std::FILE* file, const Image& image, std::string& error)
{
    PngMessage message{};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, OnPngError, OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory starting libpng";
        return false;
    }
    const size_t channels = image.has_alpha ? 4 : 3;
    std::vector<unsigned char> row((size_t)image.width * channels * (size_t)(image.depth / 8));
    bool interrupted = false;
    const bool ok = WriteRows(png, info, file, image, row.data(), interrupted);
    if (!ok) error = interrupted ? "interrupted" : std::string("cannot write PNG (libpng: ") + message.text + ")";
    png_destroy_write_struct(&png, &info);
    return ok;
}
