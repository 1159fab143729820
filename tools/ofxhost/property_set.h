// A property set as the standard defines one: named properties of one type
// each (pointer, string, double or int), with a fixed or a variable number
// of values. The plug-in reaches it only through the property suite, which
// refuses every name the set does not have and every use as the wrong type
// (kOfxStatErrUnknown), every index past the end (kOfxStatErrBadIndex) and
// every write to a property the plug-in may only read (kOfxStatErrValue).
// Each refusal is reported as a fault, but a write to a name the host does
// not know, which the standard lets a plug-in try, is only noted.
#pragma once

#include <string>
#include <vector>

#include "tools/ofxhost/ofx_abi.h"

namespace ofxhost {

class Faults;

enum class PropType { Pointer, String, Double, Int };

struct Property {
    std::string name;
    PropType type = PropType::Int;
    bool variable = false;   // any number of values, set one past the end to add
    bool read_only = false;  // for the plug-in
    std::vector<void*> pointers;
    std::vector<std::string> strings;
    std::vector<double> doubles;
    std::vector<int> ints;
    std::vector<std::string> defaults;  // string defaults, for propReset
    bool answers_null = false;  // a string the host answers with NULL

    int dimension() const;
};

class PropertySet {
public:
    PropertySet(std::string what, Faults* faults) : what_(std::move(what)), faults_(faults) {}

    // Declaring properties (the host's side). Values given are the defaults
    // and the property's dimension, unless it is variable.
    PropertySet& strings(const char* name, std::vector<std::string> values, bool variable = false, bool read_only = false);
    PropertySet& ints(const char* name, std::vector<int> values, bool variable = false, bool read_only = false);
    PropertySet& doubles(const char* name, std::vector<double> values, bool read_only = false);
    PropertySet& pointer(const char* name, void* value, bool read_only = false);

    // The host's own reads and writes: no refusal, a missing name is a
    // fault of the host and aborts.
    const Property& at(const char* name) const;
    Property& at(const char* name);
    bool has(const char* name) const { return find(name) != nullptr; }
    std::string string(const char* name, int index = 0) const;
    int integer(const char* name, int index = 0) const;
    double real(const char* name, int index = 0) const;

    // The values of every property this set shares with `other` (same name,
    // same type), but for the object's type: what a descriptor's values
    // become on its instance. Each property keeps this set's writability.
    void copy_values_from(const PropertySet& other);

    // The plug-in's calls, checked.
    Property* checked(const char* name, PropType type, int index, bool write, OfxStatus* status);

    const std::string& what() const { return what_; }
    Faults* faults() const { return faults_; }
    OfxPropertySetHandle handle() { return reinterpret_cast<OfxPropertySetHandle>(this); }
    static PropertySet* from(OfxPropertySetHandle h) { return reinterpret_cast<PropertySet*>(h); }

private:
    const Property* find(const char* name) const;
    Property& add(const char* name, PropType type, bool variable, bool read_only);

    std::string what_;
    Faults* faults_;
    std::vector<Property> properties_;
};

// The property suite the plug-in is given.
const OfxPropertySuiteV1* property_suite();

}  // namespace ofxhost
