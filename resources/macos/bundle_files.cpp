#include "resources/macos/bundle_files.h"

#include "effect/identity.h"
#include "resources/macos/resource_file.h"
#include "resources/pipl_bytes.h"

namespace bundle {
namespace {

std::string FourCC(int32_t code)
{
    uint32_t value = (uint32_t)code;
    return std::string{(char)(value >> 24), (char)(value >> 16 & 0xFF), (char)(value >> 8 & 0xFF), (char)(value & 0xFF)};
}

// Every value goes into XML text, so the three markup characters must not
// pass through raw.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Version()
{
    return std::to_string(identity::kMajorVersion) + "." + std::to_string(identity::kMinorVersion) + "." +
           std::to_string(identity::kFixVersion);
}

}  // namespace

std::string InfoPlist(const char* executable)
{
    struct Entry {
        const char* key;
        std::string value;
    };
    // Keys in the order the property-list writers of the platform sort them.
    const Entry strings[] = {
        {"CFBundleExecutable", executable},
        {"CFBundleIdentifier", std::string(kIdentifierPrefix) + identity::kName},
        {"CFBundleInfoDictionaryVersion", "6.0"},
        {"CFBundleName", identity::kName},
        {"CFBundlePackageType", FourCC(identity::kKind)},
        {"CFBundleShortVersionString", Version()},
        {"CFBundleSignature", kSignature},
        {"CFBundleVersion", Version()},
    };
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n"
        "<dict>\n";
    for (const Entry& e : strings) {
        xml += "\t<key>" + std::string(e.key) + "</key>\n\t<string>" + Escaped(e.value) + "</string>\n";
    }
    xml += "</dict>\n</plist>\n";
    return xml;
}

std::string PkgInfo() { return FourCC(identity::kKind) + kSignature; }

std::vector<uint8_t> PiplResourceFile()
{
    rsrc::Resource pipl{{kPiplType[0], kPiplType[1], kPiplType[2], kPiplType[3]}, kPiplId,
                        pipl::Build(pipl::Platform::MacOS)};
    return rsrc::Build({pipl});
}

}  // namespace bundle
