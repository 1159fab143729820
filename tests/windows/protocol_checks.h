// render_set.h still includes this name; Tally and Report live in
// check_report.h.
#pragma once

#include "tests/windows/check_report.h"
