// The host's basic suite: the one table handed to the effect directly, from
// which every other suite is acquired by name and version.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

typedef int32_t SPErr;

// The one type that differs between the platforms: IsEqual answers with a
// 32-bit integer on Windows and a single byte on macOS.
#ifdef _WIN32
typedef int32_t SPBoolean;
#else
typedef uint8_t SPBoolean;
#endif

typedef struct SPBasicSuite {
    SPErr (*AcquireSuite)(const char* name, int32_t version, const void** suite);
    SPErr (*ReleaseSuite)(const char* name, int32_t version);
    SPBoolean (*IsEqual)(const char* token1, const char* token2);
    SPErr (*AllocateBlock)(size_t size, void** block);
    SPErr (*FreeBlock)(void* block);
    SPErr (*ReallocateBlock)(void* block, size_t new_size, void** new_block);
    SPErr (*Undefined)(void);
} SPBasicSuite;

}  // extern "C"

constexpr const char* kSPBasicSuite = "SP Basic Suite";
constexpr int32_t kSPBasicSuiteVersion = 4;

constexpr SPErr kSPNoError = 0;
constexpr SPErr kSPUnimplementedError = 0x21494D50;  // '!IMP'

static_assert(sizeof(SPBasicSuite) == 56, "SPBasicSuite: 7 slots");
static_assert(offsetof(SPBasicSuite, AcquireSuite) == 0 && offsetof(SPBasicSuite, ReleaseSuite) == 8 &&
                  offsetof(SPBasicSuite, IsEqual) == 16 && offsetof(SPBasicSuite, AllocateBlock) == 24 &&
                  offsetof(SPBasicSuite, FreeBlock) == 32 && offsetof(SPBasicSuite, ReallocateBlock) == 40 &&
                  offsetof(SPBasicSuite, Undefined) == 48,
              "SPBasicSuite slots");
#ifdef _WIN32
static_assert(sizeof(SPBoolean) == 4, "SPBoolean is 32 bits on Windows");
#else
static_assert(sizeof(SPBoolean) == 1, "SPBoolean is one byte on macOS");
#endif
