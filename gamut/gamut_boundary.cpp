#include "gamut/gamut_boundary.h"

#include <cfloat>
#include <cmath>

#include "color/oklab.h"

// Products are formed left to right with squares written out ((3·k)·x)·x, as
// the reference grouping; another grouping moves results in the last place.

namespace {

// One coefficient set of the maximum saturation: k0..k4 give the first
// estimate of S, and w is the row of the channel the set drives to 0.
struct SaturationSet {
    float k0, k1, k2, k3, k4;
    MatrixRow w;
};

constexpr SaturationSet kRedReachesZero{1.1908628f, 1.7657673f, 0.5966264f, 0.755152f, 0.5677124f, kRedFromCones};
constexpr SaturationSet kGreenReachesZero{0.73956513f, -0.45954403f, 0.08285427f, 0.1254107f, 0.14503203f,
                                          kGreenFromCones};
constexpr SaturationSet kBlueReachesZero{1.3573365f, -0.00915799f, -1.1513021f, -0.50559604f, 0.00692167f,
                                         kBlueFromCones};

float max_saturation_by(const SaturationSet& set, float a, float b)
{
    float S = set.k0 + set.k1 * a + set.k2 * b + set.k3 * a * a + set.k4 * a * b;

    float k_l = apply_row(kLConeFromLab, a, b);
    float k_m = apply_row(kMConeFromLab, a, b);
    float k_s = apply_row(kSConeFromLab, a, b);

    float l_ = 1.f + S * k_l;
    float m_ = 1.f + S * k_m;
    float s_ = 1.f + S * k_s;

    float l = l_ * l_ * l_;
    float m = m_ * m_ * m_;
    float s = s_ * s_ * s_;

    float l_dS = 3.f * k_l * l_ * l_;
    float m_dS = 3.f * k_m * m_ * m_;
    float s_dS = 3.f * k_s * s_ * s_;

    float l_dS2 = 6.f * k_l * k_l * l_;
    float m_dS2 = 6.f * k_m * k_m * m_;
    float s_dS2 = 6.f * k_s * k_s * s_;

    float f = apply_row(set.w, l, m, s);
    float f1 = apply_row(set.w, l_dS, m_dS, s_dS);
    float f2 = apply_row(set.w, l_dS2, m_dS2, s_dS2);

    // Exactly one Halley step, unguarded: the first estimate is close enough
    // that one step is what the boundary is defined by.
    S = S - f * f1 / (f1 * f1 - 0.5f * f * f2);
    return S;
}

// How close to 1 a region test must come for the maths library to decide the
// region: 2^-15, 512 units in the last place of 1. The primaries lie on the
// lines where the regions meet, and the clip methods see their hue
// directions after atan2f, cosf, sinf and two conversions with cbrtf. Over
// Hue 0, 360, -360 and 720 and Chroma -0.1 to +0.3 the tests of the full
// primaries stray from 1 by at most 39 units with glibc (x86-64 and aarch64)
// and 57 with mingw-w64's library, those of primaries at a quarter of full
// intensity or more by at most 66; with every maths-library result moved by
// up to 4 units, by at most 193. (Darker primaries under large boosts stray
// further: a cone response near 0 magnifies the rounding.) The band is a
// thousandth of a degree of hue either side.
constexpr float kRegionBand = 1.f / 32768.f;

// A cusp lies on the gamut when no channel of it falls below 0 by more than
// one 16-bit level, 2^-15 of its largest channel: less than any stored pixel
// shows. At a primary's corner the one Halley step of the right set lands a
// few millionths outside (blue: -5e-6), while a set that overshoots there
// does so by a ten-thousandth or more (red's green set: -2e-4).
constexpr float kCuspBelowZero = 1.f / 32768.f;

bool cusp_on_gamut(float S, float a, float b)
{
    RGB rgb = OKtoRGBUnclipped({1.f, S * a, S * b});
    float largest = fmaxf(fmaxf(rgb.r, rgb.g), rgb.b);
    float smallest = fminf(fminf(rgb.r, rgb.g), rgb.b);
    return smallest >= -kCuspBelowZero * largest;
}

}  // namespace

float compute_max_saturation(float a, float b)
{
    // Which channel reaches 0 first decides the coefficient set. Both tests
    // are strict and a NaN fails both, so a NaN direction takes the blue set.
    float red_test = -1.8817033f * a - 0.8093649f * b;
    float green_test = 1.8144411f * a - 1.1944528f * b;
    bool red_first = red_test > 1;
    bool green_first = green_test > 1;

    // A NaN is near no boundary.
    bool red_near = fabsf(red_test - 1.f) <= kRegionBand;
    bool green_near = fabsf(green_test - 1.f) <= kRegionBand;
    if (!red_near && !green_near) {
        if (red_first)
            return max_saturation_by(kRedReachesZero, a, b);
        if (green_first)
            return max_saturation_by(kGreenReachesZero, a, b);
        return max_saturation_by(kBlueReachesZero, a, b);
    }

    // Within the band the side a test falls on is a matter of the last bit,
    // which differs between maths libraries, and the sets on either side can
    // disagree by a fifth (pure blue). Every set the tests could pick is
    // tried; the answer is the largest saturation whose cusp lies on the
    // gamut, or failing that the smallest, nearest the gamut from outside.
    // Neither depends on which side of the line the direction fell.
    bool others_may = !red_first || red_near;
    const SaturationSet* candidates[3];
    int count = 0;
    if (red_first || red_near)
        candidates[count++] = &kRedReachesZero;
    if (others_may && (green_first || green_near))
        candidates[count++] = &kGreenReachesZero;
    if (others_may && (!green_first || green_near))
        candidates[count++] = &kBlueReachesZero;

    float best = max_saturation_by(*candidates[0], a, b);
    bool best_on = cusp_on_gamut(best, a, b);
    for (int i = 1; i < count; ++i) {
        float S = max_saturation_by(*candidates[i], a, b);
        bool on = cusp_on_gamut(S, a, b);
        bool better = on != best_on ? on : (on ? S > best : S < best);
        if (better) {
            best = S;
            best_on = on;
        }
    }
    return best;
}

