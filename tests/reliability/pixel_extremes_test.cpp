// The pixel functions at the far ends of what the host can send: hue angles
// of many turns, the chroma slider's whole valid range, adaptive alphas the
// slider allows (and some it does not), and 16-bit channels above the host's
// maximum. Each case states the result a user should get.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include "color/hue_settings.h"
#include "color/pixel_functions.h"
#include "effect/parameters.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Whole degrees to the settings record's radians, the way a render turns the
// Hue parameter into them.
float degrees(int32_t deg) { return SettingsFromValues(deg * 65536, 0.0, 0, 0.0).hue; }

PF_Pixel run8(const HueSettings& s, PF_Pixel in)
{
    PF_Pixel out{};
    HueFunc8(const_cast<HueSettings*>(&s), 0, 0, &in, &out);
    return out;
}

PF_Pixel16 run16(const HueSettings& s, PF_Pixel16 in)
{
    PF_Pixel16 out{};
    HueFunc16(const_cast<HueSettings*>(&s), 0, 0, &in, &out);
    return out;
}

// A coarse lattice through the whole colour cube, corners included.
std::vector<PF_Pixel> lattice8()
{
    std::vector<PF_Pixel> px;
    const int steps[] = {0, 1, 37, 90, 128, 170, 222, 254, 255};
    for (int r : steps)
        for (int g : steps)
            for (int b : steps)
                px.push_back({(uint8_t)(r ^ g), (uint8_t)r, (uint8_t)g, (uint8_t)b});
    return px;
}

std::vector<PF_Pixel16> lattice16()
{
    std::vector<PF_Pixel16> px;
    const int steps[] = {0, 1, 4681, 11111, 16384, 21845, 28000, 32767, 32768};
    for (int r : steps)
        for (int g : steps)
            for (int b : steps)
                px.push_back({(uint16_t)(r ^ g), (uint16_t)r, (uint16_t)g, (uint16_t)b});
    return px;
}

int max_diff(const PF_Pixel& x, const PF_Pixel& y)
{
    return std::max({std::abs(x.red - y.red), std::abs(x.green - y.green), std::abs(x.blue - y.blue)});
}

int max_diff(const PF_Pixel16& x, const PF_Pixel16& y)
{
    return std::max({std::abs(x.red - y.red), std::abs(x.green - y.green), std::abs(x.blue - y.blue)});
}

const ClipType kAllClips[] = {(ClipType)0, ClipType::Adaptive, ClipType::ChromaClipped, ClipType::Truncate,
                              ClipType::Debug, (ClipType)5, (ClipType)-1};

// ---------------------------------------------------------------- hue turns

struct HueTurnCase {
    int32_t extreme;     // degrees as the Hue parameter can hold them
    int32_t equivalent;  // the same rotation within one turn
};

class HueManyTurns : public ::testing::TestWithParam<HueTurnCase> {};

