// One general-ledger line of the chosen range, and the run's list of them.
#pragma once

#include <cstdint>
#include <deque>

namespace vintor::supplements {

// A plain record, zero-filled before use. Texts are CP932, NUL-terminated in their fields.
struct LedgerEntry {
  std::int32_t account_key = 0;        // the account being extracted
  std::int32_t number = 0;             // the voucher number of the ledger line
  char date_text[31] = {};             // era date of the posting, empty when no era holds it
  char own_sub_account_name[31] = {};  // at most 30 bytes of text
  char counter_account_name[31] = {};  // the counter account's name, or "諸口"
  char counter_sub_account_name[31] = {};
  char description[61] = {};  // at most 60 bytes of text
  std::int64_t amount = 0;    // scaled, in the account's own direction
  std::int64_t balance = 0;   // scaled, the running balance after the line
};

// Ledger lines in extraction order: the entries of one account are consecutive and the
// accounts follow the order of the statement lines. The extraction appends, the ledger
// section reads. A deque grows in blocks without moving the entries already stored.
using LedgerEntryList = std::deque<LedgerEntry>;

// Hands out a run's ledger lines a part at a time, in extraction order, so that the report
// can be written without holding the whole ledger.
class LedgerEntrySource {
 public:
  enum class Answer { kEntries, kEnd, kFailed };
  virtual ~LedgerEntrySource() = default;
  // Replaces *entries by the next part (at least one entry) and answers kEntries; kEnd when
  // there is no more; kFailed when the next part cannot be had (the source says why).
  virtual Answer Next(LedgerEntryList* entries) = 0;
};

}  // namespace vintor::supplements
