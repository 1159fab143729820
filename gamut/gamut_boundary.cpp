#include "gamut/gamut_boundary.h"

#include <cfloat>
#include <cmath>

#include "color/oklab.h"

// Products are formed left to right with squares written out ((3·k)·x)·x, as
// the reference grouping; another grouping moves results in the last place.

float compute_max_saturation(float a, float b)
{
    // Which channel reaches 0 first decides the coefficient set. Both tests
    // are strict and a NaN fails both, so a NaN direction takes the blue set.
    float k0, k1, k2, k3, k4, wl, wm, ws;
    if (-1.8817033f * a - 0.8093649f * b > 1) {
        // Red reaches 0 first.
        k0 = 1.1908628f; k1 = 1.7657673f; k2 = 0.5966264f; k3 = 0.755152f; k4 = 0.5677124f;
        wl = 4.0767417f; wm = -3.3077116f; ws = 0.23096994f;
    } else if (1.8144411f * a - 1.1944528f * b > 1) {
        // Green reaches 0 first.
        k0 = 0.73956513f; k1 = -0.45954403f; k2 = 0.08285427f; k3 = 0.1254107f; k4 = 0.14503203f;
        wl = -1.268438f; wm = 2.6097574f; ws = -0.34131938f;
    } else {
        // Blue reaches 0 first.
        k0 = 1.3573365f; k1 = -0.00915799f; k2 = -1.1513021f; k3 = -0.50559604f; k4 = 0.00692167f;
        wl = -0.0041960864f; wm = -0.7034186f; ws = 1.7076147f;
    }

    float S = k0 + k1 * a + k2 * b + k3 * a * a + k4 * a * b;

    float k_l = 0.39633778f * a + 0.21580376f * b;
    float k_m = -0.105561346f * a - 0.06385417f * b;
    float k_s = -0.08948418f * a - 1.2914855f * b;

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

    float f = wl * l + wm * m + ws * s;
    float f1 = wl * l_dS + wm * m_dS + ws * s_dS;
    float f2 = wl * l_dS2 + wm * m_dS2 + ws * s_dS2;

    // Exactly one Halley step, unguarded: the first estimate is close enough
    // that one step is what the boundary is defined by.
    S = S - f * f1 / (f1 * f1 - 0.5f * f * f2);
    return S;
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

        float k_l = 0.39633778f * a + 0.21580376f * b;
        float k_m = -0.105561346f * a - 0.06385417f * b;
        float k_s = -0.08948418f * a - 1.2914855f * b;

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

        float r = 4.0767417f * l - 3.3077116f * m + 0.23096994f * s - 1;
        float r1 = 4.0767417f * ldt - 3.3077116f * mdt + 0.23096994f * sdt;
        float r2 = 4.0767417f * ldt2 - 3.3077116f * mdt2 + 0.23096994f * sdt2;

        float u_r = r1 / (r1 * r1 - 0.5f * r * r2);
        float t_r = -r * u_r;

        float g = -1.268438f * l + 2.6097574f * m - 0.34131938f * s - 1;
        float g1 = -1.268438f * ldt + 2.6097574f * mdt - 0.34131938f * sdt;
        float g2 = -1.268438f * ldt2 + 2.6097574f * mdt2 - 0.34131938f * sdt2;

        float u_g = g1 / (g1 * g1 - 0.5f * g * g2);
        float t_g = -g * u_g;

        float bl = -0.0041960864f * l - 0.7034186f * m + 1.7076147f * s - 1;
        float b1 = -0.0041960864f * ldt - 0.7034186f * mdt + 1.7076147f * sdt;
        float b2 = -0.0041960864f * ldt2 - 0.7034186f * mdt2 + 1.7076147f * sdt2;

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
