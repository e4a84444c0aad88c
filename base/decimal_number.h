// Decimal numbers at the start of a text, as strtol reads them, kept within 32 bits.
#pragma once

#include <cstdint>
#include <string_view>

namespace base {

// Leading white space is skipped, then an optional sign and the digits up to the first
// other character; 0 without digits; beyond the 32-bit range, the nearest limit.
std::int32_t leadingDecimal(std::string_view text);

}  // namespace base
