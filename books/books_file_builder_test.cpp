#include "books/books_file_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "books/books_file_writer.h"
#include "books/books_store.h"
#include "books/compact_journal.h"
#include "books/generator.h"
#include "books/interchange.h"
#include "books/interchange_tables.h"
#include "books/monthly_totals.h"
#include "os/scratch_folder.h"

namespace vintor::books {
namespace {

// The schema and every row of every table of a books file, in key order: two files hold
// the same books exactly when these are equal.
std::string Contents(const std::string& path) {
  std::string error;
  std::unique_ptr<SqliteDatabase> database =
      SqliteDatabase::Open(path, SqliteDatabase::Mode::kReadOnly, &error);
  EXPECT_NE(database, nullptr) << error;
  if (database == nullptr) return {};
  std::string contents;
  std::vector<std::string> tables;
  SqliteStatement schema = database->Prepare(
      "SELECT type || ' ' || name || ' ' || ifnull(sql, ''), type = 'table', name "
      "FROM sqlite_master ORDER BY type, name");
  while (schema.Step() == SqliteStatement::StepResult::kRow) {
    contents.append(schema.Utf8(0)).append("\n");
    if (schema.Int64(1) != 0) tables.emplace_back(schema.Utf8(2));
  }
  for (const std::string& table : tables) {
    std::string row = "''";
    SqliteStatement columns = database->Prepare("SELECT name FROM pragma_table_info(?)");
    EXPECT_TRUE(columns.BindUtf8(1, table));
    while (columns.Step() == SqliteStatement::StepResult::kRow) {
      row += " || ',' || quote(" + std::string(columns.Utf8(0)) + ")";
    }
    SqliteStatement rows = database->Prepare("SELECT " + row + " FROM " + table);
    EXPECT_TRUE(rows.valid()) << table;
    while (rows.Step() == SqliteStatement::StepResult::kRow) {
      contents.append(table).append(rows.Utf8(0)).append("\n");
    }
  }
  return contents;
}

TEST(BooksFileBuilderTest, GeneratedBooksWrittenAsTheyAreMadeAreTheBooksWrittenWhole) {
  struct Case {
    int accounts, lines;
    std::uint32_t seed;
  };
  const Case cases[] = {{0, 0, 1}, {0, 2, 1}, {40, 500, 7}, {300, 4000, 3}};
  os::Os& os = os::SystemOs();
  for (const Case& c : cases) {
    os::ScratchFolder folder(os);
    const std::string whole = folder.PathOf("whole.db");
    const std::string streamed = folder.PathOf("streamed.db");
    std::string error;
    ASSERT_TRUE(WriteBooksFile(whole, GenerateBooks(c.accounts, c.lines, c.seed, "/s/"), &error))
        << error;
    BooksGenerator generator(c.accounts, c.lines, c.seed, "/s/");
    ASSERT_TRUE(BuildBooksFile(
        os, streamed,
        [&](SqliteDatabase& database, std::string* why) {
          BooksFileBuilder builder(database);
          return WriteGeneratedBooks(builder, generator, why);
        },
        &error))
        << error;
    EXPECT_EQ(Contents(streamed), Contents(whole)) << c.accounts << " " << c.lines;
  }
}

// Reverses the rows of a table below its header: the vouchers and the journal lines then
// come in another order than the ledger's, the lines of a voucher last to first.
void ReverseRows(os::Os& os, const std::string& path) {
  std::string text;
  ASSERT_TRUE(os.ReadWholeFile(path, &text));
  std::vector<std::string> rows;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    rows.push_back(text.substr(start, end - start + 1));
    start = end + 1;
  }
  std::reverse(rows.begin() + 1, rows.end());
  std::string reversed;
  for (const std::string& row : rows) reversed += row;
  const std::unique_ptr<os::WritableFile> file = os.OpenForWriting(path);
  ASSERT_TRUE(file && file->Append(reversed) && file->Close());
}

TEST(BooksFileBuilderTest, AJournalKeptCompactlyWritesTheBooksItsVouchersWouldHold) {
  os::Os& os = os::SystemOs();
  os::ScratchFolder folder(os);
  const std::string generated = folder.PathOf("generated");
  std::string error;
  ASSERT_TRUE(WriteInterchange(os, generated, GenerateBooks(60, 3000, 5, "/s/"), &error)) << error;
  ReverseRows(os, interchange::JoinPath(generated, interchange::kJournalFile));
  ReverseRows(os, interchange::JoinPath(generated, interchange::kVouchersFile));
  const std::string folders[] = {VINTOR_SAMPLE_BOOKS, generated};
  for (const std::string& source : folders) {
    BooksData whole;
    ASSERT_TRUE(ReadInterchange(os, source, &whole, &error)) << error;
    const std::string whole_path = folder.PathOf("whole.db");
    ASSERT_TRUE(WriteBooksFile(whole_path, whole, &error)) << error;

    BooksData data;
    CompactJournal journal;
    ASSERT_TRUE(ReadInterchange(os, source, &data, &journal, &error)) << error;
    for (const CompanyBooks& books : data.companies) EXPECT_TRUE(books.vouchers.empty());
    const std::string compact_path = folder.PathOf("compact.db");
    ASSERT_TRUE(BuildBooksFile(
        os, compact_path,
        [&](SqliteDatabase& database, std::string* why) {
          return BooksFileWriter(database).Write(data, &journal, why);
        },
        &error))
        << error;
    EXPECT_EQ(Contents(compact_path), Contents(whole_path)) << source;
  }
}

// Makes every call of the builder for data, whose vouchers are in ledger order.
bool Drive(BooksFileBuilder& builder, const BooksData& data, std::string* error) {
  if (!builder.Begin(data, error)) return false;
  for (const CompanyBooks& books : data.companies) {
    TotalsByKey totals;
    if (!ComputeMonthlyTotals(books, &totals, error) || !builder.BeginCompany(books, error))
      return false;
    for (const Voucher& voucher : books.vouchers) {
      if (!builder.WriteVoucher(voucher, error)) return false;
    }
    for (const Voucher& voucher : books.vouchers) {
      if (!builder.WriteJournal(voucher, error)) return false;
    }
    if (!builder.EndCompany(totals, error)) return false;
  }
  return builder.Finish(error);
}

TEST(BooksFileBuilderTest, CallsFromASecondThreadWriteTheFileAndFailAsCallsOnThisOne) {
  // A description that is no CP932 text fails its insert, which runs after its call: its
  // failure must still come before a refusal of a later voucher.
  const auto unstorable = [](BooksData& data, std::size_t voucher) {
    data.companies[0].vouchers[voucher].lines[0].description = "\xFF";
  };
  const auto out_of_order = [](BooksData& data) {
    std::vector<Voucher>& vouchers = data.companies[0].vouchers;
    std::swap(vouchers[1800], vouchers.back());
  };
  struct Case {
    const char* name;
    std::function<void(BooksData&)> change;
    bool written;
    const char* says;  // a part of the error
  };
  const Case cases[] = {
      {"as made", [](BooksData&) {}, true, ""},
      {"text early", [&](BooksData& data) { unstorable(data, 3); }, false, "byte FF"},
      {"text last",
       [&](BooksData& data) { unstorable(data, data.companies[0].vouchers.size() - 1); }, false,
       "byte FF"},
      {"out of ledger order", out_of_order, false, "comes before the voucher written last"},
      {"text, then out of order",
       [&](BooksData& data) {
         unstorable(data, 3);
         out_of_order(data);
       },
       false, "byte FF"},
      {"a company twice", [](BooksData& data) { data.companies.push_back(data.companies[0]); },
       false, "UNIQUE constraint failed"},
  };
  os::Os& os = os::SystemOs();
  for (const Case& c : cases) {
    BooksData data = GenerateBooks(20, 3000, 3, "/s/");
    c.change(data);
    os::ScratchFolder folder(os);
    const std::string path = folder.PathOf("books.db");
    std::string here_error, overlapped_error;
    const bool here = BuildBooksFile(
        os, path,
        [&](SqliteDatabase& database, std::string* why) {
          BooksFileBuilder builder(database);
          return Drive(builder, data, why);
        },
        &here_error);
    const std::string here_contents = here ? Contents(path) : "";
    const bool overlapped = BuildBooksFile(
        os, path,
        [&](SqliteDatabase& database, std::string* why) {
          BooksFileBuilder builder(database);
          return builder.Overlapped([&](std::string* e) { return Drive(builder, data, e); }, why);
        },
        &overlapped_error);
    EXPECT_EQ(here, c.written) << c.name << ": " << here_error;
    EXPECT_EQ(overlapped, here) << c.name;
    EXPECT_EQ(overlapped_error, here_error) << c.name;
    EXPECT_NE(here_error.find(c.says), std::string::npos) << c.name << ": " << here_error;
    if (here && overlapped) {
      EXPECT_EQ(Contents(path), here_contents) << c.name;
    }
  }
}

}  // namespace
}  // namespace vintor::books
