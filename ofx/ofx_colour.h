// The colour-management half of the OpenFX interface (standard version
// 1.5): the properties, styles and action of the standard's colour header,
// and the few colourspace names of its native config the effect uses.
// Every one of them is optional: a host without colour management does not
// know them.
#pragma once

namespace ofx {

constexpr const char* kOfxImageEffectPropColourManagementStyle = "OfxImageEffectPropColourManagementStyle";
constexpr const char* kOfxImageEffectColourManagementBasic = "OfxImageEffectColourManagementBasic";
constexpr const char* kOfxImageEffectPropColourManagementAvailableConfigs =
    "OfxImageEffectPropColourManagementAvailableConfigs";
constexpr const char* kOfxImageClipPropColourspace = "OfxImageClipPropColourspace";
constexpr const char* kOfxImageEffectActionGetOutputColourspace = "OfxImageEffectActionGetOutputColourspace";
// The clip-preferences out argument for a clip is
// "OfxImageClipPropPreferredColourspaces_" followed by the clip's name.
constexpr const char* kSourcePreferredColourspaces = "OfxImageClipPropPreferredColourspaces_Source";

// The native config's identifier and its generic scene-linear space.
constexpr const char* kOfxConfigIdentifier = "ofx-native-v1.5_aces-v1.3_ocio-v2.3";
constexpr const char* kOfxColourspaceOfxSceneLinear = "ofx_scene_linear";

}  // namespace ofx
