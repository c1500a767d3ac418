// Whole-yen amounts as people read them.
#pragma once

#include <cstdint>
#include <string>

namespace vintor::checks {

// Digits in groups of three separated by commas, with a leading "-" when negative:
// 1234567 gives "1,234,567", -450000 gives "-450,000", 0 gives "0".
std::string GroupedYen(std::int64_t yen);

}  // namespace vintor::checks
