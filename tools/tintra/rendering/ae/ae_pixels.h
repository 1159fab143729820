// Between tintra's RGBA rows and the After Effects build's worlds: ARGB
// PF_Pixel at 8 bits, PF_Pixel16 on the host's 0..32768 at 16. The build has
// no float worlds: float rows go in clipped to 0..1 at 16 bits and come back
// as 16-bit rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/pf_pixel.h"
#include "tools/tintra/image_io/image.h"

// The depth the build renders an image of this depth at.
inline int AeDepth(int depth) { return depth == 32 ? 16 : depth; }

// count pixels of in from pixel first on, as the build's world pixels.
void ToWorld8(const Image& in, size_t first, size_t count, PF_Pixel* world);
void ToWorld16(const Image& in, size_t first, size_t count, PF_Pixel16* world);

// count world pixels into out (of AeDepth's depth) from pixel first on.
void FromWorld8(const PF_Pixel* world, size_t count, Image& out, size_t first);
void FromWorld16(const PF_Pixel16* world, size_t count, Image& out, size_t first);

// The warning for a float image's values the build clips (empty for an
// image of integers), said once for all of a file's pages.
std::string AeClippingNote(const std::vector<const Image*>& pages);
