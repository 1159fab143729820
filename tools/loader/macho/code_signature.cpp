#include "tools/loader/macho/code_signature.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tools/loader/macho/format.h"

namespace loader {
namespace macho {

namespace {

void sha256(const uint8_t* data, size_t size, unsigned char out[CS_SHA256_LEN])
{
    unsigned int length = 0;
    if (!EVP_Digest(data, size, out, &length, EVP_sha256(), nullptr) || length != CS_SHA256_LEN) {
        throw LoadError("SHA-256 failed while checking the code signature");
    }
}

Bytes find_code_directory(Bytes blob)
{
    const char* what = "code signature";
    if (blob.be32(CS_SuperBlob::magic, what) != CSMAGIC_EMBEDDED_SIGNATURE) {
        throw LoadError("the code signature is not an embedded signature");
    }
    uint32_t length = blob.be32(CS_SuperBlob::length, what);
    uint32_t count = blob.be32(CS_SuperBlob::count, what);
    Bytes super = blob.part(0, length, what);
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = CS_SuperBlob::index + CS_BlobIndex::record_size * i;
        uint32_t type = super.be32(at + CS_BlobIndex::type, what);
        uint32_t offset = super.be32(at + CS_BlobIndex::offset, what);
        if (type != CSSLOT_CODEDIRECTORY) continue;
        uint32_t cd_length = super.be32((uint64_t)offset + CS_CodeDirectory::length, "code directory");
        Bytes cd = super.part(offset, cd_length, "code directory");
        if (cd.be32(CS_CodeDirectory::magic, "code directory") != CSMAGIC_CODEDIRECTORY) {
            throw LoadError("the code directory has a bad magic number");
        }
        return cd;
    }
    throw LoadError("the code signature has no code directory");
}

}  // namespace

CodeDirectory read_code_directory(Bytes signature)
{
    namespace f = CS_CodeDirectory;
    Bytes cd = find_code_directory(signature);
    const char* what = "code directory";
    uint32_t version = cd.be32(f::version, what);
    uint8_t hash_size = cd.le<uint8_t>(f::hashSize, what);
    uint8_t hash_type = cd.le<uint8_t>(f::hashType, what);
    uint8_t page_log2 = cd.le<uint8_t>(f::pageSize, what);
    if (hash_type != CS_HASHTYPE_SHA256 || hash_size != CS_SHA256_LEN) {
        throw LoadError("the code directory uses hash type " + std::to_string(hash_type) + "; only SHA-256 is checked");
    }
    if (version >= CS_SUPPORTSSCATTER && cd.be32(f::scatterOffset, what) != 0) {
        throw LoadError("the code directory uses a scatter vector, which this loader does not check");
    }
    if (page_log2 >= 32) throw LoadError("the code directory has a bad page size");
    CodeDirectory dir;
    dir.code_limit = cd.be32(f::codeLimit, what);
    dir.code_slots = cd.be32(f::nCodeSlots, what);
    dir.page_size = page_log2 ? (uint64_t)1 << page_log2 : dir.code_limit;
    uint64_t pages = dir.page_size ? (dir.code_limit + dir.page_size - 1) / dir.page_size : 0;
    if (dir.code_slots != pages) {
        throw LoadError("the code directory has " + std::to_string(dir.code_slots) + " page hashes for " +
                        std::to_string(pages) + " pages");
    }
    dir.hashes = cd.part(cd.be32(f::hashOffset, what), (uint64_t)dir.code_slots * CS_SHA256_LEN, "page hashes");
    return dir;
}

void verify_code_signature(Bytes image, const SliceLayout& layout)
{
    if (!layout.has_code_signature) throw LoadError("the image is not signed (no LC_CODE_SIGNATURE)");
    CodeDirectory cd =
        read_code_directory(image.part(layout.code_signature.offset, layout.code_signature.size, "code signature"));
    // Everything before the signature must be signed, or a byte could be
    // changed without the signature noticing.
    if (cd.code_limit != layout.code_signature.offset) {
        throw LoadError("the code signature covers " + std::to_string(cd.code_limit) +
                        " bytes, but the signature starts at " + std::to_string(layout.code_signature.offset));
    }
    uint64_t signature_end = (uint64_t)layout.code_signature.offset + layout.code_signature.size;
    for (const Segment& seg : layout.segments) {
        uint64_t end = seg.fileoff + seg.filesize;
        if (end > cd.code_limit && end != signature_end) {
            throw LoadError("segment " + seg.name + " reaches past the signed part of the file");
        }
    }
    for (uint32_t i = 0; i < cd.code_slots; ++i) {
        uint64_t start = i * cd.page_size;
        uint64_t size = std::min<uint64_t>(cd.page_size, cd.code_limit - start);
        unsigned char actual[CS_SHA256_LEN];
        sha256(image.part(start, size, "signed page").data(), size, actual);
        if (std::memcmp(actual, cd.hashes.data() + (uint64_t)i * CS_SHA256_LEN, CS_SHA256_LEN) != 0) {
            throw LoadError("the code signature does not match: page " + std::to_string(i) + " (bytes " +
                            std::to_string(start) + "-" + std::to_string(start + size - 1) +
                            ") has changed since the image was signed");
        }
    }
}

}  // namespace macho
}  // namespace loader
