// What an RGB ICC profile's curves and primaries say its values are, read
// by Little CMS: its words are not trusted ("Linear sRGB", "Not sRGB").
#pragma once

#include <cstddef>
#include <string>

struct IccVerdict {
    // "sRGB" (the sRGB curve, Rec.709 primaries), "linear_rec709" (a
    // straight line, Rec.709 primaries), "GammaX.Y" (that power, Rec.709
    // primaries), or "" when the profile is none of them.
    std::string space;
    // For the user: "sRGB curves and primaries", "gamma 1.8, Rec.709
    // primaries", "curves or primaries tintra does not know", "not an RGB
    // profile", "unreadable".
    std::string what;
};

IccVerdict JudgeIccProfile(const unsigned char* profile, size_t size);
