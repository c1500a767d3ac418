// What the report reader keeps of a report: small enough to hold for any report, since the
// general ledger's lines are handed out one by one instead (report_reader.h). Every text is
// CP932, as everywhere in the program; amounts are whole yen as the report writes them.
// Texts are kept to be shown: a control character a report holds (TAB, LF or CR, written as
// a character reference) is kept as "\x09"-style text (text/control_escapes.h), so that no
// text can break a line of a table or overwrite one on a terminal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vintor::report {

// One line of a statement: a section heading (an element with its Label and Amount
// attributes), a stand-alone total, or an Item.
struct StatementEntry {
  std::string element;                 // "CurrentAssets", "Item", ...
  std::string label;                   // the Label attribute; empty when there is none
  std::optional<std::int64_t> amount;  // none: Amount="" or no amount at all
  int depth = 0;                       // 0 for the statement's own children, +1 per nesting
};

// BalanceSheet, IncomeStatement or ScheduleCostGoodsManufactured, lines in report order.
struct Statement {
  std::string element;
  std::vector<StatementEntry> entries;
};

// A reason for a change of one column of the statement of changes in net assets.
struct EquityChange {
  std::string reason;
  std::int64_t amount = 0;
};

// One column (ChangesNetAssetsItem). A balance the report leaves out is zero.
struct EquityColumn {
  std::string account;
  std::optional<std::int64_t> previous;  // BalanceEndPreviousPeriod
  std::optional<std::int64_t> change;    // TotalChangesItemsDuringPeriod
  std::optional<std::int64_t> current;   // BalanceEndCurrentPeriod
  std::vector<EquityChange> reasons;
};

struct EquityStatement {
  int select = 0;  // 1 shareholders' equity, 2 members' equity
  std::vector<EquityColumn> columns;
};

// One element of the notes with the Line texts directly inside it.
struct NoteEntry {
  std::string element;
  int depth = 0;  // the element's depth in the document (3 for a note of its own)
  std::vector<std::string> lines;
};

// What the reader keeps of one account of the general ledger (QZ00780S01).
struct LedgerAccount {
  std::string name;                          // QZ00780S0010
  std::string section;                       // QZ00780S0020
  std::int64_t opening = 0;                  // QZ00780S0030
  std::int64_t closing = 0;                  // QZ00780S0040
  std::int64_t line_count = 0;               // QZ00780S02 blocks read
  std::optional<std::int64_t> last_balance;  // running balance of the last line, if any
};

// One line of an account's ledger (QZ00780S02).
struct LedgerLine {
  std::string voucher;              // QZ00780S0050
  std::string date;                 // QZ00780S0060, an era date
  std::string sub_account;          // QZ00780S0070
  std::string counter_account;      // QZ00780S0080
  std::string counter_sub_account;  // QZ00780S0090
  std::string description;          // QZ00780S0100
  std::int64_t amount = 0;          // QZ00780S0110
  std::int64_t balance = 0;         // QZ00780S0120
};

// The DATA sections in the order the report holds them.
enum class SectionKind { kStatement, kEquity, kNotes, kLedger };

struct ReportContents {
  std::string program_name;  // SYSTEM/PROGRAMNAME
  std::string company;       // BASIC/KOMONSAKINAME
  std::string period_from;   // BASIC/JIGYOUNENDOFROM, YYYYMMDD
  std::string period_to;     // BASIC/JIGYOUNENDOTO
  std::vector<SectionKind> section_order;
  std::vector<Statement> statements;  // in report order
  std::optional<EquityStatement> equity;
  std::optional<std::vector<NoteEntry>> notes;
  std::optional<std::vector<LedgerAccount>> ledger;  // in report order

  // The statement of that element, or null.
  const Statement* FindStatement(std::string_view element) const {
    for (const Statement& statement : statements) {
      if (statement.element == element) return &statement;
    }
    return nullptr;
  }
};

}  // namespace vintor::report
