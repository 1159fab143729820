// From what the user names (a .plugin bundle directory or a Mach-O file) to
// the executable file inside it.
#pragma once

#include <string>

namespace loader {
namespace macho {

// True for a directory with Contents/Info.plist, or a file that starts like
// a Mach-O image or a universal file; everything else goes to the system's
// own loader.
bool is_macho_path(const std::string& path);

// The executable a path stands for: for a bundle, Contents/MacOS/ followed by
// the CFBundleExecutable of Contents/Info.plist; a file stands for itself.
// Throws LoadError.
std::string executable_path(const std::string& path);

}  // namespace macho
}  // namespace loader
