// A tally of named expectations for tintra_platform_check, a program rather
// than a test suite because its renders are written out and compared with
// another build's. Every failed expectation is printed with its name, what
// was seen and what was wanted.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>

namespace platform_check {

struct Tally {
    int checked = 0;
    int failed = 0;
};

class Report {
public:
    explicit Report(std::string group) : group_(std::move(group)) {}

    template <typename Got, typename Want>
    bool Equal(const std::string& what, const Got& got, const Want& want)
    {
        if (got == want) {
            return Pass();
        }
        std::ostringstream text;
        text << "got " << Show(got) << ", want " << Show(want);
        return Fail(what, text.str());
    }

    bool True(const std::string& what, bool ok, const std::string& detail = "")
    {
        return ok ? Pass() : Fail(what, detail.empty() ? "is false" : detail);
    }

    bool Fail(const std::string& what, const std::string& detail)
    {
        ++failed_;
        std::fprintf(stderr, "FAIL %s: %s: %s\n", group_.c_str(), what.c_str(), detail.c_str());
        return false;
    }

    int checked() const { return passed_ + failed_; }
    int failed() const { return failed_; }

private:
    bool Pass()
    {
        ++passed_;
        return true;
    }

    template <typename T>
    static std::string Show(const T& value)
    {
        std::ostringstream text;
        text << value;
        return text.str();
    }
    static std::string Show(const std::string& value) { return "\"" + Escaped(value) + "\""; }
    static std::string Show(const char* value) { return Show(std::string(value)); }

    static std::string Escaped(const std::string& text)
    {
        std::string out;
        for (unsigned char c : text) {
            if (c == '\r') {
                out += "\\r";
            } else if (c == '\n') {
                out += "\\n";
            } else if (c < 32 || c > 126) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += (char)c;
            }
        }
        return out;
    }

    std::string group_;
    int passed_ = 0;
    int failed_ = 0;
};

}  // namespace platform_check
