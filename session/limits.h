// The limits a session sets on what it is asked to simulate.
#pragma once

#include <cstdint>

namespace session {

// The most wavelengths a network may have: every table holds that many counters per link
// and each pair's view copies its links.
inline constexpr std::int32_t kMaxWavelengths = 4096;

}  // namespace session
