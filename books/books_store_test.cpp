#include "books/books_store.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "books/books_test_support.h"
#include "books/sqlite_database.h"
#include "os/forwarding_os.h"

namespace vintor::books {
namespace {

using testing::BooksFixture;
using testing::Describe;
using testing::SampleBooks;

// An Os whose final move of a finished file fails, as when the target is locked.
class FailingMoveOs : public os::ForwardingOs {
 public:
  using ForwardingOs::ForwardingOs;
  bool MoveFileOver(const std::string&, const std::string&) override { return false; }
};

using BooksStoreTest = BooksFixture;

TEST_F(BooksStoreTest, ReadsBackEverythingInWrittenOrder) {
  const BooksData written = SampleBooks();
  WriteBooks(written);
  BooksData read;
  std::string error;
  ASSERT_TRUE(ReadBooksFile(books_path_, &read, &error)) << error;
  EXPECT_EQ(Describe(read), Describe(written));
  // Nothing but the books file is left beside it.
  EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"books.db"});
}

TEST_F(BooksStoreTest, JapanesePathsReachTheFileSystemUnchanged) {
  // "表" ends in byte 0x5C, which a path conversion must not take for a separator.
  const std::string path = scratch_.PathOf("表の帳簿.db");
  std::string error;
  ASSERT_TRUE(WriteBooksFile(path, SampleBooks(), &error)) << error;
  EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"表の帳簿.db"});
  BooksData read;
  ASSERT_TRUE(ReadBooksFile(path, &read, &error)) << error;
  EXPECT_EQ(read.users.size(), 2u);
}

TEST_F(BooksStoreTest, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  const BooksData old_books = SampleBooks();
  WriteBooks(old_books);
  BooksData new_books = SampleBooks();
  new_books.current_user = "suzuki";

  FailingMoveOs failing_os(os_);
  std::string error;
  EXPECT_FALSE(WriteBooksFile(failing_os, books_path_, new_books, &error));
  EXPECT_NE(error.find("books.db"), std::string::npos) << error;
  BooksData read;
  ASSERT_TRUE(ReadBooksFile(books_path_, &read, &error)) << error;
  EXPECT_EQ(read.current_user, "yamada");
  EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"books.db"});

  // Data the store refuses does not touch the old file either.
  new_books.companies[0].vouchers[0].lines[0].debit_key = 4440000;  // not in the chart
  EXPECT_FALSE(WriteBooksFile(books_path_, new_books, &error));
  EXPECT_NE(error.find("4440000"), std::string::npos) << error;
  ASSERT_TRUE(ReadBooksFile(books_path_, &read, &error)) << error;
  EXPECT_EQ(Describe(read), Describe(old_books));
  EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"books.db"});
}

TEST_F(BooksStoreTest, WritingIntoAMissingFolderFails) {
  std::string error;
  EXPECT_FALSE(WriteBooksFile(scratch_.PathOf("missing") + "/books.db", SampleBooks(), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(scratch_.Names().empty());
}

TEST_F(BooksStoreTest, RefusesDataThatDoesNotFit) {
  struct Case {
    const char* name;
    void (*spoil)(BooksData*);
    const char* expected_in_error;
  };
  const Case cases[] = {
      {"overflow",
       [](BooksData* data) {
         // Two debits to 1110000 in one month that together leave the 64-bit range.
         Voucher& v = data->companies[0].vouchers[0];
         v.lines[0].debit_amount = INT64_MAX - 5;
         v.lines[0].credit_amount = INT64_MAX - 5;
         v.lines[0].credit_tax = 0;
         JournalLine second = v.lines[0];
         second.line_number = 2;
         second.debit_amount = second.credit_amount = 10;
         v.lines.push_back(second);
       },
       "1110000"},
      {"date outside the period",
       [](BooksData* data) { data->companies[0].vouchers[0].date = 20250401; }, "20250401"},
      {"repeated journal key",
       [](BooksData* data) { data->companies[0].vouchers[1].journal_key = 1; }, "journal key 1"},
      {"posting to a total account",
       [](BooksData* data) { data->companies[0].vouchers[0].lines[0].debit_key = 9000000; },
       "9000000"},
      {"repeated data ID", [](BooksData* data) { data->companies[1].company.data_id = "C001"; },
       "data_id"},
  };
  for (const Case& c : cases) {
    BooksData data = SampleBooks();
    c.spoil(&data);
    std::string error;
    EXPECT_FALSE(WriteBooksFile(books_path_, data, &error)) << c.name;
    EXPECT_NE(error.find(c.expected_in_error), std::string::npos) << c.name << ": " << error;
    EXPECT_TRUE(scratch_.Names().empty()) << c.name;
  }
}

TEST_F(BooksStoreTest, ReadingSomethingElseFails) {
  std::string error;
  BooksData data;
  EXPECT_FALSE(ReadBooksFile(books_path_, &data, &error));  // missing
  ASSERT_TRUE(os_.ReplaceFileAtomically(books_path_, "not a database at all, just some text"));
  EXPECT_FALSE(ReadBooksFile(books_path_, &data, &error));
  EXPECT_NE(error.find("not a books file"), std::string::npos) << error;

  // A database of another kind.
  const std::string other = scratch_.PathOf("other.db");
  {
    auto database = SqliteDatabase::Open(other, SqliteDatabase::Mode::kCreate, &error);
    ASSERT_NE(database, nullptr) << error;
    ASSERT_TRUE(database->Execute("CREATE TABLE t(x)"));
  }
  EXPECT_FALSE(ReadBooksFile(other, &data, &error));
  EXPECT_NE(error.find("not a books file"), std::string::npos) << error;
}

TEST_F(BooksStoreTest, SelectCompanyChangesOneUserAndTheCurrentUser) {
  WriteBooks(SampleBooks());
  std::string error;
  ASSERT_TRUE(SelectCompany(books_path_, "suzuki", 2, &error)) << error;
  BooksData read;
  ASSERT_TRUE(ReadBooksFile(books_path_, &read, &error)) << error;
  EXPECT_EQ(read.current_user, "suzuki");
  EXPECT_EQ(read.users[0].selected_data, 1);
  EXPECT_EQ(read.users[1].selected_data, 2);

  EXPECT_FALSE(SelectCompany(books_path_, "nobody", 2, &error));
  EXPECT_NE(error.find("nobody"), std::string::npos) << error;
  EXPECT_FALSE(SelectCompany(books_path_, "yamada", 3, &error));
  EXPECT_NE(error.find("3"), std::string::npos) << error;
  ASSERT_TRUE(ReadBooksFile(books_path_, &read, &error)) << error;
  EXPECT_EQ(read.current_user, "suzuki");
  EXPECT_EQ(read.users[0].selected_data, 1);
}

TEST_F(BooksStoreTest, TextsWithoutACp932FormAreRefusedOnReading) {
  // A text that reached the file from elsewhere and has no CP932 form must not come back
  // as '?'.
  WriteBooks(SampleBooks());
  std::string error;
  {
    auto database = SqliteDatabase::Open(books_path_, SqliteDatabase::Mode::kReadWrite, &error);
    ASSERT_NE(database, nullptr) << error;
    ASSERT_TRUE(database->Execute("UPDATE users SET name = 'caf\xC3\xA9 \xF0\x9F\x98\x80'"));
  }
  BooksData read;
  EXPECT_FALSE(ReadBooksFile(books_path_, &read, &error));
  EXPECT_NE(error.find("CP932"), std::string::npos) << error;
}

}  // namespace
}  // namespace vintor::books
