// Many renders of the real plug-in at once, as a host with threaded
// rendering makes them: different settings, 8 and 16 bit, each render itself
// split over several threads, all reading one shared source frame, repeated,
// while another thread keeps asking for the About text, the parameters and
// the global set-up. Every result must equal the same call made alone. Built with
// ThreadSanitizer this is also the race check of the whole render path.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/effect_params.h"
#include "tests/support/plugin_under_test.h"
#include "tools/aehost/effect.h"

namespace {

using aehost::Effect;

constexpr int32_t kWidth = 37;
constexpr int32_t kHeight = 23;
constexpr size_t kPixels = (size_t)kWidth * kHeight;

struct Job {
    RenderValues values;
    bool deep;
    int threads;  // threads inside the one render
};

RenderValues make(int32_t degrees, double chroma, int32_t clip, double alpha)
{
    RenderValues v;
    v.hue = degrees * 65536;
    v.chroma = chroma;
    v.clip = clip;
    v.alpha = alpha;
    return v;
}

std::vector<Job> jobs()
{
    const RenderValues settings[] = {
        make(0, 0.0, 1, 0.5),       make(90, 0.0, 1, 0.5),   make(-170, 45.0, 2, 0.5),
        make(33, 120.0, 3, 0.5),    make(200, 100.0, 4, 0.5), make(720, -1000.0, 1, 0.5),
        make(12, 300.0, 1, -1.0),   make(-45, 10000000.0, 2, 0.5), make(32767, 80.0, 0, 0.5),
        make(-32768, 60.0, 1, 5.0),
    };
    std::vector<Job> list;
    int threads = 1;
    for (const RenderValues& v : settings)
        for (bool deep : {false, true}) {
            list.push_back({v, deep, threads});
            threads = threads % 4 + 1;
        }
    return list;
}

// One frame of each depth that every render reads at the same time.
struct Frames {
    std::vector<PF_Pixel> in8;
    std::vector<PF_Pixel16> in16;

    Frames() : in8(kPixels), in16(kPixels)
    {
        uint32_t state = 12345;
        auto next = [&] {
            state = state * 1664525u + 1013904223u;
            return state >> 8;
        };
        for (size_t i = 0; i < kPixels; ++i) {
            uint32_t r = next();
            in8[i] = {(uint8_t)r, (uint8_t)(r >> 8), (uint8_t)(r >> 16), (uint8_t)next()};
            in16[i] = {(uint16_t)(next() % 32769), (uint16_t)(next() % 32769), (uint16_t)(next() % 32769),
                       (uint16_t)(next() % 32769)};
        }
    }
};

struct Result {
    int32_t err = -1;
    std::vector<PF_Pixel> out8;
    std::vector<PF_Pixel16> out16;

    bool operator==(const Result& o) const { return err == o.err && same(out8, o.out8) && same(out16, o.out16); }

    // A render fills one of the two frames; the other has no memory at all.
    template <typename Pixel>
    static bool same(const std::vector<Pixel>& a, const std::vector<Pixel>& b)
    {
        return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Pixel)) == 0);
    }
};

Result render(const Effect& effect, const Frames& frames, const Job& job, int threads)
{
    Result r;
    if (job.deep) {
        r.out16.assign(kPixels, PF_Pixel16{1, 2, 3, 4});
        r.err = effect.render16(WithValues(effect, job.values), kWidth, kHeight, frames.in16.data(), r.out16.data(), threads);
    } else {
        r.out8.assign(kPixels, PF_Pixel{1, 2, 3, 4});
        r.err = effect.render8(WithValues(effect, job.values), kWidth, kHeight, frames.in8.data(), r.out8.data(), threads);
    }
    return r;
}

struct Load {
    int render_threads;  // renders running at once
    int rounds;          // how often each thread goes through every job
};

class ConcurrentRenders : public ::testing::TestWithParam<Load> {};

TEST_P(ConcurrentRenders, EveryResultEqualsTheSameRenderDoneAlone)
{
    const Load load = GetParam();
    std::string error;
    std::unique_ptr<Effect> effect = Effect::load(plugin_path(), &error);
    ASSERT_TRUE(effect) << error;
    const Frames frames;
    const std::vector<Job> list = jobs();

    // The reference: each render alone, on one thread.
    std::vector<Result> alone;
    for (const Job& job : list) {
        alone.push_back(render(*effect, frames, job, 1));
        ASSERT_EQ(alone.back().err, 0);
    }

    // The other commands alone, for the thread that keeps repeating them
    // while the renders run: nothing they use may be shared and mutable.
    std::string about_alone;
    std::vector<aehost::DeclaredParam> params_alone;
    aehost::GlobalSetup setup_alone;
    ASSERT_EQ(effect->about(&about_alone), 0);
    ASSERT_EQ(effect->params_setup(&params_alone), 0);
    ASSERT_EQ(effect->global_setup(&setup_alone), 0);

    std::atomic<int> mismatches{0};
    std::atomic<int> renders{0};
    std::atomic<bool> rendering{true};
    std::thread others([&] {
        do {
            std::string about;
            std::vector<aehost::DeclaredParam> params;
            aehost::GlobalSetup setup;
            if (effect->about(&about) != 0 || about != about_alone)
                ++mismatches;
            if (effect->params_setup(&params) != 0 || params.size() != params_alone.size())
                ++mismatches;
            for (size_t i = 0; i < params.size() && i < params_alone.size(); ++i)
                if (params[i].name != params_alone[i].name || params[i].type != params_alone[i].type)
                    ++mismatches;
            if (effect->global_setup(&setup) != 0 || setup.my_version != setup_alone.my_version ||
                setup.out_flags != setup_alone.out_flags || setup.out_flags2 != setup_alone.out_flags2)
                ++mismatches;
        } while (rendering);
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < load.render_threads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < load.rounds; ++round)
                for (size_t k = 0; k < list.size(); ++k) {
                    // Each thread walks the jobs from a different place, so
                    // different settings and depths overlap in time.
                    const size_t j = (k + (size_t)t * 3 + (size_t)round) % list.size();
                    if (!(render(*effect, frames, list[j], list[j].threads) == alone[j]))
                        ++mismatches;
                    ++renders;
                }
        });
    }
    for (std::thread& th : threads)
        th.join();
    rendering = false;
    others.join();

    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(renders.load(), load.render_threads * load.rounds * (int)list.size());
    RecordProperty("concurrent_renders", renders.load());
}

INSTANTIATE_TEST_SUITE_P(Concurrency, ConcurrentRenders, ::testing::Values(Load{2, 2}, Load{6, 2}, Load{12, 1}));

}  // namespace
