// tintra-versioninfo: writes the VERSIONINFO statement of TINTRA.aex, the
// version resource that Windows shows in a file's Details tab, as resource
// script text for windres. The host never reads it. Built with the machine's
// own compiler and run at build time, like tintra-pipl, so the numbers and
// names are those of effect/identity.h and the description is the About box's.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include "effect/identity.h"
#include "effect/strings.h"

namespace {

const char kUsage[] =
    "usage: tintra-versioninfo -o FILE\n"
    "\n"
    "Writes the VERSIONINFO resource statement of TINTRA.aex (file and product\n"
    "version, product, company, description) for a windres resource script.\n";

// A quoted resource-script text. Only printable ASCII is let through, so the
// result does not depend on the code page windres assumes.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) {
            throw std::runtime_error("not printable ASCII: " + text);
        }
        if (c == '"') {
            quoted += "\"\"";
        } else if (c == '\\') {
            quoted += "\\\\";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// The About description is laid out for a dialog: a line break and the next
// line's indent become one space.
std::string OneLine(const char* text)
{
    std::string line;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\r' || *c == '\n') {
            while (c[1] == ' ') ++c;
            line += ' ';
        } else {
            line += *c;
        }
    }
    return line;
}

std::string VersionInfo()
{
    using namespace identity;
    const std::string numbers = std::to_string(kMajorVersion) + "," + std::to_string(kMinorVersion) + "," +
                                std::to_string(kFixVersion) + "," + std::to_string(kBuild);
    const std::string dotted = std::to_string(kMajorVersion) + "." + std::to_string(kMinorVersion) + "." +
                               std::to_string(kFixVersion) + "." + std::to_string(kBuild);
    const std::string library = std::string(kName) + ".aex";
    const std::pair<const char*, std::string> values[] = {
        {"CompanyName", kCompany},
        {"FileDescription", OneLine(GetStringPtr(STR_DESCRIPTION))},
        {"FileVersion", dotted},
        {"InternalName", kName},
        {"OriginalFilename", library},
        {"ProductName", kName},
        {"ProductVersion", dotted},
    };

    std::string rc =
        "// Written by tintra-versioninfo from effect/identity.h: the version resource\n"
        "// Windows shows in the file's Details tab. The host does not read it.\n"
        "1 VERSIONINFO\n"
        "FILEVERSION " + numbers + "\n"
        "PRODUCTVERSION " + numbers + "\n"
        "FILEFLAGSMASK 0x3f\n"
        "FILEFLAGS 0x0\n"
        "FILEOS 0x40004\n"    // VOS_NT_WINDOWS32
        "FILETYPE 0x2\n"      // VFT_DLL
        "FILESUBTYPE 0x0\n"
        "BEGIN\n"
        "  BLOCK \"StringFileInfo\"\n"
        "  BEGIN\n"
        "    BLOCK \"040904b0\"\n"  // U.S. English, UTF-16
        "    BEGIN\n";
    for (const auto& value : values) {
        rc += std::string("      VALUE \"") + value.first + "\", " + Quoted(value.second) + "\n";
    }
    rc +=
        "    END\n"
        "  END\n"
        "  BLOCK \"VarFileInfo\"\n"
        "  BEGIN\n"
        "    VALUE \"Translation\", 0x409, 1200\n"
        "  END\n"
        "END\n";
    return rc;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "-o") != 0) {
        std::fprintf(stderr, "tintra-versioninfo: expected -o FILE\n%s", kUsage);
        return 2;
    }
    const char* output = argv[2];

    std::string text;
    try {
        text = VersionInfo();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tintra-versioninfo: %s\n", e.what());
        return 1;
    }

    // Written beside the target and renamed, as tintra-pipl does.
    std::string temporary = std::string(output) + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "tintra-versioninfo: cannot write %s: %s\n", temporary.c_str(), std::strerror(errno));
        return 1;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), output) != 0) {
        std::fprintf(stderr, "tintra-versioninfo: cannot write %s: %s\n", output, std::strerror(errno));
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
