// The small files of the macOS bundle besides the executable, all derived from
// the identity the code registers with, so the bundle cannot disagree with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bundle {

// The host's creator code for effect bundles, paired with the kind code.
constexpr const char* kSignature = "FXTC";
// Reverse-domain prefix; the host expects identifiers ending in
// "AfterEffects.<name>".
constexpr const char* kIdentifierPrefix = "com.halvecort.AfterEffects.";
// The property list resource, as the host looks it up.
constexpr const char kPiplType[5] = "PiPL";
constexpr int16_t kPiplId = 16000;

// Contents/Info.plist as XML; `executable` names the file in Contents/MacOS.
std::string InfoPlist(const char* executable);

// Contents/PkgInfo: package type then signature, eight bytes, no newline.
std::string PkgInfo();

// Contents/Resources/<name>.rsrc: the macOS property list in a resource file.
std::vector<uint8_t> PiplResourceFile();

}  // namespace bundle
