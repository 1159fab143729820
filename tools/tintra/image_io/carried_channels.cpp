#include "tools/tintra/image_io/carried_channels.h"

#include <cstring>

#include "tools/tintra/image_io/image_formats.h"

size_t CarriedChannels::pixel_bytes() const
{
    size_t bytes = 0;
    for (const OIIO::TypeDesc& type : types) bytes += type.size();
    return bytes;
}

CarriedChannels DescribeCarried(const OIIO::ImageSpec& header, const std::vector<int>& indices)
{
    CarriedChannels carried;
    for (int c : indices) {
        carried.names.push_back(header.channel_name(c));
        carried.types.push_back(header.channelformat(c));
    }
    carried.samples.assign((size_t)header.image_pixels() * carried.pixel_bytes(), 0);
    return carried;
}

bool ReadCarried(OIIO::ImageInput& input, int page, const std::vector<int>& indices, CarriedChannels& carried)
{
    const size_t stride = carried.pixel_bytes(), pixels = stride != 0 ? carried.samples.size() / stride : 0;
    std::vector<unsigned char> run;
    size_t offset = 0;
    // A run of neighbouring channels at a time: one pass over the file each.
    for (size_t i = 0; i < indices.size();) {
        size_t end = i + 1;
        while (end < indices.size() && indices[end] == indices[end - 1] + 1) ++end;
        size_t run_bytes = 0;
        for (size_t k = i; k < end; ++k) run_bytes += carried.types[k].size();
        run.resize(pixels * run_bytes);
        if (!input.read_image(page, 0, indices[i], indices[end - 1] + 1, OIIO::TypeUnknown, run.data())) return false;
        for (size_t p = 0; p < pixels; ++p)
            std::memcpy(&carried.samples[p * stride + offset], &run[p * run_bytes], run_bytes);
        offset += run_bytes;
        i = end;
    }
    return true;
}

void AddCarried(const std::string& format, const std::string& extension, const CarriedChannels& carried,
                OIIO::ImageSpec& header, std::string& note)
{
    if (carried.empty()) return;
    if (format != "openexr" && format != "tiff") {
        note = "a ." + extension + " file holds colour and alpha only: left out " + CommaList(carried.names);
        return;
    }
    const bool own_types = format == "openexr";
    if (carried.whole) {
        header.channelnames.clear();
        header.nchannels = 0;
        header.alpha_channel = -1;
    }
    if (own_types) header.channelformats.assign((size_t)header.nchannels, header.format);
    for (size_t i = 0; i < carried.names.size(); ++i) {
        header.channelnames.push_back(carried.names[i]);
        if (own_types) header.channelformats.push_back(carried.types[i]);
    }
    header.nchannels = (int)header.channelnames.size();
    if (!own_types)
        note = "a ." + extension +
               " file keeps neither channel names nor a sample type per channel: " + CommaList(carried.names) +
               " written after the colour, unnamed, in the colour's samples";
}

void Interleave(const OIIO::ImageSpec& opened, const void* colour, OIIO::TypeDesc type, int colour_channels,
                const CarriedChannels& carried, size_t first, size_t count, std::vector<unsigned char>& into)
{
    const size_t pixel = opened.pixel_bytes(true), carried_stride = carried.pixel_bytes();
    into.resize(count * pixel);
    size_t at = 0, from = 0;
    // Each channel converted on its own, strided, into its place in the pixel.
    for (int c = 0; c < opened.nchannels; ++c) {
        const OIIO::TypeDesc to = opened.channelformat(c);
        const bool is_colour = c < colour_channels;
        const OIIO::TypeDesc source = is_colour ? type : carried.types[(size_t)(c - colour_channels)];
        const unsigned char* src = is_colour ? static_cast<const unsigned char*>(colour) + (size_t)c * type.size()
                                             : carried.samples.data() + first * carried_stride + from;
        const size_t src_stride = is_colour ? (size_t)colour_channels * type.size() : carried_stride;
        OIIO::convert_image(1, (int)count, 1, 1, src, source, (OIIO::stride_t)src_stride, OIIO::AutoStride,
                            OIIO::AutoStride, into.data() + at, to, (OIIO::stride_t)pixel, OIIO::AutoStride,
                            OIIO::AutoStride);
        at += to.size();
        if (!is_colour) from += source.size();
    }
}
