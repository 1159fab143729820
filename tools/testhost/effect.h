// The short way to drive an effect plug-in binary: load it, register it, run
// its set-up commands and render whole frames from plain pixel buffers.
//
// Every call builds its own host on the stack (a fresh basic suite, fresh
// records, fresh suite bookkeeping), so one Effect may be used from several
// threads at once. Results are the plug-in's host error codes (0 = success);
// Host (host.h) gives full control when a caller needs to see or break more.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/pf_pixel.h"

namespace testhost {

class PluginLibrary;

// The ten values the plug-in handed to the registration callback.
struct Registration {
    int calls = 0;                // how often the callback ran
    bool same_opaque = false;     // the callback got back the host's opaque pointer
    std::string name;
    std::string match_name;
    std::string category;
    std::string entry_point;
    int32_t kind = 0;             // 'eFKT' = 0x65464B54 for an effect
    int32_t api_major = 0;
    int32_t api_minor = 0;
    int32_t reserved_info = 0;
    std::string support_url;
};

// What the plug-in reported at global set-up.
struct GlobalSetup {
    uint32_t my_version = 0;
    int32_t out_flags = 0;
    int32_t out_flags2 = 0;
};

// One parameter as the plug-in declared it at params set-up, with the UI state
// it set for the parameter's first showing. Only the fields of its type are
// meaningful; the others stay zero. The *_value fields are the current value:
// the declared one, until a caller sets another for a render.
struct DeclaredParam {
    int32_t index = 0;            // position in params[]; 0 is the input layer
    int32_t id = 0;
    int32_t type = 0;             // 3 angle, 7 popup, 10 float slider, ...
    std::string name;
    int32_t flags = 0;
    int32_t ui_flags = 0;         // PF_PUI_DISABLED (bit 5) greys the control out

    // Angle: 16.16 fixed degrees.
    int32_t angle_value = 0;
    int32_t angle_default = 0;

    // Float slider.
    double slider_value = 0.0;
    float valid_min = 0.0f;
    float valid_max = 0.0f;
    float slider_min = 0.0f;
    float slider_max = 0.0f;
    float slider_default = 0.0f;
    float curve_tolerance = 0.0f;
    int16_t precision = 0;
    int16_t display_flags = 0;

    // Popup: choices numbered from 1.
    int32_t popup_value = 0;
    int16_t num_choices = 0;
    int16_t popup_default = 0;
    std::vector<std::string> choices;
};

class Effect {
public:
    // Loads the plug-in binary at path. On failure returns null and, when error
    // is given, says why (the loader's own message or the missing entry point).
    static std::unique_ptr<Effect> load(const std::string& path, std::string* error);

    ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    const std::string& path() const;

    // The registration entry's result; out receives what the callback saw.
    int32_t register_effect(Registration* out) const;
    int32_t global_setup(GlobalSetup* out) const;
    // The declared parameters, in the order they were added (index 1 first),
    // as a host first shows them: after global set-up and params set-up, and
    // the update-params-UI command when the effect asked for it, whose
    // PF_UpdateParamUI calls set the ui_flags.
    int32_t params_setup(std::vector<DeclaredParam>* out) const;
    // The About text as the plug-in wrote it into the message buffer.
    int32_t about(std::string* text) const;

    // Renders width x height pixels from in to out (different buffers or the
    // same one) with the current values of params, the list params_setup gave
    // with values changed as wanted. Row strides are in bytes; 0 means tightly
    // packed rows. threads < 1 uses one thread per hardware thread. Values
    // that do not match the declarations give PF_Err_BAD_CALLBACK_PARAM.
    int32_t render8(const std::vector<DeclaredParam>& params, int32_t width, int32_t height, const PF_Pixel* in, PF_Pixel* out,
                    int threads, int32_t in_rowbytes = 0, int32_t out_rowbytes = 0) const;
    int32_t render16(const std::vector<DeclaredParam>& params, int32_t width, int32_t height, const PF_Pixel16* in,
                     PF_Pixel16* out, int threads, int32_t in_rowbytes = 0, int32_t out_rowbytes = 0) const;

private:
    explicit Effect(std::shared_ptr<const PluginLibrary> library);
    std::shared_ptr<const PluginLibrary> library_;
};

// A readable name for a host error code, e.g. "PF_Err_BAD_CALLBACK_PARAM (516)".
std::string describe_error(int32_t err);

}  // namespace testhost
