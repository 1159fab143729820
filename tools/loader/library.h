// A binary loaded from disk, whichever loader it takes: the system's (POSIX
// dlopen, Windows LoadLibrary) or, on Linux, our own Mach-O loader for a
// macOS bundle or a Mach-O file. Hosts find their entry points through it and
// never ask which loader did the work; what differs between loaders for a
// host (how to call across the binary's calling convention, where resources
// live) is said by convention() and resource().
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace loader {

class Image;

class Library {
public:
    // How the binary calls the functions a host hands it. AppleArm64 differs
    // from the host's own only for variadic callbacks (apple_arm64.h).
    enum class Convention { Native, AppleArm64 };

    // A shared library through the system's loader, or (Linux) a Mach-O file
    // or a macOS bundle directory through our own loader (chosen by the file's
    // first bytes, or a directory's Contents/Info.plist). Null on failure, with
    // "cannot load PATH: reason" in *error when error is given.
    static std::shared_ptr<const Library> open(const std::string& path, std::string* error);

    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // An exported function or object by its C name, without the leading
    // underscore Mach-O adds; null if the binary does not export it.
    void* symbol(const char* name) const;
    Convention convention() const;
    // What the caller named (a bundle directory stays a directory).
    const std::string& path() const { return path_; }
    // The file whose code was loaded: for a bundle, the executable its
    // Info.plist names; otherwise path().
    const std::string& executable() const { return executable_; }
    // The bytes of resource (type, id) where the system keeps resources inside
    // the binary (Windows); false when there is none, and on other systems.
    bool resource(const char* type, uint16_t id, std::vector<uint8_t>* bytes) const;

private:
    Library(std::string path, std::unique_ptr<Image> image);

    std::string path_;
    std::string executable_;
    std::unique_ptr<Image> image_;
};

// Symbols come back as data pointers; copying the bits is the one conversion
// to a function pointer that every compiler accepts without a warning.
template <typename Fn>
Fn function_cast(void* symbol)
{
    static_assert(sizeof(Fn) == sizeof(void*), "function and data pointers have one size here");
    Fn fn;
    std::memcpy(&fn, &symbol, sizeof fn);
    return fn;
}

}  // namespace loader
