#include "books/totals_digest.h"

#include <cstdio>

namespace vintor::books {
namespace {

// The finalizer of splitmix64: every input bit changes about half the output bits.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15u;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
  return x ^ (x >> 31);
}

}  // namespace

void TotalsDigest::Add(std::int64_t key, std::int64_t slot, std::int64_t debit_1,
                       std::int64_t credit_1, std::int64_t debit_2, std::int64_t credit_2) {
  std::uint64_t h = Mix(static_cast<std::uint64_t>(key));
  for (const std::int64_t value : {slot, debit_1, credit_1, debit_2, credit_2}) {
    h = Mix(h ^ static_cast<std::uint64_t>(value));
  }
  sum_ += h;
  ++rows_;
}

std::string TotalsDigest::Text() const {
  char text[48];
  std::snprintf(text, sizeof text, "%llu %016llx", static_cast<unsigned long long>(rows_),
                static_cast<unsigned long long>(sum_));
  return text;
}

std::string TotalsDigestName(std::int64_t company_id) {
  return "monthly_totals_digest " + std::to_string(company_id);
}

}  // namespace vintor::books
