#include "tool_fixture.h"

#include <cstring>

#include <OpenImageIO/imageio.h>

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <png.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>

namespace tintra_test {

namespace {

void RemoveTree(const std::string& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return;
    if (S_ISDIR(info.st_mode)) {
        chmod(path.c_str(), 0700);
        if (DIR* dir = opendir(path.c_str())) {
            while (const dirent* e = readdir(dir)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") RemoveTree(path + "/" + name);
            }
            closedir(dir);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

void PutU32(std::vector<unsigned char>& out, uint32_t v)
{
    out.push_back((unsigned char)(v >> 24));
    out.push_back((unsigned char)(v >> 16));
    out.push_back((unsigned char)(v >> 8));
    out.push_back((unsigned char)v);
}

void PutChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data)
{
    PutU32(out, (uint32_t)data.size());
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutU32(out, (uint32_t)crc32(0, out.data() + start, (uInt)(out.size() - start)));
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ScratchDir::ScratchDir()
{
    char pattern[] = "/tmp/tintra-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    root_ = made != nullptr ? made : "/tmp";
}

ScratchDir::~ScratchDir() { RemoveTree(root_); }

std::string ScratchDir::expand(const std::string& text) const
{
    std::string out;
    for (char c : text) out += c == '@' ? root_ : std::string(1, c);
    return out;
}

std::vector<unsigned char> TiffDirectory(const std::vector<std::array<uint32_t, 4>>& entries, size_t size,
                                         unsigned char fill)
{
    std::vector<unsigned char> t = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) t.push_back((unsigned char)(v >> (8 * i)));
    };
    put((uint32_t)entries.size(), 2);
    for (const auto& e : entries) {
        put(e[0], 2);
        put(e[1], 2);
        put(e[2], 4);
        put(e[3], 4);
    }
    put(0, 4);
    t.resize(size, fill);
    return t;
}

std::vector<std::string> ScratchDir::list(const std::string& sub) const
{
    std::vector<std::string> names;
    if (DIR* dir = opendir((sub.empty() ? root_ : path(sub)).c_str())) {
        while (const dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

RawImage MakeRaw(int width, int height, int bits, int channels, uint32_t seed)
{
    RawImage image;
    image.width = width;
    image.height = height;
    image.bits = bits;
    image.channels = channels;
    // 32 bits: float samples, which the TIFF writer stores as v / 255.
    const uint32_t top = bits == 32 ? 255u : (1u << bits) - 1u;
    uint32_t state = seed * 2654435761u + 1u;
    const size_t n = (size_t)width * height * channels;
    for (size_t i = 0; i < n; ++i) {
        state = state * 1664525u + 1013904223u;
        // Every eighth sample is an end of the range, the rest spread out.
        const uint32_t pick = state >> 8;
        image.samples.push_back(i % 8 == 0 ? (pick & 1 ? top : 0) : (uint16_t)(pick % (top + 1)));
    }
    return image;
}

std::vector<unsigned char> EncodePng(const RawImage& image, int color_type,
                                     const std::vector<std::pair<std::string, std::vector<unsigned char>>>& chunks)
{
    std::vector<unsigned char> raw;
    const int bytes = image.bits == 16 ? 2 : 1;
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);  // filter: none
        int bit = 8;       // samples under 8 bits are packed, first in the high bits
        for (int i = 0; i < image.width * image.channels; ++i) {
            const uint16_t v = image.samples[(size_t)y * image.width * image.channels + i];
            if (image.bits < 8) {
                if (bit == 8) raw.push_back(0);
                bit -= image.bits;
                raw.back() = (unsigned char)(raw.back() | v << bit);
                if (bit == 0) bit = 8;
                continue;
            }
            if (bytes == 2) raw.push_back((unsigned char)(v >> 8));
            raw.push_back((unsigned char)v);
        }
    }
    std::vector<unsigned char> packed(compressBound((uLong)raw.size()));
    uLongf packed_size = (uLongf)packed.size();
    compress2(packed.data(), &packed_size, raw.data(), (uLong)raw.size(), 6);
    packed.resize(packed_size);

    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    PutU32(header, (uint32_t)image.width);
    PutU32(header, (uint32_t)image.height);
    header.push_back((unsigned char)image.bits);
    header.push_back((unsigned char)color_type);
    header.push_back(0);
    header.push_back(0);
    header.push_back(0);
    PutChunk(out, "IHDR", header);
    for (const auto& chunk : chunks) PutChunk(out, chunk.first.c_str(), chunk.second);
    if (color_type == PNG_COLOR_TYPE_PALETTE) {
        std::vector<unsigned char> palette;
        for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {(unsigned char)i, (unsigned char)i, 0});
        PutChunk(out, "PLTE", palette);
    }
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    const std::string text = ReadWhole(path);
    return std::vector<unsigned char>(text.begin(), text.end());
}

namespace {

bool DecodePng(png_structp png, png_infop info, std::FILE* file, RawImage& image)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    image.width = (int)png_get_image_width(png, info);
    image.height = (int)png_get_image_height(png, info);
    image.bits = png_get_bit_depth(png, info);
    image.channels = png_get_channels(png, info);
    const size_t row_bytes = png_get_rowbytes(png, info);
    std::vector<unsigned char> row(row_bytes);
    image.samples.clear();
    for (int y = 0; y < image.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (int i = 0; i < image.width * image.channels; ++i)
            image.samples.push_back(image.bits == 16 ? (uint16_t)(row[2 * i] << 8 | row[2 * i + 1]) : row[i]);
    }
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

bool ReadPngSamples(const std::string& path, RawImage& image)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const bool ok = DecodePng(png, info, file, image);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return ok;
}

void SetTiffImage(TIFF* tif, uint32_t width, uint32_t height, uint16_t bits, uint16_t channels, uint16_t photometric)
{
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
}

bool WriteTiffSamples(const std::string& path, const RawImage& image, const TiffLayout& layout)
{
    TIFF* tif = TIFFOpen(path.c_str(), layout.big_endian ? "wb" : "wl");
    if (tif == nullptr) return false;
    SetTiffImage(tif, (uint32_t)image.width, (uint32_t)image.height, (uint16_t)image.bits, (uint16_t)image.channels,
                 layout.photometric);
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, layout.sample_format);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG,
                 (uint16_t)(layout.planar_separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
    const int colour = layout.photometric == PHOTOMETRIC_RGB ? 3 : layout.photometric == PHOTOMETRIC_SEPARATED ? 4 : 1;
    if (image.channels > colour) {
        const uint16_t kind = layout.associated_alpha ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, (uint16_t)1, &kind);
    }
    const size_t bytes = (size_t)image.bits / 8;
    const size_t pixel = (size_t)image.channels * bytes;
    // Samples are stored in the host's byte order; libtiff marks the file so.
    auto pack = [&](int x0, int y0, int w, int h, std::vector<unsigned char>& out) {
        out.assign((size_t)w * h * pixel, 0);
        for (int y = 0; y < h && y0 + y < image.height; ++y)
            for (int x = 0; x < w && x0 + x < image.width; ++x)
                for (int c = 0; c < image.channels; ++c) {
                    const uint16_t v =
                        image.samples[((size_t)(y0 + y) * image.width + (x0 + x)) * image.channels + c];
                    unsigned char* o = &out[((size_t)y * w + x) * pixel + c * bytes];
                    if (bytes == 2)
                        std::memcpy(o, &v, 2);
                    else if (bytes == 4) {
                        const float f = v / 255.0f;
                        std::memcpy(o, &f, 4);
                    } else
                        *o = (unsigned char)v;
                }
    };
    bool ok = true;
    std::vector<unsigned char> buffer;
    if (layout.tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16u);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 16u);
        for (int y = 0; y < image.height; y += 16)
            for (int x = 0; x < image.width; x += 16) {
                pack(x, y, 16, 16, buffer);
                ok = ok && TIFFWriteTile(tif, buffer.data(), (uint32_t)x, (uint32_t)y, 0, 0) >= 0;
            }
    } else if (layout.planar_separate) {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1u);
        for (int c = 0; c < image.channels; ++c)
            for (int y = 0; y < image.height; ++y) {
                pack(0, y, image.width, 1, buffer);
                for (int x = 0; x < image.width; ++x)
                    std::memmove(&buffer[x * bytes], &buffer[x * pixel + c * bytes], bytes);
                ok = ok && TIFFWriteScanline(tif, buffer.data(), (uint32_t)y, (uint16_t)c) >= 0;
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                     layout.rows_per_strip != 0 ? layout.rows_per_strip : TIFFDefaultStripSize(tif, 0));
        for (int y = 0; y < image.height; ++y) {
            pack(0, y, image.width, 1, buffer);
            ok = ok && TIFFWriteScanline(tif, buffer.data(), (uint32_t)y, 0) >= 0;
        }
    }
    TIFFClose(tif);
    return ok;
}