Cusp find_cusp(float a, float b)
{
    float S_cusp = compute_max_saturation(a, b);

    // Scale (1, S·a, S·b) so that its largest channel lands on 1. fmaxf lets
    // a number win over a NaN.
    RGB rgb_at_max = OKtoRGBUnclipped({1.f, S_cusp * a, S_cusp * b});
    float L_cusp = cbrtf(1.f / fmaxf(fmaxf(rgb_at_max.r, rgb_at_max.g), rgb_at_max.b));
    float C_cusp = L_cusp * S_cusp;
    return {L_cusp, C_cusp};
}

float find_gamut_intersection(float a, float b, float L1, float C1, float L0)
{
    return find_gamut_intersection(a, b, L1, C1, L0, find_cusp(a, b));
}

// One piece: the Halley step's operations and their order fix the result's bits, so it stays whole.
float find_gamut_intersection(float a, float b, float L1, float C1, float L0, Cusp cusp)
{
    float t;

    // A half test of exactly 0 takes the lower formula; a NaN takes the upper.
    if (((L1 - L0) * cusp.C - (cusp.L - L0) * C1) <= 0.f) {
        // Lower half: the edge from black to the cusp is taken as straight.
        t = cusp.C * L0 / (C1 * cusp.L + cusp.C * (L0 - L1));
    } else {
        // Upper half: start on the straight line from the cusp to white.
        t = cusp.C * (L0 - 1.f) / (C1 * (cusp.L - 1.f) + cusp.C * (L0 - L1));

        // Then one Halley step on whichever channel reaches 1 first; all
        // three are computed and the smallest step wins.
        float dL = L1 - L0;
        float dC = C1;

        float k_l = apply_row(kLConeFromLab, a, b);
        float k_m = apply_row(kMConeFromLab, a, b);
        float k_s = apply_row(kSConeFromLab, a, b);

        float l_dt = dL + dC * k_l;
        float m_dt = dL + dC * k_m;
        float s_dt = dL + dC * k_s;

        float L = L0 * (1.f - t) + t * L1;
        float C = t * C1;

        float l_ = L + C * k_l;
        float m_ = L + C * k_m;
        float s_ = L + C * k_s;

        float l = l_ * l_ * l_;
        float m = m_ * m_ * m_;
        float s = s_ * s_ * s_;

        float ldt = 3 * l_dt * l_ * l_;
        float mdt = 3 * m_dt * m_ * m_;
        float sdt = 3 * s_dt * s_ * s_;

        float ldt2 = 6 * l_dt * l_dt * l_;
        float mdt2 = 6 * m_dt * m_dt * m_;
        float sdt2 = 6 * s_dt * s_dt * s_;

        float r = apply_row(kRedFromCones, l, m, s) - 1;
        float r1 = apply_row(kRedFromCones, ldt, mdt, sdt);
        float r2 = apply_row(kRedFromCones, ldt2, mdt2, sdt2);

        float u_r = r1 / (r1 * r1 - 0.5f * r * r2);
        float t_r = -r * u_r;

        float g = apply_row(kGreenFromCones, l, m, s) - 1;
        float g1 = apply_row(kGreenFromCones, ldt, mdt, sdt);
        float g2 = apply_row(kGreenFromCones, ldt2, mdt2, sdt2);

        float u_g = g1 / (g1 * g1 - 0.5f * g * g2);
        float t_g = -g * u_g;

        float bl = apply_row(kBlueFromCones, l, m, s) - 1;
        float b1 = apply_row(kBlueFromCones, ldt, mdt, sdt);
        float b2 = apply_row(kBlueFromCones, ldt2, mdt2, sdt2);

        float u_b = b1 / (b1 * b1 - 0.5f * bl * b2);
        float t_b = -bl * u_b;

        // A channel moving away from 1 (u negative, or NaN) cannot be the
        // one that stops the segment.
        t_r = u_r >= 0.f ? t_r : FLT_MAX;
        t_g = u_g >= 0.f ? t_g : FLT_MAX;
        t_b = u_b >= 0.f ? t_b : FLT_MAX;

        t += fminf(t_r, fminf(t_g, t_b));
    }

    return t;
}
