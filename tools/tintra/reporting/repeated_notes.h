// Per-frame notes of a batch said once: the first frame's note in full, the
// same note of later frames counted and said once at the end, so that a
// note every frame of a 3,000-frame sequence shares is two lines, not 3,000.
#pragma once

#include <map>
#include <string>
#include <vector>

class RepeatedNotes {
public:
    // Whether this note (its text, whichever file) is new; counted either way.
    bool First(const std::string& text);
    // One line per note seen more than once: "the same for N more frames: text",
    // in the order first seen.
    std::vector<std::string> Repeats() const;

private:
    std::map<std::string, int> counts_;
    std::vector<std::string> order_;
};
