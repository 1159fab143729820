#include "tools/loader/macho/compact_unwind.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace loader {
namespace macho {

namespace {

constexpr uint32_t kHasLsda = 0x40000000;
constexpr uint32_t kPersonalityMask = 0x30000000;
constexpr uint32_t kPersonalityShift = 28;
constexpr uint32_t kRegularPage = 2;
constexpr uint32_t kCompressedPage = 3;

struct RawEntry {
    uint32_t offset;  // from the image's header
    uint32_t encoding;
};

}  // namespace

std::vector<CompactEntry> read_compact_unwind(const MappedImage& image, uint64_t unwind_info_addr,
                                              uint64_t unwind_info_size)
{
    const char* what = "compact unwind information";
    Bytes info = image.bytes(unwind_info_addr, unwind_info_size, what);
    if (info.le<uint32_t>(0, what) != 1) throw LoadError("compact unwind information has an unknown version");
    uint32_t common_at = info.le<uint32_t>(4, what);
    uint32_t common_count = info.le<uint32_t>(8, what);
    uint32_t personality_at = info.le<uint32_t>(12, what);
    uint32_t personality_count = info.le<uint32_t>(16, what);
    uint32_t index_at = info.le<uint32_t>(20, what);
    uint32_t index_count = info.le<uint32_t>(24, what);
    if (index_count == 0) return {};

    std::vector<RawEntry> raw;
    std::vector<RawEntry> lsdas;  // function offset, LSDA offset
    for (uint32_t i = 0; i + 1 < index_count; ++i) {
        uint64_t at = index_at + 12ull * i;
        uint32_t function_base = info.le<uint32_t>(at, what);
        uint32_t page_at = info.le<uint32_t>(at + 4, what);
        uint32_t lsda_at = info.le<uint32_t>(at + 8, what);
        uint32_t lsda_end = info.le<uint32_t>(at + 12 + 8, what);
        for (uint64_t l = lsda_at; l + 8 <= lsda_end; l += 8) {
            lsdas.push_back({info.le<uint32_t>(l, what), info.le<uint32_t>(l + 4, what)});
        }
        if (page_at == 0) continue;
        uint32_t kind = info.le<uint32_t>(page_at, what);
        uint16_t entries_at = info.le<uint16_t>(page_at + 4, what);
        uint16_t entry_count = info.le<uint16_t>(page_at + 6, what);
        if (kind == kRegularPage) {
            for (uint32_t k = 0; k < entry_count; ++k) {
                uint64_t e = page_at + entries_at + 8ull * k;
                raw.push_back({info.le<uint32_t>(e, what), info.le<uint32_t>(e + 4, what)});
            }
        } else if (kind == kCompressedPage) {
            uint16_t encodings_at = info.le<uint16_t>(page_at + 8, what);
            uint16_t encoding_count = info.le<uint16_t>(page_at + 10, what);
            for (uint32_t k = 0; k < entry_count; ++k) {
                uint32_t e = info.le<uint32_t>(page_at + entries_at + 4ull * k, what);
                uint32_t index = e >> 24;
                uint32_t encoding;
                if (index < common_count) {
                    encoding = info.le<uint32_t>(common_at + 4ull * index, what);
                } else if (index - common_count < encoding_count) {
                    encoding = info.le<uint32_t>(page_at + encodings_at + 4ull * (index - common_count), what);
                } else {
                    throw LoadError("compact unwind entry names encoding " + std::to_string(index) + ", which does not exist");
                }
                raw.push_back({function_base + (e & 0x00FFFFFF), encoding});
            }
        } else {
            throw LoadError("compact unwind page of unknown kind " + std::to_string(kind));
        }
    }
    // The last index entry only marks where the last function ends.
    uint32_t text_end = info.le<uint32_t>(index_at + 12ull * (index_count - 1), what);
    std::sort(raw.begin(), raw.end(), [](const RawEntry& a, const RawEntry& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.encoding < b.encoding;
    });

    uint64_t header = (uint64_t)(uintptr_t)image.header();
    uint64_t unslid_header = header - image.slide();
    std::vector<CompactEntry> entries;
    for (size_t i = 0; i < raw.size(); ++i) {
        uint32_t end = i + 1 < raw.size() ? raw[i + 1].offset : text_end;
        if (raw[i].encoding == 0 || end <= raw[i].offset) continue;
        CompactEntry entry;
        entry.start = header + raw[i].offset;
        entry.end = header + end;
        entry.encoding = raw[i].encoding;
        if (!image.is_code(entry.start, entry.end - entry.start)) {
            throw LoadError("compact unwind entry at " + hex(raw[i].offset) + " does not describe code");
        }
        if (uint32_t p = (entry.encoding & kPersonalityMask) >> kPersonalityShift) {
            if (p > personality_count) throw LoadError("compact unwind entry names a personality that does not exist");
            uint32_t slot = info.le<uint32_t>(personality_at + 4ull * (p - 1), what);
            uint64_t pointer;
            std::memcpy(&pointer, image.bytes(unslid_header + slot, 8, "personality pointer").data(), 8);
            entry.personality = pointer;
        }
        if (entry.encoding & kHasLsda) {
            auto found = std::find_if(lsdas.begin(), lsdas.end(),
                                      [&](const RawEntry& l) { return l.offset == raw[i].offset; });
            if (found == lsdas.end()) throw LoadError("compact unwind entry at " + hex(raw[i].offset) + " has no LSDA");
            image.bytes(unslid_header + found->encoding, 1, "LSDA");
            entry.lsda = header + found->encoding;
        }
        entries.push_back(entry);
    }
    return entries;
}

}  // namespace macho
}  // namespace loader
