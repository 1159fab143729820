#include "tests/support/fake_basic_suite.h"

#include <stdexcept>

FakeBasicSuite* FakeBasicSuite::live_ = nullptr;

FakeBasicSuite::FakeBasicSuite() : suite()
{
    if (live_) {
        throw std::logic_error("one FakeBasicSuite at a time");
    }
    live_ = this;
    suite.AcquireSuite = &Acquire;
    suite.ReleaseSuite = &Release;
}

FakeBasicSuite::~FakeBasicSuite()
{
    live_ = nullptr;
}

void FakeBasicSuite::Provide(const std::string& name, int32_t version, const void* table)
{
    entries_[{name, version}].table = table;
}

void FakeBasicSuite::FailWithError(const std::string& name, int32_t version, SPErr err)
{
    Entry& e = entries_[{name, version}];
    e.err = err;
    e.table = &e;  // an error must win even when a pointer comes with it
}

void FakeBasicSuite::FailWithNull(const std::string& name, int32_t version)
{
    Entry& e = entries_[{name, version}];
    e.err = 0;
    e.hand_out_null = true;
}

int FakeBasicSuite::Acquires(const std::string& name, int32_t version) const
{
    auto it = entries_.find({name, version});
    return it == entries_.end() ? 0 : it->second.acquires;
}

int FakeBasicSuite::Releases(const std::string& name, int32_t version) const
{
    auto it = entries_.find({name, version});
    return it == entries_.end() ? 0 : it->second.releases;
}

int FakeBasicSuite::Outstanding() const
{
    int n = 0;
    for (const auto& kv : entries_) {
        if (kv.second.err == 0 && !kv.second.hand_out_null) {
            n += kv.second.acquires - kv.second.releases;
        }
    }
    return n;
}

SPErr FakeBasicSuite::Acquire(const char* name, int32_t version, const void** out)
{
    FakeBasicSuite& self = *live_;
    self.log_.push_back("acquire " + std::string(name) + " " + std::to_string(version));
    auto found = self.entries_.find({name, version});
    if (found == self.entries_.end()) {
        found = self.entries_.emplace(Key{name, version}, Entry{}).first;
        found->second.table = &found->second;
    }
    Entry& e = found->second;
    ++e.acquires;
    *out = e.hand_out_null ? nullptr : e.table;
    return e.err;
}

SPErr FakeBasicSuite::Release(const char* name, int32_t version)
{
    FakeBasicSuite& self = *live_;
    self.log_.push_back("release " + std::string(name) + " " + std::to_string(version));
    ++self.entries_[{name, version}].releases;
    return self.release_result_;
}
