// The version of the program that made a result: the checkout's tag, or its commit, with
// "-dirty" when it had uncommitted changes; "unknown" outside a checkout.
#pragma once

namespace lab {

extern const char* const kVersion;

}  // namespace lab
