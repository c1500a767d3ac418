// The three statements written from the statement lines: the balance sheet, the income
// statement and the schedule of cost of goods manufactured.
#pragma once

#include "statements/line_writer.h"

namespace vintor::statements {

// Each writes its element at depth 2 with its fixed skeleton of sections inside: a section's
// heading is the line of exactly its character, its items the lines that hold all its bits,
// and the stand-alone totals are lines of their own characters. Nothing is added up here.
//
// False as soon as a line writer fails; the elements opened so far are then left open and
// the report must be given up.

// BalanceSheet. Fixed-asset accounts that no subsection claims appear in each of the three
// fixed-asset subsections; the warning about them is raised only in the first.
bool WriteBalanceSheet(LineWriter& writer);
// IncomeStatement.
bool WriteIncomeStatement(LineWriter& writer);
// ScheduleCostGoodsManufactured; SubcontractCost only when the books have its heading line.
bool WriteCostReport(LineWriter& writer);

}  // namespace vintor::statements
