// The fixture of the tests that drive the plug-in binary.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/effect_params.h"
#include "tests/support/plugin_under_test.h"

// Base of the tests that drive the binary: each fails at once, naming the
// path and the loader's complaint, when it cannot be loaded.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        library_ = plugin_under_test(&error);
        ASSERT_TRUE(library_) << error;
    }
    const std::shared_ptr<const aehost::PluginLibrary>& library() const { return library_; }
    // What the plug-in declares at params set-up, asked once per program.
    const std::vector<PF_ParamDef>& declared() const
    {
        static const std::vector<PF_ParamDef> definitions = DeclaredBy(library_);
        return definitions;
    }

private:
    std::shared_ptr<const aehost::PluginLibrary> library_;
};

template <typename Param>
class PluginTestWithParam : public PluginTest, public ::testing::WithParamInterface<Param> {
};