bool ReadTiffSamples(const std::string& path, RawImage& image)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return false;
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, spp = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    image.width = (int)w;
    image.height = (int)h;
    image.bits = bits;
    image.channels = spp;
    image.samples.clear();
    std::vector<unsigned char> line((size_t)TIFFScanlineSize(tif));
    bool ok = true;
    for (uint32_t y = 0; y < h && ok; ++y) {
        ok = TIFFReadScanline(tif, line.data(), y, 0) >= 0;
        for (uint32_t i = 0; i < w * spp; ++i) {
            uint16_t v = line[i];
            if (bits == 16) std::memcpy(&v, &line[2 * i], 2);
            image.samples.push_back(v);
        }
    }
    TIFFClose(tif);
    return ok;
}

int TiffAlphaKind(const std::string& path)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return -1;
    uint16_t count = 0;
    uint16_t* kinds = nullptr;
    int kind = 0;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &kinds) && count > 0) kind = kinds[0];
    TIFFClose(tif);
    return kind;
}

bool WriteWithLibrary(const std::string& path, const RawImage& image, bool premultiplied,
                      const std::vector<std::pair<std::string, int>>& extra)
{
    const OIIO::TypeDesc type = image.bits > 8 ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::UINT8;
    OIIO::ImageSpec header(image.width, image.height, image.channels, type);
    if (image.channels == 4) header.attribute("oiio:UnassociatedAlpha", premultiplied ? 0 : 1);
    for (const auto& attribute : extra) header.attribute(attribute.first, attribute.second);
    std::vector<unsigned char> bytes(image.samples.size() * type.size());
    for (size_t i = 0; i < image.samples.size(); ++i) {
        if (type == OIIO::TypeDesc::UINT8)
            bytes[i] = (unsigned char)image.samples[i];
        else
            std::memcpy(&bytes[i * 2], &image.samples[i], 2);
    }
    auto out = OIIO::ImageOutput::create(path);
    return out && out->open(path, header) && out->write_image(type, bytes.data()) && out->close();
}

