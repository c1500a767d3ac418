// The monthly totals kept in a books file are derived from its journal and openings when the
// file is written (monthly_totals.h); the totals cursor reads them instead of the journal.
// A file whose journal or totals were changed afterwards would total to numbers no journal
// supports, so the stored totals of a company are recomputed from its journal and compared
// before they are first handed out.
#pragma once

#include <string>

#include "books/books_session.h"
#include "books/monthly_totals.h"
#include "books/sqlite_database.h"

namespace vintor::books {

// Recomputes the totals of company from the journal and openings in database with the
// writer's own computation and compares them with stored, slot by slot. False with *error
// naming the first account and slot that differ, a journal line without its voucher, or a
// journal that no longer totals (a sum beyond 64 bits, an account that takes no postings).
// Reads the company's whole journal once, without its descriptions.
bool CheckStoredTotals(SqliteDatabase& database, const CompanyRecord& company, const Chart& chart,
                       const TotalsByKey& stored, std::string* error);

}  // namespace vintor::books
