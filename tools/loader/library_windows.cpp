// The system's loader on Windows (built with mingw-w64, run under Wine too).
#include <windows.h>

#include <cstring>

#include "tools/loader/image.h"

namespace loader {

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

class WindowsImage : public Image {
public:
    explicit WindowsImage(HMODULE module) : module_(module) {}
    ~WindowsImage() override { FreeLibrary(module_); }

    void* symbol(const char* name) const override
    {
        FARPROC proc = GetProcAddress(module_, name);
        void* symbol;
        static_assert(sizeof symbol == sizeof proc, "one pointer size");
        std::memcpy(&symbol, &proc, sizeof symbol);
        return symbol;
    }

    // A resource type is text here ("PIPL"), the id a number.
    bool resource(const char* type, uint16_t id, std::vector<uint8_t>* bytes) const override
    {
        HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
        if (!found) return false;
        HGLOBAL loaded = LoadResource(module_, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return false;
        const uint8_t* first = static_cast<const uint8_t*>(data);
        bytes->assign(first, first + SizeofResource(module_, found));
        return true;
    }

private:
    HMODULE module_;
};

}  // namespace

std::unique_ptr<Image> open_system_image(const std::string& path, std::string* error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        *error = last_error_text();
        return nullptr;
    }
    return std::unique_ptr<Image>(new WindowsImage(module));
}

}  // namespace loader
