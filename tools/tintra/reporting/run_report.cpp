#include "tools/tintra/reporting/run_report.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The length of the valid UTF-8 sequence at text[at], 0 if there is none
// (a stray or overlong byte, a surrogate, beyond U+10FFFF, cut short).
size_t Utf8Length(const std::string& text, size_t at)
{
    const unsigned char c = (unsigned char)text[at];
    const size_t length = c < 0x80                 ? 1
                          : c >= 0xC2 && c <= 0xDF ? 2
                          : c >= 0xE0 && c <= 0xEF ? 3
                          : c >= 0xF0 && c <= 0xF4 ? 4
                                                   : 0;
    if (length == 1) return 1;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if (((unsigned char)text[at + i] & 0xC0) != 0x80) return 0;
    const unsigned char second = (unsigned char)text[at + 1];
    if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) || (c == 0xF0 && second < 0x90) ||
        (c == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (size_t at = 0; at < text.size();) {
        const unsigned char c = (unsigned char)text[at];
        const size_t length = Utf8Length(text, at);
        if (length == 0) {
            out += "\\ufffd";
            ++at;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
            ++at;
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
            ++at;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value)
{
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    // A whole number as people write it (30, not the shortest 3e+01).
    if (std::fabs(value) < 1e15 && value == std::floor(value)) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits < 17; ++digits) {
        char shorter[32];
        std::snprintf(shorter, sizeof shorter, "%.*g", digits, value);
        if (std::strtod(shorter, nullptr) == value) return shorter;
    }
    return text;
}

ReportTotals CountFrames(const std::vector<ReportFrame>& frames)
{
    ReportTotals totals;
    totals.frames = (int)frames.size();
    for (const ReportFrame& f : frames) {
        totals.rendered += f.status == "rendered" ? 1 : 0;
        totals.kept += f.status == "kept" ? 1 : 0;
        totals.failed += f.status == "failed" || f.status == "missing" ? 1 : 0;
        totals.not_rendered += f.status == "not rendered" ? 1 : 0;
    }
    return totals;
}

std::string RunReportJson(const ReportRun& run, const std::vector<ReportFrame>& frames, const ReportTotals& totals)
{
    std::string json = "{\n  \"tintra\": " + JsonString(run.version) +
                       ",\n  \"dry_run\": " + (run.dry_run ? "true" : "false") + ",\n  \"parameters\": {";
    for (size_t i = 0; i < run.parameters.size(); ++i)
        json += std::string(i == 0 ? "" : ", ") + JsonString(run.parameters[i].first) + ": " + run.parameters[i].second;
    json += "},\n  \"frames\": [";
    for (size_t i = 0; i < frames.size(); ++i) {
        const ReportFrame& f = frames[i];
        json += std::string(i == 0 ? "\n" : ",\n") + "    {\"input\": " + JsonString(f.input) +
                ", \"output\": " + JsonString(f.output) + ", \"status\": " + JsonString(f.status) +
                ", \"message\": " + JsonString(f.message) +
                ", \"build\": " + (f.build.empty() ? "null" : JsonString(f.build)) +
                ", \"seconds\": " + Number(f.seconds) + "}";
    }
    json +=
        std::string(frames.empty() ? "" : "\n  ") + "],\n  \"totals\": {\"frames\": " + std::to_string(totals.frames) +
        ", \"rendered\": " + std::to_string(totals.rendered) + ", \"kept\": " + std::to_string(totals.kept) +
        ", \"failed\": " + std::to_string(totals.failed) +
        ", \"not_rendered\": " + std::to_string(totals.not_rendered) +
        ", \"interrupted\": " + (totals.interrupted ? "true" : "false") + ", \"seconds\": " + Number(totals.seconds) +
        ", \"exit_status\": " + std::to_string(totals.exit_status) + "}\n}\n";
    return json;
}

bool WriteRunReport(const std::string& path, const std::string& json, std::string& error)
{
    const size_t slash = path.rfind('/');
    std::string temp = (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + ".tintra-report-XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        error = path + ": cannot write the report: " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < json.size()) {
        const ssize_t n = write(fd, json.data() + done, json.size() - done);
        if (n <= 0 && errno != EINTR) break;
        if (n > 0) done += (size_t)n;
    }
    const bool ok = done == json.size() && fsync(fd) == 0 && fchmod(fd, 0644) == 0;
    const int saved = errno;
    close(fd);
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        error = path + ": cannot write the report: " + std::strerror(ok ? errno : saved);
        unlink(temp.c_str());
        return false;
    }
    return true;
}
