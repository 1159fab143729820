// How C callbacks that carry no context find their Host. The basic suite's
// AcquireSuite and ReleaseSuite get only a name and a version, so every live
// host owns a slot, and each slot has its own basic suite whose functions
// know the slot number. Callbacks that do carry a pointer of ours (effect_ref,
// the registration's opaque pointer) are checked against the live hosts
// before they are trusted.
#pragma once

#include "host/sp_basic_suite.h"

namespace aehost {

class Host;

namespace registry {

constexpr int kSlots = 256;  // hosts alive at the same time

// Throws std::runtime_error when every slot is taken.
int claim(Host* host);
void release(int slot);
Host* at(int slot);
// The live host at address `token`, or null.
Host* find(const void* token);
// The basic suite whose functions dispatch to the host in `slot`.
SPBasicSuite* basic_suite(int slot);

// Implemented by the host; called by the per-slot basic suites with the
// slot's host, null if the slot is free.
SPErr dispatch_acquire(Host* host, const char* name, int32_t version, const void** suite);
SPErr dispatch_release(Host* host, const char* name, int32_t version);

}  // namespace registry
}  // namespace aehost
