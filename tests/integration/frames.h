// Test frames for renders, and the reference they are compared with: the
// colour core's array functions on the same pixels, with the settings the
// effect's own conversion makes of the parameter values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "color/hue_settings.h"
#include "host/pf_pixel.h"
#include "tests/support/effect_params.h"

namespace integration {

// width x height pixels: saturated, grey, black, white, extreme and
// pseudo-random colours, varied alpha. 16-bit frames include channels above
// the host's maximum of 32768.
std::vector<PF_Pixel> test_pixels8(int32_t width, int32_t height, uint32_t seed);
std::vector<PF_Pixel16> test_pixels16(int32_t width, int32_t height, uint32_t seed);

std::vector<PF_Pixel> expected_pixels8(const RenderValues& values, const std::vector<PF_Pixel>& in);
std::vector<PF_Pixel16> expected_pixels16(const RenderValues& values, const std::vector<PF_Pixel16>& in);

// Empty when equal; otherwise the number of differing pixels and the first few.
std::string differences(const std::vector<PF_Pixel>& got, const std::vector<PF_Pixel>& want, int32_t width);
std::string differences(const std::vector<PF_Pixel16>& got, const std::vector<PF_Pixel16>& want, int32_t width);

// 16.16 fixed-point degrees.
constexpr int32_t degrees(double d) { return (int32_t)(d * 65536.0); }

}  // namespace integration
