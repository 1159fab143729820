// What the host reads from a plug-in's property list ("PiPL") before it runs
// any of its code, as far as the host checks it against the effect's own
// answers: the global flags. The list comes from a Windows resource (little
// endian, with a leading 16-bit word) or from a bundle's resource file (big
// endian, inside the classic resource map).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace aehost {

enum class ByteOrder { Little, Big };

struct PropertyList {
    bool has_out_flags = false;   // "eGLO"
    bool has_out_flags2 = false;  // "eGL2"
    uint32_t out_flags = 0;
    uint32_t out_flags2 = 0;
};

// Little-endian lists start with a 16-bit word before the version and count.
// False, with the reason, for a list that runs past its end.
bool read_property_list(const std::vector<uint8_t>& bytes, ByteOrder order, PropertyList* list, std::string* error);

// The data of resource (type, id) in a classic resource file; false when the
// file holds no such resource or is malformed.
bool find_resource(const std::vector<uint8_t>& file, const char (&type)[5], int16_t id, std::vector<uint8_t>* data);

// The plug-in property list's resource type and id on both systems.
constexpr char kPiplType[] = "PiPL";
constexpr int16_t kPiplId = 16000;

}  // namespace aehost
