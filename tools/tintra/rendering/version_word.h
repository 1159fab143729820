// The After Effects host's version word, which tintra's own version is
// written in too.
#pragma once

#include <cstdint>
#include <string>

// The word as text: "1.2.0 develop, build 1 (version word ...)".
std::string VersionText(uint32_t word);

// tintra's own version, as `tintra --version` and a run's report give it:
// the package's, "1.2.0"; the stage and build are the plug-in's to state.
std::string TintraVersion();
