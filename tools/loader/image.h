// What each loader behind Library provides, one implementation per loader:
// library_posix.cpp, library_windows.cpp, library_macho.cpp (or
// library_no_macho.cpp where our Mach-O loader is not built).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/loader/library.h"

namespace loader {

class Image {
public:
    virtual ~Image() = default;
    virtual void* symbol(const char* name) const = 0;
    virtual Library::Convention convention() const { return Library::Convention::Native; }
    virtual bool resource(const char*, uint16_t, std::vector<uint8_t>*) const { return false; }
    // The file whose code was loaded, where it differs from the path opened.
    virtual std::string executable(const std::string& path) const { return path; }
};

// The system's loader: null with the reason in *error on failure.
std::unique_ptr<Image> open_system_image(const std::string& path, std::string* error);

// Our own Mach-O loader, for a path it recognises (a bundle directory or a
// file that starts like a Mach-O or universal file); *recognised is false,
// and nothing is loaded, for anything else.
std::unique_ptr<Image> open_macho_image(const std::string& path, bool* recognised, std::string* error);

}  // namespace loader
