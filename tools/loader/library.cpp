#include "tools/loader/library.h"

#include "tools/loader/image.h"

namespace loader {

std::shared_ptr<const Library> Library::open(const std::string& path, std::string* error)
{
    std::string message;
    bool recognised = false;
    std::unique_ptr<Image> image = open_macho_image(path, &recognised, &message);
    if (!recognised) image = open_system_image(path, &message);
    if (!image) {
        if (error) *error = "cannot load " + path + ": " + message;
        return nullptr;
    }
    return std::shared_ptr<const Library>(new Library(path, std::move(image)));
}

Library::Library(std::string path, std::unique_ptr<Image> image)
    : path_(std::move(path)), executable_(image->executable(path_)), image_(std::move(image))
{
}

Library::~Library() = default;

void* Library::symbol(const char* name) const { return name ? image_->symbol(name) : nullptr; }

Library::Convention Library::convention() const { return image_->convention(); }

bool Library::resource(const char* type, uint16_t id, std::vector<uint8_t>* bytes) const
{
    return type && bytes && image_->resource(type, id, bytes);
}

}  // namespace loader
