#include "tools/loader/macho/dwarf_frames.h"

#include <cstring>
#include <map>
#include <string>

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/load_commands.h"

// libgcc's registration of frame information that no loaded ELF file
// carries: a null-terminated table of .eh_frame parts, each ending with a
// zero length word, registered as one object.
extern "C" void __register_frame_table(void* table);
extern "C" void __deregister_frame(void* begin);

namespace loader {
namespace macho {

namespace {

constexpr uint8_t kCfaDefCfa = 0x0C;
constexpr uint8_t kCfaOffset = 0x80;
constexpr uint8_t kCfaOffsetExtended = 0x05;
constexpr int kDataAlign = -8;

// x86_64 DWARF register numbers.
constexpr unsigned kX86Rbp = 6;
constexpr unsigned kX86Rsp = 7;
constexpr unsigned kX86ReturnAddress = 16;
// Compact unwind numbers registers 1-6 as rbx, r12, r13, r14, r15, rbp.
constexpr unsigned kX86CompactToDwarf[7] = {0, 3, 12, 13, 14, 15, 6};

constexpr uint32_t kX86ModeRbpFrame = 0x01000000;
constexpr uint32_t kX86ModeStackImmediate = 0x02000000;
constexpr uint32_t kX86ModeStackIndirect = 0x03000000;
constexpr uint32_t kX86ModeDwarf = 0x04000000;

// arm64 DWARF register numbers.
constexpr unsigned kArmFp = 29;
constexpr unsigned kArmLr = 30;
constexpr unsigned kArmSp = 31;
constexpr unsigned kArmD0 = 64;

constexpr uint32_t kArmModeFrameless = 0x02000000;
constexpr uint32_t kArmModeFrame = 0x04000000;
constexpr uint32_t kArmModeDwarf = 0x03000000;

class Writer {
public:
    std::vector<uint8_t> bytes;

    void u8(uint8_t v) { bytes.push_back(v); }
    void u32(uint32_t v) { append(&v, 4); }
    void u64(uint64_t v) { append(&v, 8); }
    void uleb(uint64_t v)
    {
        do {
            uint8_t b = v & 0x7F;
            v >>= 7;
            u8(v ? b | 0x80 : b);
        } while (v);
    }
    void sleb(int64_t v)
    {
        for (bool more = true; more;) {
            uint8_t b = v & 0x7F;
            v >>= 7;
            more = !((v == 0 && !(b & 0x40)) || (v == -1 && (b & 0x40)));
            u8(more ? b | 0x80 : b);
        }
    }
    void text(const char* s) { append(s, std::strlen(s) + 1); }

    // Starts a length-prefixed record; finish() pads it to 8 bytes with
    // DW_CFA_nop and fills in the length.
    size_t begin()
    {
        size_t at = bytes.size();
        u32(0);
        return at;
    }
    void finish(size_t at)
    {
        while ((bytes.size() - at) % 8) u8(0);
        uint32_t length = (uint32_t)(bytes.size() - at - 4);
        std::memcpy(&bytes[at], &length, 4);
    }

