// Our own Mach-O loader behind Library (Linux).
#include "tools/loader/image.h"
#include "tools/loader/macho/bundle_path.h"
#include "tools/loader/macho/bytes.h"
#include "tools/loader/macho/loaded_image.h"

namespace loader {

namespace {

class MachOImage : public Image {
public:
    explicit MachOImage(std::unique_ptr<macho::LoadedImage> image) : image_(std::move(image)) {}

    void* symbol(const char* name) const override { return image_->find_function(name); }

    Library::Convention convention() const override
    {
        return image_->is_arm64() ? Library::Convention::AppleArm64 : Library::Convention::Native;
    }

    std::string executable(const std::string&) const override { return image_->executable(); }

private:
    std::unique_ptr<macho::LoadedImage> image_;
};

}  // namespace

std::unique_ptr<Image> open_macho_image(const std::string& path, bool* recognised, std::string* error)
{
    *recognised = macho::is_macho_path(path);
    if (!*recognised) return nullptr;
    try {
        return std::unique_ptr<Image>(new MachOImage(macho::LoadedImage::load(path)));
    } catch (const macho::LoadError& e) {
        *error = e.what();
        return nullptr;
    }
}

}  // namespace loader
