// OKLab colour records and the two conversions between linear sRGB and OKLab.
#pragma once

struct RGB {
    float r;
    float g;
    float b;
};

struct Lab {
    float L;
    float a;
    float b;
};

// Linear sRGB to OKLab. Channels outside 0..1 are legal and are not clamped.
Lab RGBtoOK(RGB c);

// OKLab to linear sRGB, with no gamut handling: channels may leave 0..1.
RGB OKtoRGBUnclipped(Lab c);
