// tintra_ofx_info_plist OUT: writes TINTRA.ofx.bundle/Contents/Info.plist from
// the identity the plug-in registers with, so the two cannot disagree.
#include <cstdio>
#include <string>

#include "effect/identity.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tintra_ofx_info_plist OUT\n");
        return 2;
    }
    const std::string version = std::to_string(identity::kMajorVersion) + "." +
                                std::to_string(identity::kMinorVersion) + "." + std::to_string(identity::kFixVersion);
    const std::string plist = std::string(
                                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                  "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                  "<plist version=\"1.0\">\n<dict>\n"
                                  "\t<key>CFBundleDevelopmentRegion</key>\n\t<string>English</string>\n"
                                  "\t<key>CFBundleExecutable</key>\n\t<string>") +
                              identity::kOfxBinaryName +
                              "</string>\n"
                              "\t<key>CFBundleIdentifier</key>\n\t<string>" +
                              identity::kOfxIdentifier +
                              "</string>\n"
                              "\t<key>CFBundleInfoDictionaryVersion</key>\n\t<string>6.0</string>\n"
                              "\t<key>CFBundleName</key>\n\t<string>" +
                              identity::kName +
                              "</string>\n"
                              "\t<key>CFBundlePackageType</key>\n\t<string>BNDL</string>\n"
                              "\t<key>CFBundleShortVersionString</key>\n\t<string>" +
                              version + "</string>\n\t<key>CFBundleVersion</key>\n\t<string>" + version +
                              "</string>\n</dict>\n</plist>\n";
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(plist.data(), 1, plist.size(), f) != plist.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "tintra_ofx_info_plist: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
