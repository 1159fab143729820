// One image through the plug-in's render command.
#pragma once

#include <cstdint>

#include "tools/testhost/effect.h"
#include "tools/tintra/image.h"

// Renders in into out (made the same size and depth). Returns the plug-in's
// host error code, 0 on success; interrupted tells whether Ctrl-C stopped it.
//
// A frame larger than a 4K UHD frame is rendered as several bands of whole
// rows, each a render call of its own, so that an interrupt is answered
// within one band. The pixel function sees every pixel once either way.
int32_t RenderImage(const testhost::Effect& effect, const std::vector<testhost::DeclaredParam>& values, const Image& in,
                    Image& out, int threads, bool& interrupted);
