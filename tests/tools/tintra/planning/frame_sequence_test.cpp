#include "tools/tintra/planning/frame_sequence.h"

#include <gtest/gtest.h>

namespace {

// One row per piece of the grammar, file names and frame lists alike. A
// name row gives the paths of frames 7, -3 and 12345 ("" when the name holds
// no pattern); a frames row gives the list as it reads, written back by
// FramesText, or the start of the reason it is refused.
enum Kind { kName, kFrames };

struct GrammarCase {
    Kind kind;
    const char* text;
    const char* expect;
};

const GrammarCase kGrammar[] = {
    {kName, "shot.%04d.exr", "shot.0007.exr shot.-003.exr shot.12345.exr"},
    {kName, "shot.%d.exr", "shot.7.exr shot.-3.exr shot.12345.exr"},
    {kName, "shot.#.exr", "shot.0007.exr shot.-003.exr shot.12345.exr"},
    {kName, "shot.####.exr", "shot.0007.exr shot.-003.exr shot.12345.exr"},
    {kName, "shot.######.exr", "shot.000007.exr shot.-00003.exr shot.012345.exr"},
    {kName, "shot.@@@.exr", "shot.007.exr shot.-03.exr shot.12345.exr"},
    {kName, "plates/a#b/shot_@.tif", "plates/a#b/shot_7.tif plates/a#b/shot_-3.tif plates/a#b/shot_12345.tif"},
    {kName, "v%02d.####.png", "v07.####.png v-3.####.png v12345.####.png"},  // the first pattern is the frame
    {kName, "shot.exr", ""},
    {kName, "50%.png", ""},
    {kName, "shot.%011d.exr", "shot.00000000007.exr shot.-0000000003.exr shot.00000012345.exr"},
    {kName, "shot.%4d.exr", "error: shot.%4d.exr: %4d pads frame numbers with spaces; write %04d"},
    {kName, "shot.@@@@@@@@@@@@@@@@@@@@@.exr", "error: shot.@@@@@@@@@@@@@@@@@@@@@.exr: @@@@@@@@@@@@@@@@@@@@@ pads"},
    {kName, "shot.%0999999999999d.exr", "error: shot.%0999999999999d.exr: %0999999999999d pads frame numbers to more"},
    {kFrames, "1001-1005", "1001-1005"},
    // Written back in the shortest form, steps included, so that any list
    // printed can be pasted back into --frames.
    {kFrames, "1001-1020x4", "1001-1017x4"},
    {kFrames, "1-100000x2", "1-99999x2"},
    {kFrames, "1,3,10-12,20,30", "1,3,10-12,20,30"},
    {kFrames, "1-9x2,10-12,14-20x3", "1-7x2,9-12,14-20x3"},
    {kFrames, "1,5,9-12", "1,5,9-12"},
    {kFrames, "9-12,1,5,10", "1,5,9-12"},  // sorted, each once
    {kFrames, "-10--8,-1-1", "-10--8,-1-1"},
    {kFrames, "-5", "-5"},
    {kFrames, "7-7x3", "7"},
    {kFrames, "999999999", "999999999"},
    {kFrames, "", "error: no frames given"},
    {kFrames, "1-", "error: '1-' is not a frame"},
    {kFrames, "1,,2", "error: '' is not a frame"},
    {kFrames, "1-10x", "error: '1-10x' is not a frame"},
    {kFrames, "1-10x-2", "error: '1-10x-2' is not a frame"},
    {kFrames, "1-10y2", "error: '1-10y2' is not a frame"},
    {kFrames, "1 - 10", "error: '1 - 10' is not a frame"},
    {kFrames, "10-1", "error: '10-1' ends before it starts"},
    {kFrames, "1-10x0", "error: '1-10x0': the step after x must be 1 or more"},
    {kFrames, "1000000000", "error: '1000000000': frames go from"},
    {kFrames, "99999999999999999999", "error: '99999999999999999999': frames go from"},
    {kFrames, "1-2000000", "error: '1-2000000' is more than 1000000 frames"},
    {kFrames, "1-1000000,1-1000000,5", "1-1000000"},  // frames count once, however often listed
    {kFrames, "1-600000,700001-1300000", "error: '1-600000,700001-1300000' is more than"},
};

void CheckName(const GrammarCase& c)
{
    FramePattern pattern;
    std::string problem;
    const bool found = FindFramePattern(c.text, pattern, &problem);
    const std::string expect = c.expect;
    if (expect.empty() || expect.compare(0, 7, "error: ") == 0) {
        // A pattern tintra cannot use says why; a plain name says nothing.
        const std::string reason = expect.empty() ? "" : expect.substr(7);
        EXPECT_FALSE(found);
        EXPECT_EQ(problem.substr(0, reason.empty() ? std::string::npos : reason.size()), reason);
        return;
    }
    ASSERT_TRUE(found);
    std::string paths;
    for (int frame : {7, -3, 12345}) {
        const std::string path = pattern.Path(frame);
        paths += (paths.empty() ? "" : " ") + path;
        int back = 0;
        EXPECT_TRUE(pattern.FrameOf(path, back) && back == frame) << path;
    }
    EXPECT_EQ(paths, c.expect);
    // Only the exact spelling of a frame belongs to the sequence.
    int frame = 0;
    EXPECT_FALSE(pattern.FrameOf(pattern.head + "+7" + pattern.tail, frame));
    EXPECT_FALSE(pattern.FrameOf(pattern.head + pattern.tail, frame));
    EXPECT_FALSE(pattern.FrameOf(pattern.head + "0" + pattern.Path(12345).substr(pattern.head.size()), frame));
}

void CheckFrames(const GrammarCase& c)
{
    std::vector<int> frames;
    std::string error;
    const bool ok = ParseFrames(c.text, frames, error);
    const std::string expect = c.expect;
    if (expect.compare(0, 7, "error: ") == 0) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(error.compare(0, expect.size() - 7, expect.substr(7)), 0) << error;
        return;
    }
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(FramesText(frames), expect);
    std::vector<int> again;
    EXPECT_TRUE(ParseFrames(FramesText(frames), again, error) && again == frames);
}

TEST(FrameSequence, Grammar)
{
    for (const GrammarCase& c : kGrammar) {
        SCOPED_TRACE(c.text);
        if (c.kind == kName) CheckName(c);
        else CheckFrames(c);
    }
}

}  // namespace
