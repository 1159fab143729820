#include "tests/windows/protocol_checks.h"

#include <cstring>
#include <vector>

#include "tests/support/effect_params.h"
#include "tests/windows/check_report.h"
#include "tools/testhost/host.h"

namespace platform_check {
namespace {

using testhost::Host;
using testhost::PluginLibrary;
using Library = std::shared_ptr<const PluginLibrary>;

constexpr PF_Err kMissingSuite = 516;
constexpr SPErr kRefused = 0x21504E46;  // any non-zero answer to AcquireSuite

std::vector<unsigned char> Bytes(const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(p, p + size);
}

template <typename Pixel>
bool AllZero(const std::vector<Pixel>& pixels)
{
    for (const Pixel& p : pixels) {
        if (p.alpha != 0 || p.red != 0 || p.green != 0 || p.blue != 0) return false;
    }
    return true;
}

void CheckRegistration(const Library& library, Report& r, std::string* support_url)
{
    Host host(library);
    r.Equal("registration result", host.register_effect(), 0);
    const testhost::Registration reg = host.registration();
    r.Equal("callback calls", reg.calls, 1);
    r.True("opaque pointer handed back", reg.same_opaque);
    r.Equal("name", reg.name, "TINTRA");
    r.Equal("match name", reg.match_name, "halvecort TINTRA");
    r.Equal("category", reg.category, "Color Correction");
    r.Equal("entry point", reg.entry_point, "EffectMain");
    r.Equal("kind", reg.kind, 0x65464B54);
    r.Equal("API major", reg.api_major, 13);
    r.Equal("API minor", reg.api_minor, 28);
    r.Equal("reserved information", reg.reserved_info, 8);
    r.True("support address is https", reg.support_url.rfind("https://", 0) == 0, reg.support_url);
    *support_url = reg.support_url;

    // Whatever the host's callback answers is the registration's result.
    for (PF_Err answer : {516, -1, 7}) {
        Host refusing(library);
        refusing.set_registration_result(answer);
        r.Equal("registration passes back callback result " + std::to_string(answer), refusing.register_effect(),
                answer);
    }
}

void CheckGlobalSetup(const Library& library, Report& r)
{
    Host host(library);
    r.Equal("global set-up result", host.global_setup(), 0);
    r.Equal("my_version", host.out_data().my_version, 0x00090001u);
    r.Equal("out_flags", host.out_data().out_flags, 0x06000000);
    r.Equal("out_flags2", host.out_data().out_flags2, 0x08000000);
    r.True("no suite used", host.suite_events().empty());
#ifdef _WIN32
    // The loader read the PIPL resource, and global set-up agreed with it.
    r.True("PIPL resource read", library->has_property_list());
    r.True("PIPL agrees with global set-up", host.warnings().empty());
#endif
}

void CheckAbout(const Library& library, Report& r)
{
    Host host(library);
    r.Equal("About result", host.about(), 0);
    r.Equal("About text", std::string(host.out_data().return_msg),
            "TINTRA v1.2\rChange hue & saturation using oklab color science\r by halvecort <3");
    r.Equal("ANSI suite acquired", host.suite_count("PF ANSI Suite", 1).acquired, 1);
    r.True("About hands back what it acquired", host.suites_balanced());
}

// The missing-suite error is an exception thrown inside the plug-in and
// caught by its entry point; under Windows this runs through the unwinder.
void CheckMissingSuites(const Library& library, Report& r)
{
    struct Case {
        const char* what;
        SPErr error;  // 0: success with a null table
    };
    for (const Case& c : {Case{"error code", kRefused}, Case{"null table", 0}}) {
        const std::string suffix = std::string(" (ANSI suite missing: ") + c.what + ")";
        Host host(library);
        host.remove_suite("PF ANSI Suite", 1, c.error);
        std::memset(host.out_data().return_msg, 0x5A, sizeof host.out_data().return_msg);
        const std::vector<unsigned char> before = Bytes(&host.out_data(), sizeof(PF_OutData));
        r.Equal("About result" + suffix, host.about(), kMissingSuite);
        r.True("out_data untouched" + suffix, Bytes(&host.out_data(), sizeof(PF_OutData)) == before);
        r.True("suites balanced" + suffix, host.suites_balanced());
    }

    Host no_basic(library);
    no_basic.set_basic_suite_null(true);
    const std::vector<unsigned char> before = Bytes(&no_basic.out_data(), sizeof(PF_OutData));
    r.Equal("About result (no basic suite)", no_basic.about(), kMissingSuite);
    r.True("out_data untouched (no basic suite)", Bytes(&no_basic.out_data(), sizeof(PF_OutData)) == before);

    struct RenderCase {
        const char* what;
        bool deep;
        const char* suite;
        bool basic_null;
    };
    const RenderCase renders[] = {
        {"8-bit, iterate suite missing", false, "PF Iterate8 Suite", false},
        {"16-bit, iterate suite missing", true, "PF iterate16 Suite", false},
        {"8-bit, no basic suite", false, nullptr, true},
        {"16-bit, no basic suite", true, nullptr, true},
    };
    for (const RenderCase& c : renders) {
        Host host(library);
        if (c.suite != nullptr) {
            host.remove_suite(c.suite, 2, kRefused);
        }
        host.set_basic_suite_null(c.basic_null);
        testhost::World input(4, 3, c.deep);
        testhost::World output(4, 3, c.deep, 8);
        if (c.deep) {
            input.set_pixels16(std::vector<PF_Pixel16>(12, PF_Pixel16{32768, 1000, 2000, 3000}));
        } else {
            input.set_pixels8(std::vector<PF_Pixel>(12, PF_Pixel{255, 10, 20, 30}));
        }
        EffectParams params(input.world(), DeclaredBy(library), RenderValues{90 << 16, 20.0, 1, 0.5});
        r.Equal(std::string("render result (") + c.what + ")", host.render(params, output), kMissingSuite);
        const bool untouched = c.deep ? AllZero(output.pixels16()) : AllZero(output.pixels8());
        r.True(std::string("output untouched (") + c.what + ")", untouched && output.padding_intact());
        r.True(std::string("no iterate call (") + c.what + ")", host.iterate_calls().empty());
        r.True(std::string("suites balanced (") + c.what + ")", host.suites_balanced());
    }
}

void CheckIterateErrors(const Library& library, Report& r)
{
    for (bool deep : {false, true}) {
        for (PF_Err error : {4, 512, -7}) {
            const std::string what =
                std::string(deep ? "16-bit" : "8-bit") + " iterate error " + std::to_string(error);
            Host host(library);
            host.fail_iterate(error);
            testhost::World input(5, 2, deep);
            testhost::World output(5, 2, deep);
            EffectParams params(input.world(), DeclaredBy(library), RenderValues{});
            r.Equal(what + " returned unchanged", host.render(params, output), error);
            r.Equal(what + ": one iterate call", host.iterate_calls().size(), (size_t)1);
            r.True(what + ": suites balanced", host.suites_balanced());
        }
    }
}

void CheckParameters(const Library& library, Report& r)
{
    std::string load_error;
    std::unique_ptr<testhost::Effect> effect = testhost::Effect::load(library->path(), &load_error);
    if (!effect) {
        r.Fail("load for parameter set-up", load_error);
        return;
    }
    std::vector<testhost::DeclaredParam> params;
    r.Equal("parameter set-up result", effect->params_setup(&params), 0);
    if (!r.Equal("declared parameters", params.size(), (size_t)4)) {
        return;
    }

    struct Slider {
        int index;
        const char* name;
        double value;
        float valid_min, valid_max, slider_min, slider_max, def, tolerance;
        int16_t precision;
    };
    const testhost::DeclaredParam& hue = params[0];
    r.Equal("Hue id", hue.id, 1);
    r.Equal("Hue type", hue.type, 3);
    r.Equal("Hue name", hue.name, "Hue");
    r.Equal("Hue flags", hue.flags, 32);
    r.Equal("Hue value", hue.angle_value, 0);
    r.Equal("Hue default", hue.angle_default, 0);

    const Slider sliders[] = {
        {1, "Chroma", 0.0, -10000000.0f, 10000000.0f, -100.0f, 100.0f, 0.0f, 0.05f, 0},
        {3, "Adaptive Clip Alpha", 0.5, -10000000.0f, 10000000.0f, 0.05f, 5.0f, 0.5f, 0.05f, 3},
    };
    for (const Slider& s : sliders) {
        const testhost::DeclaredParam& p = params[(size_t)s.index];
        const std::string n = s.name;
        r.Equal(n + " id", p.id, s.index + 1);
        r.Equal(n + " type", p.type, 10);
        r.Equal(n + " name", p.name, s.name);
        r.Equal(n + " value", p.slider_value, s.value);
        r.Equal(n + " valid minimum", p.valid_min, s.valid_min);
        r.Equal(n + " valid maximum", p.valid_max, s.valid_max);
        r.Equal(n + " slider minimum", p.slider_min, s.slider_min);
        r.Equal(n + " slider maximum", p.slider_max, s.slider_max);
        r.Equal(n + " default", p.slider_default, s.def);
        r.Equal(n + " curve tolerance", p.curve_tolerance, s.tolerance);
        r.Equal(n + " precision", p.precision, s.precision);
        r.Equal(n + " display flags", p.display_flags, (int16_t)0);
    }

    // All four methods offered, starting on the adaptive one, and supervised
    // so the host reports a change of method.
    const testhost::DeclaredParam& clip = params[2];
    r.Equal("Clip Method id", clip.id, 3);
    r.Equal("Clip Method type", clip.type, 7);
    r.Equal("Clip Method name", clip.name, "Clip Method");
    r.Equal("Clip Method flags", clip.flags, 64);
    r.Equal("Clip Method choices", clip.num_choices, (int16_t)4);
    r.Equal("Clip Method default", clip.popup_default, (int16_t)1);
    r.Equal("Clip Method value", clip.popup_value, 1);
    const std::vector<std::string> names = {"Adaptive Hue-dependent", "Chroma Clipped", "Truncate", "Debug"};
    r.True("Clip Method choice names", clip.choices == names);

    Host host(library);
    r.Equal("parameter set-up result (host)", host.params_setup(), 0);
    r.Equal("parameter count", host.out_data().num_params, 5);

    // A failing add_param stops the declarations and leaves the count alone.
    Host failing(library);
    failing.fail_add_param(3, 4);
    failing.out_data().num_params = 77;
    r.Equal("add_param failure returned", failing.params_setup(), 4);
    r.Equal("add_param calls before the failure stopped", failing.add_param_calls().size(), (size_t)3);
    r.Equal("count untouched after add_param failure", failing.out_data().num_params, 77);
}

// The alpha control follows the clip method, both when the user changes the
// method (13) and when the host asks for the controls to be brought up to
// date (14).
void CheckClipMethodChange(const Library& library, Report& r)
{
    for (PF_Cmd cmd : {PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI}) {
        for (int32_t method = 1; method <= 4; ++method) {
            const std::string what = "command " + std::to_string(cmd) + ", clip method " + std::to_string(method);
            Host host(library);
            r.Equal(what + ": global set-up", host.global_setup(), 0);
            r.Equal(what + ": parameter set-up", host.params_setup(), 0);
            testhost::World input(2, 2, false);
            EffectParams params(input.world(), host.added_params(), RenderValues{0, 0.0, method, 0.5});
            const std::vector<unsigned char> before = params.snapshot();
            const PF_Err result = cmd == PF_Cmd_USER_CHANGED_PARAM ? host.user_changed_param(params, 3)
                                                                   : host.update_params_ui(params);
            r.Equal(what + ": result", result, 0);
            r.True(what + ": parameters not written", params.snapshot() == before);
            r.True(what + ": suites balanced", host.suites_balanced());
            const std::vector<testhost::UiUpdate> updates = host.ui_updates();
            if (!r.Equal(what + ": UI updates", updates.size(), (size_t)1)) {
                continue;
            }
            r.Equal(what + ": updated parameter", updates[0].index, 4);
            const bool disabled = (updates[0].def.ui_flags & PF_PUI_DISABLED) != 0;
            r.Equal(what + ": alpha greyed out", disabled, method != 1);
            r.Equal(what + ": alpha never made invisible", updates[0].def.ui_flags & PF_PUI_INVISIBLE, 0);
        }
    }
}

void CheckUnhandledCommands(const Library& library, Report& r)
{
    for (PF_Cmd cmd : {2, 3, 5, 6, 7, 8, 9, 10, 12, 15, 24, 33, 34, 1000, -1, -100}) {
        Host host(library);
        std::memset(&host.out_data(), 0xA5, sizeof(PF_OutData));
        const std::vector<unsigned char> before = Bytes(&host.out_data(), sizeof(PF_OutData));
        const std::string what = "command " + std::to_string(cmd);
        r.Equal(what + " result", host.command(cmd, nullptr, nullptr, nullptr), 0);
        r.True(what + " leaves out_data alone", Bytes(&host.out_data(), sizeof(PF_OutData)) == before);
        r.True(what + " asks for no suite", host.suite_events().empty());
    }
}

}  // namespace

Tally CheckProtocol(const std::shared_ptr<const PluginLibrary>& library, std::string* support_url)
{
    Report r("protocol");
    CheckRegistration(library, r, support_url);
    CheckGlobalSetup(library, r);
    CheckAbout(library, r);
    CheckParameters(library, r);
    CheckClipMethodChange(library, r);
    CheckUnhandledCommands(library, r);
    CheckMissingSuites(library, r);
    CheckIterateErrors(library, r);
    return Tally{r.checked(), r.failed()};
}

}  // namespace platform_check
