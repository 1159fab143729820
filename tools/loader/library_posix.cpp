// The system's loader on Linux (and any other system with dlopen).
#include <dlfcn.h>

#include "tools/loader/image.h"

namespace loader {

namespace {

class PosixImage : public Image {
public:
    explicit PosixImage(void* handle) : handle_(handle) {}
    ~PosixImage() override { dlclose(handle_); }
    void* symbol(const char* name) const override { return dlsym(handle_, name); }

private:
    void* handle_;
};

}  // namespace

std::unique_ptr<Image> open_system_image(const std::string& path, std::string* error)
{
    // RTLD_LOCAL: two plug-ins, or two builds of one, must not resolve each
    // other's symbols.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* message = dlerror();
        *error = message ? message : "unknown dlopen failure";
        return nullptr;
    }
    return std::unique_ptr<Image>(new PosixImage(handle));
}

}  // namespace loader
