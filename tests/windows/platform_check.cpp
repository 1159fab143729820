// tintra_platform_check: renders a fixed set of frames through one build of
// the plug-in binary, driven by the AE host stand-in, and compares its renders with
// those of another build. Built for Linux, for Windows (run under Wine) and
// for aarch64 Linux (run under qemu against the macOS bundle's arm64 slice).
#include <cstdio>
#include <string>
#include <vector>

#include "tests/windows/render_set.h"
#include "tools/aehost/plugin_library.h"

namespace {

const char kUsage[] =
    "usage: tintra_platform_check check PLUGIN [--renders FILE]\n"
    "       tintra_platform_check compare REFERENCE OTHER\n"
    "\n"
    "check    loads PLUGIN (TINTRA.so, TINTRA.aex or a macOS bundle) and renders a\n"
    "         fixed set of 8-bit and 16-bit frames, written to FILE if given, and\n"
    "         part of it again with many renders at once. (The host-check suites,\n"
    "         integration_tests and tintra_reliability_host_tests, test the rest.)\n"
    "compare  compares two render files channel by channel; differences of at most\n"
    "         one level are accepted (the builds' maths libraries differ), and alpha\n"
    "         must be identical.\n"
    "Exit status: 0 all passed, 1 a check failed, 2 usage error.\n";

int Usage(const std::string& message)
{
    std::fprintf(stderr, "tintra_platform_check: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int Check(const std::string& plugin, const std::string& renders_path)
{
    std::string error;
    std::shared_ptr<const aehost::PluginLibrary> library = aehost::PluginLibrary::open(plugin, &error);
    if (!library) {
        // The loader's message already names the file.
        std::fprintf(stderr, "tintra_platform_check: %s\n", error.c_str());
        return 1;
    }

    int checked = 0;
    int failed = 0;
    auto count = [&](const char* group, platform_check::Tally tally) {
        std::printf("%-10s %4d checks, %d failed\n", group, tally.checked, tally.failed);
        checked += tally.checked;
        failed += tally.failed;
    };

    std::vector<platform_check::RenderedCase> renders;
    count("render", platform_check::RenderAll(library, &renders));
    count("threads", platform_check::RenderConcurrently(library, renders));

    if (!renders_path.empty() && !platform_check::WriteRenders(renders_path, renders, &error)) {
        std::fprintf(stderr, "tintra_platform_check: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %d checks, %d failed\n", plugin.c_str(), checked, failed);
    return failed == 0 ? 0 : 1;
}

void PrintComparison(const char* what, const platform_check::Comparison& c)
{
    std::printf("%-8s channels compared %lld, channels differing %lld, largest difference %d\n", what,
                (long long)c.channels, (long long)c.differing, c.largest);
}

// One line per pure colour: the largest difference of its renders under Hue
// 0 and 360 and Chroma -100 to +300, by clip method and depth.
void PrintPrimaries(const platform_check::CompareResult& result)
{
    std::printf("primaries, largest difference (Hue 0 and 360, Chroma -100 to +300, judged), 8-bit/16-bit:\n%-8s",
                "");
    for (int clip = 1; clip <= platform_check::kClipMethods; ++clip) {
        std::printf(" %15s", platform_check::ClipMethodName(clip));
    }
    std::printf("\n");
    for (int colour = 0; colour < platform_check::kPrimaryColours; ++colour) {
        std::printf("%-8s", platform_check::PrimaryName(colour));
        for (int clip = 0; clip < platform_check::kClipMethods; ++clip) {
            const int* depths = result.primaries[colour][clip];
            const std::string cell = (depths[0] < 0 ? std::string("-") : std::to_string(depths[0])) + "/" +
                                     (depths[1] < 0 ? std::string("-") : std::to_string(depths[1]));
            std::printf(" %15s", cell.c_str());
        }
        std::printf("\n");
    }
}

int Compare(const std::string& reference_path, const std::string& other_path)
{
    std::vector<platform_check::RenderedCase> reference;
    std::vector<platform_check::RenderedCase> other;
    std::string error;
    if (!platform_check::ReadRenders(reference_path, &reference, &error) ||
        !platform_check::ReadRenders(other_path, &other, &error)) {
        std::fprintf(stderr, "tintra_platform_check: %s\n", error.c_str());
        return 1;
    }
    const platform_check::CompareResult result = platform_check::Compare(reference, other);
    for (const std::string& line : result.differing_cases) {
        std::printf("  %s\n", line.c_str());
    }
    PrintComparison("8-bit", result.depth8);
    PrintComparison("16-bit", result.depth16);
    PrintComparison("total", result.total);
    // Colours a whole turn leaves on the gamut's surface (see render_set.cpp):
    // shown, not judged.
    PrintComparison("surface", result.surface);
    PrintPrimaries(result);
    bool ok = true;
    for (const std::string& problem : result.problems) {
        std::fprintf(stderr, "FAIL compare: %s\n", problem.c_str());
        ok = false;
    }
    if (result.total.channels == 0) {
        std::fprintf(stderr, "FAIL compare: nothing to compare\n");
        ok = false;
    }
    if (result.total.largest > 1) {
        std::fprintf(stderr, "FAIL compare: a channel differs by %d levels; at most 1 is accepted\n",
                     result.total.largest);
        ok = false;
    }
    if (result.total.alpha_differing + result.surface.alpha_differing != 0) {
        std::fprintf(stderr, "FAIL compare: %lld alpha channels differ; alpha is copied\n",
                     (long long)(result.total.alpha_differing + result.surface.alpha_differing));
        ok = false;
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return Usage("no command given");
    }
    if (args[0] == "-h" || args[0] == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args[0] == "check") {
        if (args.size() == 2) {
            return Check(args[1], "");
        }
        if (args.size() == 4 && args[2] == "--renders") {
            return Check(args[1], args[3]);
        }
        return Usage("check takes PLUGIN and optionally --renders FILE");
    }
    if (args[0] == "compare") {
        if (args.size() != 3) {
            return Usage("compare takes two render files");
        }
        return Compare(args[1], args[2]);
    }
    return Usage("unknown command '" + args[0] + "'");
}
