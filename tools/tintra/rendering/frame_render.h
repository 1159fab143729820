// Images through the plug-in, in bands of whole rows.
#pragma once

#include <cstdint>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/rendering/plugin.h"

struct PageColor;

// Rows per band for an image of this width: about a million pixels, so that
// an interrupt is answered within a band, progress moves within a large
// frame, and a finished band can be encoded while the next one renders.
int32_t BandRows(int32_t width);

// Renders in into out (made the same size, at the rendered depth), band by
// band, the values bound once. Returns the plug-in's failure code, 0 on
// success; interrupted tells whether a signal stopped it.
// color: rendered through a colour route (default: the stored values).
int32_t RenderImage(const Plugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                    int threads, bool& interrupted, const PageColor* color = nullptr);
