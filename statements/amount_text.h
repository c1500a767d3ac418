// The text a scaled amount is written as in the report.
#pragma once

#include <cstdint>
#include <string>

namespace vintor::statements {

// Whole yen, truncated toward zero, as a plain decimal with a leading "-" when negative and
// no separators. Less than one yen either way gives the empty text, which tells the item
// writers to leave the line out.
std::string AmountText(std::int64_t scaled);

}  // namespace vintor::statements
