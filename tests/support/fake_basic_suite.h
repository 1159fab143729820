// A stand-in for the host's basic suite that hands out suites by (name,
// version), can be told to refuse some, and logs every acquire and release in
// call order. One instance at a time is live.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/sp_basic_suite.h"

class FakeBasicSuite {
public:
    FakeBasicSuite();
    ~FakeBasicSuite();

    // Unconfigured pairs are handed out too, each as its own dummy table.
    void Provide(const std::string& name, int32_t version, const void* table);
    void FailWithError(const std::string& name, int32_t version, SPErr err);
    void FailWithNull(const std::string& name, int32_t version);
    void FailReleases(SPErr err) { release_result_ = err; }

    // Acquisition attempts, successful or not.
    int Acquires(const std::string& name, int32_t version) const;
    int Releases(const std::string& name, int32_t version) const;
    // Every host call so far, as "acquire <name> <version>" / "release <name> <version>".
    const std::vector<std::string>& Log() const { return log_; }
    // Successful acquisitions not yet handed back.
    int Outstanding() const;

    SPBasicSuite suite;

private:
    struct Entry {
        const void* table = nullptr;
        SPErr err = 0;
        bool hand_out_null = false;
        int acquires = 0;
        int releases = 0;
    };
    using Key = std::pair<std::string, int32_t>;

    static SPErr Acquire(const char* name, int32_t version, const void** out);
    static SPErr Release(const char* name, int32_t version);
    static FakeBasicSuite* live_;

    std::map<Key, Entry> entries_;
    std::vector<std::string> log_;
    SPErr release_result_ = 0;
};
