#include "tools/loader/macho/fixups.h"

namespace loader {
namespace macho {

namespace {

constexpr uint8_t kOpcodeMask = 0xF0;
constexpr uint8_t kImmediateMask = 0x0F;
constexpr uint8_t kTypePointer = 1;
constexpr uint64_t kPointerSize = 8;

// The rebase and bind streams share their addressing: a segment, an offset
// in it, and a few ways to advance.
struct Place {
    uint64_t segment = 0;
    uint64_t offset = 0;
    bool set = false;
};

void require_place(const Place& place, const char* what)
{
    if (!place.set) throw LoadError(std::string(what) + " acts before it names a segment");
}

void require_pointer_type(uint8_t type, const char* what)
{
    if (type != kTypePointer) {
        throw LoadError(std::string(what) + " of type " + std::to_string(type) +
                        " (only pointers are fixed up; text relocations are not supported)");
    }
}

}  // namespace

void apply_rebases(MappedImage& image, Bytes opcodes)
{
    const char* what = "rebase information";
    Cursor in(opcodes, what);
    Place place;
    uint8_t type = 0;
    auto rebase = [&]() {
        require_place(place, what);
        require_pointer_type(type, what);
        uint64_t value = image.read_pointer(place.segment, place.offset, "rebase");
        image.write_pointer(place.segment, place.offset, value + image.slide(), "rebase");
    };
    while (!in.at_end()) {
        uint8_t byte = in.byte();
        uint8_t imm = byte & kImmediateMask;
        switch (byte & kOpcodeMask) {
        case 0x00: return;  // done
        case 0x10: type = imm; break;
        case 0x20:
            place.segment = imm;
            place.offset = in.uleb();
            place.set = true;
            break;
        case 0x30: place.offset += in.uleb(); break;
        case 0x40: place.offset += imm * kPointerSize; break;
        case 0x50:
            for (uint8_t i = 0; i < imm; ++i, place.offset += kPointerSize) rebase();
            break;
        case 0x60:
            for (uint64_t n = in.uleb(); n; --n, place.offset += kPointerSize) rebase();
            break;
        case 0x70:
            rebase();
            place.offset += kPointerSize + in.uleb();
            break;
        case 0x80: {
            uint64_t count = in.uleb();
            uint64_t skip = in.uleb();
            for (; count; --count, place.offset += kPointerSize + skip) rebase();
            break;
        }
        default: throw LoadError("rebase opcode " + hex(byte) + " is not known");
        }
    }
}

void apply_binds(MappedImage& image, Bytes opcodes, BindStream stream, const SymbolResolver& resolve)
{
    const char* what = stream == BindStream::Lazy ? "lazy bind information" : "bind information";
    Cursor in(opcodes, what);
    Place place;
    uint8_t type = stream == BindStream::Lazy ? kTypePointer : 0;
    int64_t ordinal = 0;
    int64_t addend = 0;
    std::string symbol;
    auto bind = [&]() {
        require_place(place, what);
        require_pointer_type(type, what);
        if (symbol.empty()) throw LoadError(std::string(what) + " binds before it names a symbol");
        uint64_t address = resolve(ordinal, symbol);
        image.write_pointer(place.segment, place.offset, address + (uint64_t)addend, "bind");
    };
    while (!in.at_end()) {
        uint8_t byte = in.byte();
        uint8_t imm = byte & kImmediateMask;
        switch (byte & kOpcodeMask) {
        case 0x00:
            // Lazy entries each end with "done"; the regular stream ends at its first.
            if (stream == BindStream::Lazy) break;
            return;
        case 0x10: ordinal = imm; break;
        case 0x20: ordinal = (int64_t)in.uleb(); break;
        case 0x30: ordinal = imm ? (int64_t)(int8_t)(0xF0 | imm) : 0; break;
        case 0x40: symbol = in.cstring(); break;
        case 0x50: type = imm; break;
        case 0x60: addend = in.sleb(); break;
        case 0x70:
            place.segment = imm;
            place.offset = in.uleb();
            place.set = true;
            break;
        case 0x80: place.offset += in.uleb(); break;
        case 0x90:
            bind();
            place.offset += kPointerSize;
            break;
        case 0xA0:
            bind();
            place.offset += kPointerSize + in.uleb();
            break;
        case 0xB0:
            bind();
            place.offset += kPointerSize + imm * kPointerSize;
            break;
        case 0xC0: {
            uint64_t count = in.uleb();
            uint64_t skip = in.uleb();
            for (; count; --count, place.offset += kPointerSize + skip) bind();
            break;
        }
        case 0xD0: throw LoadError(std::string(what) + " uses threaded binds, which this loader does not implement");
        default: throw LoadError(std::string(what) + ": opcode " + hex(byte) + " is not known");
        }
    }
}

}  // namespace macho
}  // namespace loader
