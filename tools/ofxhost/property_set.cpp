#include "tools/ofxhost/property_set.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/ofxhost/faults.h"
#include "tools/ofxhost/ofx_names.h"

namespace ofxhost {

void Faults::report(const std::string& text)
{
    std::fprintf(stderr, "ofxhost: refused: %s\n", text.c_str());
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.push_back(text);
}

std::vector<std::string> Faults::list() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_;
}

size_t Faults::count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_.size();
}

void Faults::note_unknown(const std::string& name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    unknown_.push_back(name);
}

std::vector<std::string> Faults::unknown_names_set() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return unknown_;
}

int Property::dimension() const
{
    switch (type) {
    case PropType::Pointer: return (int)pointers.size();
    case PropType::String: return (int)strings.size();
    case PropType::Double: return (int)doubles.size();
    case PropType::Int: return (int)ints.size();
    }
    return 0;
}

Property& PropertySet::add(const char* name, PropType type, bool variable, bool read_only)
{
    if (find(name)) {
        std::fprintf(stderr, "ofxhost: %s declares %s twice\n", what_.c_str(), name);
        std::abort();
    }
    properties_.push_back(Property());
    Property& p = properties_.back();
    p.name = name;
    p.type = type;
    p.variable = variable;
    p.read_only = read_only;
    return p;
}

PropertySet& PropertySet::strings(const char* name, std::vector<std::string> values, bool variable, bool read_only)
{
    Property& p = add(name, PropType::String, variable, read_only);
    p.defaults = values;
    p.strings = std::move(values);
    return *this;
}

PropertySet& PropertySet::ints(const char* name, std::vector<int> values, bool variable, bool read_only)
{
    add(name, PropType::Int, variable, read_only).ints = std::move(values);
    return *this;
}

PropertySet& PropertySet::doubles(const char* name, std::vector<double> values, bool read_only)
{
    add(name, PropType::Double, false, read_only).doubles = std::move(values);
    return *this;
}

PropertySet& PropertySet::pointer(const char* name, void* value, bool read_only)
{
    add(name, PropType::Pointer, false, read_only).pointers = {value};
    return *this;
}

void PropertySet::copy_values_from(const PropertySet& other)
{
    for (Property& mine : properties_) {
        const Property* theirs = other.find(mine.name.c_str());
        if (!theirs || theirs->type != mine.type || mine.name == kOfxPropType) continue;
        mine.pointers = theirs->pointers;
        mine.strings = theirs->strings;
        mine.doubles = theirs->doubles;
        mine.ints = theirs->ints;
    }
}

const Property* PropertySet::find(const char* name) const
{
    for (const Property& p : properties_) {
        if (name && p.name == name) return &p;
    }
    return nullptr;
}

const Property& PropertySet::at(const char* name) const
{
    const Property* p = find(name);
    if (!p) {
        std::fprintf(stderr, "ofxhost: %s has no %s (a fault of the host)\n", what_.c_str(), name);
        std::abort();
    }
    return *p;
}

Property& PropertySet::at(const char* name) { return const_cast<Property&>(static_cast<const PropertySet*>(this)->at(name)); }

std::string PropertySet::string(const char* name, int index) const
{
    const Property& p = at(name);
    return index < (int)p.strings.size() ? p.strings[index] : std::string();
}

int PropertySet::integer(const char* name, int index) const
{
    const Property& p = at(name);
    return index < (int)p.ints.size() ? p.ints[index] : 0;
}

double PropertySet::real(const char* name, int index) const
{
    const Property& p = at(name);
    return index < (int)p.doubles.size() ? p.doubles[index] : 0.0;
}

namespace {

const char* TypeName(PropType type)
{
    switch (type) {
    case PropType::Pointer: return "pointer";
    case PropType::String: return "string";
    case PropType::Double: return "double";
    case PropType::Int: return "int";
    }
    return "?";
}

}  // namespace

Property* PropertySet::checked(const char* name, PropType type, int index, bool write, OfxStatus* status)
{
    const std::string where = std::string(write ? "set " : "get ") + (name ? name : "(null)") + " on " + what_;
    Property* p = const_cast<Property*>(find(name));
    if (!p) {
        if (write) {
            // A plug-in may offer what the host does not know; the host
            // answers so and carries on, as real hosts do, without a word
            // (tintra prints what the stand-ins say). The name is kept for
            // the tests to see.
            faults_->note_unknown(name ? name : "(null)");
        } else {
            faults_->report(where + ": no such property");
        }
        *status = kOfxStatErrUnknown;
        return nullptr;
    }
    if (p->type != type) {
        // The standard's host library looks a property up by name and type
        // together: of the wrong type, it is unknown.
        faults_->report(where + ": a " + TypeName(p->type) + " property used as " + TypeName(type));
        *status = kOfxStatErrUnknown;
        return nullptr;
    }
    if (write && p->read_only) {
        faults_->report(where + ": read only for the plug-in");
        *status = kOfxStatErrValue;
        return nullptr;
    }
    // A variable property grows by one value set just past its end.
    const int limit = p->dimension() + (write && p->variable ? 1 : 0);
    if (index < 0 || index >= limit) {
        faults_->report(where + ": index " + std::to_string(index) + " outside 0.." + std::to_string(limit - 1));
        *status = kOfxStatErrBadIndex;
        return nullptr;
    }
    *status = kOfxStatOK;
    return p;
}

