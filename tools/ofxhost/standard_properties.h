// The standard's properties, object by object: each property's name, type,
// dimension, default and who may write it, transcribed from the property
// descriptions in the standard's headers (ofxCore.h, ofxImageEffect.h,
// ofxParam.h). Every property set the host hands the plug-in is declared
// from this one table; a name it does not hold is unknown to the host.
#pragma once

#include <string>
#include <vector>

#include "tools/ofxhost/property_set.h"

namespace ofxhost {

// The objects that carry properties, as bits of a mask.
enum Object : unsigned {
    kHostDescriptor = 1u << 0,
    kEffectDescriptor = 1u << 1,
    kEffectInstance = 1u << 2,
    kClipDescriptor = 1u << 3,
    kClipInstance = 1u << 4,
    kImage = 1u << 5,
    kParamDescriptor = 1u << 6,
    kParamInstance = 1u << 7,
};

struct StandardProperty {
    const char* name;
    PropType type;
    int dimension;  // 0: any number of values
    const char* defaults;  // values separated by '|'; null: none until the host sets them
    unsigned objects;  // the objects that have it
    unsigned writable;  // those on which the plug-in may write it
    const char* param_type = nullptr;  // on parameters: only those of this type (null: every type)
};

const std::vector<StandardProperty>& standard_properties();

// The properties of colour management (standard version 1.5), which a host
// without it does not know; a name ending in '_' stands for every name it
// begins (the clip-preferences argument of each clip).
const std::vector<std::string>& colour_management_properties();

// Declares on `set` every property `object` has (for a parameter, one of
// `param_type`), at its default; names in `unknown` are left out, as a host
// that does not know them would.
void declare_standard(PropertySet& set, Object object, const std::string& param_type = std::string(),
                      const std::vector<std::string>& unknown = {});

}  // namespace ofxhost
