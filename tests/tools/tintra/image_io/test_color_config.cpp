#include "tests/tools/tintra/image_io/test_color_config.h"

#include <algorithm>
#include <fstream>

#include <lcms2.h>

namespace tintra_test {

namespace {

// The Cineon curve: code / 1023 = 685/1023 + 300/1023 * log10(lin * (1 -
// black) + black), with black = 10^((95 - 685) * 0.002 / 0.6). The ACEScg
// matrix takes AP1 to Rec.709 primaries, with the D60 to D65 adaptation.
const char* const kConfig = R"(ocio_profile_version: 2
strictparsing: true
roles: {default: lin_rec709, scene_linear: lin_rec709, compositing_log: cineon_log, data: raw}
displays: {sRGB: [!<View> {name: Raw, colorspace: raw}]}

colorspaces:
  - !<ColorSpace> {name: lin_rec709, aliases: [linear], encoding: scene-linear}
  - !<ColorSpace> {name: srgb_tx, aliases: [sRGB], encoding: sdr-video, to_scene_reference: !<ExponentWithLinearTransform> {gamma: [2.4, 2.4, 2.4, 1], offset: [0.055, 0.055, 0.055, 0]}}
  - !<ColorSpace> {name: cineon_log, encoding: log, to_scene_reference: !<LogAffineTransform> {base: 10, log_side_slope: 0.29325513, log_side_offset: 0.66959922, lin_side_slope: 0.9892, lin_side_offset: 0.0108, direction: inverse}}
  - !<ColorSpace> {name: ACEScg, encoding: scene-linear, to_scene_reference: !<MatrixTransform> {matrix: [1.70505, -0.62179, -0.08326, 0, -0.13026, 1.14080, -0.01055, 0, -0.02400, -0.12897, 1.15297, 0, 0, 0, 0, 1]}}
  - !<ColorSpace> {name: raw, encoding: data, isdata: true}
)";

// Shaped like the ACES CG config studios use, from OpenColorIO's built-in
// transforms: ACES2065-1 the reference, ACEScg the scene_linear role, CIE
// XYZ D65 the display reference, reached by the un-tone-mapped Bradford
// view transform. The pieces a variant changes are spliced in.
const char* const kAcesHead = R"(ocio_profile_version: 2
strictparsing: true
roles: {default: ACES2065-1, scene_linear: ACEScg, data: Raw%ROLES%}
file_rules:
  - !<Rule> {name: Default, colorspace: ACES2065-1}
displays: {sRGB - Display: [!<View> {name: Raw, colorspace: Raw}]}
default_view_transform: Un-tone-mapped
view_transforms:
  - !<ViewTransform> {name: Un-tone-mapped, from_scene_reference: !<BuiltinTransform> {style: UTILITY - ACES-AP0_to_CIE-XYZ-D65_BFD}}
display_colorspaces:
  - !<ColorSpace> {name: CIE-XYZ-D65, encoding: display-linear}
  - !<ColorSpace> {name: sRGB - Display, encoding: sdr-video, from_display_reference: !<BuiltinTransform> {style: DISPLAY - CIE-XYZ-D65_to_sRGB}}
  - !<ColorSpace> {name: Rec.1886 Rec.709 - Display, encoding: sdr-video, from_display_reference: !<BuiltinTransform> {style: DISPLAY - CIE-XYZ-D65_to_REC.1886-REC.709}}
colorspaces:
  - !<ColorSpace> {name: ACES2065-1, encoding: scene-linear}
  - !<ColorSpace> {name: ACEScg, encoding: scene-linear, to_scene_reference: !<BuiltinTransform> {style: ACEScg_to_ACES2065-1}}
  - !<ColorSpace> {name: sRGB - Texture, encoding: sdr-video, to_scene_reference: !<GroupTransform> {children: [!<ExponentWithLinearTransform> {gamma: 2.4, offset: 0.055}, %FROM709%]}}
  - !<ColorSpace> {name: Raw, encoding: data, isdata: true}
)";
const char* const kFromRec709 =
    "!<BuiltinTransform> {style: UTILITY - ACES-AP1_to_LINEAR-REC709_BFD, direction: inverse}, !<BuiltinTransform> "
    "{style: ACEScg_to_ACES2065-1}";

void Splice(std::string& text, const std::string& mark, const std::string& with)
{
    text.replace(text.find(mark), mark.size(), with);
}

}  // namespace

std::string WriteAcesColorConfig(const std::string& folder, AcesVariant variant)
{
    std::string text = kAcesHead;
    Splice(
        text, "%ROLES%",
        variant == AcesVariant::NoRoles ? "" : ", aces_interchange: ACES2065-1, cie_xyz_d65_interchange: CIE-XYZ-D65");
    Splice(text, "%FROM709%", kFromRec709);
    const std::string rec709 = std::string("{children: [") + kFromRec709 + "]}";
    if (variant == AcesVariant::Studio)
        text +=
            "  - !<ColorSpace> {name: Linear Rec.709 (sRGB), encoding: scene-linear, to_scene_reference: "
            "!<GroupTransform> " +
            rec709 + "}\n";
    if (variant == AcesVariant::Renamed)
        // Named as nothing tintra knows, after one named like it that is not.
        text +=
            "  - !<ColorSpace> {name: lin_rec709, encoding: scene-linear, to_scene_reference: !<BuiltinTransform> "
            "{style: ACEScg_to_ACES2065-1}}\n  - !<ColorSpace> {name: Plate light, encoding: scene-linear, "
            "to_scene_reference: !<GroupTransform> " +
            rec709 + "}\n";
    const std::string path = folder + "/aces.ocio";
    std::ofstream(path) << text;
    return path;
}

