#include "tools/tintra/image_io/sample_conversion.h"

#include <cstring>

#include "tools/tintra/image_io/channel_mapping.h"
#include "tools/tintra/image_io/layer_choice.h"

namespace {

// A float sample clipped to 0..1, counted when it had to be.
float Clipped(const unsigned char* sample, uint64_t& clipped)
{
    float v;
    std::memcpy(&v, sample, 4);
    if (!(v >= 0.0f && v <= 1.0f)) {  // NaN too
        ++clipped;
        v = v > 1.0f ? 1.0f : 0.0f;
    }
    return v;
}

// One sample of the file at 16 bits, full file levels.
uint16_t Level16(Source source, const unsigned char* sample, uint64_t& clipped)
{
    if (source == Source::Int8) return (uint16_t)(*sample * 257u);
    if (source == Source::Int16) {
        uint16_t v;
        std::memcpy(&v, sample, 2);
        return v;
    }
    return (uint16_t)(Clipped(sample, clipped) * 65535.0f + 0.5f);
}

// One sample of the file at 8 bits. Wider samples round through the
// 0..32768 scale, as tintra's --depth 8 always has, so that its renders
// stay as they were (127 of the 65536 levels land one step from v / 257).
uint8_t Level8(Source source, const unsigned char* sample, uint64_t& clipped)
{
    if (source == Source::Int8) return *sample;
    if (source == Source::Int16) {
        uint16_t v;
        std::memcpy(&v, sample, 2);
        return Host16ToHost8(FileToHost16(v));
    }
    return Host16ToHost8((uint16_t)(Clipped(sample, clipped) * 32768.0f + 0.5f));
}

// The samples of one depth, R, G, B, A; opaque where the file has no alpha.
template <typename T, typename Convert>
void Interleave(const unsigned char* samples, size_t count, size_t stride, size_t size, const Channels& ch, T opaque,
                T* out, Convert convert)
{
    const int from[4] = {ch.colour[0], ch.colour[1], ch.colour[2], ch.alpha};
    for (size_t k = 0; k < count; ++k, samples += stride, out += 4)
        for (int c = 0; c < 4; ++c) out[c] = from[c] >= 0 ? convert(samples + (size_t)from[c] * size) : opaque;
}

}  // namespace

Source SourceOf(const OIIO::ImageSpec& header)
{
    using B = OIIO::TypeDesc::BASETYPE;
    switch ((B)header.format.basetype) {
    case B::UINT8:
    case B::INT8: return Source::Int8;
    case B::UINT16:
    case B::INT16: return Source::Int16;
    default: return Source::Float;
    }
}

namespace {

// Grey, perhaps with channels that are not alpha, or RGB and more, in the
// file's order: for files whose channel names say nothing of colour.
bool PickByOrder(const OIIO::ImageSpec& header, const std::vector<std::string>& names, Channels& ch, std::string& error)
{
    const int n = header.nchannels;
    // Only a channel the file calls alpha is alpha: a fourth channel may be
    // depth (EXR's Z) or a TIFF's unspecified extra sample. Some readers
    // leave the alpha index out of range (GIF says 4 of 4 channels) but name
    // the channel.
    ch.alpha = header.alpha_channel >= 0 && header.alpha_channel < n ? header.alpha_channel : -1;
    for (int c = 0; c < n && ch.alpha < 0; ++c)
        if (names[(size_t)c] == "A" || names[(size_t)c] == "Alpha") ch.alpha = c;
    std::vector<int> colour;
    for (int c = 0; c < n; ++c)
        if (c != ch.alpha) colour.push_back(c);
    if (colour.empty()) {
        error = "unsupported: " + std::to_string(n) + " channels that are neither grey nor RGB";
        return false;
    }
    if (colour.size() < 3) {
        ch.grey = names[(size_t)colour[0]];
        colour.assign(3, colour[0]);
    }
    for (int i = 0; i < 3; ++i) ch.colour[i] = colour[(size_t)i];
    return true;
}

}  // namespace

bool PickChannels(const OIIO::ImageSpec& header, const std::string& layer, Channels& ch, std::string& error)
{
    std::vector<std::string> names = header.channelnames;
    for (size_t c = names.size(); c < (size_t)header.nchannels; ++c) names.push_back(std::to_string(c));
    names.resize((size_t)header.nchannels);
    LayerChoice choice;
    const LayerFound found = ChooseLayer(names, layer, choice, error);
    if (found == LayerFound::Refused) return false;
    if (found == LayerFound::NotLayered && !PickByOrder(header, names, ch, error)) return false;
    ch.named_colour = found == LayerFound::Chosen || header.channelindex("Y") >= 0;
    if (found == LayerFound::Chosen) {
        for (int i = 0; i < 3; ++i) ch.colour[i] = choice.colour[i];
        ch.alpha = choice.alpha;
    }
    for (int c = 0; c < header.nchannels; ++c)
        if (c != ch.colour[0] && c != ch.colour[1] && c != ch.colour[2] && c != ch.alpha) {
            ch.carried.push_back(c);
            ch.dropped.push_back(names[(size_t)c]);
        }
    return true;
}

void ToRgba(const unsigned char* samples, size_t count, size_t nch, Source source, const Channels& ch, Image& image,
            size_t first, uint64_t& clipped)
{
    const size_t size = source == Source::Int8 ? 1 : source == Source::Int16 ? 2 : 4;
    const size_t stride = nch * size;
    if (image.depth == 32) {
        // Float samples as read, for a float render: nothing clipped.
        if (source != Source::Float) return;
        Interleave(samples, count, stride, size, ch, 1.0f, &image.pixelsf[first * 4], [](const unsigned char* s) {
            float v;
            std::memcpy(&v, s, 4);
            return v;
        });
    } else if (image.depth == 16) {
        Interleave(samples, count, stride, size, ch, (uint16_t)65535, &image.pixels16[first * 4],
                   [&](const unsigned char* s) { return Level16(source, s, clipped); });
    } else {
        Interleave(samples, count, stride, size, ch, (uint8_t)255, &image.pixels8[first * 4],
                   [&](const unsigned char* s) { return Level8(source, s, clipped); });
    }
}

std::string ClippedNote(uint64_t clipped, uint64_t values)
{
    return std::to_string(clipped) + " of " + std::to_string(values) +
           " floating-point values were outside 0..1 and clipped; rendered at 16 bits";
}

// Integers wider than 16 bits are read as 0..1 (none is ever clipped) and
// written back in another type, as tintra writes integers of 16 bits at most.
std::string WideIntegerNote(const OIIO::ImageSpec& header, int depth)
{
    using B = OIIO::TypeDesc::BASETYPE;
    const B type = (B)header.format.basetype;
    if (type != B::UINT32 && type != B::INT32 && type != B::UINT64 && type != B::INT64) return "";
    const std::string name =
        std::string(type == B::INT32 || type == B::INT64 ? "int" : "uint") + std::to_string(header.format.size() * 8);
    return name + " samples: read as 0..1 and rendered " +
           (depth == 32 ? "in float; written as float unless -d asks otherwise or the format holds none"
                        : "at 16 bits; written as uint16 unless -d asks otherwise") +
           " (tintra writes no integers wider than 16 bits)";
}
