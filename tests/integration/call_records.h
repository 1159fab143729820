// What the integration tests observe of a call: the raw bytes of the records
// it was handed, and the suites it acquired and released.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/plugin_test.h"
#include "tools/aehost/host.h"

namespace integration {

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
