#include "tools/tintra/reporting/repeated_notes.h"

bool RepeatedNotes::First(const std::string& text)
{
    const int seen = counts_[text]++;
    if (seen == 0) order_.push_back(text);
    return seen == 0;
}

std::vector<std::string> RepeatedNotes::Repeats() const
{
    std::vector<std::string> lines;
    for (const std::string& text : order_) {
        const int more = counts_.at(text) - 1;
        if (more > 0)
            lines.push_back("the same for " + std::to_string(more) + " more frame" + (more == 1 ? "" : "s") + ": " +
                            text);
    }
    return lines;
}
