// Rendering in linear light against rendering the stored values, through the
// tintra executable: how far the displayed lightness of the guide's scene
// moves at Hue 60, 120 and 240 (mean change of OKLab L of the sRGB-decoded
// pixels), and what --colorspace auto costs on a 4K 16-bit PNG.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <OpenImageIO/color.h>
#include <OpenImageIO/imageio.h>

#include "color/oklab.h"

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
