// Bounds-checked reading of a Mach-O file's bytes. Every offset and length in
// the file is untrusted: a read that would leave the buffer throws a
// LoadError naming what was being read, instead of touching other memory.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace loader {
namespace macho {

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the Mach-O loader reads little-endian fields directly; build it for a little-endian host"
#endif

// Why a file was refused. Messages quote names read from the file (symbols,
// segments, libraries); any byte outside printable ASCII becomes '?', so a
// hostile file cannot put control sequences on the user's terminal.
class LoadError : public std::runtime_error {
public:
    explicit LoadError(const std::string& message) : std::runtime_error(printable(message)) {}

private:
    static std::string printable(std::string text)
    {
        for (char& c : text) {
            if (c < 0x20 || c > 0x7E) c = '?';
        }
        return text;
    }
};

inline std::string hex(uint64_t value)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return "0x" + text;
}

class Bytes {
public:
    Bytes() = default;
    Bytes(const uint8_t* data, uint64_t size) : data_(data), size_(size) {}

    const uint8_t* data() const { return data_; }
    uint64_t size() const { return size_; }

    // The part [offset, offset + size), or a LoadError naming `what`.
    Bytes part(uint64_t offset, uint64_t size, const char* what) const
    {
        if (offset > size_ || size > size_ - offset) {
            throw LoadError(std::string(what) + " lies outside the file (offset " + std::to_string(offset) +
                            ", " + std::to_string(size) + " bytes)");
        }
        return Bytes(data_ + offset, size);
    }

    template <typename T>
    T le(uint64_t offset, const char* what) const
    {
        T value;
        std::memcpy(&value, part(offset, sizeof value, what).data_, sizeof value);
        return value;
    }

    uint32_t be32(uint64_t offset, const char* what) const
    {
        const uint8_t* p = part(offset, 4, what).data_;
        return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
    }

    uint64_t be64(uint64_t offset, const char* what) const
    {
        return (uint64_t)be32(offset, what) << 32 | be32(offset + 4, what);
    }

    // A fixed-size name field (segment and section names): up to `size`
    // characters, NUL-padded.
    std::string fixed_name(uint64_t offset, uint64_t size, const char* what) const
    {
        Bytes field = part(offset, size, what);
        uint64_t length = 0;
        while (length < size && field.data_[length]) ++length;
        return std::string(reinterpret_cast<const char*>(field.data_), length);
    }

private:
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
};

// Sequential reading of the variable-length encodings in dyld's opcode
// streams and the export trie.
class Cursor {
public:
    Cursor(Bytes bytes, const char* what, uint64_t pos = 0) : bytes_(bytes), what_(what), pos_(pos) {}

    bool at_end() const { return pos_ >= bytes_.size(); }
    uint64_t pos() const { return pos_; }
    void seek(uint64_t pos) { pos_ = pos; }

    uint8_t byte() { return bytes_.le<uint8_t>(pos_++, what_); }

    uint64_t uleb()
    {
        uint64_t result = 0;
        for (unsigned shift = 0;; shift += 7) {
            uint8_t b = byte();
            if (shift >= 64 || (shift == 63 && (b & 0x7E))) throw LoadError(std::string(what_) + ": LEB128 number too large");
            result |= (uint64_t)(b & 0x7F) << shift;
            if (!(b & 0x80)) return result;
        }
    }

    int64_t sleb()
    {
        uint64_t result = 0;
        unsigned shift = 0;
        uint8_t b;
        do {
            b = byte();
            if (shift >= 64) throw LoadError(std::string(what_) + ": LEB128 number too large");
            result |= (uint64_t)(b & 0x7F) << shift;
            shift += 7;
        } while (b & 0x80);
        if (shift < 64 && (b & 0x40)) result |= ~(uint64_t)0 << shift;
        return (int64_t)result;
    }

    std::string cstring()
    {
        uint64_t start = pos_;
        while (byte() != 0) {
        }
        return std::string(reinterpret_cast<const char*>(bytes_.data() + start), pos_ - 1 - start);
    }

private:
    Bytes bytes_;
    const char* what_;
    uint64_t pos_;
};

}  // namespace macho
}  // namespace loader
