#include "resources/macos/resource_file.h"

#include <cstring>
#include <stdexcept>

namespace rsrc {
namespace {

// Everything in the file is big-endian.
void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back((uint8_t)(value >> 8));
    out.push_back((uint8_t)value);
}

void Put24(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back((uint8_t)(value >> 16));
    Put16(out, value & 0xFFFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}

// The Resource Manager reserves the first 256 bytes: the 16-byte header,
// then system and application areas that stay zero.
constexpr uint32_t kDataOffset = 256;
constexpr uint32_t kHeaderSize = 16;
// Map header: a copy of the file header, the next-map handle, the file
// reference number, the attributes and the two list offsets.
constexpr uint32_t kMapHeaderSize = kHeaderSize + 4 + 2 + 2 + 2 + 2;
constexpr uint32_t kTypeEntrySize = 4 + 2 + 2;
constexpr uint32_t kReferenceSize = 2 + 2 + 1 + 3 + 4;
// The reference entry's offset into the data area has 24 bits.
constexpr uint32_t kMaxDataOffset = 0xFFFFFF;
constexpr uint16_t kNoName = 0xFFFF;

bool SameType(const Resource& a, const Resource& b) { return std::memcmp(a.type, b.type, 4) == 0; }

using Types = std::vector<std::vector<const Resource*>>;

// Types in order of first appearance, each with its resources in order.
Types GroupByType(const std::vector<Resource>& resources)
{
    Types types;
    for (const Resource& r : resources) {
        std::vector<const Resource*>* group = nullptr;
        for (auto& t : types) {
            if (SameType(*t.front(), r)) {
                group = &t;
            }
        }
        if (group == nullptr) {
            types.emplace_back();
            group = &types.back();
        }
        for (const Resource* other : *group) {
            if (other->id == r.id) {
                throw std::invalid_argument("two resources share a type and an id");
            }
        }
        group->push_back(&r);
    }
    if (types.size() > 0x10000) {
        throw std::invalid_argument("too many resource types");
    }
    return types;
}

// The data area: each resource's data preceded by its 32-bit length. Returns
// where each length word lies in the area, which the references point at.
std::vector<uint32_t> PutData(const Types& types, std::vector<uint8_t>& out)
{
    std::vector<uint32_t> data_offsets;
    for (const auto& t : types) {
        for (const Resource* r : t) {
            uint32_t at = (uint32_t)(out.size() - kDataOffset);
            if (at > kMaxDataOffset || r->data.size() > 0xFFFFFFFFu - at) {
                throw std::invalid_argument("resource data too large");
            }
            data_offsets.push_back(at);
            Put32(out, (uint32_t)r->data.size());
            out.insert(out.end(), r->data.begin(), r->data.end());
        }
    }
    return data_offsets;
}

// The type list: its count word, then each type with the offset of its
// reference list from that count word.
void PutTypeList(const Types& types, uint32_t type_list_size, std::vector<uint8_t>& out)
{
    Put16(out, (uint32_t)(types.size() - 1) & 0xFFFF);
    uint32_t reference_offset = type_list_size;
    for (const auto& t : types) {
        if (t.size() > 0x10000) {
            throw std::invalid_argument("too many resources of one type");
        }
        out.insert(out.end(), t.front()->type, t.front()->type + 4);
        Put16(out, (uint32_t)(t.size() - 1));
        Put16(out, reference_offset);
        reference_offset += kReferenceSize * (uint32_t)t.size();
    }
}

// The reference lists, type by type: id, no name, and where the data lies.
void PutReferences(const Types& types, const std::vector<uint32_t>& data_offsets, std::vector<uint8_t>& out)
{
    size_t next = 0;
    for (const auto& t : types) {
        for (const Resource* r : t) {
            Put16(out, (uint16_t)r->id);
            Put16(out, kNoName);
            out.push_back(0);  // attributes
            Put24(out, data_offsets[next++]);
            Put32(out, 0);  // handle, filled in by the Resource Manager
        }
    }
}

}  // namespace

std::vector<uint8_t> Build(const std::vector<Resource>& resources)
{
    const Types types = GroupByType(resources);
    std::vector<uint8_t> out(kDataOffset, 0);
    const std::vector<uint32_t> data_offsets = PutData(types, out);
    const uint32_t data_length = (uint32_t)(out.size() - kDataOffset);
    const uint32_t map_offset = (uint32_t)out.size();

    // The type list starts with its count word; reference lists follow it, and
    // each type entry locates its list relative to that count word.
    const uint32_t type_list_offset = kMapHeaderSize;
    const uint32_t type_list_size = 2 + kTypeEntrySize * (uint32_t)types.size();
    const uint32_t name_list_offset = type_list_offset + type_list_size + kReferenceSize * (uint32_t)resources.size();
    if (name_list_offset > 0xFFFF) {
        throw std::invalid_argument("resource map too large");
    }
    const uint32_t map_length = name_list_offset;  // no names

    std::vector<uint8_t> header;
    Put32(header, kDataOffset);
    Put32(header, map_offset);
    Put32(header, data_length);
    Put32(header, map_length);
    std::memcpy(out.data(), header.data(), kHeaderSize);

    out.insert(out.end(), header.begin(), header.end());
    Put32(out, 0);  // next-map handle, filled in by the Resource Manager
    Put16(out, 0);  // file reference number, likewise
    Put16(out, 0);  // map attributes
    Put16(out, type_list_offset);
    Put16(out, name_list_offset);

    PutTypeList(types, type_list_size, out);
    PutReferences(types, data_offsets, out);
    return out;
}

}  // namespace rsrc
