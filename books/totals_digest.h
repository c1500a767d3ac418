// A digest of one company's stored monthly totals, written with them, so that the totals
// cursor can tell totals changed or lost since the file was written without reading the
// journal they were computed from.
//
// The digest is kept in the settings table under the name TotalsDigestName(company id), as
// "<rows> <16 hex digits>": the number of monthly_totals rows and an order-free sum of a
// strong mix of each row's key, slot and four amounts. Equal sets of rows give equal
// digests; a changed, added or removed row changes it (barring a 64-bit collision).
#pragma once

#include <cstdint>
#include <string>

namespace vintor::books {

class TotalsDigest {
 public:
  void Add(std::int64_t key, std::int64_t slot, std::int64_t debit_1, std::int64_t credit_1,
           std::int64_t debit_2, std::int64_t credit_2);
  // "<rows> <16 lowercase hex digits>".
  std::string Text() const;
  bool operator==(const TotalsDigest&) const = default;

 private:
  std::uint64_t sum_ = 0;
  std::uint64_t rows_ = 0;
};

// The settings name under which the digest of a company's totals is kept.
std::string TotalsDigestName(std::int64_t company_id);

}  // namespace vintor::books
