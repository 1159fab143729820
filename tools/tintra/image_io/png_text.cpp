#include "tools/tintra/image_io/png_text.h"

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string Named(const std::string& keyword)
{
    if (keyword == "Description") return "ImageDescription";
    if (keyword == "Author") return "Artist";
    if (keyword == "Title") return "DocumentName";
    return keyword;
}

// Whether bytes are UTF-8; codepoints receives the characters if so.
bool DecodeUtf8(const std::string& bytes, std::vector<uint32_t>& codepoints)
{
    codepoints.clear();
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char c = (unsigned char)bytes[i];
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || (extra > 0 && i + (size_t)extra >= bytes.size())) return false;
        uint32_t cp = extra == 0 ? c : c & (0x3Fu >> extra);
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = (unsigned char)bytes[i + (size_t)k];
            if ((next >> 6) != 2) return false;
            cp = cp << 6 | (next & 0x3Fu);
        }
        codepoints.push_back(cp);
        i += (size_t)extra + 1;
    }
    return true;
}

}  // namespace

PngTextAfterData ReadPngTextAfterData(const std::string& path)
{
    PngTextAfterData found;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return found;
    unsigned char head[8];
    off_t at = 8;
    bool after_data = false;
    for (int chunk = 0; chunk < 100000 && pread(fd, head, 8, at) == 8; ++chunk) {
        const uint32_t length = (uint32_t)head[0] << 24 | (uint32_t)head[1] << 16 | (uint32_t)head[2] << 8 | head[3];
        const std::string type(reinterpret_cast<const char*>(head + 4), 4);
        if (type == "IEND") break;
        if (type == "IDAT") after_data = true;
        const bool text = type == "tEXt" || type == "iTXt" || type == "zTXt";
        if (after_data && text && length < (1u << 20)) {
            std::string data(length, '\0');
            if (pread(fd, &data[0], length, at + 8) != (ssize_t)length) break;
            const size_t zero = data.find('\0');
            const std::string keyword = data.substr(0, zero);
            if (type == "tEXt" && zero != std::string::npos) {
                found.text.emplace_back(Named(keyword), TextAsUtf8(data.substr(zero + 1)));
            } else if (type == "iTXt" && zero != std::string::npos && zero + 2 < data.size() && data[zero + 1] == 0) {
                // keyword, 0, compression flag, method, language, 0, translated keyword, 0, text
                const size_t language_end = data.find('\0', zero + 3);
                const size_t translated_end =
                    language_end == std::string::npos ? std::string::npos : data.find('\0', language_end + 1);
                if (translated_end != std::string::npos)
                    found.text.emplace_back(Named(keyword), data.substr(translated_end + 1));
            } else {
                found.unread.push_back("compressed " + type + " (" + keyword + ")");
            }
        }
        at += 12 + (off_t)length;
    }
    close(fd);
    return found;
}

std::string TextAsUtf8(const std::string& bytes)
{
    std::vector<uint32_t> codepoints;
    if (DecodeUtf8(bytes, codepoints)) return bytes;
    std::string utf8;
    for (const char ch : bytes) {
        const unsigned char c = (unsigned char)ch;
        if (c < 0x80) {
            utf8 += (char)c;
        } else {
            utf8 += (char)(0xC0 | c >> 6);
            utf8 += (char)(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

bool TextAsLatin1(const std::string& utf8, std::string& latin1)
{
    std::vector<uint32_t> codepoints;
    if (!DecodeUtf8(utf8, codepoints)) {
        latin1 = utf8;  // not UTF-8: already single bytes
        return true;
    }
    latin1.clear();
    for (const uint32_t cp : codepoints) {
        if (cp > 0xFF) return false;
        latin1 += (char)cp;
    }
    return true;
}

// PNG chunks before the image data that the library does not read, so that
// their loss is said rather than silent: cHRM (the primaries and white point).
std::vector<std::string> UnreadPngChunks(const std::string& path)
{
    std::vector<std::string> unread;
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return unread;
    unsigned char head[8];
    // After the signature: length, type, data, CRC, until the image data.
    off_t at = 8;
    for (int chunk = 0; chunk < 10000 && pread(fd, head, 8, at) == 8; ++chunk) {
        const uint32_t length = (uint32_t)head[0] << 24 | (uint32_t)head[1] << 16 | (uint32_t)head[2] << 8 | head[3];
        const std::string type(reinterpret_cast<const char*>(head + 4), 4);
        if (type == "IDAT" || type == "IEND") break;
        if (type == "cHRM") unread.push_back("cHRM chromaticities");
        at += 12 + (off_t)length;
    }
    close(fd);
    return unread;
}
