// A stand-in for an OFX host: it loads a plug-in binary (or a bundle, taking
// this system's binary from it), and runs the standard's actions in the
// standard's order, serving the property, image effect, parameter, memory,
// multithread and message suites. It learns the effect's clips and
// parameters from the effect's own describe actions and knows nothing else
// of it. What the standard forbids is refused and reported (faults()).
//
//   std::string error;
//   auto host = ofxhost::Host::load("build/ofx/TINTRA.ofx.bundle", &error);
//   ofxhost::Effect* fx = host->create_instance(kOfxImageEffectContextFilter);
//   host->set_value(fx, "hue", 30.0);
//   host->render(fx, source, output, window);
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/ofxhost/ofx_abi.h"
#include "tools/ofxhost/faults.h"
#include "tools/ofxhost/image.h"
#include "tools/ofxhost/ofx_names.h"
#include "tools/ofxhost/property_set.h"
#include "tools/loader/library.h"

namespace ofxhost {

class Host;
struct Effect;
struct HostProperties;

// How this host answers, where the standard lets hosts differ.
struct HostOptions {
    // Names the host does not know: left out of every property set, as a
    // host written before them (or without them) would.
    std::vector<std::string> unknown_properties;
    // The pixel depths the host offers.
    std::vector<std::string> pixel_depths = {kOfxBitDepthByte, kOfxBitDepthShort, kOfxBitDepthFloat};
    // Without it fetchSuite has no multithread suite to give.
    bool multithread_suite = true;
    // The space of the frames given to render, for a host that manages
    // colour (standard version 1.5): it delivers the source in the space the
    // plug-in asks for and converts the output back. Empty: a host without
    // colour management, which knows none of its properties.
    std::string frames_colourspace;
    // A host working in ACES: its scene-linear space is ACEScg, handed out
    // for the generic ofx_scene_linear, as such hosts do.
    bool aces = false;
    // A host that offers the basic style only: generic names, no others.
    bool basic_style_only = false;

    // A host that misbehaves, for tests of what the plug-in survives.
    // Suites fetchSuite does not give, by name.
    std::vector<std::string> missing_suites;
    // Carries on after the load or describe action failed.
    bool careless = false;
    // What multiThreadNumCPUs reports; 0 for the threads it runs.
    unsigned int reported_cpus = 0;
    // What multiThread answers after it ran every index.
    OfxStatus multithread_status = kOfxStatOK;
    // Calls of abort answered with 0 before it answers 1; -1 for never.
    long abort_after_polls = -1;
    // String properties of clips and images answered with a NULL value.
    std::vector<std::string> null_strings;
    // What one clip's images claim beyond their pixels: row bytes that
    // differ from the rows', and rows below the first that do not exist
    // (the data pointer moved down to match).
    struct ImageClaim {
        std::string clip;
        int row_bytes_change = 0;
        long long rows_below = 0;
    };
    std::vector<ImageClaim> image_claims;
};

struct Param {
    Param(Effect* owner, std::string name, std::string type, const std::string& what, Faults* faults);
    Effect* effect;
    std::string name;
    std::string type;  // kOfxParamType*
    PropertySet props;
    double real = 0;
    int integer = 0;
};

struct Clip {
    Clip(Effect* owner, std::string name, const std::string& what, Faults* faults);
    Effect* effect;
    std::string name;
    PropertySet props;
    Image* image = nullptr;  // what clipGetImage hands out during a render
    Image* attached = nullptr;  // an input other than the source, if connected
};

struct ParamSetHandleTarget {
    Effect* effect;
};

// A descriptor (of the plug-in, or of the plug-in in a context) or an
// instance: one property set, its clips and its parameters.
struct Effect {
    Effect(Host* host, bool instance, const std::string& what);
    Host* host;
    bool instance;
    PropertySet props;
    ParamSetHandleTarget param_set{this};
    std::vector<std::unique_ptr<Clip>> clips;
    std::vector<std::unique_ptr<Param>> params;

    Clip* clip(const std::string& name) const;
    Param* param(const std::string& name) const;
    OfxImageEffectHandle handle() { return reinterpret_cast<OfxImageEffectHandle>(this); }
};

class Host {
public:
    // The binary at `path`, or this system's binary in the .ofx.bundle at
    // `path`. Runs setHost, the load action and the describe action; null
    // with the reason in *error if any of them fails.
    static std::unique_ptr<Host> load(const std::string& path, std::string* error,
                                      const HostOptions& options = HostOptions());
    // Destroys the instances still alive and unloads the plug-in.
    ~Host();

    const OfxPlugin& plugin() const { return *plugin_; }
    const std::string& binary_path() const { return binary_path_; }
    const PropertySet& descriptor() const { return descriptor_->props; }
    Faults& faults() { return faults_; }
    const HostOptions& options() const { return options_; }
    std::vector<std::string> messages() const;
    void set_threads(unsigned int threads) { threads_ = threads == 0 ? 1 : threads; }
    unsigned int threads() const { return threads_; }

