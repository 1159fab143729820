// What the plug-in did that the standard forbids. Each fault is printed on
// stderr as it happens and kept, so a test can ask for them afterwards;
// any thread may report.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace ofxhost {

class Faults {
public:
    void report(const std::string& text);
    std::vector<std::string> list() const;
    size_t count() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> faults_;
};

}  // namespace ofxhost
