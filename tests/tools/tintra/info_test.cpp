// tintra info shows what the plug-in declares, as the test host sees it.
#include <gtest/gtest.h>

#include "tool_fixture.h"
#include "tools/aehost/effect.h"

namespace {

using namespace tintra_test;

class Info : public testing::Test {
protected:
    void SetUp() override
    {
        run_ = RunTintra({"info"});
        ASSERT_EQ(run_.status, 0) << run_.err;
        std::string error;
        effect_ = aehost::Effect::load(PluginPath(), &error);
        ASSERT_TRUE(effect_) << error;
    }

    bool Shows(const std::string& line) const { return run_.out.find(line + "\n") != std::string::npos; }

    ToolRun run_;
    std::unique_ptr<aehost::Effect> effect_;
};

TEST_F(Info, ShowsTheIdentity)
{
    EXPECT_EQ(run_.out.substr(0, 7), "TINTRA\n");
    const std::vector<std::string> lines = {
        "  match name   halvecort TINTRA",
        "  category     Color Correction",
        "  entry point  EffectMain",
        "  version      1.2.0 develop, build 1 (version word 0x00090001)",
        "  effect API   13.28",
        "  flags        out_flags 0x06000000, out_flags2 0x08000000",
        "  plug-in      " + PluginPath(),
    };
    for (const std::string& line : lines) EXPECT_TRUE(Shows(line)) << line << "\n---\n" << run_.out;
    EXPECT_EQ(run_.err, "");
}

TEST_F(Info, ShowsEveryParameterWithRangesAndDefaults)
{
    const std::vector<std::string> lines = {
        "  1. Hue (id 1, --hue)",
        "       angle, default 0 degrees",
        "  2. Chroma (id 2, --chroma)",
        "       float slider, default 0, slider -100..100, valid -10000000..10000000, 0 decimals shown",
        "  3. Clip Method (id 3, --clip)",
        "       1 Adaptive Hue-dependent   (--clip adaptive)",
        "       2 Chroma Clipped           (--clip chroma)",
        "       3 Truncate                 (--clip truncate)",
        "       4 Debug                    (--clip debug)",
        "  4. Adaptive Clip Alpha (id 4, --alpha)",
        "       float slider, default 0.5, slider 0.05..5, valid -10000000..10000000, 3 decimals shown",
    };
    for (const std::string& line : lines) EXPECT_TRUE(Shows(line)) << line << "\n---\n" << run_.out;

    // The popup's count and default are whatever the plug-in declares.
    std::vector<aehost::DeclaredParam> params;
    ASSERT_EQ(effect_->params_setup(&params), 0);
    ASSERT_EQ(params.size(), 4u);
    const std::string popup = "       popup, " + std::to_string(params[2].num_choices) + " choices, default " +
                              std::to_string(params[2].popup_default);
    EXPECT_TRUE(Shows(popup)) << popup << "\n---\n" << run_.out;
}

TEST_F(Info, ShowsTheAboutTextLineByLine)
{
    std::string about;
    ASSERT_EQ(effect_->about(&about), 0);
    ASSERT_NE(about.find('\r'), std::string::npos);
    std::string shown = "About:\n  ";
    for (char c : about) shown += c == '\r' ? std::string("\n  ") : std::string(1, c);
    EXPECT_NE(run_.out.find(shown + "\n"), std::string::npos) << run_.out;
    EXPECT_EQ(run_.out.find('\r'), std::string::npos);
}

}  // namespace
