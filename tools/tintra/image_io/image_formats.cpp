#include "tools/tintra/image_io/image_formats.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/image.h"

namespace {

std::string Lower(std::string text)
{
    for (char& c : text) c = (char)std::tolower((unsigned char)c);
    return text;
}

// Formats the library writes that cannot take a render, and why.
const char* NotForRenders(const std::string& format)
{
    if (format == "zfile") return "holds one channel of depth, not a colour image";
    if (format == "term") return "is a picture drawn on a terminal, not a file";
    if (format == "null") return "is written nowhere";
    return nullptr;
}

// Extension -> the format OpenImageIO writes it as ("" for one it only
// reads), from the library's own lists.
const std::map<std::string, std::string>& KnownExtensions()
{
    static const std::map<std::string, std::string> known = [] {
        std::set<std::string> writers;
        for (const std::string& f : OIIO::Strutil::splits(OIIO::get_string_attribute("output_format_list"), ","))
            writers.insert(f);
        std::map<std::string, std::string> map;
        for (const std::string& entry : OIIO::Strutil::splits(OIIO::get_string_attribute("extension_list"), ";")) {
            const size_t colon = entry.find(':');
            if (colon == std::string::npos) continue;
            const std::string format = entry.substr(0, colon);
            for (const std::string& ext : OIIO::Strutil::splits(entry.substr(colon + 1), ",")) {
                std::string& writer = map[Lower(ext)];
                if (writer.empty() && writers.count(format) != 0) writer = format;
            }
        }
        return map;
    }();
    return known;
}

}  // namespace

std::string ExtensionOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return Lower(path.substr(dot + 1));
}

// OpenImageIO's messages name the file; the caller names it already.
std::string LibraryReason(std::string text, const std::string& path)
{
    for (size_t at; !path.empty() && (at = text.find(path)) != std::string::npos;) text.erase(at, path.size());
    for (size_t at; (at = text.find(" (\"\")")) != std::string::npos;) text.erase(at, 5);
    for (size_t at; (at = text.find(" \"\"")) != std::string::npos;) text.erase(at, 3);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    const size_t newline = text.find('\n');
    if (newline != std::string::npos) text = text.substr(0, newline);
    for (const char* prefix : {"\"\" ", "\"\": ", ": "})
        if (text.compare(0, std::strlen(prefix), prefix) == 0) text.erase(0, std::strlen(prefix));
    return text.empty() ? "unknown error" : text;
}

std::string CommaList(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

bool IsReadableImageName(const std::string& path) { return KnownExtensions().count(ExtensionOf(path)) != 0; }

bool IsWritableImageName(const std::string& path)
{
    const auto found = KnownExtensions().find(ExtensionOf(path));
    return found != KnownExtensions().end() && !found->second.empty() && NotForRenders(found->second) == nullptr;
}

bool CheckOutputPath(const std::string& path, std::string& error)
{
    const auto found = KnownExtensions().find(ExtensionOf(path));
    const char* unfit = found != KnownExtensions().end() ? NotForRenders(found->second) : nullptr;
    if (unfit != nullptr) {
        error = "a ." + ExtensionOf(path) + " output " + unfit + ": use an image extension such as .png, .tif, .exr";
        return false;
    }
    if (!IsWritableImageName(path)) {
        error = "unknown output format (use an image extension such as .png, .tif, .jpg, .exr)";
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat info;
    if (stat(dir.c_str(), &info) != 0) {
        error = "the folder " + dir + " does not exist";
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = dir + " is not a folder";
        return false;
    }
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write in the folder " + dir + ": " + std::strerror(errno);
        return false;
    }
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "is a folder";
        return false;
    }
    return true;
}

bool CheckPagesFit(const std::string& path, int pages, std::string& error)
{
    if (pages <= 1) return true;
    const auto out = OIIO::ImageOutput::create(path);
    if (out && out->supports("multiimage")) return true;
    error = "the input has " + std::to_string(pages) + " pages, but a ." + ExtensionOf(path) +
            " file holds one; write to .tif to keep them all";
    return false;
}

bool CheckSizeFits(const std::string& path, int width, int height, std::string& error)
{
    const auto found = KnownExtensions().find(ExtensionOf(path));
    const std::string format = found != KnownExtensions().end() ? found->second : "";
    const int least = format == "jpeg2000" ? 32 : 1, most = format == "ico" ? 256 : kMaxImageSide;
    if (width >= least && height >= least && width <= most && height <= most) return true;
    error = "the image is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, but a ." +
            ExtensionOf(path) + " file holds " + std::to_string(least) + " to " + std::to_string(most) + " each way";
    return false;
}
bool CheckOutputHolds(const std::string& path, int pages, const OIIO::ImageSpec& first, std::string& error)
{
    return CheckPagesFit(path, pages, error) && CheckSizeFits(path, first.width, first.height, error);
}

AlphaKind AlphaKindOf(const std::string& format)
{
    // Maya's IFF, as EXR, holds premultiplied colour; the library's readers
    // of both give their samples as stored.
    if (format == "openexr" || format == "iff") return AlphaKind::Premultiplied;
    return format == "tiff" ? AlphaKind::Either : AlphaKind::Straight;
}

bool StoresAssociatedAlpha(const std::string& format, const OIIO::ImageSpec& header)
{
    switch (AlphaKindOf(format)) {
    case AlphaKind::Either: return header.get_int_attribute("oiio:UnassociatedAlpha", 0) == 0;
    case AlphaKind::Premultiplied: return true;
    case AlphaKind::Straight: break;
    }
    return false;
}
