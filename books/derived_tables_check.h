// The tables a books file derives from its journal when it is written (monthly_totals.h,
// journal_layout.h) are what the cursors read: the totals cursor reads the monthly totals
// instead of the journal, the ledger cursor walks the postings and shows the keys and
// markers kept with each journal line. A file whose journal or derived tables were changed
// afterwards would give statements and a ledger that no journal supports, so a company's
// derived tables are recomputed from its journal and compared before the cursors first use
// them.
#pragma once

#include <string>

#include "books/books_session.h"
#include "books/sqlite_database.h"

namespace vintor::books {

// Compares the derived tables of company with its journal and openings in database, with
// the writer's own computations:
//   - the monthly totals, account by account and slot by slot;
//   - every journal line's copy of its voucher's date and number, its compound marker and
//     the keys the ledger shows, and the ledger order of the line ids;
//   - the postings, as a whole (their count and an order-free digest of their rows).
// False with *error naming what differs (the account and slot, the voucher and line, or the
// table), a journal line without its voucher, or a journal that no longer totals (a sum
// beyond 64 bits, an account that takes no postings). Reads the company's journal and
// postings once, without the descriptions; holds the vouchers and lines in memory, not the
// postings.
bool CheckDerivedTables(SqliteDatabase& database, const CompanyRecord& company, const Chart& chart,
                        std::string* error);

}  // namespace vintor::books
