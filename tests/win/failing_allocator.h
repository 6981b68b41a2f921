// The Windows-side test binary's operator new, which can be told to fail: every allocation
// after the next n (plain forms throw std::bad_alloc, nothrow forms give null) until
// StopFailingAllocations. Off unless asked.
#pragma once

namespace quilvo::test {

void FailAllocationsAfter(int n);
void StopFailingAllocations();
// Allocations refused since FailAllocationsAfter.
int RefusedAllocations();

}  // namespace quilvo::test
