// Rendering in linear light against rendering the stored values, through the
// tintra executable: every 8- and 16-bit level of an sRGB PNG back from
// linear light (with tintra's built-in colour set and with the tests'
// config), how far the displayed lightness of the guide's scene moves at
// Hue 60, 120 and 240 (mean change of OKLab L of the sRGB-decoded pixels),
// and what --colorspace auto costs on a 4K 16-bit PNG.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <OpenImageIO/color.h>
#include <OpenImageIO/imageio.h>

#include "color/oklab.h"
#include "tests/tools/tintra/image_io/test_color_config.h"

namespace {

int Run(const std::string& args)
{
    const std::string command = std::string(TINTRA_EXECUTABLE) + " " + args + " -q 2>/dev/null";
    return std::system(command.c_str());
}

// The displayed lightness of every pixel: the stored values as a display
// shows them (sRGB), in OKLab.
std::vector<float> Lightness(const std::string& path)
{
    std::vector<float> rgb, L;
    auto in = OIIO::ImageInput::open(path);
    if (!in) return L;
    const OIIO::ImageSpec& header = in->spec();
    rgb.resize((size_t)header.width * header.height * 3);
    in->read_image(0, 0, 0, 3, OIIO::TypeDesc::FLOAT, rgb.data());
    for (size_t i = 0; i < rgb.size(); i += 3)
        L.push_back(RGBtoOK(RGB{OIIO::sRGB_to_linear(rgb[i]), OIIO::sRGB_to_linear(rgb[i + 1]),
                                OIIO::sRGB_to_linear(rgb[i + 2])})
                        .L);
    return L;
}

// The most levels any sample of a PNG holding every level moves through
// --colorspace auto at the hue given and Chroma 0; -1 when a step fails.
// grey: each level in all three channels, else beside other levels.
int LevelsMoved(const std::string& dir, int bits, const std::string& config, const char* hue, bool grey)
{
    const int levels = 1 << bits;
    std::vector<uint16_t> in;
    for (int v = 0; v < levels; ++v)
        for (int level : {v, grey ? v : levels - 1 - v, grey ? v : (v * 7919) % levels})
            in.push_back((uint16_t)(bits == 8 ? level * 257 : level));
    const std::string from = dir + "/levels.png", to = dir + "/levels-out.png";
    auto out = OIIO::ImageOutput::create(from);
    const OIIO::TypeDesc type = bits == 8 ? OIIO::TypeDesc::UINT8 : OIIO::TypeDesc::UINT16;
    if (!out || !out->open(from, OIIO::ImageSpec(256, levels / 256, 3, type)) ||
        !out->write_image(OIIO::TypeDesc::UINT16, in.data()) || !out->close())
        return -1;
    if (Run("render " + from + " -o " + to + " --overwrite --colorspace auto --hue " + hue + " --chroma 0" +
            (config.empty() ? "" : " --colorconfig " + config)) != 0)
        return -1;
    std::vector<uint16_t> back(in.size());
    auto read = OIIO::ImageInput::open(to);
    if (!read || !read->read_image(0, 0, 0, 3, OIIO::TypeDesc::UINT16, back.data())) return -1;
    int most = 0;
    for (size_t i = 0; i < in.size(); ++i) most = std::max(most, std::abs(back[i] - in[i]) / (bits == 8 ? 257 : 1));
    return most;
}

void PrintRoundTrips(const std::string& dir)
{
    const std::string config = tintra_test::WriteTestColorConfig(dir);
    std::printf("every level of an sRGB PNG through --colorspace auto and back: most levels a sample moved\n");
    std::printf("%5s %-10s %9s %13s %15s\n", "bits", "set", "hue 0", "hue 360 grey", "hue 360 colours");
    for (int bits : {8, 16})
        for (const std::string& set : {std::string(), config})
            std::printf("%5d %-10s %9d %13d %15d\n", bits, set.empty() ? "built-in" : "test.ocio",
                        LevelsMoved(dir, bits, set, "0", false), LevelsMoved(dir, bits, set, "360", true),
                        LevelsMoved(dir, bits, set, "360", false));
}

double SecondsOf(const std::string& args)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (Run(args) != 0) return -1.0;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main()
{
    char folder[] = "/tmp/tintra-color-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return 1;
    const std::string dir = folder, scene = dir + "/scene.png", big = dir + "/big.png", out = dir + "/out.png";
    if (Run("generate scene -o " + scene) != 0 || Run("generate scene --size 3840x2160 -d 16 -o " + big) != 0) return 1;

    PrintRoundTrips(dir);
    const std::vector<float> before = Lightness(scene);
    std::printf("mean change of displayed OKLab lightness, the guide's scene (960x540, 8-bit sRGB PNG)\n");
    std::printf("%6s %10s %10s\n", "hue", "raw", "auto");
    for (const char* hue : {"60", "120", "240"}) {
        double mean[2] = {0.0, 0.0};
        for (int m = 0; m < 2; ++m) {
            if (Run(std::string("render ") + scene + " --hue " + hue + " --colorspace " + (m == 0 ? "raw" : "auto") +
                    " -o " + out + " --overwrite") != 0)
                return 1;
            const std::vector<float> after = Lightness(out);
            for (size_t i = 0; i < before.size() && i < after.size(); ++i) mean[m] += std::fabs(after[i] - before[i]);
            mean[m] /= (double)before.size();
        }
        std::printf("%6s %10.4f %10.4f\n", hue, mean[0], mean[1]);
    }

    const double raw = SecondsOf("render " + big + " --hue 120 --colorspace raw -o " + out + " --overwrite");
    const double ofx =
        SecondsOf("render " + big + " --hue 120 --plugin " + TINTRA_OFX_PLUGIN + " -o " + out + " --overwrite");
    const double in_space = SecondsOf("render " + big + " --hue 120 --colorspace auto -o " + out + " --overwrite");
    std::printf(
        "4K 16-bit PNG, best of 3: raw %.2f s, raw through the OFX build %.2f s, auto %.2f s: "
        "auto / raw = %.2f, auto / OFX raw = %.2f\n",
        raw, ofx, in_space, in_space / raw, in_space / ofx);
    std::system(("rm -rf " + dir).c_str());
    return 0;
}
