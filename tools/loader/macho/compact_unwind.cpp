#include "tools/loader/macho/compact_unwind.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "tools/loader/macho/format.h"

namespace loader {
namespace macho {

namespace {

struct Pair {
    uint32_t offset;  // a function's, from the image's header
    uint32_t value;   // its encoding, or its LSDA's offset
};

// One second-level page's functions and their encodings, appended to raw; a
// compressed page's encodings come from the common array or its own.
void read_page(Bytes info, uint32_t page_at, uint32_t function_base, uint32_t common_at, uint32_t common_count,
               std::vector<Pair>& raw)
{
    namespace regular = unwind_info_regular_second_level_page_header;
    namespace compressed = unwind_info_compressed_second_level_page_header;
    const char* what = "compact unwind information";
    uint32_t kind = info.le<uint32_t>(page_at + regular::kind, what);
    uint16_t entries_at = info.le<uint16_t>(page_at + regular::entryPageOffset, what);
    uint16_t entry_count = info.le<uint16_t>(page_at + regular::entryCount, what);
    if (kind == UNWIND_SECOND_LEVEL_REGULAR) {
        namespace entry = unwind_info_regular_second_level_entry;
        for (uint32_t k = 0; k < entry_count; ++k) {
            uint64_t e = page_at + entries_at + entry::record_size * k;
            raw.push_back(
                {info.le<uint32_t>(e + entry::functionOffset, what), info.le<uint32_t>(e + entry::encoding, what)});
        }
    } else if (kind == UNWIND_SECOND_LEVEL_COMPRESSED) {
        uint16_t encodings_at = info.le<uint16_t>(page_at + compressed::encodingsPageOffset, what);
        uint16_t encoding_count = info.le<uint16_t>(page_at + compressed::encodingsCount, what);
        for (uint32_t k = 0; k < entry_count; ++k) {
            uint32_t e = info.le<uint32_t>(page_at + entries_at + sizeof(uint32_t) * k, what);
            uint32_t n = e >> UNWIND_INFO_COMPRESSED_ENTRY_ENCODING_INDEX_SHIFT;
            uint32_t encoding;
            if (n < common_count) {
                encoding = info.le<uint32_t>(common_at + sizeof(uint32_t) * n, what);
            } else if (n - common_count < encoding_count) {
                encoding = info.le<uint32_t>(page_at + encodings_at + sizeof(uint32_t) * (n - common_count), what);
            } else {
                throw LoadError("compact unwind entry names encoding " + std::to_string(n) + ", which does not exist");
            }
            raw.push_back({function_base + (e & UNWIND_INFO_COMPRESSED_ENTRY_FUNC_OFFSET_MASK), encoding});
        }
    } else {
        throw LoadError("compact unwind page of unknown kind " + std::to_string(kind));
    }
}

// The entries of the sorted (function, encoding) pairs: each function runs to
// the next one (the last to text_end); a zero encoding is no entry.
std::vector<UnwindEntry> entries_of(Bytes info, const std::vector<Pair>& raw, uint32_t text_end,
                                    const std::vector<Pair>& lsdas, uint32_t personality_at, uint32_t personality_count)
{
    const char* what = "compact unwind information";
    std::vector<UnwindEntry> entries;
    for (size_t i = 0; i < raw.size(); ++i) {
        uint32_t end = i + 1 < raw.size() ? raw[i + 1].offset : text_end;
        if (raw[i].value == 0 || end <= raw[i].offset) continue;
        UnwindEntry entry;
        entry.start = raw[i].offset;
        entry.end = end;
        entry.encoding = raw[i].value;
        if (uint32_t p = (entry.encoding & UNWIND_PERSONALITY_MASK) >> UNWIND_PERSONALITY_SHIFT) {
            if (p > personality_count) throw LoadError("compact unwind entry names a personality that does not exist");
            entry.has_personality = true;
            entry.personality_slot = info.le<uint32_t>(personality_at + sizeof(uint32_t) * (p - 1ull), what);
        }
        if (entry.encoding & UNWIND_HAS_LSDA) {
            auto found =
                std::find_if(lsdas.begin(), lsdas.end(), [&](const Pair& l) { return l.offset == entry.start; });
            if (found == lsdas.end()) throw LoadError("compact unwind entry at " + hex(entry.start) + " has no LSDA");
            entry.has_lsda = true;
            entry.lsda = found->value;
        }
        entries.push_back(entry);
    }
    return entries;
}

}  // namespace

std::vector<UnwindEntry> read_compact_unwind(Bytes info)
{
    namespace h = unwind_info_section_header;
    namespace index = unwind_info_section_header_index_entry;
    namespace lsda_entry = unwind_info_section_header_lsda_index_entry;
    const char* what = "compact unwind information";
    if (info.le<uint32_t>(h::version, what) != UNWIND_SECTION_VERSION) {
        throw LoadError("compact unwind information has an unknown version");
    }
    uint32_t common_at = info.le<uint32_t>(h::commonEncodingsArraySectionOffset, what);
    uint32_t common_count = info.le<uint32_t>(h::commonEncodingsArrayCount, what);
    uint32_t personality_at = info.le<uint32_t>(h::personalityArraySectionOffset, what);
    uint32_t personality_count = info.le<uint32_t>(h::personalityArrayCount, what);
    uint32_t index_at = info.le<uint32_t>(h::indexSectionOffset, what);
    uint32_t index_count = info.le<uint32_t>(h::indexCount, what);
    if (index_count == 0) return {};

    std::vector<Pair> raw;
    std::vector<Pair> lsdas;
    for (uint32_t i = 0; i + 1 < index_count; ++i) {
        uint64_t at = index_at + index::record_size * i;
        uint32_t function_base = info.le<uint32_t>(at + index::functionOffset, what);
        uint32_t page_at = info.le<uint32_t>(at + index::secondLevelPagesSectionOffset, what);
        uint32_t lsda_at = info.le<uint32_t>(at + index::lsdaIndexArraySectionOffset, what);
        // The next index entry's LSDA array starts where this one's ends.
        uint32_t lsda_end = info.le<uint32_t>(at + index::record_size + index::lsdaIndexArraySectionOffset, what);
        for (uint64_t l = lsda_at; l + lsda_entry::record_size <= lsda_end; l += lsda_entry::record_size) {
            lsdas.push_back({info.le<uint32_t>(l + lsda_entry::functionOffset, what),
                             info.le<uint32_t>(l + lsda_entry::lsdaOffset, what)});
        }
        if (page_at == 0) continue;
        read_page(info, page_at, function_base, common_at, common_count, raw);
    }
    // The last index entry only marks where the last function ends.
    uint32_t text_end = info.le<uint32_t>(index_at + index::record_size * (index_count - 1) + index::functionOffset, what);
    std::sort(raw.begin(), raw.end(), [](const Pair& a, const Pair& b) {
        return a.offset != b.offset ? a.offset < b.offset : a.value < b.value;
    });

    return entries_of(info, raw, text_end, lsdas, personality_at, personality_count);
}

std::vector<CompactEntry> resolve_compact_unwind(const MappedImage& image, const std::vector<UnwindEntry>& entries)
{
    uint64_t header = (uint64_t)(uintptr_t)image.header();
    uint64_t unslid_header = header - image.slide();
    std::vector<CompactEntry> resolved;
    for (const UnwindEntry& e : entries) {
        CompactEntry entry;
        entry.start = header + e.start;
        entry.end = header + e.end;
        entry.encoding = e.encoding;
        if (!image.is_code(entry.start, entry.end - entry.start)) {
            throw LoadError("compact unwind entry at " + hex(e.start) + " does not describe code");
        }
        if (e.has_personality) {
            std::memcpy(&entry.personality,
                        image.bytes(unslid_header + e.personality_slot, kPointerSize, "personality pointer").data(),
                        kPointerSize);
        }
        if (e.has_lsda) {
            image.bytes(unslid_header + e.lsda, 1, "LSDA");
            entry.lsda = header + e.lsda;
        }
        resolved.push_back(entry);
    }
    return resolved;
}

}  // namespace macho
}  // namespace loader
