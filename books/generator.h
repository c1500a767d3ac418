// Generated books for benchmarks and large tests: one manufacturing company with a full
// chart of accounts and as many journal lines as asked for, the same on every platform and
// standard library for the same arguments.
#pragma once

#include <cstdint>
#include <string>

#include "books/books_data.h"

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

}  // namespace vintor::books
