#include "tests/windows/resource_checks.h"

#include <cstdio>
#include <vector>

#include "tests/windows/check_report.h"
#include "tests/windows/library_resources.h"

namespace platform_check {
namespace {

using Bytes = std::vector<uint8_t>;

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
    Bytes out{1, 0};  // the Windows lead word
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

}  // namespace

Tally CheckResources(const std::string& library_path, const std::string& support_url)
{
    Report r("resources");
    const Bytes want = ExpectedPipl(support_url);

    struct Lookup {
        const char* what;
        ResourceKey key;
    };
    // The host spells the type "PiPL"; the system matches type names without
    // regard to case, and the resource compiler stored it upper-cased.
    const Lookup lookups[] = {
        {"PiPL 16000 (FindResource)", {"PiPL", 0, 16000, 0}},
        {"PIPL 16000, language 1033", {"PIPL", 0, 16000, kEnglishUs}},
    };
    for (const Lookup& lookup : lookups) {
        Bytes got;
        std::string error;
        if (!ReadLibraryResource(library_path, lookup.key, &got, &error)) {
            r.Fail(lookup.what, error);
            continue;
        }
        r.Equal(std::string(lookup.what) + " size", got.size(), want.size());
        r.True(std::string(lookup.what) + " bytes", got == want, FirstDifference(got, want));
    }

    Bytes manifest;
    std::string error;
    if (!ReadLibraryResource(library_path, ResourceKey{nullptr, 24, 2, kEnglishUs}, &manifest, &error)) {
        r.Fail("manifest 24/2/1033", error);
    } else {
        const std::string text(manifest.begin(), manifest.end());
        r.True("manifest asks to run as the invoker", text.find("level=\"asInvoker\"") != std::string::npos, text);
        r.True("manifest asks for no UI access", text.find("uiAccess=\"false\"") != std::string::npos, text);
        const size_t first = text.find("requestedExecutionLevel");
        r.Equal("manifest has one execution level request", text.find("requestedExecutionLevel", first + 1),
                std::string::npos);
    }
    return Tally{r.checked(), r.failed()};
}

}  // namespace platform_check
