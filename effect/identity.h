// Everything by which the host knows the effect, defined once. The
// registration entry, the global set-up, the About text, the Windows and macOS
// property lists, the macOS Info.plist and the Windows version resource all
// take their values from here.
#pragma once

#include <cstdint>

#include "host/ae_effect.h"

namespace identity {

constexpr const char* kName = "TINTRA";
constexpr const char* kMatchName = "halvecort TINTRA";
constexpr const char* kCategory = "Color Correction";
constexpr const char* kEntryPoint = "EffectMain";
constexpr const char* kSupportUrl = "https://github.com/halvecort/TINTRA";
// The developer, as the Windows version resource names it; the host never
// reads it (the match name above carries it for the host).
constexpr const char* kCompany = "halvecort";

// The OpenFX identity: the identifier, in reverse-domain form, is the support
// address's host and path (github.com/halvecort/TINTRA); the label is kName,
// the grouping kCategory and the version kMajorVersion.kMinorVersion.
constexpr const char* kOfxIdentifier = "com.github.halvecort.TINTRA";
constexpr const char* kOfxBinaryName = "TINTRA.ofx";

// Four-character codes with the first character in the most significant byte.
constexpr int32_t fourcc(const char (&code)[5])
{
    return (int32_t)(((uint32_t)(unsigned char)code[0] << 24) | ((uint32_t)(unsigned char)code[1] << 16) |
                     ((uint32_t)(unsigned char)code[2] << 8) | (uint32_t)(unsigned char)code[3]);
}

constexpr int32_t kKind = fourcc("eFKT");
static_assert(kKind == 0x65464B54, "an After Effects effect");

// The effect API level the plug-in is written against.
constexpr int32_t kApiMajor = 13;
constexpr int32_t kApiMinor = 28;
constexpr int32_t kReservedInfo = 8;

// The property-list format version.
constexpr int16_t kPiplVersionMajor = 2;
constexpr int16_t kPiplVersionMinor = 0;

constexpr int32_t kMajorVersion = 1;
constexpr int32_t kMinorVersion = 2;
constexpr int32_t kFixVersion = 0;
constexpr int32_t kStage = 0;  // develop
constexpr int32_t kBuild = 1;

// The host's version word: build in bits 0-8, stage 9-10, fix 11-14,
// minor 15-18, major 19-21 (and its high bits 26-29).
constexpr uint32_t version_word(int32_t major, int32_t minor, int32_t fix, int32_t stage, int32_t build)
{
    return (((uint32_t)major >> 3 & 0xF) << 26) | (((uint32_t)major & 7) << 19) |
           (((uint32_t)minor & 0xF) << 15) | (((uint32_t)fix & 0xF) << 11) | (((uint32_t)stage & 3) << 9) |
           ((uint32_t)build & 0x1FF);
}

constexpr uint32_t kVersionWord = version_word(kMajorVersion, kMinorVersion, kFixVersion, kStage, kBuild);
static_assert(kVersionWord == 0x00090001, "version 1.2.0, stage 0, build 1");

// Reported at global set-up and repeated in the property list.
// Deep colour aware (renders 16-bit frames), and asks for the update-params-UI
// command, without which the host never lets the alpha control follow the
// clip method of a reopened project.
constexpr int32_t kOutFlags = PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
constexpr int32_t kOutFlags2 = PF_OutFlag2_SUPPORTS_THREADED_RENDERING;
static_assert(kOutFlags == 0x06000000 && kOutFlags2 == 0x08000000, "the flags saved projects were made with");

}  // namespace identity
