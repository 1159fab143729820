// The host's way: LoadLibrary, FindResource(Ex), LoadResource, LockResource
// and SizeofResource on the loaded module.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "tests/windows/library_resources.h"

namespace platform_check {

bool ReadLibraryResource(const std::string& path, const ResourceKey& key, std::vector<uint8_t>* bytes,
                         std::string* error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        *error = "LoadLibrary failed with " + std::to_string((unsigned long)GetLastError());
        return false;
    }
    LPCSTR type = key.type_name != nullptr ? key.type_name : MAKEINTRESOURCEA(key.type_id);
    HRSRC found = key.language == 0
                      ? FindResourceA(module, MAKEINTRESOURCEA(key.id), type)
                      : FindResourceExA(module, type, MAKEINTRESOURCEA(key.id), (WORD)key.language);
    bool ok = false;
    if (found == nullptr) {
        *error = "FindResource found nothing (" + std::to_string((unsigned long)GetLastError()) + ")";
    } else {
        HGLOBAL loaded = LoadResource(module, found);
        const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
        const DWORD size = SizeofResource(module, found);
        if (data == nullptr) {
            *error = "LoadResource/LockResource gave no data";
        } else {
            const uint8_t* p = static_cast<const uint8_t*>(data);
            bytes->assign(p, p + size);
            ok = true;
        }
    }
    FreeLibrary(module);
    return ok;
}

}  // namespace platform_check
