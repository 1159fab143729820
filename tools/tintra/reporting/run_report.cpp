#include "tools/tintra/reporting/run_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

std::string RunReportJson(const std::vector<ReportFrame>& frames, const ReportTotals& totals)
{
    std::string json = "{\n  \"frames\": [";
    for (size_t i = 0; i < frames.size(); ++i) {
        const ReportFrame& f = frames[i];
        json += std::string(i == 0 ? "\n" : ",\n") + "    {\"input\": " + Quoted(f.input) +
                ", \"output\": " + Quoted(f.output) + ", \"status\": " + Quoted(f.status) +
                ", \"message\": " + Quoted(f.message) + ", \"seconds\": " + Number(f.seconds) + "}";
    }
    json +=
        std::string(frames.empty() ? "" : "\n  ") + "],\n  \"totals\": {\"frames\": " + std::to_string(totals.frames) +
        ", \"rendered\": " + std::to_string(totals.rendered) + ", \"kept\": " + std::to_string(totals.kept) +
        ", \"failed\": " + std::to_string(totals.failed) +
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
