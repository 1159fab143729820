#include "tools/aehost/host_registry.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace aehost {
namespace registry {

namespace {

std::mutex g_mutex;
Host* g_hosts[kSlots] = {};

template <int Slot>
SPErr acquire_in_slot(const char* name, int32_t version, const void** suite)
{
    return dispatch_acquire(at(Slot), name, version, suite);
}

template <int Slot>
SPErr release_in_slot(const char* name, int32_t version)
{
    return dispatch_release(at(Slot), name, version);
}

SPBoolean is_equal(const char* a, const char* b) { return (SPBoolean)(a && b && std::strcmp(a, b) == 0); }

SPErr allocate_block(size_t size, void** block)
{
    if (!block) return kSPUnimplementedError;
    *block = std::malloc(size ? size : 1);
    return *block ? kSPNoError : kSPUnimplementedError;
}

SPErr free_block(void* block)
{
    std::free(block);
    return kSPNoError;
}

SPErr reallocate_block(void* block, size_t new_size, void** new_block)
{
    if (!new_block) return kSPUnimplementedError;
    void* moved = std::realloc(block, new_size ? new_size : 1);
    if (!moved) return kSPUnimplementedError;
    *new_block = moved;
    return kSPNoError;
}

SPErr undefined() { return kSPUnimplementedError; }

template <size_t... Slot>
constexpr std::array<SPBasicSuite, sizeof...(Slot)> make_basic_suites(std::index_sequence<Slot...>)
{
    return {{SPBasicSuite{&acquire_in_slot<(int)Slot>, &release_in_slot<(int)Slot>, &is_equal, &allocate_block,
                          &free_block, &reallocate_block, &undefined}...}};
}

std::array<SPBasicSuite, kSlots> g_basic_suites = make_basic_suites(std::make_index_sequence<kSlots>());

}  // namespace

int claim(Host* host)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!g_hosts[slot]) {
            g_hosts[slot] = host;
            return slot;
        }
    }
    throw std::runtime_error("aehost: more than " + std::to_string(kSlots) + " hosts alive at once");
}

void release(int slot)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_hosts[slot] = nullptr;
}

Host* at(int slot)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_hosts[slot];
}

Host* find(const void* token)
{
    if (!token) return nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    for (Host* host : g_hosts) {
        if (host && static_cast<const void*>(host) == token) return host;
    }
    return nullptr;
}

SPBasicSuite* basic_suite(int slot) { return &g_basic_suites[(size_t)slot]; }

}  // namespace registry
}  // namespace aehost
