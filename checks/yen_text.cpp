#include "checks/yen_text.h"

namespace vintor::checks {

std::string GroupedYen(std::int64_t yen) {
  // Through the unsigned magnitude, so the most negative amount has one too.
  const bool negative = yen < 0;
  std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(yen) + 1 : static_cast<std::uint64_t>(yen);
  std::string reversed;
  int digits = 0;
  do {
    if (digits > 0 && digits % 3 == 0) reversed += ',';
    reversed += static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    ++digits;
  } while (magnitude != 0);
  if (negative) reversed += '-';
  return {reversed.rbegin(), reversed.rend()};
}

}  // namespace vintor::checks
