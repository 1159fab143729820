// The values of tintra's own options, from text: numbers within their
// ranges, sizes, pixel counts, sample types and compression names. Each
// returns false for text it does not take, and the caller says why.
#pragma once

#include <cstdint>
#include <string>

#include "tools/tintra/command_line/command_line.h"

// A whole number in low..high, nothing after it.
bool ParseInt(const std::string& text, long low, long high, int& value);

// WxH, each side 1..30000.
bool ParseSize(const std::string& text, int& width, int& height);

// A count of pixels, with K, M or G for thousands, millions, billions; at
// most kMaxPixelsCeiling.
bool ParsePixelCount(const std::string& text, uint64_t& count);

// --depth: sets line.samples and the host's depth that goes with it.
bool ParseSamples(const std::string& text, CommandLine& line);
