#include "tools/tintra/image_io/sample_conversion.h"

#include <cstring>

#include "tools/tintra/image_io/channel_mapping.h"
#include "tools/tintra/image_io/layer_choice.h"

namespace {

// One sample of the file as a host value at 16 bits, from the type it was read as.
// full: on OFX's 0..65535 instead.
uint16_t Host16(Source source, const unsigned char* sample, bool full, uint64_t& clipped)
{
    if (source == Source::Int8) return full ? (uint16_t)(*sample * 257u) : Host8ToHost16(*sample);
    if (source == Source::Int16) {
        uint16_t v;
        std::memcpy(&v, sample, 2);
        return full ? v : FileToHost16(v);
    }
    float v;
    std::memcpy(&v, sample, 4);
    if (!(v >= 0.0f && v <= 1.0f)) {  // NaN too
        ++clipped;
        v = v > 1.0f ? 1.0f : 0.0f;
    }
    return (uint16_t)(v * (full ? 65535.0f : 32768.0f) + 0.5f);
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

void ToHost(const unsigned char* samples, size_t count, size_t nch, Source source, const Channels& ch, PF_Pixel* out8,
            PF_Pixel16* out16, float* outf, bool full, uint64_t& clipped)
{
    if (outf != nullptr) {
        // Float samples as read, for a float render: nothing clipped.
        const size_t size = source == Source::Float ? 4 : 0;
        for (size_t k = 0; k < count && size != 0; ++k, samples += nch * size)
            for (int c = 0; c < 4; ++c) {
                const int from = c < 3 ? ch.colour[c] : ch.alpha;
                float v = 1.0f;
                if (from >= 0) std::memcpy(&v, samples + (size_t)from * size, 4);
                outf[k * 4 + (size_t)c] = v;
            }
        return;
    }
    const size_t size = source == Source::Int8 ? 1 : source == Source::Int16 ? 2 : 4;
    const size_t stride = nch * size;
    const int order[4] = {ch.alpha, ch.colour[0], ch.colour[1], ch.colour[2]};
    for (size_t k = 0; k < count; ++k, samples += stride) {
        if (out8 != nullptr && source == Source::Int8) {
            // The common case, exact and without a detour through 16 bits.
            out8[k] = PF_Pixel{ch.alpha >= 0 ? samples[ch.alpha] : (uint8_t)255, samples[ch.colour[0]],
                               samples[ch.colour[1]], samples[ch.colour[2]]};
            continue;
        }
        uint16_t v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = order[i] >= 0 ? Host16(source, samples + (size_t)order[i] * size, full, clipped) : (uint16_t)32768;
        if (out16 != nullptr)
            out16[k] = PF_Pixel16{v[0], v[1], v[2], v[3]};
        else
            out8[k] = PF_Pixel{Host16ToHost8(v[0]), Host16ToHost8(v[1]), Host16ToHost8(v[2]), Host16ToHost8(v[3])};
    }
}
