// A small OpenColorIO config the tests write for themselves: linear Rec.709
// as the reference, sRGB by its exponent-with-linear curve, Cineon log by a
// log curve, ACEScg by a matrix, and raw data. Nothing is downloaded.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tintra_test {

// Writes the config into the folder; returns its path.
std::string WriteTestColorConfig(const std::string& folder);

// An ICC profile holding only a description: version 2 ('desc', ASCII) or
// 4 ('mluc', UTF-16). cut: bytes left off the end.
std::vector<unsigned char> IccProfileNamed(const std::string& text, bool v4, size_t cut = 0);

}  // namespace tintra_test
