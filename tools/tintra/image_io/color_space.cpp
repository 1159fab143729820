#include "tools/tintra/image_io/color_space.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include <OpenImageIO/strutil.h>

#include "tools/tintra/image_io/icc_profile.h"
#include "tools/tintra/image_io/input_file.h"

namespace {

using OIIO::Strutil::iequals;

// An encoding a file can declare, and the names configs commonly give it,
// best first. Roles come first where the role is what the encoding means
// (a file that says only "linear" is in the config's scene-linear space).
struct Kind {
    const char* kind;
    const char* candidates[7];
    bool linear;
};

constexpr Kind kKinds[] = {
    {"scene_linear", {"scene_linear", "linear"}, true},
    // Known primaries: a config's scene-linear space may be another gamut
    // (ACEScg in an ACES config), so the role is only the last resort.
    {"linear_rec709",
     {"lin_rec709", "Linear Rec.709 (sRGB)", "Utility - Linear - sRGB", "lin_srgb", "linear", "scene_linear"},
     true},
    {"ACEScg", {"ACEScg", "ACES - ACEScg", "lin_ap1"}, true},
    {"ACES2065-1", {"ACES2065-1", "ACES - ACES2065-1", "lin_ap0", "aces_interchange"}, true},
    {"sRGB", {"sRGB", "srgb_tx", "sRGB - Texture", "Utility - sRGB - Texture", "sRGB Encoded Rec.709 (sRGB)"}, false},
    {"Rec709", {"Rec709", "rec709", "Rec.709", "Utility - Rec.709 - Camera", "rec1886_rec709"}, false},
    {"Cineon log", {"compositing_log", "Cineon", "cineon", "cineon_log", "lg10", "KodakLog"}, false},
};

const Kind* KindNamed(const std::string& kind)
{
    for (const Kind& k : kKinds)
        if (kind == k.kind) return &k;
    return nullptr;
}

// What the library's readers put in oiio:ColorSpace, as encodings.
const char* KindOfTag(const std::string& tag)
{
    if (iequals(tag, "linear") || iequals(tag, "scene_linear")) return "scene_linear";
    if (iequals(tag, "sRGB")) return "sRGB";
    if (iequals(tag, "Rec709")) return "Rec709";
    if (iequals(tag, "KodakLog") || iequals(tag, "Cineon")) return "Cineon log";
    return nullptr;
}

// The DPX header's transfer characteristic, as the library spells it.
const char* KindOfDpxTransfer(const std::string& transfer)
{
    if (transfer == "Printing density" || transfer == "Logarithmic") return "Cineon log";
    if (transfer == "Linear") return "scene_linear";
    if (transfer == "ITU-R 709-4" || transfer == "SMPTE 274M") return "Rec709";
    return nullptr;
}

// EXR chromaticities (red, green, blue, white as x, y) of the gamuts a file
// is likely to declare.
struct Primaries {
    const char* kind;
    const char* label;
    float xy[8];
};

constexpr Primaries kPrimaries[] = {
    {"linear_rec709", "Rec.709", {0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f, 0.3127f, 0.3290f}},
    {"ACEScg", "ACES AP1", {0.713f, 0.293f, 0.165f, 0.830f, 0.128f, 0.044f, 0.32168f, 0.33767f}},
    {"ACES2065-1", "ACES AP0", {0.7347f, 0.2653f, 0.0f, 1.0f, 0.0001f, -0.077f, 0.32168f, 0.33767f}},
};

const Primaries* PrimariesOf(const float* xy)
{
    for (const Primaries& p : kPrimaries) {
        bool same = true;
        // Writers round to four or five places.
        for (int i = 0; i < 8; ++i) same = same && std::fabs(xy[i] - p.xy[i]) < 0.0005f;
        if (same) return &p;
    }
    return nullptr;
}

bool IsFloat(const OIIO::ImageSpec& header)
{
    return header.format.basetype == OIIO::TypeDesc::FLOAT || header.format.basetype == OIIO::TypeDesc::HALF ||
           header.format.basetype == OIIO::TypeDesc::DOUBLE;
}

// What an untagged file of the format holds, and the convention's name.
void Convention(const std::string& format, const OIIO::ImageSpec& header, std::string& kind, std::string& label)
{
    const bool log_format = format == "cineon" || format == "dpx";
    const std::string name = format == "openexr" ? "EXR" : format == "targa" ? "TGA" : OIIO::Strutil::upper(format);
    if (IsFloat(header) || format == "openexr" || format == "hdr") {
        kind = "scene_linear";
        label = IsFloat(header) && format != "openexr" && format != "hdr" ? "the float " + name + " convention"
                                                                          : "the " + name + " convention";
    } else {
        // Film scans: DPX as well as Cineon, as compositing packages read them.
        kind = log_format ? "Cineon log" : "sRGB";
        label = "the " + name + " convention";
    }
}

uint32_t Big32(const unsigned char* p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

}  // namespace

ColorSpaces::ColorSpaces() = default;
ColorSpaces::~ColorSpaces() = default;

bool ColorSpaces::Load(const std::string& file, std::string& error)
{
    const char* env = std::getenv("OCIO");
    const std::string path = !file.empty() ? file : env != nullptr ? env : "";
    const std::string from = !file.empty() ? "colour config " : "$OCIO's colour config ";
    struct stat info;
    if (!path.empty() && stat(path.c_str(), &info) != 0) {
        error =
            from + path + (errno == ENOENT ? ": no such file" : ": cannot open: " + std::string(std::strerror(errno)));
        return false;
    }
    if (!path.empty() && !S_ISREG(info.st_mode)) {
        error = from + path + ": is " + NonFileKind(info.st_mode) + ", not a colour config file";
        return false;
    }
    built_in_ = path.empty();
    config_name_ = built_in_ ? "tintra's built-in set" : path;
    try {
        config_ = built_in_ ? BuiltInColorConfig() : OCIO::Config::CreateFromFile(path.c_str());
        return true;
    } catch (const OCIO::Exception& e) {
        std::string reason = e.what();
        OIIO::Strutil::replace(reason, "\n", " ", true);
        error = from + path + ": " + std::string(OIIO::Strutil::strip(reason));
        return false;
    }
}

std::string ColorSpaces::Find(const std::string& name) const
{
    if (name.empty()) return "";
    // Names, aliases and roles, in any case.
    if (OCIO::ConstColorSpaceRcPtr space = config_->getColorSpace(name.c_str())) return space->getName();
    return built_in_ && GammaOfName(name) > 0.0f ? name : "";
}

std::string ColorSpaces::Unusable(const std::string& name) const { return built_in_ ? GammaRefusal(name) : ""; }

OCIO::ConstCPUProcessorRcPtr ColorSpaces::Processor(const std::string& from, const std::string& to,
                                                    std::string& reason) const
{
    try {
        const bool built = !built_role_.empty() && (from == BuiltWorkingSpace() || to == BuiltWorkingSpace());
        const OCIO::ConstProcessorRcPtr processor = built       ? BuiltProcessor(from, to)
                                                    : built_in_ ? BuiltInProcessor(config_, from, to)
                                                                : config_->getProcessor(from.c_str(), to.c_str());
        // The default optimisation evaluates powers and logarithms by fast
        // approximations, which move a 16-bit level converted there and back.
        return processor->getOptimizedCPUProcessor(OCIO::OPTIMIZATION_LOSSLESS);
    } catch (const OCIO::Exception& e) {
        reason = e.what();
        return nullptr;
    }
}

std::string ColorSpaces::SceneLinear() const { return Known("scene_linear"); }

std::vector<std::string> ColorSpaces::Names() const
{
    std::vector<std::string> names;
    for (int i = 0; i < config_->getNumColorSpaces(); ++i) names.push_back(config_->getColorSpaceNameByIndex(i));
    for (int i = 0; i < config_->getNumRoles(); ++i) names.push_back(config_->getRoleName(i));
    return names;
}

bool ColorSpaces::IsLinear(const std::string& space) const
{
    for (const Kind& k : kKinds)
        if (k.linear && Known(k.kind) == space) return true;
    const OCIO::ConstColorSpaceRcPtr cs = config_->getColorSpace(space.c_str());
    if (!cs || cs->isData()) return false;
    // OpenColorIO 2.1 cannot tell a space's encoding from its transforms:
    // the config's word for it, else a space without transforms is the
    // reference, light itself.
    const std::string encoding = cs->getEncoding();
    if (!encoding.empty()) return encoding == "scene-linear" || encoding == "display-linear";
    return !cs->getTransform(OCIO::COLORSPACE_DIR_TO_REFERENCE) &&
           !cs->getTransform(OCIO::COLORSPACE_DIR_FROM_REFERENCE);
}

std::string ColorSpaces::LibraryTag(const std::string& space) const
{
    const std::pair<const char*, const char*> tags[] = {
        {"linear_rec709", "linear"}, {"sRGB", "sRGB"}, {"Rec709", "Rec709"}, {"Cineon log", "KodakLog"}};
    for (const auto& tag : tags)
        if (Known(tag.first) == space) return tag.second;
    return space;
}

std::vector<float> ColorSpaces::Chromaticities(const std::string& space) const
{
    for (const Primaries& p : kPrimaries)
        if (Known(p.kind) == space) return std::vector<float>(p.xy, p.xy + 8);
    return {};
}

std::string ColorSpaces::Known(const std::string& kind) const
{
    const Kind* k = KindNamed(kind);
    for (const char* candidate : k->candidates) {
        if (candidate == nullptr) break;
        const std::string space = Find(candidate);
        if (!space.empty()) return space;
    }
    return "";
}

FileEncoding ColorSpaces::Detect(const std::string& format, const OIIO::ImageSpec& header) const
{
    std::string convention_kind, convention;
    Convention(format, header, convention_kind, convention);

    FileEncoding found;
    std::string missing;  // the first tag the config cannot convert
    const auto take = [&](const std::string& space, bool linear, const std::string& said_by, const std::string& named) {
        if (!found.space.empty()) return;
        if (space.empty() && missing.empty() && !named.empty()) missing = named + " names no space of " + config_name_;
        if (!space.empty()) found = FileEncoding{space, said_by, linear, ""};
    };
    const auto take_kind = [&](const char* kind, const std::string& said_by, const std::string& named) {
        if (kind != nullptr) take(Known(kind), KindNamed(kind)->linear, said_by, named);
    };
    const auto take_name = [&](const std::string& name, const std::string& said_by) {
        const std::string why = Unusable(name);
        if (!why.empty() && found.space.empty() && missing.empty()) missing = said_by + " is not usable: " + why;
        take(Find(name), IsLinear(Find(name)), said_by, said_by);
    };

    // The profile describes the pixels most exactly, then the primaries,
    // then the format's own fields, then what the reader says.
    if (const OIIO::ParamValue* icc = header.find_attribute("ICCProfile")) {
        const auto* bytes = static_cast<const unsigned char*>(icc->data());
        const std::string description = IccDescription(bytes, (size_t)icc->datasize());
        const IccVerdict verdict = JudgeIccProfile(bytes, (size_t)icc->datasize());
        const std::string said_by = "its ICC profile (\"" + description + "\": " + verdict.what + ")";
        // By its curves and primaries; else a space the config names as
        // the profile describes itself.
        if (KindNamed(verdict.space) != nullptr)
            take_kind(verdict.space.c_str(), said_by, said_by);
        else if (!verdict.space.empty())
            take_name(verdict.space, said_by);
        else if (!description.empty())
            take_name(description, said_by);
    }
    if (const OIIO::ParamValue* xy =
            header.find_attribute("chromaticities", OIIO::TypeDesc(OIIO::TypeDesc::FLOAT, 8))) {
        const Primaries* p = PrimariesOf(static_cast<const float*>(xy->data()));
        const std::string said_by = "its chromaticities (" + std::string(p != nullptr ? p->label : "") + ")";
        if (p != nullptr)
            take_kind(p->kind, said_by, said_by);
        else if (found.space.empty() && missing.empty())
            missing = "its chromaticities (primaries tintra does not know) names no space of " + config_name_;
    }
    const std::string transfer = header.get_string_attribute("dpx:Transfer");
    take_kind(KindOfDpxTransfer(transfer), "its transfer characteristic (\"" + transfer + "\")", "");
    const std::string tag = header.get_string_attribute("oiio:ColorSpace");
    if (!tag.empty()) {
        const std::string said_by = "its colour-space tag (\"" + tag + "\")";
        // Some readers (PNG, JPEG, EXR) tag every file with their format's
        // convention; such a tag says no more than the convention.
        if (const char* kind = KindOfTag(tag))
            take_kind(kind, kind == convention_kind ? convention : said_by, said_by);
        else
            take_name(tag, said_by);
    }
    take_kind(convention_kind.c_str(), convention, "");
    if (found.space.empty() || !missing.empty())
        found.note = found.space.empty() ? config_name_ + " has no " + convention_kind + " space for " + convention +
                                               ": name the input's space with --colorspace"
                                         : missing + ": read as " + found.space + " by " + found.said_by;
    return found;
}

std::string IccDescription(const unsigned char* profile, size_t size)
{
    // Header, then the tag count and a table of (signature, offset, size).
    if (profile == nullptr || size < 132) return "";
    const uint32_t count = Big32(profile + 128);
    for (uint64_t i = 0; i < count && 132 + 12 * (i + 1) <= size; ++i) {
        const unsigned char* entry = profile + 132 + 12 * i;
        if (std::memcmp(entry, "desc", 4) != 0) continue;
        const uint64_t at = Big32(entry + 4), length = Big32(entry + 8);
        if (at + length > size || length < 12) return "";
        const unsigned char* tag = profile + at;
        std::string text;
        if (std::memcmp(tag, "desc", 4) == 0) {
            // Version 2: an ASCII count (with its terminator) and the text.
            const uint64_t n = Big32(tag + 8);
            if (12 + n > length) return "";
            text.assign(reinterpret_cast<const char*>(tag + 12), (size_t)n);
        } else if (std::memcmp(tag, "mluc", 4) == 0 && length >= 28) {
            // Version 4: UTF-16 records; the first is the profile's own language.
            const uint64_t n = Big32(tag + 20), from = Big32(tag + 24);
            if (from + n > length) return "";
            for (uint64_t k = 0; k + 1 < n; k += 2) {
                const unsigned unit = (unsigned)tag[from + k] << 8 | tag[from + k + 1];
                text.push_back(unit < 0x80 ? (char)unit : '?');
            }
        }
        return std::string(text.c_str());  // up to a terminator
    }
    return "";
}
