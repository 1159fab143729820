#include "tools/loader/macho/bundle_path.h"

#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <iterator>

#include "tools/loader/macho/bytes.h"

namespace loader {
namespace macho {

namespace {

bool is_directory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string info_plist(const std::string& bundle) { return bundle + "/Contents/Info.plist"; }

// The text of the <string> element that follows <key>KEY</key>. Info.plist
// files written by our bundle build (and by Xcode) are XML property lists
// in this plain form; a binary property list is refused.
std::string plist_string(const std::string& xml, const std::string& key, const std::string& file)
{
    if (xml.compare(0, 6, "bplist") == 0) throw LoadError(file + " is a binary property list; only XML is read");
    std::string tag = "<key>" + key + "</key>";
    size_t at = xml.find(tag);
    if (at == std::string::npos) throw LoadError(file + " has no " + key);
    size_t open = xml.find_first_not_of(" \t\r\n", at + tag.size());
    if (open == std::string::npos || xml.compare(open, 8, "<string>") != 0) {
        throw LoadError(file + ": " + key + " is not followed by a string");
    }
    size_t close = xml.find("</string>", open);
    if (close == std::string::npos) throw LoadError(file + ": unterminated string after " + key);
    return xml.substr(open + 8, close - open - 8);
}

}  // namespace

bool is_macho_path(const std::string& path)
{
    if (is_directory(path)) {
        struct stat st;
        return stat(info_plist(path).c_str(), &st) == 0;
    }
    std::ifstream in(path, std::ios::binary);
    unsigned char m[4] = {};
    if (!in.read(reinterpret_cast<char*>(m), 4)) return false;
    uint32_t be = (uint32_t)m[0] << 24 | (uint32_t)m[1] << 16 | (uint32_t)m[2] << 8 | m[3];
    uint32_t le = (uint32_t)m[3] << 24 | (uint32_t)m[2] << 16 | (uint32_t)m[1] << 8 | m[0];
    return be == 0xCAFEBABE || be == 0xCAFEBABF || le == 0xFEEDFACF;
}

std::string executable_path(const std::string& path)
{
    if (!is_directory(path)) return path;
    std::string plist = info_plist(path);
    std::ifstream in(plist, std::ios::binary);
    if (!in) throw LoadError("cannot read " + plist);
    std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string name = plist_string(xml, "CFBundleExecutable", plist);
    // The name is a file inside Contents/MacOS, never a path out of it.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        throw LoadError(plist + ": CFBundleExecutable \"" + name + "\" is not a file name");
    }
    return path + "/Contents/MacOS/" + name;
}

}  // namespace macho
}  // namespace loader
