// Where our Mach-O loader is not built (Windows), every path goes to the
// system's loader.
#include "tools/loader/image.h"

namespace loader {

std::unique_ptr<Image> open_macho_image(const std::string&, bool* recognised, std::string*)
{
    *recognised = false;
    return nullptr;
}

}  // namespace loader
