// A Mach-O plug-in loaded without dyld: the slice for this processor, its
// signature checked, its segments mapped and fixed up, every import bound
// from the host's import table, and its unwind information registered with
// the host's unwinder so that exceptions can pass through it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace loader {
namespace macho {

class MappedImage;
class FrameRegistration;

class LoadedImage {
public:
    // `path` is a .plugin bundle directory or a Mach-O file. Throws
    // LoadError with the reason the image was refused.
    static std::unique_ptr<LoadedImage> load(const std::string& path);
    ~LoadedImage();

    // The address of an exported function by its C name (no underscore), or
    // null when the image exports no such name as code (a re-export or a
    // resolver counts as none).
    void* find_function(const char* name) const;

    // The slice is arm64 (Apple's calling convention), not x86_64.
    bool is_arm64() const;
    // The Mach-O file that was read (a bundle's executable).
    const std::string& executable() const { return executable_; }

private:
    LoadedImage() = default;

    uint32_t cputype_ = 0;
    std::string executable_;
    std::vector<uint8_t> exports_;
    std::unique_ptr<MappedImage> image_;
    std::unique_ptr<FrameRegistration> frames_;
};

}  // namespace macho
}  // namespace loader
