#include "tools/loader/macho/loaded_image.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/loader/macho/bundle_path.h"
#include "tools/loader/macho/code_signature.h"
#include "tools/loader/macho/compact_unwind.h"
#include "tools/loader/macho/dwarf_frames.h"
#include "tools/loader/macho/export_trie.h"
#include "tools/loader/macho/fixups.h"
#include "tools/loader/macho/import_table.h"
#include "tools/loader/macho/load_commands.h"
#include "tools/loader/macho/mapped_image.h"
#include "tools/loader/macho/universal.h"

namespace loader {
namespace macho {

namespace {

std::vector<uint8_t> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw LoadError("cannot read " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

std::unique_ptr<LoadedImage> LoadedImage::load(const std::string& path)
{
    std::string executable = executable_path(path);
    std::vector<uint8_t> file = read_file(executable);
    Bytes slice = select_slice(Bytes(file.data(), file.size()), host_cpu_type());
    SliceLayout layout = read_load_commands(slice);
    // Nothing of the image is mapped, let alone run, before its signature holds.
    verify_code_signature(slice, layout);

    std::unique_ptr<LoadedImage> loaded(new LoadedImage());
    loaded->cputype_ = layout.cputype;
    loaded->executable_ = executable;
    Bytes trie = slice.part(layout.exports.offset, layout.exports.size, "export information");
    loaded->exports_.assign(trie.data(), trie.data() + trie.size());

    loaded->image_.reset(new MappedImage(slice, layout));
    MappedImage& image = *loaded->image_;
    apply_rebases(image, slice.part(layout.rebase.offset, layout.rebase.size, "rebase information"));
    SymbolResolver resolve = [&](int64_t ordinal, const std::string& symbol) {
        if (ordinal <= 0 || (uint64_t)ordinal > layout.dylibs.size()) {
            throw LoadError("the image binds " + symbol + " without naming one of its libraries (ordinal " +
                            std::to_string(ordinal) + ")");
        }
        return resolve_import(layout.dylibs[ordinal - 1], symbol, layout.cputype);
    };
    apply_binds(image, slice.part(layout.bind.offset, layout.bind.size, "bind information"), BindStream::Regular,
                resolve);
    apply_binds(image, slice.part(layout.lazy_bind.offset, layout.lazy_bind.size, "lazy bind information"),
                BindStream::Lazy, resolve);
    if (layout.weak_bind.size) throw LoadError("the image has weak definitions to coalesce, which this loader does not do");
    image.protect();

    const uint8_t* eh_frame = nullptr;
    if (const Section* section = layout.find_section("__TEXT", "__eh_frame")) {
        // libgcc reads up to a zero length word; the linker leaves none, so
        // the section must be followed by zeros inside its segment.
        eh_frame = image.bytes(section->addr, section->size + 4, "__eh_frame and its terminator").data();
        uint32_t terminator;
        std::memcpy(&terminator, eh_frame + section->size, 4);
        if (terminator != 0) throw LoadError("__eh_frame is not followed by a zero terminator");
    }
    std::vector<uint8_t> built;
    if (const Section* unwind = layout.find_section("__TEXT", "__unwind_info")) {
        std::vector<CompactEntry> entries = read_compact_unwind(image, unwind->addr, unwind->size);
        built = build_eh_frame(entries, layout.cputype, eh_frame != nullptr);
    }
    loaded->frames_.reset(new FrameRegistration(std::move(built), eh_frame));
    return loaded;
}

LoadedImage::~LoadedImage() = default;

void* LoadedImage::find_function(const char* name) const
{
    uint64_t offset = 0;
    try {
        if (!find_export(Bytes(exports_.data(), exports_.size()), std::string("_") + name, &offset)) return nullptr;
    } catch (const LoadError&) {
        return nullptr;
    }
    // Offsets past the end wrap around; is_code refuses what lands outside.
    uint64_t address = (uint64_t)(uintptr_t)image_->header() + offset;
    return image_->is_code(address, 1) ? reinterpret_cast<void*>(address) : nullptr;
}

bool LoadedImage::is_arm64() const { return cputype_ == kCpuTypeArm64; }

}  // namespace macho
}  // namespace loader
