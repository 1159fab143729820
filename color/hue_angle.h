// The Hue as the effect takes it: whole degrees, from an angle a host holds
// either as 16.16 fixed-point degrees (the After Effects record) or as a
// double (OFX). Both hosts' values go through this one rule, so that a
// value renders the same whichever host sent it.
#pragma once

#include <cstdint>

// The whole degrees the integer half of a 16.16 value holds.
constexpr int32_t kHueMinDegrees = -32768;
constexpr int32_t kHueMaxDegrees = 32767;
static_assert((INT32_MIN >> 16) == kHueMinDegrees && (INT32_MAX >> 16) == kHueMaxDegrees,
              "the Hue range is the integer half of a 16.16 value");

// Degrees as the After Effects host stores a typed angle: rounded to the
// nearest 1/65536 of a degree and held to what the record can store. NaN
// counts as 0.
inline int32_t HueFixed(double degrees)
{
    if (degrees != degrees) return 0;
    const double scaled = degrees * 65536.0;
    if (scaled <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    if (scaled >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    // To the nearest, halves away from zero, as round() does, but without
    // the maths library, which the plug-ins' SDK-less builds do not declare.
    // The fraction is exact: it keeps bits the value already holds.
    const int32_t whole = static_cast<int32_t>(scaled);
    const double fraction = scaled - whole;
    if (fraction >= 0.5) return whole + 1;
    if (fraction <= -0.5) return whole - 1;
    return whole;
}

// Whole degrees from a 16.16 value, rounded toward minus infinity (-0.25
// deg is -1 deg): an arithmetic shift.
inline int32_t WholeDegreesOfFixed(int32_t fixed) { return fixed >> 16; }

// The same from plain degrees, by way of the 16.16 value, so that a value
// within 1/131072 below a whole degree rounds up to it first, as it does in
// the After Effects record.
inline int32_t WholeHueDegrees(double degrees) { return WholeDegreesOfFixed(HueFixed(degrees)); }