bool ReadWithLibrary(const std::string& path, RawImage& image)
{
    OIIO::ImageSpec config, header;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto in = OIIO::ImageInput::open(path, &config);
    if (!in) return false;
    header = in->spec();
    image.width = header.width, image.height = header.height, image.channels = header.nchannels;
    image.bits = header.format.size() > 1 ? 16 : 8;
    std::vector<uint16_t> wide(header.image_pixels() * (size_t)header.nchannels);
    std::vector<unsigned char> narrow(wide.size());
    const bool ok = image.bits == 16 ? in->read_image(0, 0, 0, -1, OIIO::TypeDesc::UINT16, wide.data())
                                     : in->read_image(0, 0, 0, -1, OIIO::TypeDesc::UINT8, narrow.data());
    if (image.bits == 8) wide.assign(narrow.begin(), narrow.end());
    image.samples = wide;
    return ok;
}

std::string TintraPath() { return TINTRA_EXECUTABLE; }
std::string PluginPath() { return TINTRA_PLUGIN; }
std::string OfxPluginPath() { return TINTRA_OFX_PLUGIN; }
std::string FailingPluginPath() { return TINTRA_FAILING_PLUGIN; }

bool WriteFloatFile(const std::string& path, int width, int height, int channels, const std::vector<float>& values,
                    bool half)
{
    OIIO::ImageSpec header(width, height, channels, half ? OIIO::TypeDesc::HALF : OIIO::TypeDesc::FLOAT);
    auto out = OIIO::ImageOutput::create(path);
    return out && out->open(path, header) && out->write_image(OIIO::TypeDesc::FLOAT, values.data()) && out->close();
}

bool ReadFloatFile(const std::string& path, std::vector<float>& values, bool* half)
{
    auto in = OIIO::ImageInput::open(path);
    if (!in) return false;
    const OIIO::ImageSpec& header = in->spec();
    if (half) *half = header.format == OIIO::TypeDesc::HALF;
    values.resize(header.image_pixels() * (size_t)header.nchannels);
    return in->read_image(0, 0, 0, -1, OIIO::TypeDesc::FLOAT, values.data());
}

ToolRun RunTintra(const std::vector<std::string>& args, const std::vector<std::string>& env, long file_size_limit)
{
    ToolRun run;
    char out_name[] = "/tmp/tintra-out-XXXXXX";
    char err_name[] = "/tmp/tintra-err-XXXXXX";
    const int out_fd = mkstemp(out_name);
    const int err_fd = mkstemp(err_name);
    char peak_name[] = "/tmp/tintra-peak-XXXXXX";
    close(mkstemp(peak_name));
    std::vector<std::string> argv_text{TINTRA_PEAK_OF, peak_name, TintraPath()};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> env_text = env;
    const pid_t pid = fork();
    if (pid == 0) {
        for (std::string& e : env_text) putenv(e.data());
        if (file_size_limit > 0) {
            const struct rlimit limit = {(rlim_t)file_size_limit, (rlim_t)file_size_limit};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);
        }
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    close(out_fd);
    close(err_fd);
    run.out = ReadWhole(out_name);
    run.err = ReadWhole(err_name);
    run.peak_kb = std::atol(ReadWhole(peak_name).c_str());
    unlink(out_name);
    unlink(err_name);
    unlink(peak_name);
    return run;
}

bool FileExists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

std::string ReportText(const std::string& path, std::vector<std::string>& statuses)
{
    const std::vector<unsigned char> bytes = ReadBytes(path);
    const std::string json(bytes.begin(), bytes.end()), key = "\"status\": \"";
    for (size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1))
        statuses.push_back(json.substr(at + key.size(), json.find('"', at + key.size()) - at - key.size()));
    return json;
}

}  // namespace tintra_test
