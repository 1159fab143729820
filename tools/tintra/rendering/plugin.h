// The plug-in binary, loaded and set up the way its host does it before the
// first render. An After Effects build goes through the AE host stand-in
// (registration, global set-up, parameter set-up); an OFX build through the
// OFX host stand-in (load, describe, an instance in the filter context).
// Either way its parameters become tintra's own records (plugin_param.h), so
// the options, the help and the info read the same for both.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/ofxhost/host.h"
#include "tools/aehost/effect.h"
#include "tools/tintra/rendering/plugin_param.h"

struct LoadedPlugin {
    std::unique_ptr<aehost::Effect> effect;  // an After Effects build
    aehost::Registration registration;
    aehost::GlobalSetup global;
    std::vector<aehost::DeclaredParam> ae_params;  // as declared, each render's values written into a copy

    std::vector<PluginParam> params;  // either build's, as tintra describes them

    std::unique_ptr<ofxhost::Host> ofx;      // an OFX build
    ofxhost::Effect* ofx_instance = nullptr;
    std::vector<std::string> ofx_names;      // the OFX name of each of params

    bool is_ofx() const { return ofx != nullptr; }
};

// TINTRA.so in the folder of the running tintra executable.
std::string DefaultPluginPath();
// TINTRA.ofx in the same folder: the build float images go through.
std::string DefaultOfxPluginPath();

// A *.ofx.bundle folder or a *.ofx file is an OFX build; anything else is
// taken for an After Effects build.
bool IsOfxPath(const std::string& path);

// A render's failure code in the loaded plug-in's terms: "host error N (name)"
// for an After Effects build, "OFX status N" for an OFX build.
std::string RenderErrorText(const LoadedPlugin& plugin, int32_t err);

// On failure returns false with a one-line reason that names the plug-in and,
// when the plug-in returned one, the host error code.
bool LoadPlugin(const std::string& path, LoadedPlugin& plugin, std::string& error);
