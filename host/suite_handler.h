// The per-call holder of host suites. An entry-point call creates one on its
// stack; each suite is acquired from the basic suite the first time the call
// asks for it and handed back, once, when the holder ends, also when an error
// leaves the call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/pf_suites.h"
#include "host/sp_basic_suite.h"
#include "host/suite_list.h"

struct SuitePair {
    const char* name;
    int32_t version;
};

#define TINTRA_SUITE_PAIR(stem, name, version, table) {name, version},
inline constexpr SuitePair kSuitePairs[] = {TINTRA_SUITE_LIST(TINTRA_SUITE_PAIR)};
#undef TINTRA_SUITE_PAIR

constexpr size_t kSuitePairCount = sizeof(kSuitePairs) / sizeof(kSuitePairs[0]);
static_assert(kSuitePairCount == 140, "the holder knows 140 suite pairs");

class AEGP_SuiteHandler {
public:
    // Throws the host error 516 as a plain int32_t, before any host call,
    // when basic_suite is null.
    explicit AEGP_SuiteHandler(const SPBasicSuite* basic_suite);
    ~AEGP_SuiteHandler();

    AEGP_SuiteHandler(const AEGP_SuiteHandler&) = delete;
    AEGP_SuiteHandler& operator=(const AEGP_SuiteHandler&) = delete;

    // One accessor per pair. Each throws 516 (int32_t) when the host does not
    // hand out its suite; the slot then stays empty.
#define TINTRA_SUITE_ACCESSOR(stem, name, version, table) \
    const table* stem##version() { return static_cast<const table*>(Slot(slot_##stem##version)); }
    TINTRA_SUITE_LIST(TINTRA_SUITE_ACCESSOR)
#undef TINTRA_SUITE_ACCESSOR

    // Hands one suite back; the host's answer is of no use to us and ignored.
    void ReleaseSuite(const char* name, int32_t version);

private:
#define TINTRA_SUITE_SLOT(stem, name, version, table) slot_##stem##version,
    enum SlotIndex : size_t { TINTRA_SUITE_LIST(TINTRA_SUITE_SLOT) kSlotCount };
#undef TINTRA_SUITE_SLOT
    static_assert(kSlotCount == kSuitePairCount, "one slot per pair");

    const void* Slot(size_t index);
    const void* FetchSuite(const char* name, int32_t version);
    void ReleaseAllSuites();
    [[noreturn]] void MissingSuiteError() const;

    const SPBasicSuite* basic_suite_;
    const void* slots_[kSlotCount];
};
