#include "tools/tintra/progress.h"

#include <gtest/gtest.h>

namespace {

struct BarCase {
    int done;
    int total;
    double seconds;
    const char* text;
};

void PrintTo(const BarCase& c, std::ostream* out) { *out << c.done << "/" << c.total; }

class ProgressBar : public testing::TestWithParam<BarCase> {};

TEST_P(ProgressBar, ShowsFramesRateAndTimeLeft)
{
    EXPECT_EQ(Progress::BarText(GetParam().done, GetParam().total, GetParam().seconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgressBar,
    testing::Values(BarCase{0, 10, 0.0, "[..............................] 0/10 frames"},
                    BarCase{3, 10, 6.0, "[#########.....................] 3/10 frames  0.50 frames/s  0:14 left"},
                    BarCase{10, 10, 2.0, "[##############################] 10/10 frames  5.00 frames/s  0:00 left"},
                    BarCase{1, 4000, 2.0, "[..............................] 1/4000 frames  0.50 frames/s  2:13:18 left"}));

}  // namespace
