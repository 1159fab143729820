// Marks the two functions the host looks up by name. Everything else in the
// library stays private to it.
#pragma once

#ifdef _WIN32
#define TINTRA_EXPORT __declspec(dllexport)
#else
#define TINTRA_EXPORT __attribute__((visibility("default")))
#endif