namespace {

template <typename T>
std::vector<T>& Values(Property& p);
template <>
std::vector<void*>& Values(Property& p) { return p.pointers; }
template <>
std::vector<std::string>& Values(Property& p) { return p.strings; }
template <>
std::vector<double>& Values(Property& p) { return p.doubles; }
template <>
std::vector<int>& Values(Property& p) { return p.ints; }

template <typename T, PropType Type, typename In>
OfxStatus Set(OfxPropertySetHandle h, const char* name, int index, In value)
{
    if (!h) return kOfxStatErrBadHandle;
    if constexpr (Type == PropType::String) {
        if (!value) {
            PropertySet::from(h)->faults()->report(std::string("set ") + (name ? name : "(null)") + " on " +
                                                   PropertySet::from(h)->what() + ": a NULL string");
            return kOfxStatErrValue;
        }
    }
    OfxStatus status;
    Property* p = PropertySet::from(h)->checked(name, Type, index, true, &status);
    if (!p) return status;
    std::vector<T>& values = Values<T>(*p);
    if (index == (int)values.size())
        values.push_back(T(value));
    else
        values[index] = T(value);
    return kOfxStatOK;
}

template <typename T, PropType Type, typename In>
OfxStatus SetN(OfxPropertySetHandle h, const char* name, int count, const In* value)
{
    if (!value) return kOfxStatErrValue;
    for (int i = 0; i < count; ++i) {
        OfxStatus s = Set<T, Type, In>(h, name, i, value[i]);
        if (s != kOfxStatOK) return s;
    }
    return kOfxStatOK;
}

template <typename T, PropType Type, typename Out>
OfxStatus Get(OfxPropertySetHandle h, const char* name, int index, Out* value)
{
    if (!h) return kOfxStatErrBadHandle;
    if (!value) return kOfxStatErrValue;
    OfxStatus status;
    Property* p = PropertySet::from(h)->checked(name, Type, index, false, &status);
    if (!p) return status;
    if constexpr (Type == PropType::String)
        *value = p->answers_null ? nullptr : const_cast<char*>(p->strings[index].c_str());
    else
        *value = Values<T>(*p)[index];
    return kOfxStatOK;
}

template <typename T, PropType Type, typename Out>
OfxStatus GetN(OfxPropertySetHandle h, const char* name, int count, Out* value)
{
    for (int i = 0; i < count; ++i) {
        OfxStatus s = Get<T, Type, Out>(h, name, i, value ? value + i : nullptr);
        if (s != kOfxStatOK) return s;
    }
    return kOfxStatOK;
}

OfxStatus Reset(OfxPropertySetHandle h, const char* name)
{
    if (!h) return kOfxStatErrBadHandle;
    PropertySet* set = PropertySet::from(h);
    if (!set->has(name)) {
        set->faults()->report(std::string("reset ") + (name ? name : "(null)") + " on " + set->what() +
                              ": no such property");
        return kOfxStatErrUnknown;
    }
    Property& p = set->at(name);
    if (p.type == PropType::String) p.strings = p.defaults;
    return kOfxStatOK;
}

OfxStatus Dimension(OfxPropertySetHandle h, const char* name, int* count)
{
    if (!h) return kOfxStatErrBadHandle;
    PropertySet* set = PropertySet::from(h);
    if (!set->has(name)) {
        set->faults()->report(std::string("dimension of ") + (name ? name : "(null)") + " on " + set->what() +
                              ": no such property");
        return kOfxStatErrUnknown;
    }
    if (count) *count = set->at(name).dimension();
    return kOfxStatOK;
}

const OfxPropertySuiteV1 kSuite = {
    Set<void*, PropType::Pointer, void*>,
    Set<std::string, PropType::String, const char*>,
    Set<double, PropType::Double, double>,
    Set<int, PropType::Int, int>,
    SetN<void*, PropType::Pointer, void*>,
    SetN<std::string, PropType::String, const char*>,
    SetN<double, PropType::Double, double>,
    SetN<int, PropType::Int, int>,
    Get<void*, PropType::Pointer, void*>,
    Get<std::string, PropType::String, char*>,
    Get<double, PropType::Double, double>,
    Get<int, PropType::Int, int>,
    GetN<void*, PropType::Pointer, void*>,
    GetN<std::string, PropType::String, char*>,
    GetN<double, PropType::Double, double>,
    GetN<int, PropType::Int, int>,
    Reset,
    Dimension,
};

}  // namespace

const OfxPropertySuiteV1* property_suite() { return &kSuite; }

}  // namespace ofxhost