    // Register `reg` saved at CFA + factor * kDataAlign.
    void saved_at(unsigned reg, unsigned factor)
    {
        if (reg < 64) {
            u8(kCfaOffset | reg);
        } else {
            u8(kCfaOffsetExtended);
            uleb(reg);
        }
        uleb(factor);
    }
    void def_cfa(unsigned reg, uint64_t offset)
    {
        u8(kCfaDefCfa);
        uleb(reg);
        uleb(offset);
    }

private:
    void append(const void* p, size_t n)
    {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
};

std::string where(const CompactEntry& e) { return " (encoding " + hex(e.encoding) + " at " + hex(e.start) + ")"; }

// The register numbers of a frameless x86_64 function's saved registers, in
// the order they lie on the stack, from the permutation the encoding packs
// them into (the scheme of Apple's compact unwind format).
std::vector<unsigned> x86_saved_registers(uint32_t count, uint32_t permutation, const CompactEntry& e)
{
    if (count > 6) throw LoadError("compact unwind saves more than six registers" + where(e));
    static const uint32_t kFactors[7][6] = {
        {}, {1}, {5, 1}, {20, 4, 1}, {60, 12, 3, 1}, {120, 24, 6, 2, 1}, {120, 24, 6, 2, 1, 1}};
    uint32_t digits[6] = {};
    for (uint32_t i = 0; i < count; ++i) {
        digits[i] = permutation / kFactors[count][i];
        permutation -= digits[i] * kFactors[count][i];
    }
    std::vector<unsigned> regs;
    bool used[7] = {};
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t rank = 0;
        unsigned chosen = 0;
        for (unsigned r = 1; r <= 6 && !chosen; ++r) {
            if (used[r]) continue;
            if (rank++ == digits[i]) chosen = r;
        }
        if (!chosen) throw LoadError("compact unwind register permutation is invalid" + where(e));
        used[chosen] = true;
        regs.push_back(kX86CompactToDwarf[chosen]);
    }
    return regs;
}

void x86_64_instructions(Writer& w, const CompactEntry& e)
{
    uint32_t mode = e.encoding & kUnwindModeMask;
    if (mode == kX86ModeRbpFrame) {
        uint32_t offset = (e.encoding >> 16) & 0xFF;
        uint32_t regs = e.encoding & 0x7FFF;
        w.def_cfa(kX86Rbp, 16);
        w.saved_at(kX86ReturnAddress, 1);
        w.saved_at(kX86Rbp, 2);
        for (uint32_t i = 0; i < 5; ++i) {
            uint32_t r = (regs >> (3 * i)) & 7;
            if (r == 0) continue;
            if (r > 5 || 2 + offset < i) throw LoadError("compact unwind saves a register it cannot" + where(e));
            w.saved_at(kX86CompactToDwarf[r], 2 + offset - i);
        }
        return;
    }
    if (mode == kX86ModeStackImmediate || mode == kX86ModeStackIndirect) {
        uint32_t size_field = (e.encoding >> 16) & 0xFF;
        uint32_t count = (e.encoding >> 10) & 0x7;
        uint64_t stack_size = size_field * 8ull;
        if (mode == kX86ModeStackIndirect) {
            // The size is the immediate of the function's own "sub rsp",
            // size_field bytes into it, plus what the pushes add.
            uint32_t adjust = (e.encoding >> 13) & 0x7;
            if (e.start + size_field + 4 > e.end) throw LoadError("compact unwind stack size lies outside the function" + where(e));
            uint32_t immediate;
            std::memcpy(&immediate, reinterpret_cast<const void*>(e.start + size_field), 4);
            stack_size = immediate + adjust * 8ull;
        }
        w.def_cfa(kX86Rsp, stack_size);
        w.saved_at(kX86ReturnAddress, 1);
        std::vector<unsigned> regs = x86_saved_registers(count, e.encoding & 0x3FF, e);
        for (uint32_t i = 0; i < count; ++i) w.saved_at(regs[i], 1 + count - i);
        return;
    }
    throw LoadError("compact unwind mode is not supported on x86_64" + where(e));
}

void arm64_instructions(Writer& w, const CompactEntry& e)
{
    uint32_t mode = e.encoding & kUnwindModeMask;
    // Callee-saved pairs in the order the prologue stores them, downwards.
    static const struct {
        uint32_t bit;
        unsigned first;
    } kPairs[] = {{0x001, 19}, {0x002, 21}, {0x004, 23}, {0x008, 25}, {0x010, 27},
                  {0x100, kArmD0 + 8}, {0x200, kArmD0 + 10}, {0x400, kArmD0 + 12}, {0x800, kArmD0 + 14}};
    unsigned factor;
    if (mode == kArmModeFrame) {
        w.def_cfa(kArmFp, 16);
        w.saved_at(kArmLr, 1);
        w.saved_at(kArmFp, 2);
        factor = 3;
    } else if (mode == kArmModeFrameless) {
        // A leaf: the return address stays in the link register.
        w.def_cfa(kArmSp, ((e.encoding >> 12) & 0xFFF) * 16ull);
        factor = 1;
    } else {
        throw LoadError("compact unwind mode is not supported on arm64" + where(e));
    }
    for (const auto& pair : kPairs) {
        if (!(e.encoding & pair.bit)) continue;
        w.saved_at(pair.first, factor++);
        w.saved_at(pair.first + 1, factor++);
    }
}

}  // namespace

std::vector<uint8_t> build_eh_frame(const std::vector<CompactEntry>& entries, uint32_t cputype,
                                    bool image_has_eh_frame)
{
    if (cputype != kCpuTypeX86_64 && cputype != kCpuTypeArm64) throw LoadError("no unwind support for this processor");
    bool x86 = cputype == kCpuTypeX86_64;
    Writer w;
    std::map<uint64_t, size_t> cies;  // personality -> CIE offset
    auto cie_for = [&](uint64_t personality) {
        auto found = cies.find(personality);
        if (found != cies.end()) return found->second;
        size_t at = w.begin();
        w.u32(0);  // CIE id
        w.u8(1);   // version
        w.text(personality ? "zPLR" : "zR");
        w.uleb(1);  // code alignment: no advance instructions are used
        w.sleb(kDataAlign);
        w.u8(x86 ? kX86ReturnAddress : kArmLr);
        if (personality) {
            w.uleb(1 + 8 + 1 + 1);
            w.u8(0);  // personality: absolute pointer
            w.u64(personality);
            w.u8(0);  // LSDA: absolute pointer
        } else {
            w.uleb(1);
        }
        w.u8(0);  // code addresses: absolute pointers
        w.finish(at);
        cies[personality] = at;
        return at;
    };
    for (const CompactEntry& e : entries) {
        if ((e.encoding & kUnwindModeMask) == (x86 ? kX86ModeDwarf : kArmModeDwarf)) {
            if (!image_has_eh_frame) throw LoadError("compact unwind refers to DWARF, but the image has no __eh_frame" + where(e));
            continue;
        }
        size_t cie = cie_for(e.personality);
        size_t at = w.begin();
        w.u32((uint32_t)(w.bytes.size() - cie));
        w.u64(e.start);
        w.u64(e.end - e.start);
        if (e.personality) {
            w.uleb(8);
            w.u64(e.lsda);
        } else {
            w.uleb(0);
        }
        if (x86) {
            x86_64_instructions(w, e);
        } else {
            arm64_instructions(w, e);
        }
        w.finish(at);
    }
    w.u32(0);
    return w.bytes;
}

FrameRegistration::FrameRegistration(std::vector<uint8_t> built, const uint8_t* image_eh_frame)
    : built_(std::move(built))
{
    if (built_.size() > 4) table_.push_back(built_.data());
    if (image_eh_frame) table_.push_back(image_eh_frame);
    if (table_.empty()) return;
    table_.push_back(nullptr);
    __register_frame_table(table_.data());
}

FrameRegistration::~FrameRegistration()
{
    if (!table_.empty()) __deregister_frame(table_.data());
}

}  // namespace macho
}  // namespace loader
