#include "books/books_file_reader.h"

#include <map>
#include <utility>

#include "books/books_schema.h"

namespace vintor::books {
namespace {

using Step = SqliteStatement::StepResult;

// Runs a query and hands every row to on_row; false when the query or on_row fails.
template <typename OnRow>
bool ForEachRow(SqliteDatabase& database, std::string_view sql, OnRow on_row) {
  SqliteStatement statement = database.Prepare(sql);
  if (!statement.valid()) return false;
  for (;;) {
    const Step step = statement.Step();
    if (step == Step::kDone) return true;
    if (step == Step::kError || !on_row(statement)) return false;
  }
}

}  // namespace

bool BooksFileReader::Read(BooksData* data, std::string* error) {
  BooksData read;
  if (!ReadCommon(&read) || !ReadCompanies(&read) || !ReadCharts(&read) || !ReadJournal(&read) ||
      !ReadSavedTexts(&read)) {
    *error = database_.LastError();
    return false;
  }
  *data = std::move(read);
  return true;
}

bool BooksFileReader::ReadCommon(BooksData* data) {
  return ForEachRow(database_, "SELECT value FROM settings WHERE name = 'current_user'",
                    [&](SqliteStatement& row) { return row.Text(0, &data->current_user); }) &&
         ForEachRow(database_,
                    "SELECT user_id, name, selected_first, selected_data FROM users ORDER BY seq",
                    [&](SqliteStatement& row) {
                      User& user = data->users.emplace_back();
                      user.selected_first = row.Int32(2);
                      user.selected_data = row.Int32(3);
                      return row.Text(0, &user.user_id) && row.Text(1, &user.name);
                    }) &&
         ForEachRow(database_, "SELECT id, first_day, name FROM eras ORDER BY seq",
                    [&](SqliteStatement& row) {
                      Era& era = data->eras.emplace_back();
                      era.id = row.Int32(0);
                      era.first_day = row.Int32(1);
                      return row.Text(2, &era.name);
                    }) &&
         ForEachRow(database_, "SELECT type, path FROM folders ORDER BY seq",
                    [&](SqliteStatement& row) {
                      Folder& folder = data->folders.emplace_back();
                      folder.type = row.Int32(0);
                      return row.Text(1, &folder.path);
                    });
}

bool BooksFileReader::ReadCompanies(BooksData* data) {
  // Company ids count from 1 in written order, so company k has the id k + 1.
  return ForEachRow(database_, "SELECT " VINTOR_COMPANY_COLUMNS " FROM companies ORDER BY id",
                    [&](SqliteStatement& row) {
                      return ReadCompanyColumns(row, 0, &data->companies.emplace_back().company);
                    });
}

bool BooksFileReader::ReadCharts(BooksData* data) {
  auto& companies = data->companies;
  const auto company_of = [&](SqliteStatement& row) -> CompanyBooks* {
    const std::int64_t id = row.Int64(0);
    if (id < 1 || id > static_cast<std::int64_t>(companies.size())) {
      database_.SetError("a row names company id " + std::to_string(id) + ", which is absent");
      return nullptr;
    }
    return &companies[static_cast<std::size_t>(id - 1)];
  };
  return ForEachRow(database_,
                    "SELECT company_id, key, formal_name, statement_name, character, kind,"
                    " debit_nature, no_ledger_1, no_ledger_2, formula"
                    " FROM accounts ORDER BY company_id, seq",
                    [&](SqliteStatement& row) {
                      CompanyBooks* books = company_of(row);
                      if (books == nullptr) return false;
                      Account& a = books->accounts.emplace_back();
                      a.key = row.Int32(1);
                      a.character = static_cast<std::uint32_t>(row.Int64(4));
                      a.kind = static_cast<std::int8_t>(row.Int64(5));
                      a.debit_nature = row.Int64(6) != 0;
                      a.no_ledger_1 = row.Int64(7) != 0;
                      a.no_ledger_2 = row.Int64(8) != 0;
                      return row.Text(2, &a.formal_name) && row.Text(3, &a.statement_name) &&
                             row.Text(9, &a.formula);
                    }) &&
         ForEachRow(database_,
                    "SELECT company_id, key, amount FROM openings ORDER BY company_id, seq",
                    [&](SqliteStatement& row) {
                      CompanyBooks* books = company_of(row);
                      if (books == nullptr) return false;
                      books->openings.push_back({row.Int32(1), row.Int64(2)});
                      return true;
                    });
}

bool BooksFileReader::ReadJournal(BooksData* data) {
  auto& companies = data->companies;
  // Where each voucher went, to put its lines back at their positions.
  std::map<std::pair<std::int64_t, std::int32_t>, Voucher*> vouchers;
  const bool vouchers_read =
      ForEachRow(database_,
                 "SELECT company_id, journal_key, number, date, period_kind FROM vouchers"
                 " ORDER BY company_id, seq",
                 [&](SqliteStatement& row) {
                   const std::int64_t id = row.Int64(0);
                   if (id < 1 || id > static_cast<std::int64_t>(companies.size())) {
                     database_.SetError("a voucher names company id " + std::to_string(id));
                     return false;
                   }
                   Voucher& v = companies[static_cast<std::size_t>(id - 1)].vouchers.emplace_back();
                   v.journal_key = row.Int32(1);
                   v.number = row.Int32(2);
                   v.date = row.Int32(3);
                   v.period_kind = static_cast<std::int16_t>(row.Int64(4));
                   return true;
                 });
  if (!vouchers_read) return false;
  // Pointers are taken only now: the vectors no longer grow.
  for (std::size_t k = 0; k < companies.size(); ++k) {
    for (Voucher& v : companies[k].vouchers) {
      vouchers[{static_cast<std::int64_t>(k) + 1, v.journal_key}] = &v;
    }
  }
  // A position is an index into the voucher's lines: the lines of a voucher are counted
  // first, so a damaged position can neither make room for lines that do not exist nor
  // leave a gap of empty lines.
  const bool counted = ForEachRow(
      database_, "SELECT company_id, journal_key, count(*) FROM journal_lines GROUP BY 1, 2",
      [&](SqliteStatement& row) {
        const auto found = vouchers.find({row.Int64(0), row.Int32(1)});
        if (found == vouchers.end()) {
          database_.SetError("the journal lines of voucher " + std::to_string(row.Int32(1)) +
                             " have no voucher");
          return false;
        }
        found->second->lines.resize(static_cast<std::size_t>(row.Int64(2)));
        return true;
      });
  if (!counted) return false;
  std::map<Voucher*, std::vector<bool>> filled;
  const bool lines_read = ForEachRow(
      database_,
      "SELECT company_id, journal_key, position, line_number, debit_key, debit_amount,"
      " debit_tax, credit_key, credit_amount, credit_tax, description"
      " FROM journal_lines ORDER BY id",
      [&](SqliteStatement& row) {
        const auto found = vouchers.find({row.Int64(0), row.Int32(1)});
        const std::int64_t position = row.Int64(2);
        if (found == vouchers.end()) {
          database_.SetError("a journal line of voucher " + std::to_string(row.Int32(1)) +
                             " has no voucher");
          return false;
        }
        std::vector<JournalLine>& lines = found->second->lines;
        std::vector<bool>& taken = filled[found->second];
        taken.resize(lines.size());
        if (position < 0 || static_cast<std::uint64_t>(position) >= lines.size() ||
            taken[static_cast<std::size_t>(position)]) {
          const bool beyond = position < 0 || static_cast<std::uint64_t>(position) >= lines.size();
          database_.SetError(
              "journal line " + std::to_string(row.Int32(3)) + " of voucher " +
              std::to_string(row.Int32(1)) + " has the position " + std::to_string(position) +
              (beyond ? ", beyond the voucher's " + std::to_string(lines.size()) + " lines"
                      : ", which another line of the voucher has") +
              " (table journal_lines)");
          return false;
        }
        taken[static_cast<std::size_t>(position)] = true;
        JournalLine& l = lines[static_cast<std::size_t>(position)];
        l.line_number = row.Int32(3);
        l.debit_key = row.Int32(4);
        l.debit_amount = row.Int64(5);
        l.debit_tax = row.Int64(6);
        l.credit_key = row.Int32(7);
        l.credit_amount = row.Int64(8);
        l.credit_tax = row.Int64(9);
        return row.Text(10, &l.description);
      });
  // As many distinct positions below the count as the voucher has lines: every one is taken.
  return lines_read;
}

bool BooksFileReader::ReadSavedTexts(BooksData* data) {
  return ForEachRow(database_,
                    "SELECT company_id, kind, text FROM saved_texts ORDER BY company_id, kind",
                    [&](SqliteStatement& row) {
                      const std::int64_t id = row.Int64(0);
                      if (id < 1 || id > static_cast<std::int64_t>(data->companies.size())) {
                        database_.SetError("a saved text names company id " + std::to_string(id));
                        return false;
                      }
                      std::string text;
                      if (!row.Text(2, &text)) return false;
                      data->companies[static_cast<std::size_t>(id - 1)].saved_texts[row.Int32(1)] =
                          std::move(text);
                      return true;
                    });
}

}  // namespace vintor::books
