// Loading a plug-in (.aex) on Windows.
#include <windows.h>

#include <cstring>

#include "tools/testhost/plugin_library.h"

namespace testhost {
namespace os {

namespace {

std::string last_error_text()
{
    DWORD code = GetLastError();
    char buffer[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                  buffer, sizeof buffer, nullptr);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r' || buffer[length - 1] == ' '))
        buffer[--length] = '\0';
    std::string text = length > 0 ? std::string(buffer, length) : std::string("error");
    return text + " (" + std::to_string((unsigned long)code) + ")";
}

}  // namespace

void* load_library(const std::string& path, std::string* error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module && error) *error = last_error_text();
    return reinterpret_cast<void*>(module);
}

void* find_symbol(void* library, const char* name)
{
    FARPROC proc = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
    void* symbol;
    static_assert(sizeof symbol == sizeof proc, "one pointer size");
    std::memcpy(&symbol, &proc, sizeof symbol);
    return symbol;
}

void unload_library(void* library)
{
    if (library) FreeLibrary(reinterpret_cast<HMODULE>(library));
}

bool property_list_resource(void* library, std::vector<uint8_t>* bytes, ByteOrder* order)
{
    // The type is the text "PIPL"; the id is a number.
    HMODULE module = reinterpret_cast<HMODULE>(library);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(kPiplId), "PIPL");
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    const uint8_t* first = static_cast<const uint8_t*>(data);
    bytes->assign(first, first + SizeofResource(module, found));
    *order = ByteOrder::Little;
    return true;
}

}  // namespace os
}  // namespace testhost
