#include "tools/reference/plain_hue.h"

#include <cfloat>
#include <cmath>

namespace plain {

Lab RGBtoOK(RGB c)
{
    float l = 0.41222146f * c.r + 0.53633255f * c.g + 0.051445995f * c.b;
    float m = 0.2119035f * c.r + 0.6806995f * c.g + 0.10739696f * c.b;
    float s = 0.08830246f * c.r + 0.28171885f * c.g + 0.6299787f * c.b;

    float l_ = cbrtf(l);
    float m_ = cbrtf(m);
    float s_ = cbrtf(s);

    Lab out;
    out.L = 0.21045426f * l_ + 0.7936178f * m_ + -0.004072047f * s_;
    out.a = 1.9779985f * l_ + -2.4285922f * m_ + 0.4505937f * s_;
    out.b = 0.025904037f * l_ + 0.78277177f * m_ + -0.80867577f * s_;
    return out;
}

RGB OKtoRGBUnclipped(Lab c)
{
    float l_ = c.L + 0.39633778f * c.a + 0.21580376f * c.b;
    float m_ = c.L + -0.105561346f * c.a + -0.06385417f * c.b;
    float s_ = c.L + -0.08948418f * c.a + -1.2914855f * c.b;

    float l = (l_ * l_) * l_;
    float m = (m_ * m_) * m_;
    float s = (s_ * s_) * s_;

    RGB out;
    out.r = 4.0767417f * l + -3.3077116f * m + 0.23096994f * s;
    out.g = -1.268438f * l + 2.6097574f * m + -0.34131938f * s;
    out.b = -0.0041960864f * l + -0.7034186f * m + 1.7076147f * s;
    return out;
}

namespace {

// k0..k4 of the first estimate, then the row (wl, wm, ws) of the channel
// that falls to 0: red, green, blue.
const float kSaturationSets[3][8] = {
    {1.1908628f, 1.7657673f, 0.5966264f, 0.755152f, 0.5677124f, 4.0767417f, -3.3077116f, 0.23096994f},
    {0.73956513f, -0.45954403f, 0.08285427f, 0.1254107f, 0.14503203f, -1.268438f, 2.6097574f, -0.34131938f},
    {1.3573365f, -0.00915799f, -1.1513021f, -0.50559604f, 0.00692167f, -0.0041960864f, -0.7034186f, 1.7076147f},
};

float saturation_of_set(int set, float a, float b)
{
    const float* k = kSaturationSets[set];
    float wl = k[5], wm = k[6], ws = k[7];

    float S = k[0] + k[1] * a + k[2] * b + (k[3] * a) * a + (k[4] * a) * b;

    float k_l = 0.39633778f * a + 0.21580376f * b;
    float k_m = -0.105561346f * a - 0.06385417f * b;
    float k_s = -0.08948418f * a - 1.2914855f * b;

    float l_ = 1.f + S * k_l;
    float m_ = 1.f + S * k_m;
    float s_ = 1.f + S * k_s;

    float l = (l_ * l_) * l_;
    float m = (m_ * m_) * m_;
    float s = (s_ * s_) * s_;

    float l_dS = ((3.f * k_l) * l_) * l_;
    float m_dS = ((3.f * k_m) * m_) * m_;
    float s_dS = ((3.f * k_s) * s_) * s_;

    float l_dS2 = ((6.f * k_l) * k_l) * l_;
    float m_dS2 = ((6.f * k_m) * k_m) * m_;
    float s_dS2 = ((6.f * k_s) * k_s) * s_;

    float f = wl * l + wm * m + ws * s;
    float f1 = wl * l_dS + wm * m_dS + ws * s_dS;
    float f2 = wl * l_dS2 + wm * m_dS2 + ws * s_dS2;

    return S - (f * f1) / (f1 * f1 - (0.5f * f) * f2);
}

// No channel of the cusp more than 2^-15 of its largest channel below 0.
bool cusp_lies_on_gamut(float S, float a, float b)
{
    RGB c = plain::OKtoRGBUnclipped({1.f, S * a, S * b});
    float hi = fmaxf(fmaxf(c.r, c.g), c.b);
    float lo = fminf(fminf(c.r, c.g), c.b);
    return lo >= -(1.f / 32768.f) * hi;
}

}  // namespace

float compute_max_saturation(float a, float b)
{
    float red_test = -1.8817033f * a - 0.8093649f * b;
    float green_test = 1.8144411f * a - 1.1944528f * b;

    // A test within 2^-15 of 1 could fall either way with another maths
    // library: every set it could pick is allowed.
    const float band = 1.f / 32768.f;
    bool red_either = fabsf(red_test - 1.f) <= band;
    bool green_either = fabsf(green_test - 1.f) <= band;
    bool may_red = red_test > 1 || red_either;
    bool may_not_red = !(red_test > 1) || red_either;
    bool allowed[3] = {may_red, may_not_red && (green_test > 1 || green_either),
                       may_not_red && (!(green_test > 1) || green_either)};

    if (allowed[0] + allowed[1] + allowed[2] == 1)
        return saturation_of_set(allowed[0] ? 0 : (allowed[1] ? 1 : 2), a, b);

    // In red, green, blue order: the largest saturation whose cusp lies on
    // the gamut; if none does, the smallest.
    int chosen = -1;
    float chosen_S = 0.f;
    bool chosen_on = false;
    for (int set = 0; set < 3; ++set) {
        if (!allowed[set])
            continue;
        float S = saturation_of_set(set, a, b);
        bool on = cusp_lies_on_gamut(S, a, b);
        bool take = chosen < 0 || (on && !chosen_on) || (on && chosen_on && S > chosen_S) ||
                    (!on && !chosen_on && S < chosen_S);
        if (take) {
            chosen = set;
            chosen_S = S;
            chosen_on = on;
        }
    }
    return chosen_S;
}

Cusp find_cusp(float a, float b)
{
    float S = compute_max_saturation(a, b);
    RGB rgb = plain::OKtoRGBUnclipped({1.f, S * a, S * b});
    float L = cbrtf(1.f / fmaxf(fmaxf(rgb.r, rgb.g), rgb.b));
    return {L, L * S};
}

namespace {

// X0, X1, X2 of one channel row; returns that channel's Halley step.
float channel_step(float wl, float wm, float ws, float l, float m, float s, float ldt, float mdt,
                   float sdt, float ldt2, float mdt2, float sdt2)
{
    float X0 = wl * l + wm * m + ws * s - 1.f;
    float X1 = wl * ldt + wm * mdt + ws * sdt;
    float X2 = wl * ldt2 + wm * mdt2 + ws * sdt2;
    float u = X1 / (X1 * X1 - (0.5f * X0) * X2);
    if (u >= 0.f)
        return -X0 * u;
    return FLT_MAX;
}

}  // namespace

float find_gamut_intersection(float a, float b, float L1, float C1, float L0)
{
    Cusp cusp = find_cusp(a, b);

    if ((L1 - L0) * cusp.C - (cusp.L - L0) * C1 <= 0.f)
        return (cusp.C * L0) / (C1 * cusp.L + cusp.C * (L0 - L1));

    float t = (cusp.C * (L0 - 1.f)) / (C1 * (cusp.L - 1.f) + cusp.C * (L0 - L1));

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

    float l = (l_ * l_) * l_;
    float m = (m_ * m_) * m_;
    float s = (s_ * s_) * s_;

    float ldt = ((3.f * l_dt) * l_) * l_;
    float mdt = ((3.f * m_dt) * m_) * m_;
    float sdt = ((3.f * s_dt) * s_) * s_;

    float ldt2 = ((6.f * l_dt) * l_dt) * l_;
    float mdt2 = ((6.f * m_dt) * m_dt) * m_;
    float sdt2 = ((6.f * s_dt) * s_dt) * s_;

    float t_r = channel_step(4.0767417f, -3.3077116f, 0.23096994f, l, m, s, ldt, mdt, sdt, ldt2,
                             mdt2, sdt2);
    float t_g = channel_step(-1.268438f, 2.6097574f, -0.34131938f, l, m, s, ldt, mdt, sdt, ldt2,
                             mdt2, sdt2);
    float t_b = channel_step(-0.0041960864f, -0.7034186f, 1.7076147f, l, m, s, ldt, mdt, sdt,
                             ldt2, mdt2, sdt2);

    return t + fminf(t_r, fminf(t_g, t_b));
}

namespace {

float sgn(float x)
{
    return (x > 0.f ? 1.f : 0.f) - (x < 0.f ? 1.f : 0.f);
}

float clamp_unit(float x)
{
    if (x < 0.f)
        return 0.f;
    if (x > 1.f)
        return 1.f;
    if (x != x)
        return 0.f;
    return x;
}

float clamp_lightness(float L)
{
    if (L < 0.f)
        return 0.f;
    if (L > 1.f)
        return 1.f;
    return L;
}

}  // namespace

RGB gamut_clip_adaptive_L0_L_cusp(RGB rgb, float alpha)
{
    if (rgb.r > 0.f && rgb.r < 1.f && rgb.g > 0.f && rgb.g < 1.f && rgb.b > 0.f && rgb.b < 1.f)
        return rgb;

    Lab lab = plain::RGBtoOK(rgb);
    if (lab.a == 0.f && lab.b == 0.f)
        return plain::OKtoRGBUnclipped({clamp_lightness(lab.L), 0.f, 0.f});

    float L = lab.L;
    float C = sqrtf(lab.a * lab.a + lab.b * lab.b);
    if (!(C >= 0.f))
        C = 0.f;
    float a_ = lab.a / C;
    float b_ = lab.b / C;

    float Lc = find_cusp(a_, b_).L;

    float Ld = L - Lc;
    float k;
    if (Ld > 0.f)
        k = 2.f * (1.f - Lc);
    else
        k = 2.f * Lc;

    float e1 = 0.5f * k + fabsf(Ld) + (alpha * C) / k;
    float arg = e1 * e1 - (2.f * k) * fabsf(Ld);
    if (arg < 0.f)
        arg = 0.f;
    float L0 = Lc + 0.5f * (sgn(Ld) * (e1 - sqrtf(arg)));

    float t = find_gamut_intersection(a_, b_, L, C, L0);
    if (t < 0.f)
        t = 0.f;
    if (t > 1.f)
        t = 1.f;

    float L_clipped = L0 * (1.f - t) + t * L;
    float C_clipped = t * C;
    return plain::OKtoRGBUnclipped({L_clipped, C_clipped * a_, C_clipped * b_});
}

void OKtoRGB(ClipType clip, float alpha, const Lab& lab, RGB& out)
{
    RGB rgb = plain::OKtoRGBUnclipped(lab);
    bool in_gamut = !(rgb.r < 0.f || rgb.r > 1.f || rgb.g < 0.f || rgb.g > 1.f || rgb.b < 0.f ||
                      rgb.b > 1.f);
    if (in_gamut) {
        out = rgb;
        return;
    }

    if (clip == ClipType::Adaptive) {
        RGB c = plain::gamut_clip_adaptive_L0_L_cusp(rgb, alpha);
        out = {clamp_unit(c.r), clamp_unit(c.g), clamp_unit(c.b)};
    } else if (clip == ClipType::ChromaClipped) {
        Lab ok = plain::RGBtoOK(rgb);
        float L0 = clamp_lightness(ok.L);
        // Below the chroma floor (exact greys included) there is no usable
        // hue: such a colour goes to the grey of its clamped lightness.
        float C = sqrtf(ok.a * ok.a + ok.b * ok.b);
        if (!(C >= 1e-5f)) {
            out = plain::OKtoRGBUnclipped({L0, 0.f, 0.f});
            return;
        }
        float a_ = ok.a / C;
        float b_ = ok.b / C;
        float t = find_gamut_intersection(a_, b_, ok.L, C, L0);
        float L_c = (1.f - t) * L0 + t * ok.L;
        float C_c = C * t;
        out = plain::OKtoRGBUnclipped({L_c, C_c * a_, C_c * b_});
    } else if (clip == ClipType::Truncate) {
        out = {clamp_unit(rgb.r), clamp_unit(rgb.g), clamp_unit(rgb.b)};
    } else if (clip == ClipType::Debug) {
        out = {1.f, 0.f, 0.f};
    } else {
        out = rgb;
    }
}

namespace {

RGB shift(const HueSettings& s, RGB rgb)
{
    Lab lab = plain::RGBtoOK(rgb);
    // Equal channels have no hue: start from exact zeros, as black does.
    if (rgb.r == rgb.g && rgb.g == rgb.b) {
        lab.a = 0.f;
        lab.b = 0.f;
    }
    float h = atan2f(lab.b, lab.a) + s.hue;
    float C = sqrtf(lab.a * lab.a + lab.b * lab.b) + s.chroma;
    if (C < 0.f)
        C = 0.f;
    float ca = cosf(h);
    float sb = sinf(h);
    RGB out;
    plain::OKtoRGB(s.clip, s.alpha, {lab.L, C * ca, C * sb}, out);
    return out;
}

// Truncates toward zero, then keeps the level within 0..max; NaN stores 0.
int32_t store(float v, float max)
{
    float p = v * max;
    if (p != p || p <= 0.f)
        return 0;
    if (p >= max)
        return (int32_t)max;
    return (int32_t)p;
}

}  // namespace

int32_t HueFunc8(void* refcon, int32_t, int32_t, PF_Pixel* in, PF_Pixel* out)
{
    const HueSettings* s = (const HueSettings*)refcon;
    if (s->hue == 0.f && s->chroma == 0.f) {
        *out = *in;
        return 0;
    }
    RGB c = shift(*s, {in->red / 255.f, in->green / 255.f, in->blue / 255.f});
    PF_Pixel px;
    px.alpha = in->alpha;
    px.red = (uint8_t)store(c.r, 255.f);
    px.green = (uint8_t)store(c.g, 255.f);
    px.blue = (uint8_t)store(c.b, 255.f);
    *out = px;
    return 0;
}

int32_t HueFunc16(void* refcon, int32_t, int32_t, PF_Pixel16* in, PF_Pixel16* out)
{
    const HueSettings* s = (const HueSettings*)refcon;
    if (s->hue == 0.f && s->chroma == 0.f) {
        *out = *in;
        return 0;
    }
    RGB c = shift(*s, {in->red * (1.f / 32768.f), in->green * (1.f / 32768.f),
                       in->blue * (1.f / 32768.f)});
    PF_Pixel16 px;
    px.alpha = in->alpha;
    px.red = (uint16_t)store(c.r, 32768.f);
    px.green = (uint16_t)store(c.g, 32768.f);
    px.blue = (uint16_t)store(c.b, 32768.f);
    *out = px;
    return 0;
}

}  // namespace plain
