// The plug-in binary every integration test drives, and what the tests share
// about it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/effect_params.h"
#include "tools/aehost/host.h"

namespace integration {

// $TINTRA_PLUGIN, or this build's TINTRA.so.
std::string plugin_path();

// Loaded once per test program; null (with the reason in *error) if it
// cannot be loaded.
std::shared_ptr<const aehost::PluginLibrary> plugin(std::string* error);

// Base of every integration test: fails at once, naming the path and the
// loader's complaint, when the binary cannot be loaded.
class PluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        library_ = plugin(&error);
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
class PluginTestWithParam : public PluginTest, public ::testing::WithParamInterface<Param> {};

// Raw bytes of a record, to prove later that nothing in it changed.
template <typename T>
std::vector<unsigned char> bytes_of(const T& record)
{
    std::vector<unsigned char> bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

template <typename T>
void fill(T& record, unsigned char pattern)
{
    std::memset(static_cast<void*>(&record), pattern, sizeof record);
}

// The suite traffic of a call, as "+name/version" for an acquisition,
// "-name/version" for a release, "!name/version" for a refusal and
// "?name/version" for a release of something not acquired.
std::vector<std::string> suite_traffic(const aehost::Host& host);

}  // namespace integration