namespace {

Mat Times(const Mat& a, const Mat& b)
{
    Mat m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k) m[r][c] += a[r][k] * b[k][c];
    return m;
}

std::array<double, 3> Xyz(double x, double y) { return {x / y, 1.0, (1 - x - y) / y}; }

}  // namespace

Mat Inverted(const Mat& m)
{
    Mat inv{};
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)  // cofactor of (c, r)
            inv[r][c] = (m[(c + 1) % 3][(r + 1) % 3] * m[(c + 2) % 3][(r + 2) % 3] -
                         m[(c + 1) % 3][(r + 2) % 3] * m[(c + 2) % 3][(r + 1) % 3]) /
                        det;
    return inv;
}

Mat ToXyz(const Primaries& p)
{
    Mat m{};
    for (int c = 0; c < 3; ++c) {
        const auto v = Xyz(p[c * 2], p[c * 2 + 1]);
        for (int r = 0; r < 3; ++r) m[r][c] = v[r];
    }
    const Mat inv = Inverted(m);
    const auto w = Xyz(p[6], p[7]);
    for (int c = 0; c < 3; ++c) {
        const double s = inv[c][0] * w[0] + inv[c][1] * w[1] + inv[c][2] * w[2];
        for (int r = 0; r < 3; ++r) m[r][c] *= s;
    }
    return m;
}

const Primaries kRec709 = {0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0.3290},
                kAp0 = {0.7347, 0.2653, 0.0, 1.0, 0.0001, -0.077, 0.32168, 0.33767},
                kAp1xy = {0.713, 0.293, 0.165, 0.830, 0.128, 0.044, 0.32168, 0.33767};

Mat Between(const Primaries& from, const Primaries& to)
{
    const Mat bradford = {{{0.8951, 0.2664, -0.1614}, {-0.7502, 1.7135, 0.0367}, {0.0389, -0.0685, 1.0296}}};
    Mat gain{};
    for (int r = 0; r < 3; ++r) {
        const auto a = Xyz(from[6], from[7]), b = Xyz(to[6], to[7]);
        const double src = bradford[r][0] * a[0] + bradford[r][1] * a[1] + bradford[r][2] * a[2];
        const double dst = bradford[r][0] * b[0] + bradford[r][1] * b[1] + bradford[r][2] * b[2];
        gain[r][r] = dst / src;
    }
    return Times(Inverted(ToXyz(to)), Times(Inverted(bradford), Times(gain, Times(bradford, ToXyz(from)))));
}

std::vector<unsigned char> IccProfileOf(const std::string& description, double gamma)
{
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    if (gamma > 0.0) {
        cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
        for (cmsTagSignature tag : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag})
            cmsWriteTag(profile, tag, curve);
        cmsFreeToneCurve(curve);
    }
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description.c_str());
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsSetProfileVersion(profile, 2.1);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<unsigned char> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

std::vector<unsigned char> IccProfileNamed(const std::string& text, bool v4, size_t cut)
{
    std::vector<unsigned char> p(144, 0);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) p[at + (size_t)i] = (unsigned char)(v >> (24 - 8 * i));
    };
    put32(128, 1);
    std::copy_n("desc", 4, p.begin() + 132);
    std::vector<unsigned char> tag(v4 ? "mluc" : "desc", (v4 ? "mluc" : "desc") + 4);
    tag.resize(v4 ? 28 : 12, 0);
    if (v4) {
        tag[11] = 1, tag[15] = 12, tag[23] = (unsigned char)(2 * text.size()), tag[27] = 28;
        for (char c : text) tag.push_back(0), tag.push_back((unsigned char)c);
    } else {
        tag[11] = (unsigned char)(text.size() + 1);
        tag.insert(tag.end(), text.begin(), text.end());
        tag.push_back(0);
    }
    put32(136, 144);
    put32(140, (uint32_t)tag.size());
    p.insert(p.end(), tag.begin(), tag.end());
    // The header fields a PNG writer checks: size, version, class, colour
    // space, connection space, signature, D50 illuminant.
    put32(0, (uint32_t)p.size());
    put32(8, v4 ? 0x04300000u : 0x02100000u);
    std::copy_n("mntrRGB XYZ ", 12, p.begin() + 12);
    std::copy_n("acsp", 4, p.begin() + 36);
    put32(68, 0xF6D6u), put32(72, 0x10000u), put32(76, 0xD32Du);
    p.resize(p.size() - cut);
    return p;
}

std::string WriteTestColorConfig(const std::string& folder)
{
    const std::string path = folder + "/test.ocio";
    std::ofstream(path) << kConfig;
    return path;
}

}  // namespace tintra_test
