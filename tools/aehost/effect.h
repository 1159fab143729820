// The short way to drive an effect plug-in binary: load it, register it, run
// its set-up commands and render whole frames from plain pixel buffers.
//
// The set-up commands each run on a host of their own. Renders run on hosts
// that have had global and params set-up once and are kept for the next
// render (one per render running at the same time), so a frame rendered in
// bands, or a sequence of frames, goes through one set-up instance and one
// set of worker threads. One Effect may be used from several threads at
// once. Results are the plug-in's host error codes (0 = success); Host
// (host.h) gives full control when a caller needs to see or break more.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/pf_pixel.h"
#include "tools/aehost/records.h"

namespace aehost {

class PluginLibrary;
class World;

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
    struct Instance;

    explicit Effect(std::shared_ptr<const PluginLibrary> library);
    int32_t render(const std::vector<DeclaredParam>& values, World input, World output, int threads) const;

    std::shared_ptr<const PluginLibrary> library_;
    mutable std::mutex mutex_;                             // guards idle_
    mutable std::vector<std::unique_ptr<Instance>> idle_;  // set up, not rendering
};

// A readable name for a host error code, e.g. "PF_Err_BAD_CALLBACK_PARAM (516)".
std::string describe_error(int32_t err);

}  // namespace aehost
