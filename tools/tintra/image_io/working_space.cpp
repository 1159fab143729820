// How the effect's working space, linear light with Rec.709 primaries, is
// found in a config: by what a space does on its way to the config's
// interchange roles, whatever it is called.
#include <cmath>

#include "tools/tintra/image_io/color_primaries.h"
#include "tools/tintra/image_io/color_space.h"

namespace {

// An interchange role, and what linear Rec.709 becomes there (each
// adaptation a config may use between the whites).
struct Interchange {
    const char* role;
    std::vector<Matrix3> from_rec709;
};

std::vector<Interchange> Interchanges()
{
    return {{"aces_interchange",
             {RgbToRgb(kRec709Primaries, kAp0Primaries, Adaptation::Bradford),
              RgbToRgb(kRec709Primaries, kAp0Primaries, Adaptation::Cat02)}},
            {"cie_xyz_d65_interchange", {RgbToXyz(kRec709Primaries)}}};
}

bool Near(float a, float b, float tolerance) { return std::fabs(a - b) <= tolerance * std::fmax(1.0f, std::fabs(b)); }

}  // namespace

bool ColorSpaces::ConvertsLike(const std::string& space, const std::string& role,
                               const std::vector<Matrix3>& expected) const
{
    OCIO::ConstCPUProcessorRcPtr processor;
    try {
        processor = config_->getProcessor(space.c_str(), role.c_str())->getDefaultCPUProcessor();
    } catch (const OCIO::Exception&) {
        return false;
    }
    // Its matrix, from the unit primaries.
    Matrix3 m{};
    for (int c = 0; c < 3; ++c) {
        float v[3] = {0.0f, 0.0f, 0.0f};
        v[c] = 1.0f;
        processor->applyRGB(v);
        for (int r = 0; r < 3; ++r) m[r * 3 + c] = v[r];
    }
    // Linear: values below, within and far above 0..1, and negative ones,
    // go where the matrix takes them.
    const float probes[][3] = {{0.18f, 0.18f, 0.18f}, {0.01f, 0.5f, 4.0f}, {16.0f, 0.002f, 0.7f}, {-0.05f, 0.3f, 1.0f}};
    for (const auto& probe : probes) {
        float v[3] = {probe[0], probe[1], probe[2]};
        processor->applyRGB(v);
        for (int r = 0; r < 3; ++r)
            if (!Near(v[r], m[r * 3] * probe[0] + m[r * 3 + 1] * probe[1] + m[r * 3 + 2] * probe[2], 1e-4f))
                return false;
    }
    for (const Matrix3& e : expected) {
        bool same = true;
        // Configs print their matrices to five or six places.
        for (int i = 0; i < 9; ++i) same = same && std::fabs(m[i] - e[i]) < 5e-4f;
        if (same) return true;
    }
    return false;
}

bool ColorSpaces::FindWorkingSpace(std::string& space, std::string& how, std::string& error)
{
    built_role_.clear();
    bool has_interchange = false;
    for (const Interchange& interchange : Interchanges()) {
        if (!config_->hasRole(interchange.role)) continue;
        has_interchange = true;
        // The scene_linear role first: where it is linear Rec.709 already,
        // renders are as they always were.
        std::vector<std::string> candidates = {SceneLinear()};
        const auto scene = OCIO::SEARCH_REFERENCE_SPACE_SCENE;
        for (int i = 0; i < config_->getNumColorSpaces(scene, OCIO::COLORSPACE_ACTIVE); ++i)
            candidates.push_back(config_->getColorSpaceNameByIndex(scene, OCIO::COLORSPACE_ACTIVE, i));
        for (const std::string& candidate : candidates) {
            const OCIO::ConstColorSpaceRcPtr cs = config_->getColorSpace(candidate.c_str());
            if (!cs || cs->isData()) continue;
            if (ConvertsLike(cs->getName(), interchange.role, interchange.from_rec709)) {
                space = cs->getName();
                how = std::string("its conversion to ") + interchange.role;
                return true;
            }
        }
    }
    if (has_interchange) {
        // None: the conversion is built from the interchange role itself.
        for (const Interchange& interchange : Interchanges()) {
            if (!config_->hasRole(interchange.role)) continue;
            built_role_ = interchange.role;
            built_matrix_ = interchange.from_rec709.front();
            space = BuiltWorkingSpace();
            how = std::string("a matrix from ") + interchange.role + ": the config has no such space";
            return true;
        }
    }
    // A config without interchange roles can only be told by its names; a
    // scene_linear role named as another gamut is never taken for it.
    space = Known("linear_rec709");
    const bool other_gamut = !space.empty() && (space == Known("ACEScg") || space == Known("ACES2065-1"));
    if (!space.empty() && !other_gamut) {
        how = built_in_ ? "tintra's built-in set" : space == SceneLinear() ? "its scene_linear role" : "its name";
        return true;
    }
    error = config_name_ + " has no space of linear light with Rec.709 primaries" +
            (other_gamut ? " (its scene_linear role is " + space + ")" : std::string()) +
            " and no interchange role to build one from: name the effect's working space with --working-space, as "
            "tintra renders in it as it is";
    space.clear();
    return false;
}

std::string ColorSpaces::BuiltWorkingSpace() const
{
    return built_role_.empty() ? "" : "linear Rec.709 (from " + built_role_ + ")";
}

OCIO::ConstProcessorRcPtr ColorSpaces::BuiltProcessor(const std::string& from, const std::string& to) const
{
    // Linear Rec.709 to the role by the matrix, and the config's own
    // conversion on the other side.
    OCIO::GroupTransformRcPtr group = OCIO::GroupTransform::Create();
    const bool from_built = from == BuiltWorkingSpace();
    double m[16] = {0};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m[r * 4 + c] = built_matrix_[(size_t)(r * 3 + c)];
    m[15] = 1.0;
    OCIO::MatrixTransformRcPtr matrix = OCIO::MatrixTransform::Create();
    matrix->setMatrix(m);
    OCIO::ColorSpaceTransformRcPtr other = OCIO::ColorSpaceTransform::Create();
    if (from_built) {
        other->setSrc(built_role_.c_str());
        other->setDst(to.c_str());
        group->appendTransform(matrix);
        group->appendTransform(other);
    } else {
        matrix->setDirection(OCIO::TRANSFORM_DIR_INVERSE);
        other->setSrc(from.c_str());
        other->setDst(built_role_.c_str());
        group->appendTransform(other);
        group->appendTransform(matrix);
    }
    return config_->getProcessor(group);
}
