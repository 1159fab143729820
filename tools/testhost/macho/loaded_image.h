// A Mach-O plug-in loaded without dyld: the slice for this processor, its
// signature checked, its segments mapped and fixed up, every import bound
// from the host's import table, and its unwind information registered with
// the host's unwinder so that exceptions can pass through it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace testhost {
namespace macho {

class MappedImage;
class FrameRegistration;

class LoadedImage {
public:
    // `path` is a .plugin bundle directory or a Mach-O file. Throws
    // LoadError with the reason the image was refused.
    static std::unique_ptr<LoadedImage> load(const std::string& path);
    ~LoadedImage();

    // The address of an exported function by its C name (no underscore), or null.
    void* find_function(const char* name) const;

    // The suite table to hand this image for a suite the host serves as
    // `host_table`: the same, unless the image's calling convention differs.
    const void* suite_for_plugin(const std::string& name, int32_t version, const void* host_table) const;

private:
    LoadedImage() = default;

    uint32_t cputype_ = 0;
    std::vector<uint8_t> exports_;
    std::unique_ptr<MappedImage> image_;
    std::unique_ptr<FrameRegistration> frames_;
};

}  // namespace macho
}  // namespace testhost
