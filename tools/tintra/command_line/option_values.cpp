#include "tools/tintra/command_line/option_values.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

bool ParseInt(const std::string& text, long low, long high, int& value)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    value = (int)v;
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    return ParseInt(text.substr(0, x), 1, 30000, width) && ParseInt(text.substr(x + 1), 1, 30000, height);
}

bool ParsePixelCount(const std::string& text, uint64_t& count)
{
    std::string digits = text;
    uint64_t scale = 1;
    const char suffix = digits.empty() ? '\0' : (char)std::toupper((unsigned char)digits.back());
    if (suffix == 'K' || suffix == 'M' || suffix == 'G') {
        digits.pop_back();
        scale = suffix == 'K' ? 1000 : suffix == 'M' ? 1000000 : 1000000000;
    }
    int value = 0;
    if (!ParseInt(digits, 1, 1000000000, value) || (uint64_t)value * scale > kMaxPixelsCeiling) return false;
    count = (uint64_t)value * scale;
    return true;
}

bool ParseSamples(const std::string& text, CommandLine& line)
{
    const struct {
        const char* name;
        Samples samples;
    } kTypes[] = {{"uint8", Samples::UInt8},   {"8", Samples::UInt8},       {"uint10", Samples::UInt10},
                  {"uint12", Samples::UInt12}, {"uint16", Samples::UInt16}, {"16", Samples::UInt16},
                  {"half", Samples::Half},     {"float", Samples::Float}};
    for (const auto& t : kTypes) {
        if (text != t.name) continue;
        line.samples = t.samples;
        line.depth = t.samples == Samples::UInt8 ? 8 : 16;
        return true;
    }
    return false;
}
