#include "tools/loader/macho/code_signature.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace loader {
namespace macho {

namespace {

constexpr uint32_t kEmbeddedSignature = 0xFADE0CC0;
constexpr uint32_t kCodeDirectory = 0xFADE0C02;
constexpr uint32_t kSlotCodeDirectory = 0;
constexpr uint8_t kHashSha256 = 2;
constexpr uint32_t kSha256Size = 32;
constexpr uint32_t kVersionWithScatter = 0x20100;

void sha256(const uint8_t* data, size_t size, unsigned char out[kSha256Size])
{
    unsigned int length = 0;
    if (!EVP_Digest(data, size, out, &length, EVP_sha256(), nullptr) || length != kSha256Size) {
        throw LoadError("SHA-256 failed while checking the code signature");
    }
}

Bytes code_directory(Bytes blob)
{
    const char* what = "code signature";
    if (blob.be32(0, what) != kEmbeddedSignature) throw LoadError("the code signature is not an embedded signature");
    uint32_t length = blob.be32(4, what);
    uint32_t count = blob.be32(8, what);
    Bytes super = blob.part(0, length, what);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t type = super.be32(12 + 8ull * i, what);
        uint32_t offset = super.be32(16 + 8ull * i, what);
        if (type != kSlotCodeDirectory) continue;
        uint32_t cd_length = super.be32(offset + 4, "code directory");
        Bytes cd = super.part(offset, cd_length, "code directory");
        if (cd.be32(0, "code directory") != kCodeDirectory) throw LoadError("the code directory has a bad magic number");
        return cd;
    }
    throw LoadError("the code signature has no code directory");
}

}  // namespace

void verify_code_signature(Bytes image, const SliceLayout& layout)
{
    if (!layout.has_code_signature) throw LoadError("the image is not signed (no LC_CODE_SIGNATURE)");
    Bytes cd = code_directory(image.part(layout.code_signature.offset, layout.code_signature.size, "code signature"));
    const char* what = "code directory";
    uint32_t version = cd.be32(8, what);
    uint32_t hash_offset = cd.be32(16, what);
    uint32_t code_slots = cd.be32(28, what);
    uint32_t code_limit = cd.be32(32, what);
    uint8_t hash_size = cd.le<uint8_t>(36, what);
    uint8_t hash_type = cd.le<uint8_t>(37, what);
    uint8_t page_log2 = cd.le<uint8_t>(39, what);
    if (hash_type != kHashSha256 || hash_size != kSha256Size) {
        throw LoadError("the code directory uses hash type " + std::to_string(hash_type) + "; only SHA-256 is checked");
    }
    if (version >= kVersionWithScatter && cd.be32(44, what) != 0) {
        throw LoadError("the code directory uses a scatter vector, which this loader does not check");
    }
    // Everything before the signature must be signed, or a byte could be
    // changed without the signature noticing.
    if (code_limit != layout.code_signature.offset) {
        throw LoadError("the code signature covers " + std::to_string(code_limit) + " bytes, but the signature starts at " +
                        std::to_string(layout.code_signature.offset));
    }
    uint64_t signature_end = (uint64_t)layout.code_signature.offset + layout.code_signature.size;
    for (const Segment& seg : layout.segments) {
        uint64_t end = seg.fileoff + seg.filesize;
        if (end > code_limit && end != signature_end) {
            throw LoadError("segment " + seg.name + " reaches past the signed part of the file");
        }
    }
    if (page_log2 >= 32) throw LoadError("the code directory has a bad page size");
    uint64_t page = page_log2 ? (uint64_t)1 << page_log2 : code_limit;
    uint64_t pages = page ? (code_limit + page - 1) / page : 0;
    if (code_slots != pages) {
        throw LoadError("the code directory has " + std::to_string(code_slots) + " page hashes for " +
                        std::to_string(pages) + " pages");
    }
    Bytes hashes = cd.part(hash_offset, (uint64_t)code_slots * kSha256Size, "page hashes");
    for (uint32_t i = 0; i < code_slots; ++i) {
        uint64_t start = i * page;
        uint64_t size = std::min<uint64_t>(page, code_limit - start);
        unsigned char actual[kSha256Size];
        sha256(image.part(start, size, "signed page").data(), size, actual);
        if (std::memcmp(actual, hashes.data() + (uint64_t)i * kSha256Size, kSha256Size) != 0) {
            throw LoadError("the code signature does not match: page " + std::to_string(i) + " (bytes " +
                            std::to_string(start) + "-" + std::to_string(start + size - 1) +
                            ") has changed since the image was signed");
        }
    }
}

}  // namespace macho
}  // namespace loader
