// A fixed set of 8-bit and 16-bit frames rendered with a fixed set of
// settings, so that two builds of the plug-in (Linux and Windows, with
// different maths libraries) can be compared channel by channel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/effect_params.h"
#include "tests/windows/check_report.h"
#include "tools/aehost/plugin_library.h"

namespace platform_check {

struct RenderedCase {
    std::string name;
    int depth = 8;       // bits per channel
    bool judged = true;  // held to the one-level tolerance across builds
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint16_t> channels;  // alpha, red, green, blue per pixel, rows in order
};

// The 8-bit cases as inputs, named as RenderAll names them: the values in the
// host's units and the frame, width times height pixels, rows in order. A
// build for another host interface renders these to compare with RenderAll.
struct Input8 {
    std::string name;
    RenderValues values;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<PF_Pixel> pixels;
};
std::vector<Input8> Inputs8();

// Renders every case through the plug-in; the render result, the suite
// bookkeeping and the output rows' padding are checked on the way.
Tally RenderAll(const std::shared_ptr<const aehost::PluginLibrary>& library, std::vector<RenderedCase>* out);

// Renders part of the set again, all cases at the same time on their own
// threads, and checks each against the render RenderAll made of it alone.
Tally RenderConcurrently(const std::shared_ptr<const aehost::PluginLibrary>& library,
                         const std::vector<RenderedCase>& sequential);

bool WriteRenders(const std::string& path, const std::vector<RenderedCase>& cases, std::string* error);
bool ReadRenders(const std::string& path, std::vector<RenderedCase>* cases, std::string* error);

struct Comparison {
    int64_t channels = 0;
    int64_t differing = 0;
    int largest = 0;
    int64_t alpha_differing = 0;
};

// The pure primaries and secondaries, rendered one pixel each under Hue 0
// and 360 and Chroma from -100 to +300 with every clip method.
constexpr int kPrimaryColours = 6;
const char* PrimaryName(int colour);  // "red", "green", "blue", "cyan", "magenta", "yellow"
constexpr int kClipMethods = 4;
const char* ClipMethodName(int clip);  // 1..4: "adaptive", "chroma-clipped", "truncate", "debug"

// The judged renders by depth and together; the others, colours left on the
// gamut's surface (see render_set.cpp), apart.
struct CompareResult {
    Comparison depth8;
    Comparison depth16;
    Comparison total;
    Comparison surface;
    // Largest difference of each primary's judged renders, by clip method
    // (1..4, at index clip - 1) and depth (8, 16); -1 where none was compared.
    int primaries[kPrimaryColours][kClipMethods][2];
    std::vector<std::string> problems;         // cases missing or of another size
    std::vector<std::string> differing_cases;  // one line for each case with differences
};

CompareResult Compare(const std::vector<RenderedCase>& reference, const std::vector<RenderedCase>& other);

}  // namespace platform_check
