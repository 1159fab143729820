// The two resources of TINTRA.aex as the host reads them, through the
// system's resource functions on the loaded DLL: the property list byte for
// byte, and the manifest. Part of the integration tests in the Windows build.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/plugin_test.h"
#include "tests/windows/library_resources.h"

namespace {

using Bytes = std::vector<uint8_t>;
using platform_check::ReadLibraryResource;
using platform_check::ResourceKey;

constexpr int kEnglishUs = 1033;

void Append(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

void Append32(Bytes& out, uint32_t v)
{
    out.insert(out.end(), {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)});
}

Bytes LengthPrefixed(const std::string& text)
{
    Bytes data{(uint8_t)text.size()};
    Append(data, text);
    while (data.size() % 4 != 0) data.push_back(0);
    return data;
}

// The property list as the host expects it, written out by hand: integers
// little-endian, so four-character codes read backwards ("MIB8" is "8BIM").
Bytes ExpectedPipl(const std::string& support_url)
{
    struct Property {
        const char* key;  // as stored
        uint32_t length;
        Bytes data;       // with its padding
    };
    const Bytes url = LengthPrefixed(support_url);
    const Property properties[] = {
        {"dnik", 4, {'T', 'K', 'F', 'e'}},
        {"eman", 8, {6, 'T', 'I', 'N', 'T', 'R', 'A', 0}},
        {"gtac", 20, {16, 'C', 'o', 'l', 'o', 'r', ' ', 'C', 'o', 'r', 'r', 'e', 'c', 't', 'i', 'o', 'n', 0, 0, 0}},
        {"4668", 12, {'E', 'f', 'f', 'e', 'c', 't', 'M', 'a', 'i', 'n', 0, 0}},
        {"RVPe", 4, {2, 0, 0, 0}},
        {"RVSe", 4, {13, 0, 28, 0}},
        {"REVe", 4, {0x01, 0x00, 0x09, 0x00}},
        {"FNIe", 2, {0, 0, 0, 0}},
        {"OLGe", 4, {0x00, 0x00, 0x00, 0x06}},
        {"2LGe", 4, {0x00, 0x00, 0x00, 0x08}},
        {"ANMe", 20, {16, 'h', 'a', 'l', 'v', 'e', 'c', 'o', 'r', 't', ' ', 'T', 'I', 'N', 'T', 'R', 'A', 0, 0, 0}},
        {"LFea", 4, {0, 0, 0, 0}},
        {"LRUe", (uint32_t)url.size(), url},
    };
    Bytes out{1, 0};    // the Windows lead word
    Append32(out, 0);   // list version
    Append32(out, 13);  // property count
    for (const Property& p : properties) {
        Append(out, "MIB8");
        Append(out, p.key);
        Append32(out, 0);
        Append32(out, p.length);
        out.insert(out.end(), p.data.begin(), p.data.end());
    }
    return out;
}

std::string FirstDifference(const Bytes& got, const Bytes& want)
{
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    char text[160];
    std::snprintf(text, sizeof text, "first difference at byte %zu of %zu (expected %zu bytes)", at, got.size(),
                  want.size());
    return text;
}

struct Lookup {
    const char* what;
    ResourceKey key;
};

void PrintTo(const Lookup& lookup, std::ostream* os) { *os << lookup.what; }

class WindowsPipl : public PluginTestWithParam<Lookup> {};

// The list carries the address the plug-in registers with.
TEST_P(WindowsPipl, IsTheHandWrittenListWithTheRegisteredAddress)
{
    aehost::Host host(library());
    ASSERT_EQ(host.register_effect(), PF_Err_NONE);
    const Bytes want = ExpectedPipl(host.registration().support_url);
    Bytes got;
    std::string error;
    ASSERT_TRUE(ReadLibraryResource(plugin_path(), GetParam().key, &got, &error)) << error;
    EXPECT_EQ(got.size(), want.size());
    EXPECT_TRUE(got == want) << FirstDifference(got, want);
}

// The host spells the type "PiPL"; the system matches type names without
// regard to case, and the resource compiler stored it upper-cased.
INSTANTIATE_TEST_SUITE_P(Lookups, WindowsPipl,
                         ::testing::Values(Lookup{"PiPL 16000 (FindResource)", {"PiPL", 0, 16000, 0}},
                                           Lookup{"PIPL 16000, language 1033", {"PIPL", 0, 16000, kEnglishUs}}));

using WindowsManifest = PluginTest;

TEST_F(WindowsManifest, AsksToRunAsTheInvokerWithoutUiAccess)
{
    Bytes manifest;
    std::string error;
    ASSERT_TRUE(ReadLibraryResource(plugin_path(), ResourceKey{nullptr, 24, 2, kEnglishUs}, &manifest, &error))
        << error;
    const std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos) << text;
    EXPECT_NE(text.find("uiAccess=\"false\""), std::string::npos) << text;
    const size_t first = text.find("requestedExecutionLevel");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find("requestedExecutionLevel", first + 1), std::string::npos) << "more than one request";
}

}  // namespace
