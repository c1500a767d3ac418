// Decimal parsing with the rules of the C library's atoi, made safe.
#pragma once

#include <cstdint>
#include <string_view>

namespace vintor::text {

// Optional leading blanks (space, \t, \n, \v, \f, \r), an optional sign, then the digits up
// to the first other character or the end. No digits gives 0. A value outside the 32-bit
// range saturates to INT32_MIN or INT32_MAX instead of being undefined.
std::int32_t ParseDecimal(std::string_view text);

}  // namespace vintor::text
