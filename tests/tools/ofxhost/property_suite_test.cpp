// The property suite as a plug-in meets it on each object of the standard's
// table: what it accepts, and the status it refuses with otherwise, as the
// standard's own host library answers.
#include <gtest/gtest.h>

#include "tools/ofxhost/faults.h"
#include "tools/ofxhost/ofx_names.h"
#include "tools/ofxhost/standard_properties.h"

namespace {

using namespace ofxhost;

enum class Call { SetInt, SetString, SetDouble, GetInt, GetString, SetIntN4 };

struct Case {
    Object object;
    const char* param_type;
    Call call;
    const char* name;
    int index;
    OfxStatus expected;
};

OfxStatus Invoke(PropertySet& set, const Case& c)
{
    const OfxPropertySuiteV1& p = *property_suite();
    int i = 0;
    char* text = nullptr;
    const int four[4] = {1, 2, 3, 4};
    switch (c.call) {
    case Call::SetInt: return p.propSetInt(set.handle(), c.name, c.index, 1);
    case Call::SetString: return p.propSetString(set.handle(), c.name, c.index, "x");
    case Call::SetDouble: return p.propSetDouble(set.handle(), c.name, c.index, 1.0);
    case Call::GetInt: return p.propGetInt(set.handle(), c.name, c.index, &i);
    case Call::GetString: return p.propGetString(set.handle(), c.name, c.index, &text);
    case Call::SetIntN4: return p.propSetIntN(set.handle(), c.name, 4, four);
    }
    return kOfxStatFailed;
}

TEST(OfxHostProperties, AnswersAsTheStandardsHostLibrary)
{
    const Case cases[] = {
        // The name the plug-in once used, and the standard's.
        {kEffectDescriptor, nullptr, Call::SetInt, "OfxImageEffectPropSupportsMultipleClipDepths", 0,
         kOfxStatErrUnknown},
        {kEffectDescriptor, nullptr, Call::SetInt, "OfxImageEffectPropMultipleClipDepths", 0, kOfxStatOK},
        // Of the wrong type a property is as unknown as a name never defined.
        {kEffectDescriptor, nullptr, Call::SetString, "OfxImageEffectPropMultipleClipDepths", 0, kOfxStatErrUnknown},
        {kEffectDescriptor, nullptr, Call::SetInt, "OfxImageEffectPropNoSuchThing", 0, kOfxStatErrUnknown},
        // A variable dimension grows one value at a time; a fixed one not at all.
        {kEffectDescriptor, nullptr, Call::SetInt, kOfxPropVersion, 1, kOfxStatOK},
        {kEffectDescriptor, nullptr, Call::SetInt, kOfxPropVersion, 2, kOfxStatErrBadIndex},
        {kEffectDescriptor, nullptr, Call::SetString, kOfxImageEffectPropSupportedContexts, 0, kOfxStatOK},
        {kEffectDescriptor, nullptr, Call::SetInt, kOfxImageEffectPropSupportsTiles, 1, kOfxStatErrBadIndex},
        {kEffectDescriptor, nullptr, Call::GetString, kOfxPropType, 1, kOfxStatErrBadIndex},
        // Who may write: the plug-in its descriptors, the host the rest.
        {kEffectDescriptor, nullptr, Call::SetString, kOfxPropType, 0, kOfxStatErrValue},
        {kEffectInstance, nullptr, Call::SetString, kOfxImageEffectPropContext, 0, kOfxStatErrValue},
        {kEffectInstance, nullptr, Call::SetInt, kOfxImageEffectPropSupportsTiles, 0, kOfxStatOK},
        {kHostDescriptor, nullptr, Call::SetInt, kOfxImageEffectPropSupportsTiles, 0, kOfxStatErrValue},
        {kHostDescriptor, nullptr, Call::GetInt, kOfxImageEffectPropSupportsMultipleClipDepths, 0, kOfxStatOK},
        {kClipDescriptor, nullptr, Call::SetInt, kOfxImageEffectPropSupportsTiles, 0, kOfxStatOK},
        {kClipInstance, nullptr, Call::SetInt, kOfxImageEffectPropSupportsTiles, 0, kOfxStatErrValue},
        {kClipInstance, nullptr, Call::GetString, kOfxImageEffectPropPixelDepth, 0, kOfxStatOK},
        {kClipDescriptor, nullptr, Call::GetString, kOfxImageEffectPropPixelDepth, 0, kOfxStatErrUnknown},
        {kImage, nullptr, Call::GetInt, kOfxImagePropRowBytes, 0, kOfxStatOK},
        {kImage, nullptr, Call::SetInt, kOfxImagePropRowBytes, 0, kOfxStatErrValue},
        {kImage, nullptr, Call::SetIntN4, kOfxImagePropBounds, 0, kOfxStatErrValue},
        {kImage, nullptr, Call::GetInt, kOfxImagePropBounds, 4, kOfxStatErrBadIndex},
        // Parameters: the default's type is the parameter's.
        {kParamDescriptor, kOfxParamTypeDouble, Call::SetDouble, kOfxParamPropDefault, 0, kOfxStatOK},
        {kParamDescriptor, kOfxParamTypeChoice, Call::SetDouble, kOfxParamPropDefault, 0, kOfxStatErrUnknown},
        {kParamDescriptor, kOfxParamTypeChoice, Call::SetString, kOfxParamPropChoiceOption, 0, kOfxStatOK},
        {kParamDescriptor, kOfxParamTypeDouble, Call::SetString, kOfxParamPropChoiceOption, 0, kOfxStatErrUnknown},
        {kParamDescriptor, kOfxParamTypeDouble, Call::SetString, kOfxParamPropDoubleType, 0, kOfxStatOK},
        {kParamInstance, kOfxParamTypeDouble, Call::SetString, kOfxParamPropDoubleType, 0, kOfxStatErrValue},
        {kParamInstance, kOfxParamTypeDouble, Call::SetInt, kOfxParamPropEnabled, 0, kOfxStatOK},
        {kParamInstance, kOfxParamTypeDouble, Call::GetString, kOfxPropType, 0, kOfxStatOK},
    };
    for (const Case& c : cases) {
        Faults faults;
        PropertySet set("test set", &faults);
        declare_standard(set, c.object, c.param_type ? c.param_type : "");
        EXPECT_EQ(Invoke(set, c), c.expected) << c.name << " [" << c.index << "] on object " << c.object;
        // A name the host does not know, set, is noted; anything else refused is a fault.
        const bool is_set = c.call != Call::GetInt && c.call != Call::GetString;
        const bool unknown_set = is_set && c.expected == kOfxStatErrUnknown && !set.has(c.name);
        EXPECT_EQ(faults.count() + faults.unknown_names_set().size(), c.expected == kOfxStatOK ? 0u : 1u) << c.name;
        EXPECT_EQ(faults.unknown_names_set(),
                  unknown_set ? std::vector<std::string>{c.name} : std::vector<std::string>{})
            << c.name;
    }
}

// A host may not know a property at all: it is then unknown on every object.
TEST(OfxHostProperties, UnknownPropertiesAreLeftOutEverywhere)
{
    for (Object object : {kHostDescriptor, kEffectDescriptor, kClipDescriptor}) {
        Faults faults;
        PropertySet set("test set", &faults);
        declare_standard(set, object, "", {kOfxImageEffectPropSupportsTiles});
        int value = 0;
        EXPECT_EQ(property_suite()->propGetInt(set.handle(), kOfxImageEffectPropSupportsTiles, 0, &value),
                  kOfxStatErrUnknown);
        EXPECT_TRUE(set.has(kOfxPropType));
    }
}

// Every property an object has appears once on it, so the table never
// declares one twice for the same object (a mistake the set would abort on).
TEST(OfxHostProperties, TheTableNamesEachPropertyOncePerObject)
{
    for (const StandardProperty& a : standard_properties()) {
        for (const StandardProperty& b : standard_properties()) {
            if (&a != &b && std::string(a.name) == b.name && (a.objects & b.objects)) {
                EXPECT_TRUE(a.param_type && b.param_type && std::string(a.param_type) != b.param_type) << a.name;
            }
        }
    }
}

}  // namespace
