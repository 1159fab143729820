#include "tools/tintra/image_io/built_in_colors.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include <OpenImageIO/strutil.h>

namespace {

// sRGB and Rec.709 by their piecewise curves (exponent 2.4 with offset
// 0.055, 1/0.45 with 0.099), OpenColorIO's ExponentWithLinearTransform,
// which it evaluates in full precision when the optimisation is lossless;
// Cineon log by its formula as in the film scanners' documents: code / 1023
// = 685/1023 + 300/1023 * log10(lin * (1 - black) + black). The names and
// aliases are every name OpenImageIO's own built-in set answered to.
const char* const kBuiltIn = R"(ocio_profile_version: 2
strictparsing: true
roles: {default: linear, scene_linear: linear, compositing_log: KodakLog, data: raw}
displays: {sRGB: [!<View> {name: Standard, colorspace: sRGB}]}

colorspaces:
  - !<ColorSpace> {name: linear, aliases: [rgb], encoding: scene-linear}
  - !<ColorSpace> {name: sRGB, encoding: sdr-video, to_scene_reference: !<ExponentWithLinearTransform> {gamma: [2.4, 2.4, 2.4, 1], offset: [0.055, 0.055, 0.055, 0]}}
  - !<ColorSpace> {name: Rec709, encoding: sdr-video, to_scene_reference: !<ExponentWithLinearTransform> {gamma: [2.2222222222222223, 2.2222222222222223, 2.2222222222222223, 1], offset: [0.099, 0.099, 0.099, 0]}}
  - !<ColorSpace> {name: KodakLog, aliases: [Cineon], encoding: log, to_scene_reference: !<LogAffineTransform> {base: 10, log_side_slope: 0.29325513196480938, log_side_offset: 0.66959921798631476, lin_side_slope: 0.9892022483767229, lin_side_offset: 0.0107977516232771, direction: inverse}}
  - !<ColorSpace> {name: raw, encoding: data, isdata: true}
)";

OCIO::TransformRcPtr ExponentOf(float gamma, OCIO::TransformDirection direction)
{
    OCIO::ExponentTransformRcPtr t = OCIO::ExponentTransform::Create();
    // 0.01 read as float lies just below the bound in double.
    const double g = std::max((double)gamma, kGammaLeast);
    t->setValue({g, g, g, 1.0});
    t->setDirection(direction);
    return t;
}

OCIO::TransformRcPtr Between(const std::string& from, const std::string& to)
{
    OCIO::ColorSpaceTransformRcPtr t = OCIO::ColorSpaceTransform::Create();
    t->setSrc(from.c_str());
    t->setDst(to.c_str());
    return t;
}

// The exponent of any name "GammaX.Y", NaN for other names.
float AnyGammaOf(const std::string& name)
{
    if (!OIIO::Strutil::istarts_with(name, "gamma") || !OIIO::Strutil::string_is_float(name.substr(5))) return NAN;
    return OIIO::Strutil::from_string<float>(name.substr(5));
}

}  // namespace

OCIO::ConstConfigRcPtr BuiltInColorConfig()
{
    std::istringstream text(kBuiltIn);
    return OCIO::Config::CreateFromStream(text);
}

float GammaOfName(const std::string& name)
{
    const float gamma = AnyGammaOf(name);
    return gamma >= (float)kGammaLeast && gamma <= (float)kGammaMost ? gamma : 0.0f;
}

std::string GammaRefusal(const std::string& name)
{
    const float gamma = AnyGammaOf(name);
    if (std::isnan(gamma) || GammaOfName(name) > 0.0f) return "";
    char range[64];
    std::snprintf(range, sizeof range, "%g..%g", kGammaLeast, kGammaMost);
    return "gamma " + name.substr(5) + " is outside " + range;
}

OCIO::ConstProcessorRcPtr BuiltInProcessor(const OCIO::ConstConfigRcPtr& config, const std::string& from,
                                           const std::string& to)
{
    const float from_gamma = GammaOfName(from), to_gamma = GammaOfName(to);
    if (from_gamma == 0.0f && to_gamma == 0.0f) return config->getProcessor(from.c_str(), to.c_str());
    // Through linear light, the set's reference.
    OCIO::GroupTransformRcPtr group = OCIO::GroupTransform::Create();
    group->appendTransform(from_gamma > 0.0f ? ExponentOf(from_gamma, OCIO::TRANSFORM_DIR_FORWARD)
                                             : Between(from, "linear"));
    group->appendTransform(to_gamma > 0.0f ? ExponentOf(to_gamma, OCIO::TRANSFORM_DIR_INVERSE) : Between("linear", to));
    return config->getProcessor(group);
}
