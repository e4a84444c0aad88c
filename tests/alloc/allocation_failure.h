// Injected allocation failures: once armed, the n-th allocation through any global
// operator new of this binary fails (std::bad_alloc, or none from the nothrow forms).
#pragma once

#include <cstdint>

namespace alloc_test {

// Counts allocations from now on; the n-th (n >= 1) fails. n = 0 only counts.
void arm(std::int64_t n);
// Prints the stack of the failing allocation (sanitizer builds only).
void traceFailure(bool on);
// Stops counting and failing.
void disarm();
// Allocations since the last arm().
std::int64_t allocationsSinceArm();
// Whether the armed failure has happened.
bool failureInjected();

}  // namespace alloc_test
