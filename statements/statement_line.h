// One totalled account of the chosen month range.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vintor::statements {

// Size of the name fields: at most 30 bytes of CP932 text and a NUL.
inline constexpr std::size_t kLineNameFieldSize = 31;

// A plain record that the section writers copy whole. A default-constructed line is all
// zeros. Amounts are scaled (yen x 10 000) and signed on the account's natural side: for a
// debit-natured account a positive balance is a debit balance, otherwise a credit balance.
struct StatementLine {
  // Main account code x 10 000 plus the sub-account number (0 for a main account).
  std::int32_t key = 0;
  // The account's full name, NUL-terminated.
  char formal_name[kLineNameFieldSize] = {};
  // A second name that total lines prefer as their label; may be empty.
  char statement_name[kLineNameFieldSize] = {};
  // Balance before the first month of the range.
  std::int64_t opening = 0;
  // closing - opening.
  std::int64_t change = 0;
  // Balance at the end of the range; the amount every statement section writes.
  std::int64_t closing = 0;
  // The account character that sections select lines by.
  std::uint32_t character = 0;
  // The kind byte of the account-sum record, sign-extended. Item rows take kinds 0 and 3.
  std::int16_t kind = 0;
};

}  // namespace vintor::statements
