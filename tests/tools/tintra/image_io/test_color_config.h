// A small OpenColorIO config the tests write for themselves: linear Rec.709
// as the reference, sRGB by its exponent-with-linear curve, Cineon log by a
// log curve, ACEScg by a matrix, and raw data. Nothing is downloaded.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tintra_test {

// Writes the config into the folder; returns its path.
std::string WriteTestColorConfig(const std::string& folder);

// An ACES CG-style config (ACEScg the scene_linear role, ACES2065-1 the
// aces_interchange role, CIE XYZ D65 the cie_xyz_d65_interchange role, sRGB
// and Rec.709 display spaces), in the folder; returns its path. Studio: with
// "Linear Rec.709 (sRGB)"; Renamed: that space called "Plate light", beside
// a "lin_rec709" that is ACEScg; NoRec709: without it; NoRoles: without it
// and without the interchange roles.
enum class AcesVariant { Studio, Renamed, NoRec709, NoRoles };
std::string WriteAcesColorConfig(const std::string& folder, AcesVariant variant);

// Matrices between RGB spaces from their published primaries, in double,
// apart from tintra's own: each primary's XYZ scaled to sum to the white,
// the white moved by Bradford cone responses.
using Mat = std::array<std::array<double, 3>, 3>;
using Primaries = std::array<double, 8>;  // xy of red, green, blue, white
extern const Primaries kRec709, kAp0, kAp1xy;
Mat Inverted(const Mat& m);
Mat ToXyz(const Primaries& p);
Mat Between(const Primaries& from, const Primaries& to);

// A whole RGB ICC profile (version 2) by Little CMS: Rec.709 primaries,
// the sRGB curve (gamma 0) or a power, and the description given.
std::vector<unsigned char> IccProfileOf(const std::string& description, double gamma);

// An ICC profile holding only a description: version 2 ('desc', ASCII) or
// 4 ('mluc', UTF-16). cut: bytes left off the end.
std::vector<unsigned char> IccProfileNamed(const std::string& text, bool v4, size_t cut = 0);

}  // namespace tintra_test
