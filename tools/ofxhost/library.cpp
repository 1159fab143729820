#include "tools/ofxhost/library.h"

#include "tools/testhost/plugin_library.h"
#if defined(TESTHOST_MACHO_LOADER)
#include "tools/testhost/macho/bundle_path.h"
#include "tools/testhost/macho/bytes.h"
#include "tools/testhost/macho/loaded_image.h"
#endif

namespace ofxhost {

struct Library::Parts {
    void* handle = nullptr;
#if defined(TESTHOST_MACHO_LOADER)
    std::unique_ptr<testhost::macho::LoadedImage> image;
#endif
};

std::shared_ptr<const Library> Library::open(const std::string& path, std::string* error)
{
    std::shared_ptr<Library> library(new Library());
    library->parts_.reset(new Parts());
#if defined(TESTHOST_MACHO_LOADER)
    if (testhost::macho::is_macho_path(path)) {
        try {
            library->parts_->image = testhost::macho::LoadedImage::load(path);
        } catch (const testhost::macho::LoadError& e) {
            if (error) *error = "cannot load " + path + ": " + e.what();
            return nullptr;
        }
#if defined(__aarch64__)
        library->convention_ = Convention::AppleArm64;
#endif
        return library;
    }
#endif
    std::string message;
    library->parts_->handle = testhost::os::load_library(path, &message);
    if (!library->parts_->handle) {
        if (error) *error = "cannot load " + path + ": " + message;
        return nullptr;
    }
    return library;
}

Library::~Library()
{
    if (parts_ && parts_->handle) testhost::os::unload_library(parts_->handle);
}

void* Library::symbol(const char* name) const
{
#if defined(TESTHOST_MACHO_LOADER)
    if (parts_->image) return parts_->image->find_function(name);
#endif
    return testhost::os::find_symbol(parts_->handle, name);
}

}  // namespace ofxhost
