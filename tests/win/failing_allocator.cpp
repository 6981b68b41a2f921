#include "failing_allocator.h"

#include <cstdlib>
#include <new>

namespace quilvo::test {
namespace {

int g_allowed = -1;  // allocations still allowed; -1: no limit
int g_refused = 0;

bool Refuse() {
    if (g_allowed < 0) return false;
    if (g_allowed > 0) {
        --g_allowed;
        return false;
    }
    ++g_refused;
    return true;
}

void* Allocate(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

}  // namespace

void FailAllocationsAfter(int n) {
    g_allowed = n;
    g_refused = 0;
}
void StopFailingAllocations() { g_allowed = -1; }
int RefusedAllocations() { return g_refused; }

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
