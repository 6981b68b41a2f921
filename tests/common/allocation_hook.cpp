#include "allocation_hook.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace quilvo::test {
namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
std::atomic<int> g_allowed{-1};  // allocations still allowed; -1: no limit
std::atomic<int> g_refused{0};
std::atomic<int> g_uncounted{0};  // live UncountedAllocations

// Counts the allocation and says whether it is refused.
bool Refuse() {
    if (g_uncounted.load() > 0) return false;
    if (g_counting.load()) ++g_allocations;
    int allowed = g_allowed.load();
    if (allowed < 0) return false;
    if (allowed > 0) {
        g_allowed = allowed - 1;
        return false;
    }
    ++g_refused;
    return true;
}

void* Allocate(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

}  // namespace

void StartCountingAllocations() {
    g_allocations = 0;
    g_counting = true;
}
void StopCountingAllocations() { g_counting = false; }
long Allocations() { return g_allocations.load(); }

void FailAllocationsAfter(int n) {
    g_allowed = n;
    g_refused = 0;
}
void StopFailingAllocations() { g_allowed = -1; }
int RefusedAllocations() { return g_refused.load(); }

UncountedAllocations::UncountedAllocations() { ++g_uncounted; }
UncountedAllocations::~UncountedAllocations() { --g_uncounted; }

}  // namespace quilvo::test

namespace {
using quilvo::test::Allocate;
using quilvo::test::Refuse;
}  // namespace

void* operator new(std::size_t size) {
    void* p = Refuse() ? nullptr : Allocate(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Refuse() ? nullptr : Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
