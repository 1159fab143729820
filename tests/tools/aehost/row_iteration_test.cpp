#include "tools/aehost/row_iteration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "host/pf_pixel.h"

namespace aehost {
namespace {

struct WorkerCase {
    int64_t rows;
    int threads;
    int workers;
};

class WorkerCount : public ::testing::TestWithParam<WorkerCase> {};

TEST_P(WorkerCount, NeverMoreThreadsThanRows)
{
    const WorkerCase& c = GetParam();
    EXPECT_EQ(worker_count(c.rows, c.threads), c.workers);
}

INSTANTIATE_TEST_SUITE_P(Table, WorkerCount,
                         ::testing::Values(WorkerCase{10, 1, 1}, WorkerCase{10, 3, 3}, WorkerCase{2, 5, 2},
                                           WorkerCase{0, 4, 1},   // nothing to do still runs on the caller
                                           WorkerCase{-4, 2, 1},  // inverted range
                                           WorkerCase{7, 0, 1},   // below one thread is one
                                           WorkerCase{1, 64, 1}, WorkerCase{4000000000LL, 8, 8}));

// A frame of padded 16-bit rows; each pixel's in-value encodes its position.
struct Frame {
    static constexpr int32_t kWidth = 13, kHeight = 11, kPad = 24;
    static constexpr ptrdiff_t kRowbytes = kWidth * (ptrdiff_t)sizeof(PF_Pixel16) + kPad;
    std::vector<unsigned char> src = std::vector<unsigned char>(kRowbytes * kHeight, 0xEE);
    std::vector<unsigned char> dst = std::vector<unsigned char>(kRowbytes * kHeight, 0xDD);