// The angle is never reduced, so a hue of ±32767° must still act as the same
// rotation within one turn: only the single-precision angle's last places may
// differ, which moves a channel by at most one 8-bit level (four 16-bit ones).
TEST_P(HueManyTurns, ActsAsTheRotationWithinOneTurn)
{
    const HueTurnCase c = GetParam();
    for (ClipType clip : kAllClips) {
        HueSettings far{degrees(c.extreme), 0.f, clip, 0.5f};
        HueSettings near{degrees(c.equivalent), 0.f, clip, 0.5f};
        for (const PF_Pixel& p : lattice8()) {
            PF_Pixel a = run8(far, p), b = run8(near, p);
            ASSERT_LE(max_diff(a, b), 1) << "clip " << (int)clip << " pixel " << (int)p.red << ","
                                         << (int)p.green << "," << (int)p.blue;
            ASSERT_EQ(a.alpha, p.alpha);
        }
        for (const PF_Pixel16& p : lattice16()) {
            PF_Pixel16 a = run16(far, p), b = run16(near, p);
            ASSERT_LE(max_diff(a, b), 4) << "clip " << (int)clip << " pixel " << p.red << "," << p.green << ","
                                         << p.blue;
            ASSERT_EQ(a.alpha, p.alpha);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Extremes, HueManyTurns,
                         ::testing::Values(HueTurnCase{32767, 7}, HueTurnCase{-32767, -7},
                                           HueTurnCase{32490, 90}, HueTurnCase{-32490, -90}));

// ------------------------------------------------------------ chroma range

class ChromaFloor : public ::testing::TestWithParam<std::tuple<ClipType, float>> {};

// Any offset that takes a pixel's chroma below 0 floors it there: -0.5, or the
// slider's lowest value, -10000000 (an offset of -10000), gives exactly what
// -1 gives, and the pixel becomes the grey of its own lightness whatever the
// clip method.
TEST_P(ChromaFloor, NegativeOffsetsGiveTheGreyOfEachPixel)
{
    const ClipType clip = std::get<0>(GetParam());
    HueSettings lowest{degrees(123), std::get<1>(GetParam()), clip, 0.5f};
    HueSettings minus_one{degrees(123), -1.f, clip, 0.5f};
    for (const PF_Pixel& p : lattice8()) {
        PF_Pixel out = run8(lowest, p);
        PF_Pixel ref = run8(minus_one, p);
        ASSERT_EQ(std::memcmp(&out, &ref, sizeof out), 0);
        ASSERT_LE(std::max({out.red, out.green, out.blue}) - std::min({out.red, out.green, out.blue}), 1);
        ASSERT_EQ(out.alpha, p.alpha);
    }
    for (const PF_Pixel16& p : lattice16()) {
        PF_Pixel16 out = run16(lowest, p);
        PF_Pixel16 ref = run16(minus_one, p);
        ASSERT_EQ(std::memcmp(&out, &ref, sizeof out), 0);
        ASSERT_LE(std::max({out.red, out.green, out.blue}) - std::min({out.red, out.green, out.blue}), 2);
        ASSERT_EQ(out.alpha, p.alpha);
    }
}

INSTANTIATE_TEST_SUITE_P(Extremes, ChromaFloor,
                         ::testing::Combine(::testing::ValuesIn(kAllClips), ::testing::Values(-0.5f, -10000.f)));

// What the slider's highest value, +10000000 (an offset of +10000, far
// outside any gamut), makes of every pixel, by clip method.
enum class HugeChromaResult {
    DebugRed,      // pure red
    EachChannelAtAnEnd,  // every channel 0 or full: nothing in between survives
    OnGamutSurface,      // some channel within a small distance of 0 or full
};

struct HugeChromaCase {
    ClipType clip;
    HugeChromaResult expected;
};

class ChromaHighest : public ::testing::TestWithParam<HugeChromaCase> {};

TEST_P(ChromaHighest, EveryPixelLandsWhereItsMethodPutsIt)
{
    const HugeChromaCase c = GetParam();
    const HueSettings s{degrees(-45), 10000.f, c.clip, 0.5f};
    for (const PF_Pixel16& p : lattice16()) {
        PF_Pixel16 out = run16(s, p);
        ASSERT_EQ(out.alpha, p.alpha);
        const int ch[] = {out.red, out.green, out.blue};
        for (int v : ch)
            ASSERT_TRUE(v >= 0 && v <= PF_MAX_CHAN16) << v;
        switch (c.expected) {
        case HugeChromaResult::DebugRed:
            ASSERT_TRUE(out.red == PF_MAX_CHAN16 && out.green == 0 && out.blue == 0);
            break;
        case HugeChromaResult::EachChannelAtAnEnd:
            for (int v : ch)
                ASSERT_TRUE(v == 0 || v == PF_MAX_CHAN16) << v;
            break;
        case HugeChromaResult::OnGamutSurface: {
            // The boundary is found with one refinement step, so "on" the
            // surface means within 1/256 of full scale of it.
            const int near = PF_MAX_CHAN16 / 256;
            ASSERT_TRUE(*std::min_element(ch, ch + 3) <= near ||
                        *std::max_element(ch, ch + 3) >= PF_MAX_CHAN16 - near)
                << out.red << "," << out.green << "," << out.blue;
            break;
        }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Extremes, ChromaHighest,
    ::testing::Values(HugeChromaCase{ClipType::Debug, HugeChromaResult::DebugRed},
                      HugeChromaCase{ClipType::Truncate, HugeChromaResult::EachChannelAtAnEnd},
                      HugeChromaCase{(ClipType)0, HugeChromaResult::EachChannelAtAnEnd},
                      HugeChromaCase{(ClipType)77, HugeChromaResult::EachChannelAtAnEnd},
                      HugeChromaCase{ClipType::Adaptive, HugeChromaResult::OnGamutSurface},
                      HugeChromaCase{ClipType::ChromaClipped, HugeChromaResult::OnGamutSurface}));

// ------------------------------------------------------------ adaptive alpha

// A colour the change leaves inside the gamut never reaches a clip, so no
// alpha, however wild, may touch it. Debug tells which ones left: it paints
// exactly those red.
class AdaptiveAlpha : public ::testing::TestWithParam<float> {};

TEST_P(AdaptiveAlpha, InGamutResultsDoNotDependOnIt)
{
    const float alpha = GetParam();
    const HueSettings wild{0.7f, 0.08f, ClipType::Adaptive, alpha};
    const HueSettings usual{0.7f, 0.08f, ClipType::Adaptive, 0.5f};
    const HueSettings debug{0.7f, 0.08f, ClipType::Debug, alpha};
    int in_gamut = 0;
    for (const PF_Pixel16& p : lattice16()) {
        PF_Pixel16 d = run16(debug, p);
        if (d.red == PF_MAX_CHAN16 && d.green == 0 && d.blue == 0)
            continue;
        ++in_gamut;
        PF_Pixel16 a = run16(wild, p), b = run16(usual, p);
        ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << p.red << "," << p.green << "," << p.blue;
    }
    ASSERT_GT(in_gamut, 50);  // the lattice must really exercise the in-gamut path
}

TEST_P(AdaptiveAlpha, OutOfGamutResultsStayInRangeWithAlphaCopied)
{
    const HueSettings s{0.7f, 0.3f, ClipType::Adaptive, GetParam()};
    for (const PF_Pixel16& p : lattice16()) {
        PF_Pixel16 out = run16(s, p);
        ASSERT_EQ(out.alpha, p.alpha);
        ASSERT_LE(std::max({out.red, out.green, out.blue}), PF_MAX_CHAN16);
    }
}

INSTANTIATE_TEST_SUITE_P(Extremes, AdaptiveAlpha,
                         ::testing::Values(0.f, -1.f, -10000000.f, 10000000.f, 1e-40f, kNaN, kInf, -kInf));

// With alpha 0 the adaptive anchor is the colour's own lightness, the same
// target the Chroma Clipped method uses: for in-range pixels the two methods
// agree to within the boundary's rounding.
TEST(AdaptiveAlphaZero, AgreesWithChromaClipped)
{
    for (float chroma : {0.05f, 0.1f, 0.3f}) {
        const HueSettings adaptive{0.3f, chroma, ClipType::Adaptive, 0.f};
        const HueSettings chroma_clipped{0.3f, chroma, ClipType::ChromaClipped, 0.5f};
        for (const PF_Pixel16& p : lattice16())
            ASSERT_LE(max_diff(run16(adaptive, p), run16(chroma_clipped, p)), 3)
                << "chroma " << chroma << " pixel " << p.red << "," << p.green << "," << p.blue;
        for (const PF_Pixel& p : lattice8())
            ASSERT_LE(max_diff(run8(adaptive, p), run8(chroma_clipped, p)), 1)
                << "chroma " << chroma << " pixel " << (int)p.red << "," << (int)p.green << "," << (int)p.blue;
    }
}

// An alpha that is not a number, or infinite (the slider's valid range
// excludes both, so only a broken host sends them), has no anchor: every
// out-of-gamut colour becomes black, never garbage. In-gamut ones are kept
// (see InGamutResultsDoNotDependOnIt).
TEST(AdaptiveAlphaNotANumber, OutOfGamutColoursBecomeBlack)
{
    for (float alpha : {kNaN, kInf, -kInf}) {
        const HueSettings s{0.f, 0.3f, ClipType::Adaptive, alpha};
        const HueSettings debug{0.f, 0.3f, ClipType::Debug, alpha};
        int out_of_gamut = 0;
        for (const PF_Pixel16& p : lattice16()) {
            PF_Pixel16 d = run16(debug, p);
            if (!(d.red == PF_MAX_CHAN16 && d.green == 0 && d.blue == 0))
                continue;
            ++out_of_gamut;
            PF_Pixel16 out = run16(s, p);
            ASSERT_TRUE(out.red == 0 && out.green == 0 && out.blue == 0 && out.alpha == p.alpha)
                << "alpha " << alpha << " pixel " << p.red << "," << p.green << "," << p.blue;
        }
        ASSERT_GT(out_of_gamut, 50);
    }
}

// ------------------------------------------------- 16-bit above the maximum

struct OverbrightCase {
    ClipType clip;
    uint16_t red, green, blue;  // what a grey above full intensity becomes
};

class OverbrightGrey : public ::testing::TestWithParam<OverbrightCase> {};

// Channels above 32768 are outside the host's range, but a broken frame can
// hold them. A grey brighter than white is white to every method that
// clips (Chroma Clipped once turned it black), red under Debug, and full
// white under no clipping, where the store saturates.
TEST_P(OverbrightGrey, BecomesWhite)
{
    const OverbrightCase c = GetParam();
    for (float hue : {0.1f, 1.f, 1.5707963f, 2.f, 3.f, -1.f})
        // 32782 in every channel converts to an exact grey (a = b = 0) above white.
        for (int v : {32769, 32772, 32782, 40000, 49152, 65534, 65535}) {
            const HueSettings s{hue, 0.f, c.clip, 0.5f};
            PF_Pixel16 in{(uint16_t)v, (uint16_t)v, (uint16_t)v, (uint16_t)v};
            PF_Pixel16 out = run16(s, in);
            ASSERT_EQ(out.alpha, v);
            ASSERT_LE(std::abs(out.red - c.red), 1) << "hue " << hue << " grey " << v;
            ASSERT_LE(std::abs(out.green - c.green), 1) << "hue " << hue << " grey " << v;
            ASSERT_LE(std::abs(out.blue - c.blue), 1) << "hue " << hue << " grey " << v;
        }
}

INSTANTIATE_TEST_SUITE_P(Extremes, OverbrightGrey,
                         ::testing::Values(OverbrightCase{(ClipType)0, 32768, 32768, 32768},
                                           OverbrightCase{ClipType::Adaptive, 32768, 32768, 32768},
                                           OverbrightCase{ClipType::ChromaClipped, 32768, 32768, 32768},
                                           OverbrightCase{ClipType::Truncate, 32768, 32768, 32768},
                                           OverbrightCase{ClipType::Debug, 32768, 0, 0}));

// Any 16-bit pixel at all, run through a real change, comes out within the
// host's range with its alpha (even one above 32768) untouched; with zero
// offsets it is copied bit for bit, out-of-range channels included.
TEST(Overbright, AnyChannelValuesStayInRangeOrAreCopied)
{
    const int steps[] = {0, 16384, 32768, 32769, 40000, 65535};
    for (ClipType clip : kAllClips)
        for (int r : steps)
            for (int g : steps)
                for (int b : steps) {
                    PF_Pixel16 in{(uint16_t)b, (uint16_t)r, (uint16_t)g, (uint16_t)b};
                    PF_Pixel16 copied = run16({0.f, -0.f, clip, 0.5f}, in);
                    ASSERT_EQ(std::memcmp(&copied, &in, sizeof in), 0);
                    PF_Pixel16 out = run16({2.f, 0.05f, clip, 0.5f}, in);
                    ASSERT_EQ(out.alpha, in.alpha);
                    ASSERT_LE(std::max({out.red, out.green, out.blue}), PF_MAX_CHAN16)
                        << (int)clip << ": " << r << "," << g << "," << b;
                }
}

}  // namespace
