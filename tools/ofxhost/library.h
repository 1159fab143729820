// Loading a plug-in binary: the system's loader for a native library, the
// test host's Mach-O loader for a Mach-O file (on Linux), and which calling
// convention the binary's code follows.
#pragma once

#include <memory>
#include <string>

namespace ofxhost {

enum class Convention { Native, AppleArm64 };

class Library {
public:
    // Null with the reason in *error when the binary cannot be loaded.
    static std::shared_ptr<const Library> open(const std::string& path, std::string* error);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    void* symbol(const char* name) const;
    Convention convention() const { return convention_; }

private:
    Library() = default;
    struct Parts;
    std::unique_ptr<Parts> parts_;
    Convention convention_ = Convention::Native;
};

}  // namespace ofxhost