    // The descriptor for a context, described on first use; null if the
    // plug-in refuses the context.
    Effect* context(const std::string& context, OfxStatus* status = nullptr);
    // A new instance in a context, after the create-instance action; null
    // (with the action's status) if it failed.
    Effect* create_instance(const std::string& context, OfxStatus* status = nullptr);
    OfxStatus destroy_instance(Effect* instance);

    // Parameter values as a user would set them; the instance-changed
    // action follows, as after a user edit.
    OfxStatus set_value(Effect* instance, const std::string& param, double value);
    // A choice's index, or a boolean's 0 or 1.
    OfxStatus set_choice(Effect* instance, const std::string& param, int choice);
    // An image for an input clip other than the source (a mask), or none:
    // the clip is then not connected, as optional clips start.
    OfxStatus connect(Effect* instance, const std::string& clip, Image* image);

    OfxStatus clip_preferences(Effect* instance, const std::string& source_premultiplication, std::string* output_premultiplication);
    // kOfxStatOK with the clip the plug-in names, or its reply.
    OfxStatus is_identity(Effect* instance, OfxTime time, std::string* clip_name);
    // Begin-sequence, render and end-sequence for one frame; every image
    // the plug-in fetched must be released by the end of the render.
    // A colour-managing host runs the clip preferences and the
    // output-colourspace action first, and converts the frames as agreed.
    OfxStatus render(Effect* instance, Image& source, Image& output, OfxRectI window,
                     const std::string& source_premultiplication = kOfxImageUnPreMultiplied, OfxTime time = 0);

    // Any action, with argument sets the caller builds (for tests of what
    // the plug-in does with unusual hosts).
    OfxStatus action(const char* name, const void* handle, PropertySet* in_args, PropertySet* out_args);

    // The suites' view of the host (internal to the host stand-in).
    const char* current_action() const { return current_action_.load(); }
    const void* fetch_suite(const char* name, int version);
    OfxPropertySetHandle fetch_image(Clip* clip);
    OfxStatus release_image(OfxPropertySetHandle image);
    bool holds_image(OfxPropertySetHandle image) const;
    void add_message(std::string text);
    static Host* from_host_handle(OfxPropertySetHandle handle);
    // False (and a fault) for a suite called before the load action or
    // after unload.
    bool serving(const std::string& call);
    OfxStatus load_status() const { return load_status_; }
    OfxStatus describe_status() const { return describe_status_; }
    // The most threads a multiThread call asked for, and the abort polls.
    unsigned int largest_thread_request() const { return largest_thread_request_.load(); }
    void note_thread_request(unsigned int count);
    bool aborting();

private:
    Host() = default;
    std::unique_ptr<Effect> new_instance(Effect* descriptor);
    bool colour_managed() const { return !options_.frames_colourspace.empty(); }
    // Which space each clip comes in, agreed after the clip preferences.
    OfxStatus agree_colourspaces(Effect* instance, PropertySet& clip_preferences);
    OfxStatus render_frames(Effect* instance, Image& source, Image& output, OfxRectI window,
                            const std::string& source_premultiplication, OfxTime time);

    std::shared_ptr<const loader::Library> library_;
    std::string binary_path_;
    OfxPlugin* plugin_ = nullptr;
    Faults faults_;
    HostOptions options_;
    std::unique_ptr<HostProperties> host_props_;
    OfxHost ofx_host_{};
    std::unique_ptr<Effect> descriptor_;
    std::vector<std::pair<std::string, std::unique_ptr<Effect>>> contexts_;
    std::vector<std::unique_ptr<Effect>> instances_;
    std::atomic<const char*> current_action_{nullptr};
    unsigned int threads_ = 1;
    bool loaded_ = false;
    OfxStatus load_status_ = kOfxStatOK;
    OfxStatus describe_status_ = kOfxStatOK;
    std::atomic<unsigned int> largest_thread_request_{0};
    std::atomic<long> abort_polls_{0};

    struct Held : PropertySet {
        Held(const std::string& what, Faults* faults) : PropertySet(what, faults) {}
        bool released = false;
    };
    std::vector<std::unique_ptr<Held>> images_;  // fetched in the current action
    mutable std::mutex images_mutex_;
    std::vector<std::string> messages_;
};

// The suites the host serves besides the property suite (suites.cpp), in
// the calling convention of the plug-in's code.
const OfxImageEffectSuiteV1* image_effect_suite();
// Marks the string properties the host answers with NULL.
void answer_null_strings(PropertySet& set, const HostOptions& options);
const OfxParameterSuiteV1* parameter_suite(loader::Library::Convention convention);
const OfxMemorySuiteV1* memory_suite();
const OfxMultiThreadSuiteV1* multithread_suite();
const OfxMessageSuiteV1* message_suite(loader::Library::Convention convention);
// The host whose multithread and memory suites the plug-in is calling (those
// calls carry no handle): the one loaded last.
Host* active_host();
// clipReleaseImage names only the image: the host that handed it out
// takes it back.
OfxStatus release_image_of_any_host(OfxPropertySetHandle image);

}  // namespace ofxhost
