// What a frame's colour route says and does around its render: each page's
// spaces and the output's tags before it, the raw-render line after it.
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "tools/tintra/planning/batch_plan.h"
#include "tools/tintra/rendering/color_route.h"
#include "tools/tintra/reporting/progress.h"

// Each page's colour spaces, and the output headers tagged to match (none
// for a raw render); false (said) when a page's space cannot be told or
// converted.
// in_headers: the input's pages as read, headers: the output's.
bool ColorPages(const ColorRoute* route, const BatchItem& item, const std::string& format,
                const std::vector<OIIO::ImageSpec>& in_headers, std::vector<OIIO::ImageSpec>& headers,
                std::vector<PageColor>& colors, Progress& progress);

// Said of a frame that was rendered, once a run.
void SayIfEncoded(const ColorRoute* route, const BatchItem& item, const std::string& format,
                  const OIIO::ImageSpec& first_page, Progress& progress);
