// The suites an arm64 Mach-O plug-in gets where a host callback must follow
// Apple's arm64 convention rather than the host's own (tools/loader/
// apple_arm64.h). The conventions differ in two places a plug-in can reach:
//
// - variadic arguments go on the stack, in 8-byte slots, never in registers:
//   the ANSI suite's sprintf needs an adapter;
// - arguments past the eighth are packed on the stack by their natural size
//   instead of taking 8-byte slots each. Of the callbacks the host hands out,
//   only the registration callback has a stack argument narrower than 8
//   bytes: its ninth (int32 reserved_info) lands at [sp] in both conventions,
//   and its tenth (a pointer) is aligned up to [sp + 8] by Apple's packing,
//   where a Linux-compiled callee reads it. The other callbacks with more
//   than eight arguments (iterate_origin, iterate_lut, IsIdenticalCheckout,
//   FindKeyframeTime) pass pointers there, which land in 8-byte slots either
//   way. So those need no adapter.
#pragma once

#include <cstdint>
#include <string>

namespace aehost {

// The suite table to give an Apple arm64 plug-in instead of the host's own
// `host_table`, or `host_table` where that follows Apple's convention already.
const void* apple_arm64_suite(const std::string& name, int32_t version, const void* host_table);

}  // namespace aehost
