// The colour spaces tintra knows without a config file, as an OpenColorIO
// config held in memory: the names OpenImageIO gives files (linear, sRGB,
// Rec709, KodakLog), each curve exact to its standard, so that a file
// decoded and encoded again keeps every level, and a gamma of any exponent
// (Gamma2.2, as a PNG's gAMA chunk reads).
#pragma once

#include <string>

#include <OpenColorIO/OpenColorIO.h>

namespace OCIO = OCIO_NAMESPACE;

// The config; never fails (its text is tintra's own and tested).
OCIO::ConstConfigRcPtr BuiltInColorConfig();

// The exponents a "GammaX.Y" may have: those OpenColorIO's exponent takes
// (it refuses the conversion of any other).
constexpr double kGammaLeast = 0.01, kGammaMost = 100.0;

// The exponent of a name "GammaX.Y" (any case) within those bounds, else 0.
float GammaOfName(const std::string& name);
// Why a "GammaX.Y" cannot be converted: "gamma 1e30 is outside
// 0.01..100"; "" for any other name.
std::string GammaRefusal(const std::string& name);

// From one space of the built-in set to another, where either may be a
// "GammaX.Y" (decoded by raising to X.Y, as OpenImageIO reads such files).
OCIO::ConstProcessorRcPtr BuiltInProcessor(const OCIO::ConstConfigRcPtr& config, const std::string& from,
                                           const std::string& to);
