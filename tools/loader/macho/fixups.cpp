#include "tools/loader/macho/fixups.h"

#include "tools/loader/macho/format.h"

namespace loader {
namespace macho {

namespace {

// The rebase and bind streams share their addressing: a segment, an offset
// in it, and a few ways to advance. Each place a fixup lands on is checked
// here, so the lists hold only places the image can take.
class Places {
public:
    Places(const std::vector<Segment>& segments, const char* what) : segments_(segments), what_(what)
    {
        for (const Segment& seg : segments) {
            if (seg.initprot & VM_PROT_WRITE) limit_ += seg.vmsize / kPointerSize;
        }
    }

    void set(uint64_t segment, uint64_t offset)
    {
        if (segment >= segments_.size()) {
            throw LoadError(std::string(what_) + " names segment " + std::to_string(segment) + ", which does not exist");
        }
        segment_ = segment;
        offset_ = offset;
        set_ = true;
    }
    void advance(uint64_t bytes) { offset_ += bytes; }

    // The current place, checked; counts fixups so that a stream cannot
    // repeat one place without end.
    void check()
    {
        if (!set_) throw LoadError(std::string(what_) + " acts before it names a segment");
        const Segment& seg = segments_[segment_];
        if (offset_ > seg.vmsize || seg.vmsize - offset_ < kPointerSize) {
            throw LoadError(std::string(what_) + " at offset " + std::to_string(offset_) + " lies outside segment " +
                            seg.name);
        }
        if (!(seg.initprot & VM_PROT_WRITE)) {
            throw LoadError(std::string(what_) + " would change read-only segment " + seg.name);
        }
        if (++count_ > limit_) throw LoadError(std::string(what_) + " holds more fixups than the image has pointers");
    }

