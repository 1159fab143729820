#include "resources/pipl_bytes.h"

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>

#include "effect/identity.h"

namespace pipl {
namespace {

// The property list's reserved word is a field of its own and stays 0; the
// registration's reserved information (identity::kReservedInfo) is another value.
constexpr uint32_t kReservedWord = 0;
constexpr uint16_t kInfoFlags = 0;

// Integers in the byte order of one platform.
class Bytes {
public:
    explicit Bytes(Platform platform) : big_endian_(platform == Platform::MacOS) {}

    Bytes& U16(uint16_t value)
    {
        return big_endian_ ? Byte(value >> 8).Byte(value) : Byte(value).Byte(value >> 8);
    }

    Bytes& U32(uint32_t value)
    {
        return big_endian_ ? U16((uint16_t)(value >> 16)).U16((uint16_t)value)
                           : U16((uint16_t)value).U16((uint16_t)(value >> 16));
    }

    // A four-character code is a 32-bit number with the first character in the
    // most significant byte, so on Windows its characters come out reversed.
    Bytes& Code(const char (&code)[5]) { return U32((uint32_t)identity::fourcc(code)); }

    Bytes& Raw(const std::vector<uint8_t>& raw)
    {
        data.insert(data.end(), raw.begin(), raw.end());
        return *this;
    }

    std::vector<uint8_t> data;

private:
    Bytes& Byte(uint32_t value)
    {
        data.push_back((uint8_t)(value & 0xFF));
        return *this;
    }

    bool big_endian_;
};

size_t Padded(size_t size) { return (size + 3) / 4 * 4; }

std::vector<uint8_t> PascalText(const char* text)
{
    size_t length = std::strlen(text);
    if (length > 255) {
        throw std::length_error(std::string("too long for a length-prefixed text: ") + text);
    }
    std::vector<uint8_t> data(1, (uint8_t)length);
    for (size_t i = 0; i < length; ++i) data.push_back((uint8_t)text[i]);
    return data;
}

std::vector<uint8_t> ZeroTerminatedText(const char* text)
{
    std::vector<uint8_t> data(text, text + std::strlen(text) + 1);
    return data;
}

class PropertyList {
public:
    explicit PropertyList(Platform platform) : platform_(platform), out_(platform) {}

    Bytes Data() const { return Bytes(platform_); }

    // Vendor, key, id 0, the declared length, the data, then zeros up to a
    // multiple of 4 bytes counted from the start of the data. Padding is
    // relative because the Windows header leaves every later field at 2 mod 4.
    void Add(const char (&key)[5], const std::vector<uint8_t>& data, size_t declared_length)
    {
        out_.Code("8BIM").Code(key).U32(0).U32((uint32_t)declared_length).Raw(data);
        out_.data.resize(out_.data.size() + Padded(data.size()) - data.size(), 0);
        ++count_;
    }

    // Windows declares a text's padded size; Rez declares the size before its
    // alignment, and readers round it up to find the next property.
    void AddText(const char (&key)[5], const char* text)
    {
        std::vector<uint8_t> data = PascalText(text);
        Add(key, data, platform_ == Platform::Windows ? Padded(data.size()) : data.size());
    }

    std::vector<uint8_t> Finish() const
    {
        Bytes header(platform_);
        if (platform_ == Platform::Windows) {
            header.U16(1);
        }
        header.U32(0).U32(count_);  // list version, property count
        return header.Raw(out_.data).data;
    }

private:
    Platform platform_;
    Bytes out_;
    uint32_t count_ = 0;
};

}  // namespace

std::vector<uint8_t> Build(Platform platform)
{
    PropertyList list(platform);
    list.Add("kind", list.Data().U32((uint32_t)identity::kKind).data, 4);
    list.AddText("name", identity::kName);
    list.AddText("catg", identity::kCategory);
    if (platform == Platform::Windows) {
        std::vector<uint8_t> entry = ZeroTerminatedText(identity::kEntryPoint);
        list.Add("8664", entry, Padded(entry.size()));
    } else {
        list.AddText("mi64", identity::kEntryPoint);
        list.AddText("ma64", identity::kEntryPoint);
    }
    list.Add("ePVR",
             list.Data().U16((uint16_t)identity::kPiplVersionMajor).U16((uint16_t)identity::kPiplVersionMinor).data,
             4);
    list.Add("eSVR", list.Data().U16((uint16_t)identity::kApiMajor).U16((uint16_t)identity::kApiMinor).data, 4);
    list.Add("eVER", list.Data().U32(identity::kVersionWord).data, 4);
    // A 16-bit value whose declared length leaves out its two bytes of padding.
    list.Add("eINF", list.Data().U16(kInfoFlags).data, 2);
    list.Add("eGLO", list.Data().U32((uint32_t)identity::kOutFlags).data, 4);
    list.Add("eGL2", list.Data().U32((uint32_t)identity::kOutFlags2).data, 4);
    list.AddText("eMNA", identity::kMatchName);
    list.Add("aeFL", list.Data().U32(kReservedWord).data, 4);
    list.AddText("eURL", identity::kSupportUrl);
    return list.Finish();
}

}  // namespace pipl
