// The colour conversions of the host's colour management: between the
// native config's sRGB texture space (srgb_tx), its linear Rec.709 space
// (lin_rec709_srgb) and ACEScg, one of which this host also hands out for
// the generic ofx_scene_linear. The host converts nothing else, and only float frames:
// a host converts before the plug-in sees a pixel, so nothing is quantised
// between the two conversions.
#pragma once

#include <string>
#include <vector>

#include "tools/ofxhost/image.h"

namespace ofxhost {

// The space this host delivers for a plug-in's list of preferred spaces:
// the first it can make that the instance's colour-management style allows
// (basic names only for the basic style), else `frames` (the space its
// frames are in). aces: ofx_scene_linear is ACEScg, else linear Rec.709.
std::string choose_colourspace(const std::vector<std::string>& preferred, const std::string& frames,
                               const std::string& style, bool aces);

// Whether convert() can go from one space to the other.
bool can_convert(const std::string& from, const std::string& to);

// The pixels of `from` inside `window` (and both images' bounds), converted
// from space `from_space` to `to_space` into `to`: colour unpremultiplied
// when `premultiplied`, alpha as it is. Both images are float, of the same
// components.
void convert(const Image& from, Image& to, OfxRectI window, const std::string& from_space, const std::string& to_space,
             bool premultiplied);

}  // namespace ofxhost
