// Float RGBA converted from one colour space of a config to another, once
// per processor as OpenColorIO works: the colour unpremultiplied, alpha
// untouched, as compositing packages convert.
#pragma once

#include <cstddef>
#include <string>

#include "tools/tintra/image_io/color_space.h"

class ColorConversion {
public:
    // from and to as the config names them (ColorSpaces::Find). One-line
    // reason when the config cannot convert between them.
    bool Prepare(const ColorSpaces& spaces, const std::string& from, const std::string& to, std::string& error);
    // Nothing to do: the same space, or a conversion the config says
    // changes nothing.
    bool identity() const { return !processor_; }

    // Converts pixels R, G, B, A in place. premultiplied: the colour is
    // divided by alpha for the conversion and multiplied back after, where
    // alpha is above zero; a transparent pixel's colour is converted as it
    // is, as light added without coverage. Safe from several threads.
    void Apply(float* rgba, size_t pixels, bool premultiplied) const;

private:
    OCIO::ConstCPUProcessorRcPtr processor_;
};
