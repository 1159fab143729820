#include "resources/pipl_bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "effect/identity.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values) out.push_back((uint8_t)v);
    return out;
}

// Text written out with its exact byte count, so embedded zeros are kept.
template <size_t N>
Bytes T(const char (&text)[N])
{
    return Bytes(text, text + N - 1);
}

// One property as it must appear in the file: the key's bytes as stored, the
// declared length, and the data including its padding.
struct Row {
    const char* name;
    Bytes key;
    uint32_t length;
    Bytes data;
};

std::string Url() { return identity::kSupportUrl; }

Bytes PascalPadded(const std::string& text)
{
    Bytes out(1, (uint8_t)text.size());
    for (char c : text) out.push_back((uint8_t)c);
    while (out.size() % 4) out.push_back(0);
    return out;
}

// The Windows list, little-endian: four-character codes appear reversed.
std::vector<Row> WindowsRows()
{
    return {
        {"kind", T("dnik"), 4, T("TKFe")},
        {"name", T("eman"), 8, T("\x06TINTRA\0")},
        {"catg", T("gtac"), 20, T("\x10" "Color Correction\0\0\0")},
        {"8664", T("4668"), 12, T("EffectMain\0\0")},
        {"ePVR", T("RVPe"), 4, B({2, 0, 0, 0})},
        {"eSVR", T("RVSe"), 4, B({13, 0, 28, 0})},
        {"eVER", T("REVe"), 4, B({0x01, 0x00, 0x09, 0x00})},
        {"eINF", T("FNIe"), 2, B({0, 0, 0, 0})},
        {"eGLO", T("OLGe"), 4, B({0, 0, 0, 6})},
        {"eGL2", T("2LGe"), 4, B({0, 0, 0, 8})},
        {"eMNA", T("ANMe"), 20, T("\x10" "halvecort TINTRA\0\0\0")},
        {"aeFL", T("LFea"), 4, B({0, 0, 0, 0})},
        {"eURL", T("LRUe"), (uint32_t)PascalPadded(Url()).size(), PascalPadded(Url())},
    };
}

// The macOS list, big-endian, with unpadded text lengths and two code properties.
std::vector<Row> MacRows()
{
    return {
        {"kind", T("kind"), 4, T("eFKT")},
        {"name", T("name"), 7, T("\x06TINTRA\0")},
        {"catg", T("catg"), 17, T("\x10" "Color Correction\0\0\0")},
        {"mi64", T("mi64"), 11, T("\x0A" "EffectMain\0")},
        {"ma64", T("ma64"), 11, T("\x0A" "EffectMain\0")},
        {"ePVR", T("ePVR"), 4, B({0, 2, 0, 0})},
        {"eSVR", T("eSVR"), 4, B({0, 13, 0, 28})},
        {"eVER", T("eVER"), 4, B({0x00, 0x09, 0x00, 0x01})},
        {"eINF", T("eINF"), 2, B({0, 0, 0, 0})},
        {"eGLO", T("eGLO"), 4, B({6, 0, 0, 0})},
        {"eGL2", T("eGL2"), 4, B({8, 0, 0, 0})},
        {"eMNA", T("eMNA"), 17, T("\x10" "halvecort TINTRA\0\0\0")},
        {"aeFL", T("aeFL"), 4, B({0, 0, 0, 0})},
        {"eURL", T("eURL"), (uint32_t)Url().size() + 1, PascalPadded(Url())},
    };
}

struct Layout {
    const char* name;
    pipl::Platform platform;
    Bytes header;
    Bytes vendor;
    Bytes (*length)(uint32_t);
    std::vector<Row> (*rows)();
};

Bytes LengthLE(uint32_t v) { return B({(int)(v & 0xFF), (int)(v >> 8 & 0xFF), (int)(v >> 16 & 0xFF), (int)(v >> 24)}); }
Bytes LengthBE(uint32_t v) { return B({(int)(v >> 24), (int)(v >> 16 & 0xFF), (int)(v >> 8 & 0xFF), (int)(v & 0xFF)}); }

const Layout kLayouts[] = {
    {"Windows", pipl::Platform::Windows, B({1, 0, 0, 0, 0, 0, 13, 0, 0, 0}), T("MIB8"), LengthLE, WindowsRows},
    {"MacOS", pipl::Platform::MacOS, B({0, 0, 0, 0, 0, 0, 0, 14}), T("8BIM"), LengthBE, MacRows},
};

void PrintTo(const Layout& layout, std::ostream* os) { *os << layout.name; }

class PiplLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(PiplLayout, EveryPropertyMatchesByteForByte)
{
    const Layout& layout = GetParam();
    const Bytes bytes = pipl::Build(layout.platform);
    ASSERT_GE(bytes.size(), layout.header.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + (long)layout.header.size()), layout.header);

    size_t at = layout.header.size();
    for (const Row& row : layout.rows()) {
        SCOPED_TRACE(std::string("property ") + row.name + " at byte " + std::to_string(at));
        Bytes expected = layout.vendor;
        expected.insert(expected.end(), row.key.begin(), row.key.end());
        for (int i = 0; i < 4; ++i) expected.push_back(0);  // property id
        Bytes length = layout.length(row.length);
        expected.insert(expected.end(), length.begin(), length.end());
        expected.insert(expected.end(), row.data.begin(), row.data.end());
        ASSERT_LE(at + expected.size(), bytes.size());
        EXPECT_EQ(Bytes(bytes.begin() + (long)at, bytes.begin() + (long)(at + expected.size())), expected);
        at += expected.size();
    }
    EXPECT_EQ(at, bytes.size()) << "bytes after the last property";
}

INSTANTIATE_TEST_SUITE_P(Platforms, PiplLayout, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

// Walks the Windows list the way the host does: a reader that gets the
// lengths or the padding wrong loses its place and finds no vendor code.
TEST(WindowsPipl, HostWalkFindsEveryVendorCodeAndPaddedTextLengths)
{
    const Bytes bytes = pipl::Build(pipl::Platform::Windows);
    auto u32 = [&](size_t at) {
        return (uint32_t)bytes[at] | (uint32_t)bytes[at + 1] << 8 | (uint32_t)bytes[at + 2] << 16 |
               (uint32_t)bytes[at + 3] << 24;
    };
    size_t at = 10;  // the first property follows the 10-byte header
    int count = 0;
    while (at < bytes.size()) {
        ASSERT_LE(at + 16, bytes.size());
        EXPECT_EQ(u32(at), 0x3842494Du) << "vendor at " << at;
        const uint32_t key = u32(at + 4);
        const uint32_t length = u32(at + 12);
        const bool text = key == 0x6E616D65u || key == 0x63617467u || key == 0x654D4E41u || key == 0x6555524Cu ||
                          key == 0x38363634u;
        if (text) {
            EXPECT_EQ(length % 4, 0u) << "text length of property " << count;
        }
        if (key == 0x65494E46u) {  // eINF: two bytes declared, two zero bytes stored after them
            EXPECT_EQ(length, 2u);
            EXPECT_EQ(bytes[at + 18], 0);
            EXPECT_EQ(bytes[at + 19], 0);
        }
        at += 16 + (length + 3) / 4 * 4;
        ++count;
    }
    EXPECT_EQ(at, bytes.size());
    EXPECT_EQ(count, 13);
}

// The command-line front end, run as the build runs it.
class Generator : public ::testing::Test {
protected:
    std::string dir_ = ::testing::TempDir();

    static int Run(const std::string& args)
    {
        std::string command = std::string(TINTRA_PIPL_GENERATOR) + " " + args + " >/dev/null 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static bool Exists(const std::string& path)
    {
        std::ifstream f(path, std::ios::binary);
        return f.good();
    }

    static Bytes Read(const std::string& path)
    {
        std::ifstream f(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
};

TEST_F(Generator, WritesTheBuiltBytesForEachPlatform)
{
    for (const Layout& layout : kLayouts) {
        std::string out = dir_ + "/pipl-" + layout.name + ".bin";
        std::remove(out.c_str());
        std::string platform = layout.platform == pipl::Platform::Windows ? "windows" : "macos";
        ASSERT_EQ(Run("--platform " + platform + " -o " + out), 0) << platform;
        EXPECT_EQ(Read(out), pipl::Build(layout.platform)) << platform;
        EXPECT_FALSE(Exists(out + ".tmp")) << platform;
    }
}

struct BadCall {
    const char* name;
    std::string args;
    int status;
};

TEST_F(Generator, RejectsBadCallsWithoutWritingAFile)
{
    const std::string out = dir_ + "/pipl-rejected.bin";
    const BadCall calls[] = {
        {"unknown platform", "--platform linux -o " + out, 2},
        {"no platform", "-o " + out, 2},
        {"no output", "--platform windows", 2},
        {"missing value", "--platform windows -o", 2},
        {"unknown option", "--platform windows --big -o " + out, 2},
        {"unwritable output", "--platform windows -o " + dir_ + "/no-such-dir/pipl.bin", 1},
    };
    for (const BadCall& call : calls) {
        std::remove(out.c_str());
        EXPECT_EQ(Run(call.args), call.status) << call.name;
        EXPECT_FALSE(Exists(out)) << call.name;
    }
}

}  // namespace
