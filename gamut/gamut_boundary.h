// The sRGB gamut boundary in OKLab at one hue, in closed form with one Halley
// refinement step. A hue is given as its direction (a, b) with a² + b² = 1.
#pragma once

struct Cusp {
    float L;
    float C;
};

// Largest saturation S = C / L the hue reaches before one linear channel of
// (1, S·a, S·b) falls to 0. On and next to the lines where the regions of
// its coefficient sets meet (the primaries' hues), the answer does not depend
// on which side of the line the direction's last bit puts it.
float compute_max_saturation(float a, float b);

// Lightness and chroma of the gamut's point of greatest chroma at this hue.
Cusp find_cusp(float a, float b);

// Fraction t of the way from (L0, 0) to (L1, C1) at which the segment meets
// the gamut edge. Unbounded: callers bound it as they need.
float find_gamut_intersection(float a, float b, float L1, float C1, float L0);

// The same, for a caller that already holds find_cusp(a, b): the cusp is a
// pure function of the hue, so the result is identical and the work is not
// done twice.
float find_gamut_intersection(float a, float b, float L1, float C1, float L0, Cusp cusp);
