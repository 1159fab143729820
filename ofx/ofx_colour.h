// The colour-management half of the OpenFX interface (standard version
// 1.5): the properties, styles and action of the standard's colour header,
// and the few colourspace names of its native config the effect uses.
// Every one of them is optional: a host without colour management does not
// know them.
#pragma once

namespace ofx {

constexpr const char* kOfxImageEffectPropColourManagementStyle = "OfxImageEffectPropColourManagementStyle";
constexpr const char* kOfxImageEffectColourManagementBasic = "OfxImageEffectColourManagementBasic";
constexpr const char* kOfxImageEffectColourManagementCore = "OfxImageEffectColourManagementCore";
constexpr const char* kOfxImageEffectPropColourManagementAvailableConfigs =
    "OfxImageEffectPropColourManagementAvailableConfigs";
constexpr const char* kOfxImageClipPropColourspace = "OfxImageClipPropColourspace";
constexpr const char* kOfxImageEffectActionGetOutputColourspace = "OfxImageEffectActionGetOutputColourspace";
// The clip-preferences out argument for a clip is
// "OfxImageClipPropPreferredColourspaces_" followed by the clip's name.
constexpr const char* kSourcePreferredColourspaces = "OfxImageClipPropPreferredColourspaces_Source";

// The native config's identifier, its generic scene-linear space (basic:
// any scene-linear space, ACEScg in a host working in ACES) and linear
// light with Rec.709 primaries (core), the space the effect's OKLab needs.
constexpr const char* kOfxConfigIdentifier = "ofx-native-v1.5_aces-v1.3_ocio-v2.3";
constexpr const char* kOfxColourspaceOfxSceneLinear = "ofx_scene_linear";
constexpr const char* kOfxColourspaceLinRec709Srgb = "lin_rec709_srgb";

}  // namespace ofx
