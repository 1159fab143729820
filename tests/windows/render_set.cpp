#include "tests/windows/render_set.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "tests/support/effect_params.h"
#include "tests/windows/check_report.h"
#include "tools/aehost/host.h"
#include "tools/aehost/param_set.h"
#include "tools/aehost/world.h"

namespace platform_check {
namespace {

constexpr int32_t kWidth = 71;
constexpr int32_t kHeight = 70;  // 4970 pixels: the 17-step cube (4913) and 57 more
constexpr int kGridSteps = 17;
constexpr int32_t kPadding = 12;  // bytes after every row, as hosts have
constexpr int kThreads = 3;
constexpr char kMagic[] = "TINTRA renders 2\n";

struct Setting {
    std::string name;
    double hue_degrees;  // whole and fractional degrees, stored as 16.16
    double chroma;       // slider units
    int32_t clip;
    double alpha;
};

// Identity, rotations in and out of gamut, chroma up and down, every clip
// method, both ends of the alpha slider, values outside the popup.
const Setting kSettings[] = {
    {"identity", 0, 0, 1, 0.5},
    {"hue 90 adaptive", 90, 0, 1, 0.5},
    {"hue 90 chroma-clipped", 90, 0, 2, 0.5},
    {"hue 90 truncate", 90, 0, 3, 0.5},
    {"hue 90 debug", 90, 0, 4, 0.5},
    {"chroma 60 adaptive", 0, 60, 1, 0.5},
    {"chroma 60 chroma-clipped", 0, 60, 2, 0.5},
    {"chroma 60 truncate", 0, 60, 3, 0.5},
    {"chroma 60 debug", 0, 60, 4, 0.5},
    {"hue -135.5 chroma 25 alpha 0.05", -135.5, 25, 1, 0.05},
    {"hue 200 chroma 40 alpha 5", 200, 40, 1, 5.0},
    {"hue 30 chroma -1000", 30, -1000, 2, 0.5},
    {"hue 720 chroma 10 truncate", 720, 10, 3, 0.5},
    {"hue 359.9 chroma -20 adaptive", 359.9, -20, 1, 1.0},
    {"hue 45 chroma 80 no clip (0)", 45, 80, 0, 0.5},
    {"hue 45 chroma 80 no clip (7)", 45, 80, 7, 0.5},
};

// Three frames, each rendered with every setting above. The exact cube holds
// exact greys and the pure primaries at sixteen levels each: greys start from
// a = b = 0 exactly, so they take the same hue everywhere, and a primary's
// hue, which lies on a line where the gamut boundary's region tests meet, is
// answered the same whichever side of the line the maths library puts it.
// The shifted cube keeps every pixel's channels apart (no near-greys, whose
// hue error grows with the ratio of new to old chroma) and off 0 and full
// scale. The grey ramp holds every 8-bit level and 4970 16-bit ones. All are
// held to the one-level tolerance.
//
// The primaries frame has its own settings: the six pure colours, one pixel
// each, under Hue 0 and 360 and every fifth Chroma value from -100 to +300,
// with each clip method. All are judged but one: Hue 360 with Chroma 0 turns
// each colour by a whole turn onto itself, a corner of the gamut, and the
// in-gamut test, which has no tolerance, then finds it a rounding error
// inside or outside depending on the maths library's last bit. Whether a
// clip method acts at all hangs on that bit (Debug paints pure magenta red
// with one library and not with another), so those renders are compared and
// reported, as colours left on the gamut's surface, but not judged.
enum class Frame { ExactCube, ShiftedCube, Greys, Primaries };
constexpr Frame kFrames[] = {Frame::ExactCube, Frame::ShiftedCube, Frame::Greys};

const char* const kPrimaryNames[kPrimaryColours] = {"red", "green", "blue", "cyan", "magenta", "yellow"};
const int kPrimaryChannels[kPrimaryColours][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1},
                                                  {0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
const char* const kClipMethodNames[kClipMethods] = {"adaptive", "chroma-clipped", "truncate", "debug"};
constexpr char kPrimariesPrefix[] = "primaries, ";

std::vector<Setting> PrimarySettings()
{
    std::vector<Setting> settings;
    for (int clip = 1; clip <= kClipMethods; ++clip) {
        for (double hue : {0.0, 360.0}) {
            for (int chroma = -100; chroma <= 300; chroma += 5) {
                settings.push_back({std::string(kPrimariesPrefix) + "hue " + std::to_string((int)hue) + " chroma " +
                                        std::to_string(chroma) + " " + kClipMethodNames[clip - 1],
                                    hue, (double)chroma, clip, 0.05});
            }
        }
    }
    return settings;
}

int32_t FrameWidth(Frame frame)
{
    return frame == Frame::Primaries ? kPrimaryColours : kWidth;
}

int32_t FrameHeight(Frame frame)
{
    return frame == Frame::Primaries ? 1 : kHeight;
}

const char* FrameName(Frame frame)
{
    switch (frame) {
    case Frame::ExactCube: return "exact cube";
    case Frame::ShiftedCube: return "shifted cube";
    case Frame::Greys: return "greys";
    case Frame::Primaries: return "primaries";
    }
    return "";
}

// A small linear congruential generator: the same numbers on every platform.
struct Lcg {
    uint32_t state;
    uint32_t Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

// Channel k of the cube (0..16) on a scale whose full value is max; the
// shifted cube keeps the three channels of a pixel apart and off 0 and max.
uint16_t CubeChannel(int k, int channel, uint32_t max, Frame frame)
{
    if (frame == Frame::ExactCube) {
        return (uint16_t)((uint32_t)k * max / (kGridSteps - 1));
    }
    const uint32_t margin = max / 64;
    const uint32_t spread = max / 48;  // a third of a grid step between channels
    return (uint16_t)(margin + (uint32_t)channel * spread +
                      (uint32_t)k * (max - 2 * margin - 2 * spread) / (kGridSteps - 1));
}

std::vector<PF_Pixel> Frame8(Frame frame)
{
    std::vector<PF_Pixel> pixels;
    Lcg lcg{12345};
    for (int i = 0; i < FrameWidth(frame) * FrameHeight(frame); ++i) {
        PF_Pixel p;
        if (frame == Frame::Primaries) {
            p.red = (uint8_t)(255 * kPrimaryChannels[i][0]);
            p.green = (uint8_t)(255 * kPrimaryChannels[i][1]);
            p.blue = (uint8_t)(255 * kPrimaryChannels[i][2]);
            p.alpha = (uint8_t)(i * 37 % 256);
        } else if (frame == Frame::Greys) {
            p.red = p.green = p.blue = (uint8_t)(i % 256);
            p.alpha = (uint8_t)(i * 37 % 256);
        } else if (i < kGridSteps * kGridSteps * kGridSteps) {
            p.red = (uint8_t)CubeChannel(i % kGridSteps, 0, 255, frame);
            p.green = (uint8_t)CubeChannel(i / kGridSteps % kGridSteps, 1, 255, frame);
            p.blue = (uint8_t)CubeChannel(i / (kGridSteps * kGridSteps), 2, 255, frame);
            p.alpha = (uint8_t)(i * 37 % 256);
        } else {
            p.red = (uint8_t)lcg.Next();
            p.green = (uint8_t)lcg.Next();
            p.blue = (uint8_t)lcg.Next();
            p.alpha = (uint8_t)lcg.Next();
        }
        pixels.push_back(p);
    }
    return pixels;
}

// The same on the host's 0..32768 scale; the extra pixels include channels
// above 32768, which a host may hand over.
std::vector<PF_Pixel16> Frame16(Frame frame)
{
    std::vector<PF_Pixel16> pixels;
    Lcg lcg{6789};
    for (int i = 0; i < FrameWidth(frame) * FrameHeight(frame); ++i) {
        PF_Pixel16 p;
        if (frame == Frame::Primaries) {
            p.red = (uint16_t)(32768 * kPrimaryChannels[i][0]);
            p.green = (uint16_t)(32768 * kPrimaryChannels[i][1]);
            p.blue = (uint16_t)(32768 * kPrimaryChannels[i][2]);
            p.alpha = (uint16_t)(i * 331 % 32769);
        } else if (frame == Frame::Greys) {
            p.red = p.green = p.blue = (uint16_t)((uint32_t)i * 32768 / (kWidth * kHeight - 1));
            p.alpha = (uint16_t)(i * 331 % 32769);
        } else if (i < kGridSteps * kGridSteps * kGridSteps) {
            p.red = CubeChannel(i % kGridSteps, 0, 32768, frame);
            p.green = CubeChannel(i / kGridSteps % kGridSteps, 1, 32768, frame);
            p.blue = CubeChannel(i / (kGridSteps * kGridSteps), 2, 32768, frame);
            p.alpha = (uint16_t)(i * 331 % 32769);
        } else {
            const uint32_t range = i % 3 == 0 ? 65536 : 32769;
            p.red = (uint16_t)(lcg.Next() % range);
            p.green = (uint16_t)(lcg.Next() % range);
            p.blue = (uint16_t)(lcg.Next() % range);
            p.alpha = (uint16_t)(lcg.Next() % 32769);
        }
        pixels.push_back(p);
    }
    return pixels;
}

template <typename Pixel>
std::vector<uint16_t> Channels(const std::vector<Pixel>& pixels)
{
    std::vector<uint16_t> out;
    for (const Pixel& p : pixels) {
        out.insert(out.end(), {p.alpha, p.red, p.green, p.blue});
    }
    return out;
}

RenderValues Values(const Setting& s)
{
    RenderValues v;
    v.hue = (int32_t)(s.hue_degrees * 65536.0);
    v.chroma = s.chroma;
    v.clip = s.clip;
    v.alpha = s.alpha;
    return v;
}

RenderedCase RenderOne(const std::shared_ptr<const aehost::PluginLibrary>& library, const Setting& setting,
                       Frame frame, bool deep, Report& r)
{
    RenderedCase rendered;
    rendered.name = frame == Frame::Primaries ? setting.name : setting.name + ", " + FrameName(frame);
    rendered.depth = deep ? 16 : 8;
    rendered.judged = !(frame == Frame::Primaries && setting.hue_degrees == 360 && setting.chroma == 0);
    rendered.width = FrameWidth(frame);
    rendered.height = FrameHeight(frame);
    rendered.channels.assign((size_t)rendered.width * rendered.height * 4, 0);  // what a failed render leaves
    const std::string what = rendered.name + (deep ? " (16-bit)" : " (8-bit)");

    // Set up as After Effects does, global set-up first: it is also where
    // the host finds the flags its property list announced contradicted.
    aehost::Host host(library);
    host.set_threads(kThreads);
    if (!r.Equal(what + ": global set-up", host.global_setup(), 0) ||
        !r.Equal(what + ": parameter set-up", host.params_setup(), 0)) {
        return rendered;
    }
    aehost::World input(rendered.width, rendered.height, deep, kPadding);
    aehost::World output(rendered.width, rendered.height, deep, kPadding);
    if (deep) {
        input.set_pixels16(Frame16(frame));
    } else {
        input.set_pixels8(Frame8(frame));
    }
    EffectParams params(input.world(), host.added_params(), Values(setting));
    r.Equal(what + ": render result", host.render(params, output), 0);
    r.True(what + ": suites balanced", host.suites_balanced());
    r.True(what + ": row padding untouched", output.padding_intact());
    rendered.channels = deep ? Channels(output.pixels16()) : Channels(output.pixels8());
    return rendered;
}

void Put32(std::FILE* f, uint32_t v)
{
    const unsigned char b[4] = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16),
                                (unsigned char)(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

bool Get32(std::FILE* f, uint32_t* v)
{
    unsigned char b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    *v = (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
    return true;
}

void Add(Comparison& into, const Comparison& part)
{
    into.channels += part.channels;
    into.differing += part.differing;
    into.alpha_differing += part.alpha_differing;
    if (part.largest > into.largest) into.largest = part.largest;
}

// Pure red, green and blue are the gamut's most saturated colours at their
// hues: more chroma, projected back by either clip that keeps the hue, must
// give the same colour, at most one level lower where the store truncates.
void CheckPrimariesKeepTheirColour(const RenderedCase& rendered, Report& r)
{
    const int full = rendered.depth == 16 ? 32768 : 255;
    for (int colour = 0; colour < 3; ++colour) {
        bool kept = true;
        for (int channel = 0; channel < 3; ++channel) {
            const int expected = full * kPrimaryChannels[colour][channel];
            const int got = rendered.channels[(size_t)colour * 4 + 1 + channel];
            kept = kept && got <= expected && got >= expected - 1;
        }
        r.True(rendered.name + " (" + std::to_string(rendered.depth) + "-bit): pure " + kPrimaryNames[colour] +
                   " keeps its colour",
               kept);
    }
}

}  // namespace

const char* PrimaryName(int colour)
{
    return kPrimaryNames[colour];
}

const char* ClipMethodName(int clip)
{
    return kClipMethodNames[clip - 1];
}

std::vector<Input8> Inputs8()
{
    std::vector<Input8> inputs;
    for (Frame frame : kFrames) {
        for (const Setting& setting : kSettings) {
            inputs.push_back({std::string(setting.name) + ", " + FrameName(frame), Values(setting), kWidth, kHeight,
                              Frame8(frame)});
        }
    }
    return inputs;
}

Tally RenderAll(const std::shared_ptr<const aehost::PluginLibrary>& library, std::vector<RenderedCase>* out)
{
    Report r("render");
    for (bool deep : {false, true}) {
        for (Frame frame : kFrames) {
            for (const Setting& setting : kSettings) {
                out->push_back(RenderOne(library, setting, frame, deep, r));
                // The identity settings copy every pixel: a check of the
                // whole path that needs no second build.
                if (setting.chroma == 0 && setting.hue_degrees == 0) {
                    const bool copied = deep ? out->back().channels == Channels(Frame16(frame))
                                             : out->back().channels == Channels(Frame8(frame));
                    r.True(out->back().name + (deep ? " (16-bit)" : " (8-bit)") + " copies the frame", copied);
                }
            }
        }
    }
    for (bool deep : {false, true}) {
        for (const Setting& setting : PrimarySettings()) {
            out->push_back(RenderOne(library, setting, Frame::Primaries, deep, r));
            if (setting.chroma > 0 && (setting.clip == 1 || setting.clip == 2)) {
                CheckPrimariesKeepTheirColour(out->back(), r);
            }
        }
    }
    return Tally{r.checked(), r.failed()};
}

// The plug-in announces threaded rendering: several renders at once, each
// split across threads, must give exactly what the same binary gave one at a
// time. A shared mutable value inside the library would show here.
Tally RenderConcurrently(const std::shared_ptr<const aehost::PluginLibrary>& library,
                         const std::vector<RenderedCase>& sequential)
{
    struct Job {
        const Setting* setting;
        Frame frame;
        bool deep;
        size_t sequential_index;
    };
    std::vector<Job> jobs;
    size_t index = 0;
    for (bool deep : {false, true}) {
        for (Frame frame : kFrames) {
            for (const Setting& setting : kSettings) {
                if (frame == Frame::ShiftedCube && setting.clip >= 1 && setting.clip <= 4) {
                    jobs.push_back(Job{&setting, frame, deep, index});
                }
                ++index;
            }
        }
    }

    std::vector<RenderedCase> results(jobs.size());
    std::vector<Report> reports(jobs.size(), Report("concurrent render"));
    std::vector<std::thread> threads;
    for (size_t i = 0; i < jobs.size(); ++i) {
        threads.emplace_back([&, i] {
            results[i] = RenderOne(library, *jobs[i].setting, jobs[i].frame, jobs[i].deep, reports[i]);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    Report r("concurrent render");
    int checked = 0;
    int failed = 0;
    for (size_t i = 0; i < jobs.size(); ++i) {
        checked += reports[i].checked();
        failed += reports[i].failed();
        const RenderedCase& alone = sequential.at(jobs[i].sequential_index);
        r.True(alone.name + (jobs[i].deep ? " (16-bit)" : " (8-bit)") + " equals the render made alone",
               results[i].channels == alone.channels);
    }
    return Tally{checked + r.checked(), failed + r.failed()};
}

// Little-endian binary: the magic line, the case count, then per case the
// name's length and bytes, depth, judged (0 or 1), width, height and the
// 16-bit channels.
bool WriteRenders(const std::string& path, const std::vector<RenderedCase>& cases, std::string* error)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        *error = "cannot create " + path;
        return false;
    }
    std::fputs(kMagic, f);
    Put32(f, (uint32_t)cases.size());
    for (const RenderedCase& c : cases) {
        Put32(f, (uint32_t)c.name.size());
        std::fwrite(c.name.data(), 1, c.name.size(), f);
        Put32(f, (uint32_t)c.depth);
        Put32(f, c.judged ? 1u : 0u);
        Put32(f, (uint32_t)c.width);
        Put32(f, (uint32_t)c.height);
        for (uint16_t v : c.channels) {
            const unsigned char b[2] = {(unsigned char)v, (unsigned char)(v >> 8)};
            std::fwrite(b, 1, 2, f);
        }
    }
    const bool ok = !std::ferror(f);
    if (std::fclose(f) != 0 || !ok) {
        *error = "cannot write " + path;
        std::remove(path.c_str());
        return false;
    }
    return true;
}

bool ReadRenders(const std::string& path, std::vector<RenderedCase>* cases, std::string* error)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        *error = "cannot open " + path;
        return false;
    }
    auto fail = [&](const std::string& why) {
        *error = path + ": " + why;
        std::fclose(f);
        return false;
    };
    char magic[sizeof kMagic] = {};
    uint32_t count = 0;
    if (std::fread(magic, 1, sizeof kMagic - 1, f) != sizeof kMagic - 1 || std::string(magic) != kMagic ||
        !Get32(f, &count)) {
        return fail("not a render file");
    }
    for (uint32_t i = 0; i < count; ++i) {
        RenderedCase c;
        uint32_t name_size = 0, depth = 0, judged = 0, width = 0, height = 0;
        if (!Get32(f, &name_size) || name_size > 1000) return fail("truncated");
        c.name.resize(name_size);
        if (std::fread(&c.name[0], 1, name_size, f) != name_size || !Get32(f, &depth) || !Get32(f, &judged) ||
            !Get32(f, &width) || !Get32(f, &height) || judged > 1 || width > 10000 || height > 10000) {
            return fail("truncated");
        }
        c.depth = (int)depth;
        c.judged = judged == 1;
        c.width = (int32_t)width;
        c.height = (int32_t)height;
        c.channels.resize((size_t)width * height * 4);
        for (uint16_t& v : c.channels) {
            unsigned char b[2];
            if (std::fread(b, 1, 2, f) != 2) return fail("truncated");
            v = (uint16_t)(b[0] | b[1] << 8);
        }
        cases->push_back(std::move(c));
    }
    if (std::fgetc(f) != EOF) return fail("bytes after the last case");
    std::fclose(f);
    return true;
}

CompareResult Compare(const std::vector<RenderedCase>& reference, const std::vector<RenderedCase>& other)
{
    CompareResult result;
    for (auto& by_clip : result.primaries) {
        for (auto& by_depth : by_clip) {
            by_depth[0] = by_depth[1] = -1;
        }
    }
    if (reference.size() != other.size()) {
        result.problems.push_back("case counts differ: " + std::to_string(reference.size()) + " and " +
                                  std::to_string(other.size()));
    }
    for (size_t i = 0; i < reference.size() && i < other.size(); ++i) {
        const RenderedCase& a = reference[i];
        const RenderedCase& b = other[i];
        const std::string what = a.name + " (" + std::to_string(a.depth) + "-bit)";
        if (a.name != b.name || a.depth != b.depth || a.judged != b.judged || a.width != b.width ||
            a.height != b.height || a.channels.size() != b.channels.size()) {
            result.problems.push_back("case " + std::to_string(i) + " differs in kind: " + what + " and " + b.name +
                                      " (" + std::to_string(b.depth) + "-bit)");
            continue;
        }
        // A primaries case holds one pixel per colour; its clip method ends
        // its name.
        int clip = 0;
        if (a.name.rfind(kPrimariesPrefix, 0) == 0 && a.channels.size() == (size_t)kPrimaryColours * 4) {
            for (int m = 1; m <= kClipMethods; ++m) {
                const std::string suffix = std::string(" ") + kClipMethodNames[m - 1];
                if (a.name.size() > suffix.size() &&
                    a.name.compare(a.name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                    clip = m;
                }
            }
        }
        Comparison part;
        for (size_t k = 0; k < a.channels.size(); ++k) {
            const int difference = std::abs((int)a.channels[k] - (int)b.channels[k]);
            ++part.channels;
            if (difference != 0) {
                ++part.differing;
                if (k % 4 == 0) ++part.alpha_differing;
                if (difference > part.largest) part.largest = difference;
            }
            if (clip != 0 && a.judged) {
                int& largest = result.primaries[k / 4][clip - 1][a.depth == 16 ? 1 : 0];
                if (difference > largest) largest = difference;
            }
        }
        if (a.judged) {
            Add(a.depth == 16 ? result.depth16 : result.depth8, part);
            Add(result.total, part);
        } else {
            Add(result.surface, part);
        }
        if (part.differing != 0) {
            result.differing_cases.push_back(what + (a.judged ? ": " : " [surface]: ") +
                                             std::to_string(part.differing) + " of " +
                                             std::to_string(part.channels) + " channels differ, largest by " +
                                             std::to_string(part.largest));
        }
    }
    return result;
}

}  // namespace platform_check
