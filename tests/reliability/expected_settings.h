// The settings record a render should build from the four parameter values,
// worked out independently of the plug-in so that renders through a host can
// be compared with the colour core run alone.
#pragma once

#include "color/hue_settings.h"
#include "tools/testhost/effect.h"

// Whole degrees (the 16.16 value shifted down, so rounding toward minus
// infinity) divided by 180 in single precision and then multiplied by pi in
// double; slider thousandths to chroma units; the popup value as it is.
inline HueSettings ExpectedSettings(const testhost::RenderValues& v)
{
    const float half_turns = (float)(v.hue >> 16) / 180.f;
    return {(float)((double)half_turns * 3.141592653589793), (float)(v.chroma / 1000.0), (ClipType)v.clip,
            (float)v.alpha};
}
