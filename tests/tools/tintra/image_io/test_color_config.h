// A small OpenColorIO config the tests write for themselves: linear Rec.709
// as the reference, sRGB by its exponent-with-linear curve, Cineon log by a
// log curve, ACEScg by a matrix, and raw data. Nothing is downloaded.
#pragma once

#include <string>

namespace tintra_test {

// Writes the config into the folder; returns its path.
std::string WriteTestColorConfig(const std::string& folder);

}  // namespace tintra_test
