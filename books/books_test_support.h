// Test aids of the books: a small set of books that exercises every feature of the
// library, and a fixture that writes books to a scratch file and opens a library on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "books/books_data.h"
#include "books/books_library.h"
#include "books/books_store.h"
#include "os/os.h"
#include "os/scratch_folder.h"

namespace vintor::books::testing {

// Amounts in the test books are whole yen; Yen(5) is the scaled amount of 5 yen.
constexpr std::int64_t Yen(std::int64_t yen) {
  return yen * 10000;
}

// Two companies (data 1 "C001", April to March with month-end closing; data 2 "C002",
// closing on the 20th), two users (yamada has data 1 selected, suzuki none), eras written
// newest first, both folders, and a journal with one-to-one, one-to-many, many-to-one and
// many-to-many vouchers, tax parts, closing-period vouchers and sub-accounts. The
// comments in books_test_support.cpp give every amount.
BooksData SampleBooks();

// Every field of the books as text, one record per line, for comparisons whose failure
// shows what differs.
std::string Describe(const BooksData& data);

class BooksFixture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.path().empty()); }

  // Writes the books to the scratch folder's books file.
  void WriteBooks(const BooksData& data) {
    std::string error;
    ASSERT_TRUE(WriteBooksFile(books_path_, data, &error)) << error;
  }

  // A library on the books file with the options given; messages are collected.
  std::unique_ptr<BooksLibrary> OpenLibrary(std::string user_id = "", std::int32_t data_number = 0);

  // Writes the sample books and opens a library on them that has connected.
  BooksLibrary& Connect(std::string user_id = "", std::int32_t data_number = 0);

  os::Os& os_ = os::SystemOs();
  os::ScratchFolder scratch_{os_};
  std::string books_path_ = scratch_.PathOf("books.db");
  std::vector<std::string> messages_;
  std::unique_ptr<BooksLibrary> library_;
};

}  // namespace vintor::books::testing
