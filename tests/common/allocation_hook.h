// The test binaries' own operator new: off, it allocates as the library would; it can count
// the allocations made, and refuse them as a machine without memory does (the plain forms
// throw std::bad_alloc, the nothrow forms give null).
#pragma once

namespace quilvo::test {

// Counting: Allocations() is the number of allocations since StartCountingAllocations.
void StartCountingAllocations();
void StopCountingAllocations();
long Allocations();

// Failing: every allocation after the next n is refused until StopFailingAllocations.
void FailAllocationsAfter(int n);
void StopFailingAllocations();
// Allocations refused since FailAllocationsAfter.
int RefusedAllocations();

// While one lives, allocations are neither counted nor refused: a fake keeps its own records
// without being taken for the code under test.
class UncountedAllocations {
public:
    UncountedAllocations();
    ~UncountedAllocations();
    UncountedAllocations(const UncountedAllocations&) = delete;
    UncountedAllocations& operator=(const UncountedAllocations&) = delete;
};

}  // namespace quilvo::test