    uint64_t segment() const { return segment_; }
    uint64_t offset() const { return offset_; }

private:
    const std::vector<Segment>& segments_;
    const char* what_;
    uint64_t segment_ = 0;
    uint64_t offset_ = 0;
    bool set_ = false;
    uint64_t count_ = 0;
    uint64_t limit_ = 0;
};

void require_pointer_type(uint8_t type, const char* what)
{
    if (type != REBASE_TYPE_POINTER) {
        throw LoadError(std::string(what) + " of type " + std::to_string(type) +
                        " (only pointers are fixed up; text relocations are not supported)");
    }
}

}  // namespace

std::vector<Rebase> read_rebases(Bytes opcodes, const std::vector<Segment>& segments)
{
    const char* what = "rebase information";
    Cursor in(opcodes, what);
    Places place(segments, what);
    uint8_t type = 0;
    std::vector<Rebase> rebases;
    auto rebase = [&]() {
        place.check();
        require_pointer_type(type, what);
        rebases.push_back({place.segment(), place.offset()});
    };
    while (!in.at_end()) {
        uint8_t byte = in.byte();
        uint8_t imm = byte & REBASE_IMMEDIATE_MASK;
        switch (byte & REBASE_OPCODE_MASK) {
        case REBASE_OPCODE_DONE: return rebases;
        case REBASE_OPCODE_SET_TYPE_IMM: type = imm; break;
        case REBASE_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB: place.set(imm, in.uleb()); break;
        case REBASE_OPCODE_ADD_ADDR_ULEB: place.advance(in.uleb()); break;
        case REBASE_OPCODE_ADD_ADDR_IMM_SCALED: place.advance(imm * kPointerSize); break;
        case REBASE_OPCODE_DO_REBASE_IMM_TIMES:
            for (uint8_t i = 0; i < imm; ++i, place.advance(kPointerSize)) rebase();
            break;
        case REBASE_OPCODE_DO_REBASE_ULEB_TIMES:
            for (uint64_t n = in.uleb(); n; --n, place.advance(kPointerSize)) rebase();
            break;
        case REBASE_OPCODE_DO_REBASE_ADD_ADDR_ULEB:
            rebase();
            place.advance(kPointerSize + in.uleb());
            break;
        case REBASE_OPCODE_DO_REBASE_ULEB_TIMES_SKIPPING_ULEB: {
            uint64_t count = in.uleb();
            uint64_t skip = in.uleb();
            for (; count; --count, place.advance(kPointerSize + skip)) rebase();
            break;
        }
        default: throw LoadError("rebase opcode " + hex(byte) + " is not known");
        }
    }
    return rebases;
}

std::vector<Bind> read_binds(Bytes opcodes, BindStream stream, const std::vector<Segment>& segments)
{
    const char* what = stream == BindStream::Lazy ? "lazy bind information" : "bind information";
    Cursor in(opcodes, what);
    Places place(segments, what);
    uint8_t type = stream == BindStream::Lazy ? BIND_TYPE_POINTER : 0;
    Bind next;
    std::vector<Bind> binds;
    auto bind = [&]() {
        place.check();
        require_pointer_type(type, what);
        if (next.symbol.empty()) throw LoadError(std::string(what) + " binds before it names a symbol");
        next.segment = place.segment();
        next.offset = place.offset();
        binds.push_back(next);
    };
    while (!in.at_end()) {
        uint8_t byte = in.byte();
        uint8_t imm = byte & BIND_IMMEDIATE_MASK;
        switch (byte & BIND_OPCODE_MASK) {
        case BIND_OPCODE_DONE:
            // Lazy entries each end with "done"; the regular stream ends at its first.
            if (stream == BindStream::Lazy) break;
            return binds;
        case BIND_OPCODE_SET_DYLIB_ORDINAL_IMM: next.ordinal = imm; break;
        case BIND_OPCODE_SET_DYLIB_ORDINAL_ULEB: next.ordinal = (int64_t)in.uleb(); break;
        // The special ordinals are small negative numbers, sign-extended from the immediate.
        case BIND_OPCODE_SET_DYLIB_SPECIAL_IMM:
            next.ordinal = imm ? (int64_t)(int8_t)(BIND_OPCODE_MASK | imm) : 0;
            break;
        case BIND_OPCODE_SET_SYMBOL_TRAILING_FLAGS_IMM: next.symbol = in.cstring(); break;
        case BIND_OPCODE_SET_TYPE_IMM: type = imm; break;
        case BIND_OPCODE_SET_ADDEND_SLEB: next.addend = in.sleb(); break;
        case BIND_OPCODE_SET_SEGMENT_AND_OFFSET_ULEB: place.set(imm, in.uleb()); break;
        case BIND_OPCODE_ADD_ADDR_ULEB: place.advance(in.uleb()); break;
        case BIND_OPCODE_DO_BIND:
            bind();
            place.advance(kPointerSize);
            break;
        case BIND_OPCODE_DO_BIND_ADD_ADDR_ULEB:
            bind();
            place.advance(kPointerSize + in.uleb());
            break;
        case BIND_OPCODE_DO_BIND_ADD_ADDR_IMM_SCALED:
            bind();
            place.advance(kPointerSize + imm * kPointerSize);
            break;
        case BIND_OPCODE_DO_BIND_ULEB_TIMES_SKIPPING_ULEB: {
            uint64_t count = in.uleb();
            uint64_t skip = in.uleb();
            for (; count; --count, place.advance(kPointerSize + skip)) bind();
            break;
        }
        case BIND_OPCODE_THREADED:
            throw LoadError(std::string(what) + " uses threaded binds, which this loader does not implement");
        default: throw LoadError(std::string(what) + ": opcode " + hex(byte) + " is not known");
        }
    }
    return binds;
}

void apply_rebases(MappedImage& image, const std::vector<Rebase>& rebases)
{
    for (const Rebase& r : rebases) {
        uint64_t value = image.read_pointer(r.segment, r.offset, "rebase");
        image.write_pointer(r.segment, r.offset, value + image.slide(), "rebase");
    }
}

void apply_binds(MappedImage& image, const std::vector<Bind>& binds, const SymbolResolver& resolve)
{
    for (const Bind& b : binds) {
        image.write_pointer(b.segment, b.offset, resolve(b.ordinal, b.symbol) + (uint64_t)b.addend, "bind");
    }
}

}  // namespace macho
}  // namespace loader

