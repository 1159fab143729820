#include "tools/ofxhost/host.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

#include "tools/ofxhost/ofx_names.h"
#include "tools/ofxhost/standard_properties.h"

namespace ofxhost {

// The host's own property set, which fetchSuite is called with, knows its host.
struct HostProperties : PropertySet {
    HostProperties(Host* owner, Faults* faults) : PropertySet("host", faults), host(owner) {}
    Host* host;
};

namespace {

std::atomic<Host*> g_active{nullptr};
// Every host alive, for the one call that names an image but no host.
std::mutex g_hosts_mutex;
std::vector<Host*> g_hosts;

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// This system's binary in a bundle: Contents/<system>/<bundle name>.
std::string BinaryIn(const std::string& path)
{
    std::string bundle = path;
    while (bundle.size() > 1 && bundle.back() == '/') bundle.pop_back();
    if (!IsDirectory(bundle)) return path;
    std::string name = bundle.substr(bundle.find_last_of('/') + 1);
    const std::string suffix = ".bundle";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
#if defined(_WIN32)
    const char* system = "Win64";
#elif defined(__aarch64__)
    const char* system = "MacOS";  // no Linux arm64 binary: the Mach-O arm64 slice
#else
    const char* system = "Linux-x86-64";
#endif
    return bundle + "/Contents/" + system + "/" + name;
}

const void* FetchSuite(OfxPropertySetHandle host, const char* name, int version)
{
    Host* h = Host::from_host_handle(host);
    return h && name ? h->fetch_suite(name, version) : nullptr;
}

// Sets a value the host decides on a property the host may not know (see
// HostOptions::unknown_properties).
template <typename Values>
void SetKnown(PropertySet& set, const char* name, Values Property::*field, Values values)
{
    if (set.has(name)) set.at(name).*field = std::move(values);
}

}  // namespace

Host* active_host() { return g_active.load(); }

OfxStatus release_image_of_any_host(OfxPropertySetHandle image)
{
    std::lock_guard<std::mutex> lock(g_hosts_mutex);
    for (Host* host : g_hosts)
        if (host->holds_image(image)) return host->release_image(image);
    if (Host* host = active_host()) host->faults().report("clipReleaseImage of an image no action fetched");
    return kOfxStatErrBadHandle;
}

Param::Param(Effect* owner, std::string n, std::string t, const std::string& what, Faults* faults)
    : effect(owner), name(std::move(n)), type(std::move(t)), props(what + " parameter " + name, faults)
{
    declare_standard(props, owner->instance ? kParamInstance : kParamDescriptor, type,
                     owner->host->options().unknown_properties);
    for (const char* named : {kOfxPropName, kOfxPropLabel, kOfxParamPropScriptName})
        SetKnown(props, named, &Property::strings, {name});
    props.at(kOfxParamPropType).strings = {type};
}

Clip::Clip(Effect* owner, std::string n, const std::string& what, Faults* faults)
    : effect(owner), name(std::move(n)), props(what + " clip " + name, faults)
{
    declare_standard(props, owner->instance ? kClipInstance : kClipDescriptor, std::string(),
                     owner->host->options().unknown_properties);
    for (const char* named : {kOfxPropName, kOfxPropLabel}) SetKnown(props, named, &Property::strings, {name});
}

Effect::Effect(Host* h, bool inst, const std::string& what) : host(h), instance(inst), props(what, &h->faults())
{
    declare_standard(props, inst ? kEffectInstance : kEffectDescriptor, std::string(), h->options().unknown_properties);
    if (inst) {
        SetKnown(props, kOfxImageEffectPropProjectSize, &Property::doubles, {1920.0, 1080.0});
        SetKnown(props, kOfxImageEffectPropProjectExtent, &Property::doubles, {1920.0, 1080.0});
    }
}

Clip* Effect::clip(const std::string& name) const
{
    for (const auto& c : clips)
        if (c->name == name) return c.get();
    return nullptr;
}

Param* Effect::param(const std::string& name) const
{
    for (const auto& p : params)
        if (p->name == name) return p.get();
    return nullptr;
}

Host* Host::from_host_handle(OfxPropertySetHandle handle)
{
    return handle ? static_cast<HostProperties*>(PropertySet::from(handle))->host : nullptr;
}

// The binary's first plug-in, when it is an image effect of API version 1;
// else nullptr, with what is wrong in *error.
static OfxPlugin* FirstImageEffect(const loader::Library& library, const std::string& binary, std::string* error)
{
    auto count = loader::function_cast<OfxGetNumberOfPluginsFn>(library.symbol("OfxGetNumberOfPlugins"));
    auto get = loader::function_cast<OfxGetPluginFn>(library.symbol("OfxGetPlugin"));
    if (!count || !get) {
        if (error) *error = binary + " does not export OfxGetNumberOfPlugins and OfxGetPlugin";
        return nullptr;
    }
    OfxPlugin* plugin = count() < 1 ? nullptr : get(0);
    if (!plugin) {
        if (error) *error = binary + " has no plug-in";
        return nullptr;
    }
    const OfxPlugin& p = *plugin;
    if (!p.pluginApi || std::strcmp(p.pluginApi, kOfxImageEffectPluginApi) != 0 || p.apiVersion != 1 ||
        !p.pluginIdentifier || !p.setHost || !p.mainEntry) {
        if (error) *error = binary + ": not an image effect plug-in of API version 1";
        return nullptr;
    }
    return plugin;
}

std::unique_ptr<Host> Host::load(const std::string& path, std::string* error, const HostOptions& options)
{
    std::unique_ptr<Host> host(new Host());
    host->options_ = options;
    if (!host->colour_managed()) {
        for (const std::string& name : colour_management_properties())
            host->options_.unknown_properties.push_back(name);
    }
    host->binary_path_ = BinaryIn(path);
    host->library_ = loader::Library::open(host->binary_path_, error);
    if (!host->library_) return nullptr;
    host->plugin_ = FirstImageEffect(*host->library_, host->binary_path_, error);
    if (!host->plugin_) return nullptr;
    const OfxPlugin& p = *host->plugin_;

    auto props = std::make_unique<HostProperties>(host.get(), &host->faults_);
    declare_standard(*props, kHostDescriptor, std::string(), host->options_.unknown_properties);
    SetKnown(*props, kOfxPropName, &Property::strings, {"uk.tintra.ofxhost"});
    SetKnown(*props, kOfxPropLabel, &Property::strings, {"TINTRA OFX test host"});
    SetKnown(*props, kOfxPropVersion, &Property::ints, {1, 0});
    SetKnown(*props, kOfxPropVersionLabel, &Property::strings, {"1.0"});
    SetKnown(*props, kOfxPropAPIVersion, &Property::ints, {1, 4});
    SetKnown(*props, kOfxImageEffectHostPropIsBackground, &Property::ints, {1});
    SetKnown(*props, kOfxImageEffectPropSupportedComponents, &Property::strings,
             {kOfxImageComponentRGBA, kOfxImageComponentRGB});
    SetKnown(*props, kOfxImageEffectPropSupportedContexts, &Property::strings,
             {kOfxImageEffectContextFilter, kOfxImageEffectContextGeneral});
    SetKnown(*props, kOfxImageEffectPropSupportedPixelDepths, &Property::strings, options.pixel_depths);
    SetKnown(*props, kOfxImageEffectPropColourManagementStyle, &Property::strings,
             {kOfxImageEffectColourManagementCore});
    SetKnown(*props, kOfxImageEffectPropColourManagementAvailableConfigs, &Property::strings, {kOfxConfigIdentifier});
    host->host_props_ = std::move(props);
    host->ofx_host_.host = host->host_props_->handle();
    host->ofx_host_.fetchSuite = FetchSuite;
    g_active.store(host.get());
    {
        std::lock_guard<std::mutex> lock(g_hosts_mutex);
        g_hosts.push_back(host.get());
    }
    p.setHost(&host->ofx_host_);

    OfxStatus s = host->action(kOfxActionLoad, nullptr, nullptr, nullptr);
    if (s != kOfxStatOK && s != kOfxStatReplyDefault) {
        if (error) *error = host->binary_path_ + ": the load action failed with status " + std::to_string(s);
        return nullptr;
    }
    host->loaded_ = true;
    host->descriptor_ = std::make_unique<Effect>(host.get(), false, "effect descriptor");
    s = host->action(kOfxActionDescribe, host->descriptor_->handle(), nullptr, nullptr);
    if (s != kOfxStatOK && s != kOfxStatReplyDefault) {
        if (error) *error = host->binary_path_ + ": the describe action failed with status " + std::to_string(s);
        return nullptr;
    }
    return host;
}

Host::~Host()
{
    while (!instances_.empty()) destroy_instance(instances_.back().get());
    if (loaded_) action(kOfxActionUnload, nullptr, nullptr, nullptr);
    Host* self = this;
    g_active.compare_exchange_strong(self, nullptr);
    std::lock_guard<std::mutex> lock(g_hosts_mutex);
    g_hosts.erase(std::remove(g_hosts.begin(), g_hosts.end(), this), g_hosts.end());
}

OfxStatus Host::action(const char* name, const void* handle, PropertySet* in_args, PropertySet* out_args)
{
    const char* previous = current_action_.exchange(name);
    OfxStatus s = plugin_->mainEntry(name, handle, in_args ? in_args->handle() : nullptr,
                                     out_args ? out_args->handle() : nullptr);
    current_action_.store(previous);
    std::vector<std::unique_ptr<Held>> left;
    {
        std::lock_guard<std::mutex> lock(images_mutex_);
        left.swap(images_);
    }
    size_t unreleased = 0;
    for (const auto& held : left) unreleased += held->released ? 0 : 1;
    if (unreleased > 0)
        faults_.report(std::string(name) + ": " + std::to_string(unreleased) + " image(s) fetched and never released");
    return s;
}

Effect* Host::context(const std::string& name, OfxStatus* status)
{
    for (auto& c : contexts_)
        if (c.first == name) return c.second.get();
    auto effect = std::make_unique<Effect>(this, false, "effect descriptor in " + name);
    PropertySet in("describe-in-context arguments", &faults_);
    in.strings(kOfxImageEffectPropContext, {name}, false, true);
    OfxStatus s = action(kOfxImageEffectActionDescribeInContext, effect->handle(), &in, nullptr);
    if (status) *status = s;
    if (s != kOfxStatOK && s != kOfxStatReplyDefault) return nullptr;
    contexts_.emplace_back(name, std::move(effect));
    return contexts_.back().second.get();
}

std::unique_ptr<Effect> Host::new_instance(Effect* descriptor)
{
    auto effect = std::make_unique<Effect>(this, true, "effect instance");
    for (const auto& c : descriptor->clips) {
        auto clip = std::make_unique<Clip>(effect.get(), c->name, "instance", &faults_);
        clip->props.copy_values_from(c->props);
        effect->clips.push_back(std::move(clip));
    }
    // An instance's parameters start as described: the same properties, at
    // their defaults.
    for (const auto& d : descriptor->params) {
        auto param = std::make_unique<Param>(effect.get(), d->name, d->type, "instance", &faults_);
        param->props.copy_values_from(d->props);
        if (d->type == kOfxParamTypeDouble)
            param->real = d->props.real(kOfxParamPropDefault);
        else
            param->integer = d->props.integer(kOfxParamPropDefault);
        effect->params.push_back(std::move(param));
    }
    return effect;
}

Effect* Host::create_instance(const std::string& name, OfxStatus* status)
{
    Effect* descriptor = context(name, status);
    if (!descriptor) return nullptr;
    std::unique_ptr<Effect> effect = new_instance(descriptor);
    effect->props.at(kOfxImageEffectPropContext).strings = {name};
    // The style both sides support: the plug-in's, up to this host's Core.
    if (colour_managed()) {
        const std::string wanted = descriptor_->props.string(kOfxImageEffectPropColourManagementStyle);
        const bool shared =
            wanted == kOfxImageEffectColourManagementBasic || wanted == kOfxImageEffectColourManagementCore;
        SetKnown(effect->props, kOfxImageEffectPropColourManagementStyle, &Property::strings,
                 {shared ? wanted : std::string(kOfxImageEffectColourManagementNone)});
        SetKnown(effect->props, kOfxImageEffectPropColourManagementConfig, &Property::strings,
                 {std::string(kOfxConfigIdentifier)});
    }
    OfxStatus s = action(kOfxActionCreateInstance, effect->handle(), nullptr, nullptr);
    if (status) *status = s;
    if (s != kOfxStatOK && s != kOfxStatReplyDefault) return nullptr;
    instances_.push_back(std::move(effect));
    return instances_.back().get();
}

OfxStatus Host::destroy_instance(Effect* instance)
{
    for (auto it = instances_.begin(); it != instances_.end(); ++it) {
        if (it->get() == instance) {
            OfxStatus s = action(kOfxActionDestroyInstance, instance->handle(), nullptr, nullptr);
            instances_.erase(it);
            return s;
        }
    }
    faults_.report("destroy of an instance this host does not have");
    return kOfxStatErrBadHandle;
}

std::vector<std::string> Host::messages() const
{
    std::lock_guard<std::mutex> lock(images_mutex_);
    return messages_;
}

void Host::add_message(std::string text)
{
    std::lock_guard<std::mutex> lock(images_mutex_);
    messages_.push_back(std::move(text));
}

}  // namespace ofxhost
