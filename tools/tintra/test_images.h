// Test images made by the tool itself, to try the plug-in on without any
// downloaded picture. Channel values are stored as the plug-in reads them:
// linear, with no transfer function.
#pragma once

#include "tools/tintra/image_io/image.h"

// An OKLab chart of 36 hue columns (0 to 350 degrees, left to right) and 18
// lightness rows (0.95 down to 0.10), each patch at 90% of the largest chroma
// the sRGB gamut holds at its hue and lightness.
Image MakeChart(int32_t width, int32_t height, int depth);
constexpr int kChartHues = 36;
constexpr int kChartLightnesses = 18;
float ChartLightness(int row);   // row 0..kChartLightnesses-1
float ChartHueDegrees(int column);

// A photograph-like landscape: sky with sun and clouds, hills, a lake and a
// field of flowers, from deterministic noise (the same image every time).
// sun_across places the sun, from the left edge (0) to the right (1).
Image MakeScene(int32_t width, int32_t height, int depth, float sun_across = 0.70f);
