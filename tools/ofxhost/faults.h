// What the plug-in did that the standard forbids. Each fault is printed on
// stderr as it happens and kept, so a test can ask for them afterwards;
// any thread may report. Kept apart, as notes: properties the plug-in tried
// to set that this host does not know. The standard lets a plug-in try
// (that is how it finds what a host offers); the host refuses them, and a
// test can still ask which names they were.
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
    void note_unknown(const std::string& name);
    std::vector<std::string> unknown_names_set() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> faults_;
    std::vector<std::string> unknown_;
};

}  // namespace ofxhost
