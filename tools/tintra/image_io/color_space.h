// The colour spaces tintra converts between, named by an OpenColorIO config:
// the one given or named by $OCIO, else tintra's built-in set (linear,
// sRGB, Rec709, KodakLog and any GammaX.Y), as oiiotool names them.
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/image_io/built_in_colors.h"
#include "tools/tintra/image_io/color_primaries.h"

// What a file's values encode, as its tags say or else its format's
// convention.
struct FileEncoding {
    std::string space;  // the config's name for it; "" when the config has none
    std::string said_by;  // where that came from, for the summary: "its ICC profile", "the PNG convention"
    bool linear = false;  // light itself; otherwise encoded values (display-referred or log)
    std::string note;  // one line when a tag named what the config cannot convert
};

class ColorSpaces {
public:
    ColorSpaces();
    ~ColorSpaces();
    ColorSpaces(const ColorSpaces&) = delete;
    ColorSpaces& operator=(const ColorSpaces&) = delete;

    // file: an OpenColorIO config; "" takes $OCIO, else the built-in set.
    // A config that cannot be read is refused with a one-line reason, never
    // replaced by the built-in set in silence.
    bool Load(const std::string& file, std::string& error);
    // The config file, or "tintra's built-in set".
    const std::string& config_name() const { return config_name_; }
    // The library's processor from one space to another (names as Find
    // gives them), evaluated without approximations so that a level
    // converted there and back is the level again; empty, with the
    // library's reason, when it has none.
    OCIO::ConstCPUProcessorRcPtr Processor(const std::string& from, const std::string& to, std::string& reason) const;

    // The config's own name for a space named by a user or a file, in any
    // case or by an alias or a role; "" if the config has none. The
    // built-in set also knows "GammaX.Y".
    std::string Find(const std::string& name) const;
    // Why Find has no space for a name the built-in set would know but for
    // its value (a gamma beyond the exponents it converts); "" otherwise.
    std::string Unusable(const std::string& name) const;
    // The config's scene_linear role, the built-in set's linear.
    std::string SceneLinear() const;
    // The effect's working space, linear light with Rec.709 primaries: the
    // space that converts to the config's interchange role
    // (aces_interchange, cie_xyz_d65_interchange) as linear Rec.709 does,
    // whatever its name; else one built from that role by a matrix, which
    // Processor then converts through; a config without such roles by its
    // names. how: what told it, for info and the summary. False, with a line
    // naming --working-space, when the config has neither.
    bool FindWorkingSpace(std::string& space, std::string& how, std::string& error);
    // The spaces and roles a user may name, for an error that lists them.
    std::vector<std::string> Names() const;
    // Whether a space holds light itself rather than encoded values.
    bool IsLinear(const std::string& space) const;
    // The name OpenImageIO's writers know a space by ("linear", "sRGB",
    // "Rec709", "KodakLog"), so that they write the matching chunk or field
    // (PNG gAMA, DPX transfer); a space they do not know keeps its name.
    std::string LibraryTag(const std::string& space) const;
    // The EXR chromaticities of a space whose primaries are known, else
    // empty.
    std::vector<float> Chromaticities(const std::string& space) const;

    // What `--colorspace auto` takes for a page of a file in the given
    // format (the library's format name). Tags win over the convention; a
    // tag the config cannot convert leaves a note and the convention.
    FileEncoding Detect(const std::string& format, const OIIO::ImageSpec& header) const;

private:
    std::string Known(const std::string& kind) const;
    bool ConvertsLike(const std::string& space, const std::string& role, const std::vector<Matrix3>& expected) const;
    std::string BuiltWorkingSpace() const;
    OCIO::ConstProcessorRcPtr BuiltProcessor(const std::string& from, const std::string& to) const;

    OCIO::ConstConfigRcPtr config_;
    std::string config_name_;
    bool built_in_ = true;
    std::string built_role_;  // the interchange role a built working space converts through
    Matrix3 built_matrix_{};  // linear Rec.709 to that role
};

// The description an ICC profile gives itself ("sRGB IEC61966-2.1",
// "Display P3"), from its 'desc' tag in the version 2 or 4 layout; "" when
// the profile has none or is malformed. Every read is bounded by size.
std::string IccDescription(const unsigned char* profile, size_t size);
