#include "tools/aehost/property_list.h"

#include <cstring>

namespace aehost {

namespace {

// Reads integers of one byte order at checked positions.
class Reader {
public:
    Reader(const std::vector<uint8_t>& bytes, ByteOrder order) : bytes_(bytes), big_(order == ByteOrder::Big) {}

    bool has(size_t at, size_t size) const { return at <= bytes_.size() && size <= bytes_.size() - at; }

    uint32_t u(size_t at, size_t size) const
    {
        uint32_t value = 0;
        for (size_t i = 0; i < size; ++i) {
            const uint32_t byte = bytes_[at + (big_ ? i : size - 1 - i)];
            value = value << 8 | byte;
        }
        return value;
    }

private:
    const std::vector<uint8_t>& bytes_;
    bool big_;
};

constexpr uint32_t code(const char (&text)[5])
{
    return (uint32_t)(unsigned char)text[0] << 24 | (uint32_t)(unsigned char)text[1] << 16 |
           (uint32_t)(unsigned char)text[2] << 8 | (uint32_t)(unsigned char)text[3];
}

}  // namespace

bool read_property_list(const std::vector<uint8_t>& bytes, ByteOrder order, PropertyList* list, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error) *error = "property list: " + why;
        return false;
    };
    const Reader in(bytes, order);
    size_t at = order == ByteOrder::Little ? 2 : 0;
    if (!in.has(at, 8)) return fail("shorter than its header");
    const uint32_t count = in.u(at + 4, 4);
    at += 8;
    PropertyList found;
    for (uint32_t i = 0; i < count; ++i) {
        if (!in.has(at, 16)) return fail("property " + std::to_string(i + 1) + " runs past the end");
        const uint32_t key = in.u(at + 4, 4);
        const uint32_t length = in.u(at + 12, 4);
        at += 16;
        if (!in.has(at, length)) return fail("property " + std::to_string(i + 1) + " runs past the end");
        if (key == code("eGLO") && length >= 4) {
            found.has_out_flags = true;
            found.out_flags = in.u(at, 4);
        } else if (key == code("eGL2") && length >= 4) {
            found.has_out_flags2 = true;
            found.out_flags2 = in.u(at, 4);
        }
        // Data is padded to four bytes; the last property's padding may be cut.
        at += (length + 3u) / 4u * 4u;
        if (at > bytes.size()) at = bytes.size();
    }
    *list = found;
    return true;
}

bool find_resource(const std::vector<uint8_t>& file, const char (&type)[5], int16_t id, std::vector<uint8_t>* data)
{
    const Reader in(file, ByteOrder::Big);
    if (!in.has(0, 16)) return false;
    const size_t data_offset = in.u(0, 4);
    const size_t map_offset = in.u(4, 4);
    if (!in.has(map_offset, 28)) return false;
    const size_t type_list = map_offset + in.u(map_offset + 24, 2);
    if (!in.has(type_list, 2)) return false;
    const size_t types = in.u(type_list, 2) + 1u;
    for (size_t t = 0; t < types; ++t) {
        const size_t entry = type_list + 2 + 8 * t;
        if (!in.has(entry, 8)) return false;
        if (std::memcmp(&file[entry], type, 4) != 0) continue;
        const size_t count = in.u(entry + 4, 2) + 1u;
        const size_t references = type_list + in.u(entry + 6, 2);
        for (size_t r = 0; r < count; ++r) {
            const size_t ref = references + 12 * r;
            if (!in.has(ref, 12)) return false;
            if ((int16_t)in.u(ref, 2) != id) continue;
            const size_t at = data_offset + in.u(ref + 5, 3);
            if (!in.has(at, 4) || !in.has(at + 4, in.u(at, 4))) return false;
            data->assign(file.begin() + (long)at + 4, file.begin() + (long)(at + 4 + in.u(at, 4)));
            return true;
        }
    }
    return false;
}

}  // namespace aehost
