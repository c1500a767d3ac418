// The contents of a set of books as plain values: what `tavrel import` reads from the
// interchange files, what `tavrel generate` and `tavrel sample` produce, what the store
// writes into the SQLite file and what `tavrel export` reads back out of it.
//
// Texts are CP932 byte strings, as everywhere in the program; the store and the
// interchange files convert them to UTF-8 at their edges. Dates are YYYYMMDD integers;
// amounts are scaled (yen x 10 000). Keys are main account code x 10 000 + sub-account
// number.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vintor::books {

// One company's data ("data" in the product's words): one accounting period of one company.
struct Company {
  std::int32_t data_number = 0;         // the number a user selects; unique in the books
  std::string data_id;                  // at most 15 bytes; unique; names the data to every set
  std::string name;                     // the company's name, at most 60 bytes
  std::int32_t first_day = 0;           // first day of the accounting period
  std::int32_t last_day = 0;            // last day of the accounting period
  bool has_cost_schedule = false;       // keeps a schedule of cost of goods manufactured
  bool interim_settlement = false;      // closes an interim period (month kind 15)
  std::int16_t introduction_month = 0;  // 0 none, 1-12 the month bookkeeping began, 99 past results
  bool companies_act = true;            // converted for the Companies Act
  bool tax_included = false;            // totals are kept including consumption tax (set 2)
};

// A user of the product and the company data the user has selected.
struct User {
  std::string user_id;  // at most 64 bytes
  std::string name;
  std::int32_t selected_first = 0;  // first selection number (the product's group number)
  std::int32_t selected_data = 0;   // data number of the selected company, 0 for none
};

// Kinds of an account of the chart.
inline constexpr std::int8_t kKindPosting = 0;     // a main account that takes postings
inline constexpr std::int8_t kKindSubAccount = 1;  // its totals count in its main account
inline constexpr std::int8_t kKindTotal = 2;       // computed from a formula
inline constexpr std::int8_t kKindNoLedger = 3;    // listed in statements, no ledger

// One account of a company's chart, in chart order.
struct Account {
  std::int32_t key = 0;
  std::string formal_name;      // at most 30 bytes
  std::string statement_name;   // at most 18 bytes, may be empty
  std::uint32_t character = 0;  // account character
  std::int8_t kind = kKindPosting;
  bool debit_nature = true;  // balance = debit - credit; else credit - debit
  bool no_ledger_1 = false;  // the two ledger flags of the totals record
  bool no_ledger_2 = false;
  // Terms separated by blanks, each "+" or "-" followed by either 0xMMMMMMMM (every
  // account of kind 0 or 3 whose character contains all bits of the mask) or #KEY (one such
  // account). Required for a total account (kind 2); an account of kind 3 may have one,
  // which adds its terms to its own totals (total_formula.h says in which order); empty for
  // kinds 0 and 1.
  std::string formula;
};

// An account of kind 3 with a formula: its totals are its own plus its formula's terms.
inline bool HasOwnFormula(const Account& account) {
  return account.kind == kKindNoLedger && !account.formula.empty();
}

// Opening balance of an account, on its natural side (positive = a normal balance).
struct OpeningBalance {
  std::int32_t key = 0;
  std::int64_t amount = 0;
};

// Period kinds of a voucher.
inline constexpr std::int16_t kPeriodMonth = 0;
inline constexpr std::int16_t kPeriodInterim = 15;
inline constexpr std::int16_t kPeriodYearEnd = 18;

struct JournalLine {
  std::int32_t line_number = 0;   // 1-based within the voucher
  std::int32_t debit_key = 0;     // 0: no debit on this line
  std::int64_t debit_amount = 0;  // excluding tax
  std::int64_t debit_tax = 0;
  std::int32_t credit_key = 0;  // 0: no credit on this line
  std::int64_t credit_amount = 0;
  std::int64_t credit_tax = 0;
  std::string description;  // at most 60 bytes
};

// A voucher: lines whose debits (amount + tax) and credits (amount + tax) balance.
struct Voucher {
  std::int32_t journal_key = 0;  // unique within the company
  std::int32_t number = 0;       // the voucher number users see
  std::int32_t date = 0;         // within the company's period
  std::int16_t period_kind = kPeriodMonth;
  std::vector<JournalLine> lines;
};

// Saved statements: the three notes texts of a company, by data kind (0, 100, 1000).
using SavedTexts = std::map<int, std::string>;

struct CompanyBooks {
  Company company;
  std::vector<Account> accounts;  // chart order
  std::vector<OpeningBalance> openings;
  std::vector<Voucher> vouchers;  // any order; the store orders by date
  SavedTexts saved_texts;
};

struct Era {
  std::int32_t id = 0;
  std::int32_t first_day = 0;
  std::string name;  // at most 15 bytes
};

// Folder types of the product: 0 the default output folder, 1 the settings folder.
struct Folder {
  int type = 0;
  std::string path;  // ends with the platform's separator, or empty
};

struct BooksData {
  std::string current_user;  // the user whose selection the exporter follows
  std::vector<User> users;
  std::vector<Era> eras;  // ascending by first day
  std::vector<Folder> folders;
  std::vector<CompanyBooks> companies;
};

}  // namespace vintor::books
