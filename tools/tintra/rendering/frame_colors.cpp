#include "tools/tintra/rendering/frame_colors.h"

#include <string>

bool ColorPages(const ColorRoute* route, const BatchItem& item, const std::string& format,
                const std::vector<OIIO::ImageSpec>& in_headers, std::vector<OIIO::ImageSpec>& headers,
                std::vector<PageColor>& colors, Progress& progress)
{
    if (route == nullptr || route->raw()) return true;
    colors = std::vector<PageColor>(in_headers.size());
    std::vector<std::string> notes;
    std::string error;
    for (size_t p = 0; p < in_headers.size(); ++p) {
        if (!route->ForPage(format, in_headers[p], colors[p], notes, error, item.output)) {
            progress.message("tintra: " + item.input + ": " + error);
            return false;
        }
        route->TagOutput(colors[p], headers[p], notes);
    }
    for (const std::string& note : notes) progress.message("tintra: " + item.input + ": " + note);
    return true;
}

void SayIfEncoded(const ColorRoute* route, const BatchItem& item, const std::string& format,
                  const OIIO::ImageSpec& first_page, Progress& progress)
{
    const std::string warning = route != nullptr ? route->RawWarning(format, first_page) : "";
    if (!warning.empty()) progress.message("tintra: " + item.input + ": " + warning);
}