    Frame()
    {
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) *in().at(x, y) = PF_Pixel16{1, (uint16_t)x, (uint16_t)y, 7};
    }
    PixelPlane<PF_Pixel16> in() { return {src.data(), kRowbytes}; }
    PixelPlane<PF_Pixel16> out() { return {dst.data(), kRowbytes}; }
    bool padding_untouched() const
    {
        for (int32_t y = 0; y < kHeight; ++y)
            for (ptrdiff_t i = kWidth * (ptrdiff_t)sizeof(PF_Pixel16); i < kRowbytes; ++i)
                if (dst[(size_t)(y * kRowbytes + i)] != 0xDD || src[(size_t)(y * kRowbytes + i)] != 0xEE) return false;
        return true;
    }
};

struct Visits {
    std::atomic<int> count[Frame::kHeight][Frame::kWidth] = {};
    std::atomic<int> misplaced{0};
};

int32_t visit(void* refcon, int32_t x, int32_t y, PF_Pixel16* in, PF_Pixel16* out)
{
    Visits& visits = *static_cast<Visits*>(refcon);
    // The pointers must be those of (x, y), found through rowbytes.
    if (in->red != x || in->green != y) ++visits.misplaced;
    ++visits.count[y][x];
    *out = PF_Pixel16{in->alpha, (uint16_t)(in->red + 100), (uint16_t)(in->green + 200), in->blue};
    return 0;
}

class IterateRowsThreads : public ::testing::TestWithParam<int> {};

TEST_P(IterateRowsThreads, VisitsEveryPixelOnceThroughPaddedRows)
{
    Frame frame;
    Visits visits;
    std::vector<int32_t> progress;
    int32_t err = iterate_rows<PF_Pixel16>(frame.in(), frame.out(), 0, 0, Frame::kWidth, Frame::kHeight, GetParam(),
                                           &visits, &visit, [&](int32_t done) { progress.push_back(done); });
    EXPECT_EQ(err, 0);
    EXPECT_EQ(visits.misplaced.load(), 0);
    for (int32_t y = 0; y < Frame::kHeight; ++y) {
        for (int32_t x = 0; x < Frame::kWidth; ++x) {
            EXPECT_EQ(visits.count[y][x].load(), 1) << x << "," << y;
            const PF_Pixel16& out = *frame.out().at(x, y);
            EXPECT_EQ(out.red, x + 100);
            EXPECT_EQ(out.green, y + 200);
        }
    }
    EXPECT_TRUE(frame.padding_untouched());
    std::vector<int32_t> expected_progress;
    for (int32_t row = 1; row <= Frame::kHeight; ++row) expected_progress.push_back(row);
    EXPECT_EQ(progress, expected_progress);
}

TEST_P(IterateRowsThreads, EveryThreadTakesPartAndNoRowIsSplit)
{
    Frame frame;
    int threads = GetParam();
    int expected = std::min(threads, (int)Frame::kHeight);
    struct Context {
        std::mutex mutex;
        std::condition_variable all_arrived;
        std::set<std::thread::id> arrived;
        std::map<int32_t, std::set<std::thread::id>> threads_of_row;
        size_t expected;
        bool timed_out = false;
    } context;
    context.expected = (size_t)expected;
    // Each thread waits at its first pixel until all of them have arrived, so
    // the call can only finish if the host really runs them side by side. The
    // wait is bounded so that a host that does not fails instead of hanging.
    auto fn = [](void* refcon, int32_t, int32_t y, PF_Pixel16*, PF_Pixel16*) -> int32_t {
        Context& c = *static_cast<Context*>(refcon);
        std::unique_lock<std::mutex> lock(c.mutex);
        c.threads_of_row[y].insert(std::this_thread::get_id());
        if (c.arrived.insert(std::this_thread::get_id()).second) {
            c.all_arrived.notify_all();
            if (!c.all_arrived.wait_for(lock, std::chrono::seconds(20),
                                        [&] { return c.arrived.size() >= c.expected; }))
                c.timed_out = true;
        }
        return 0;
    };
    ASSERT_EQ(iterate_rows<PF_Pixel16>(frame.in(), frame.out(), 0, 0, Frame::kWidth, Frame::kHeight, threads, &context,
                                       +fn, nullptr),
              0);
    EXPECT_FALSE(context.timed_out) << "the threads of one iterate call did not run side by side";
    EXPECT_EQ(context.arrived.size(), (size_t)expected);
    ASSERT_EQ(context.threads_of_row.size(), (size_t)Frame::kHeight);
    for (const auto& row : context.threads_of_row)
        EXPECT_EQ(row.second.size(), 1u) << "row " << row.first << " was split between threads";
}

INSTANTIATE_TEST_SUITE_P(Threads, IterateRowsThreads, ::testing::Values(1, 2, 3, 4, 7, 11, 32));

struct ErrorAt {
    int32_t x, y;
    std::atomic<int> after_error{0};
    std::atomic<bool> failed{false};
};

int32_t fail_at(void* refcon, int32_t x, int32_t y, PF_Pixel16*, PF_Pixel16* out)
{
    ErrorAt& at = *static_cast<ErrorAt*>(refcon);
    if (at.failed.load()) ++at.after_error;
    out->alpha = 1;
    if (x == at.x && y == at.y) {
        at.failed = true;
        return 517;
    }
    return 0;
}

TEST(IterateRows, StopsAtTheFirstErrorAndReturnsIt)
{
    Frame frame;
    ErrorAt at{4, 6};
    std::vector<int32_t> progress;
    int32_t err = iterate_rows<PF_Pixel16>(frame.in(), frame.out(), 0, 0, Frame::kWidth, Frame::kHeight, 1, &at,
                                           &fail_at, [&](int32_t done) { progress.push_back(done); });
    EXPECT_EQ(err, 517);
    EXPECT_EQ(at.after_error.load(), 0);
    // With one thread the pixels after (4, 6) in row order are never reached.
    EXPECT_EQ(frame.out().at(4, 6)->alpha, 1);
    EXPECT_EQ(frame.out().at(5, 6)->alpha, 0xDDDD);
    EXPECT_EQ(frame.out().at(0, 7)->alpha, 0xDDDD);
    EXPECT_EQ(progress.size(), 6u);  // rows 0..5 finished
}

TEST(IterateRows, AnErrorOnAnyThreadReachesTheCaller)
{
    for (int threads : {2, 4, 11}) {
        Frame frame;
        ErrorAt at{12, 10};  // the last pixel of the last row
        EXPECT_EQ(iterate_rows<PF_Pixel16>(frame.in(), frame.out(), 0, 0, Frame::kWidth, Frame::kHeight, threads,
                                           &at, &fail_at, nullptr),
                  517)
            << threads << " threads";
    }
}

TEST(IterateRows, KeepsToTheArea)
{
    Frame frame;
    Visits visits;
    ASSERT_EQ(iterate_rows<PF_Pixel16>(frame.in(), frame.out(), 2, 3, 9, 5, 3, &visits, &visit, nullptr), 0);
    for (int32_t y = 0; y < Frame::kHeight; ++y)
        for (int32_t x = 0; x < Frame::kWidth; ++x)
            EXPECT_EQ(visits.count[y][x].load(), (x >= 2 && x < 9 && y >= 3 && y < 5) ? 1 : 0) << x << "," << y;
}

}  // namespace
}  // namespace aehost
