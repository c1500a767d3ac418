// Generated books for benchmarks and large tests: one manufacturing company with a full
// chart of accounts and as many journal lines as asked for, the same on every platform and
// standard library for the same arguments.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "books/books_data.h"
#include "books/books_file_builder.h"

namespace vintor::books {

// The largest chart the generator lays out. Main codes stay below 10 000 whatever the size
// (generated_chart.h); the accounts beyond what those codes hold become sub-accounts.
inline constexpr int kMaxGeneratedAccounts = 100'000;

// Generates one company (data number 1, period 20240401-20250331, schedule of cost of goods
// manufactured, interim closing) whose chart has a total account for every statement
// section and profit total, the two consumption-tax accounts, retained earnings, and
// `accounts` further accounts over the posting sections, about a fifth of them sub-accounts.
// Exactly `lines` journal lines: vouchers spread over the twelve months, mostly one line
// with both sides, some compound, some with 10% consumption tax, plus closing vouchers
// (interim on 20240930, year-end on 20250331) when there are at least three lines. Every
// voucher balances and every key is known, so the result passes the import's checks.
// Two users, the first (the current user) with the company selected; the eras 昭和, 平成
// and 令和; the settings folder (type 1) is settings_folder, the output folder (type 0)
// empty. accounts is clamped to [0, kMaxGeneratedAccounts], lines to at least 0.
BooksData GenerateBooks(int accounts, int lines, std::uint32_t seed,
                        const std::string& settings_folder);

// The books of GenerateBooks a voucher at a time, so that a journal of millions of lines
// can go into a books file without ever being held whole.
class BooksGenerator {
 public:
  // The same arguments as GenerateBooks, clamped the same way.
  BooksGenerator(int accounts, int lines, std::uint32_t seed, const std::string& settings_folder);
  ~BooksGenerator();
  BooksGenerator(const BooksGenerator&) = delete;
  BooksGenerator& operator=(const BooksGenerator&) = delete;

  // Everything GenerateBooks gives except the vouchers: the company's are left empty.
  const BooksData& frame() const { return frame_; }

  // Sets *voucher to the next voucher of GenerateBooks's list (date order, journal keys
  // counting up from 1) and returns true; false once all have been made.
  bool Next(Voucher* voucher);

 private:
  struct State;
  BooksData frame_;
  std::unique_ptr<State> state_;
};

// Writes the whole books file (from Begin to Finish) of what generator makes, each voucher
// as it is made: the same file as WriteBooksFile of GenerateBooks with the same arguments.
// False with *error set when the builder fails; the file is then unfit for use.
bool WriteGeneratedBooks(BooksFileBuilder& builder, BooksGenerator& generator, std::string* error);

}  // namespace vintor::books
