// The hand-over from the totalling of accounts to the extraction of their general ledger.
#pragma once

#include "platform/records.h"

namespace vintor::statements {

// Receives every account the aggregation reads, when the user asked for the general ledger,
// right after the account's statement line is stored (accounts that get no line included).
// The implementation keeps its own ledger lines and cursors; the aggregation owns neither.
class AccountLedgerExtractor {
 public:
  virtual ~AccountLedgerExtractor() = default;
  // Extracts the ledger lines of one account for the range of the search condition, using
  // the totals set that tax_included chooses. The aggregation goes on whatever the answer:
  // an account whose ledger cannot be read still has its statement line.
  virtual bool ExtractAccountLedger(bool tax_included, const platform::StDATAINFO& company,
                                    const platform::StFINDINFO& find,
                                    const platform::StKAMOKUSUMINFO& totals) = 0;
};

}  // namespace vintor::statements
