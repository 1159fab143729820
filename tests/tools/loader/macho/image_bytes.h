// Mach-O bytes built in the tests: a writer for the format's fields, and a
// small signed thin bundle for this processor (three segments, one library,
// fixups and exports given by the test) that the loader can load from memory.
#pragma once

#include <openssl/evp.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/format.h"
#include "tools/loader/macho/load_commands.h"
#include "tools/loader/macho/universal.h"

namespace loader {
namespace macho {
namespace test {

using ByteList = std::vector<uint8_t>;

struct Out {
    ByteList b;

    Out& u8(unsigned v) { return b.push_back((uint8_t)v), *this; }
    Out& u16(unsigned v) { return u8(v).u8(v >> 8); }
    Out& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Out& u64(uint64_t v) { return u32((uint32_t)v).u32((uint32_t)(v >> 32)); }
    Out& be32(uint32_t v) { return u8(v >> 24).u8(v >> 16).u8(v >> 8).u8(v); }
    Out& be64(uint64_t v) { return be32((uint32_t)(v >> 32)).be32((uint32_t)v); }
    Out& uleb(uint64_t v)
    {
        do {
            uint8_t low = v & 0x7F;
            v >>= 7;
            u8(v ? low | 0x80 : low);
        } while (v);
        return *this;
    }
    Out& text(const std::string& s) { return bytes(ByteList(s.begin(), s.end())).u8(0); }
    Out& name16(const std::string& s) { return bytes(ByteList(s.begin(), s.end())).zeros(kNameSize - s.size()); }
    Out& zeros(size_t n) { return b.resize(b.size() + n), *this; }
    Out& bytes(const ByteList& v) { return b.insert(b.end(), v.begin(), v.end()), *this; }
    Out& pad_to(size_t n) { return zeros(n > b.size() ? n - b.size() : 0); }
};

template <typename T>
void put(ByteList& b, uint64_t at, T v)
{
    std::memcpy(&b[at], &v, sizeof v);
}
inline void put_be32(ByteList& b, uint64_t at, uint32_t v)
{
    Out o;
    o.be32(v);
    std::memcpy(&b[at], o.b.data(), 4);
}

// A trie in which every name hangs from the root: (name, flags, offset).
struct Export {
    std::string name;
    uint64_t flags;
    uint64_t offset;
};
inline ByteList export_trie(const std::vector<Export>& exports)
{
    size_t root = 2;  // terminal size 0, child count
    for (const Export& e : exports) root += e.name.size() + 1 + 1;
    Out nodes;
    Out head;
    head.uleb(0).u8((unsigned)exports.size());
    for (const Export& e : exports) {
        head.text(e.name).uleb(root + nodes.b.size());  // one-byte offsets: tries of a few names only
        Out terminal;
        terminal.uleb(e.flags).uleb(e.offset);
        nodes.uleb(terminal.b.size()).bytes(terminal.b).u8(0);
    }
    return head.bytes(nodes.b).b;
}

// The bundle's layout: __TEXT (the header, then code at kCode), __DATA,
// __LINKEDIT (fixups, exports, signature), each at its file offset.
constexpr uint64_t kPage = 0x1000;
constexpr uint64_t kCode = 0x800;
constexpr uint64_t kData = 0x1000;
constexpr uint64_t kLinkedit = 0x2000;
// Where the load commands lie, for tests that change one.
constexpr uint64_t kTextCommand = mach_header_64::size;
constexpr uint64_t kTextSection = kTextCommand + segment_command_64::size;
constexpr uint64_t kDataCommand = kTextSection + section_64::record_size;
constexpr uint64_t kLinkeditCommand = kDataCommand + segment_command_64::size;
constexpr uint64_t kDyldInfoCommand = kLinkeditCommand + segment_command_64::size;
constexpr uint64_t kDylibCommand = kDyldInfoCommand + 48;
constexpr char kLibSystem[] = "/usr/lib/libSystem.B.dylib";

// __TEXT read-only, __DATA writable, as the fixup decoders check them.
inline const std::vector<Segment> kSegments = {
    {"__TEXT", 0, kData, 0, kData, VM_PROT_READ | VM_PROT_EXECUTE},
    {"__DATA", kData, kPage, kData, kPage, VM_PROT_READ | VM_PROT_WRITE}};

inline Bytes view(const ByteList& b) { return Bytes(b.data(), b.size()); }

struct ImagePlan {
    uint32_t cputype = host_cpu_type();
    ByteList code;
    ByteList data;
    ByteList rebase, bind, lazy_bind, weak_bind;
    std::vector<Export> exports;
    std::vector<ByteList> extra_commands;
    bool sign = true;
    std::function<void(ByteList&)> patch;  // applied before signing
};

struct BuiltImage {
    ByteList file;
    uint64_t signature = 0;  // the SuperBlob's offset
    uint64_t code_directory = 0;
};

inline ByteList segment_command(const std::string& name, uint64_t at, uint64_t vmsize, uint64_t filesize,
                                uint32_t prot, uint32_t nsects)
{
    Out c;
    c.u32(LC_SEGMENT_64).u32((uint32_t)(segment_command_64::size + section_64::record_size * nsects)).name16(name);
    c.u64(at).u64(vmsize).u64(at).u64(filesize).u32(prot).u32(prot).u32(nsects).u32(0);
    return c.b;
}

inline BuiltImage build_image(const ImagePlan& plan)
{
    // __LINKEDIT: each stream 8-aligned, the signature last.
    Out linkedit;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    const ByteList trie = export_trie(plan.exports);
    for (const ByteList* part : {&plan.rebase, &plan.bind, &plan.weak_bind, &plan.lazy_bind, &trie}) {
        ranges.push_back({(uint32_t)(kLinkedit + linkedit.b.size()), (uint32_t)part->size()});
        linkedit.bytes(*part).pad_to((linkedit.b.size() + 7) / 8 * 8);
    }
    const uint64_t signature = kLinkedit + (linkedit.b.size() + 15) / 16 * 16;
    const uint32_t pages = (uint32_t)((signature + kPage - 1) / kPage);
    const uint32_t cd_size = 48 + CS_SHA256_LEN * pages;
    const uint32_t blob_size = (uint32_t)CS_SuperBlob::index + (uint32_t)CS_BlobIndex::record_size + cd_size;
    const uint64_t end = signature + (plan.sign ? blob_size : 0);

    Out commands;
    commands.bytes(segment_command("__TEXT", 0, kData, kData, VM_PROT_READ | VM_PROT_EXECUTE, 1));
    commands.name16("__text").name16("__TEXT").u64(kCode).u64(plan.code.size()).zeros(section_64::record_size - 48);
    commands.bytes(segment_command("__DATA", kData, kPage, kPage, VM_PROT_READ | VM_PROT_WRITE, 0));
    commands.bytes(segment_command("__LINKEDIT", kLinkedit, (end - kLinkedit + kPage - 1) / kPage * kPage,
                                   end - kLinkedit, VM_PROT_READ, 0));
    commands.u32(LC_DYLD_INFO_ONLY).u32(48);
    for (const auto& range : ranges) commands.u32(range.first).u32(range.second);
    commands.u32(LC_LOAD_DYLIB).u32(56).u32(24).zeros(12).text(kLibSystem).pad_to(kDylibCommand - kTextCommand + 56);
    if (plan.sign) commands.u32(LC_CODE_SIGNATURE).u32(16).u32((uint32_t)signature).u32(blob_size);
    for (const ByteList& extra : plan.extra_commands) commands.bytes(extra);

    Out file;
    file.u32(MH_MAGIC_64).u32(plan.cputype).u32(0).u32(MH_BUNDLE);
    file.u32((uint32_t)(5 + plan.sign + plan.extra_commands.size())).u32((uint32_t)commands.b.size()).u32(0).u32(0);
    file.bytes(commands.b).pad_to(kCode).bytes(plan.code).pad_to(kData).bytes(plan.data).pad_to(kLinkedit);
    file.bytes(linkedit.b).pad_to(signature);
    if (plan.patch) plan.patch(file.b);

    BuiltImage built{file.b, signature, signature + CS_SuperBlob::index + CS_BlobIndex::record_size};
    if (!plan.sign) return built;
    Out blob;
    blob.be32(CSMAGIC_EMBEDDED_SIGNATURE).be32(blob_size).be32(1).be32(CSSLOT_CODEDIRECTORY);
    blob.be32((uint32_t)(built.code_directory - signature));
    blob.be32(CSMAGIC_CODEDIRECTORY).be32(cd_size).be32(CS_SUPPORTSSCATTER).be32(0).be32(48).be32(0).be32(0);
    blob.be32(pages).be32((uint32_t)signature).u8(CS_SHA256_LEN).u8(CS_HASHTYPE_SHA256).u8(0).u8(12).be32(0).be32(0);
    for (uint32_t p = 0; p < pages; ++p) {
        unsigned char hash[CS_SHA256_LEN];
        uint64_t size = std::min<uint64_t>(kPage, signature - p * kPage);
        EVP_Digest(built.file.data() + p * kPage, size, hash, nullptr, EVP_sha256(), nullptr);
        blob.bytes(ByteList(hash, hash + CS_SHA256_LEN));
    }
    built.file.insert(built.file.end(), blob.b.begin(), blob.b.end());
    return built;
}

}  // namespace test
}  // namespace macho
}  // namespace loader
