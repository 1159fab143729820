// The name nearest to a mistyped one, for the "did you mean" of a message.
#pragma once

#include <string>
#include <vector>

// The name among candidates nearest to a mistyped one, if near enough to be
// a likely slip; empty otherwise.
std::string NearestName(const std::string& typed, const std::vector<std::string>& candidates);
