// Images through the plug-in's render command (AE) or render action (OFX), in bands of whole rows.
#pragma once

#include <cstdint>

#include "tools/tintra/image_io/image.h"
#include "tools/tintra/rendering/plugin.h"

struct PageColor;

// Rows per band for an image of this width: about a million pixels, so that
// an interrupt is answered within a band, progress moves within a large
// frame, and a finished band can be encoded while the next one renders.
int32_t BandRows(int32_t width);

// The depth a render of an image of this depth comes out at: the same but
// for float through the After Effects build, which renders it at 16 bits.
int RenderedDepth(const LoadedPlugin& plugin, int depth);

// Renders rows top..bottom of in into the same rows of out, which has in's
// size and the rendered depth. Returns the plug-in's host error code or OFX status, 0 on success.
int32_t RenderRows(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                   int32_t top, int32_t bottom, int threads);

// Renders in into out (made the same size, at the rendered depth), band by band. Returns
// the plug-in's host error code, 0 on success; interrupted tells whether a
// signal stopped it.
// color: rendered through a colour route (default: the stored values).
int32_t RenderImage(const LoadedPlugin& plugin, const std::vector<PluginParam>& values, const Image& in, Image& out,
                    int threads, bool& interrupted, const PageColor* color = nullptr);
