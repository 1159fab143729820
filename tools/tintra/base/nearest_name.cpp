#include "tools/tintra/base/nearest_name.h"

#include <algorithm>

std::string NearestName(const std::string& typed, const std::vector<std::string>& candidates)
{
    // Edit distance, within a third of the name: "--quite" for "--quiet".
    std::string best;
    size_t best_distance = typed.size() / 3 + 1;
    for (const std::string& c : candidates) {
        std::vector<size_t> row(c.size() + 1);
        for (size_t j = 0; j <= c.size(); ++j) row[j] = j;
        for (size_t i = 1; i <= typed.size(); ++i) {
            size_t diagonal = row[0];
            row[0] = i;
            for (size_t j = 1; j <= c.size(); ++j) {
                const size_t above = row[j];
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (typed[i - 1] == c[j - 1] ? 0 : 1)});
                diagonal = above;
            }
        }
        if (row[c.size()] < best_distance) {
            best_distance = row[c.size()];
            best = c;
        }
    }
    return best;
}
