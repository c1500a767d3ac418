// The references within a chart of accounts that the import checks once the whole chart
// is read (a section's total usually precedes its accounts, a sub-account may precede its
// main account): a sub-account's main account, and the accounts a formula names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "books/books_data.h"

namespace vintor::books {

// Checks what one account of the company's chart refers to; by_key maps every key of the
// chart to its index. A sub-account needs a main account (key rounded down to a multiple
// of 10 000) that is not a total. A formula's #KEY terms name accounts of kind 0 or 3, and
// the formula of an account of kind 3 names none with a formula of its own (those are all
// computed from plain totals at once). Empty when all is well, else the message, naming the
// company as " in company N" where that helps.
std::string CheckChartReferences(const CompanyBooks& books,
                                 const std::unordered_map<std::int32_t, std::size_t>& by_key,
                                 const Account& account);

}  // namespace vintor::books
