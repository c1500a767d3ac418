// The general ledger of the sample company against its statements: every account's
// ledger starts from the statement line's opening balance, each entry moves the running
// balance by its amount, and the last balance is the closing balance the balance sheet
// shows, except where the ledger leaves lines out (counter accounts outside the totals).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/export_app.h"
#include "books/books_library.h"
#include "main/program_runner.h"
#include "main/scripted_export.h"
#include "os/os.h"
#include "os/scratch_folder.h"

namespace vintor::main::testing {
namespace {

TEST(LedgerBalanceTest, EveryLedgerRunsFromTheOpeningToTheStatementsClosingBalance) {
  os::ScratchFolder folder(os::SystemOs());
  const std::string books_path = folder.PathOf("books.db");
  const ProgramRun sample = RunProgram({VINTOR_TAVREL_PATH, "--books", books_path, "sample"});
  ASSERT_EQ(sample.exit_status, 0) << sample.errors;

  ScriptedDesktop desktop(/*quiet=*/true);
  books::BooksOptions options;
  options.books_path = books_path;
  books::BooksLibrary library(options);
  NoHostWindows hosts;
  ui::console::ConsoleChoices choices;
  choices.start_month = "4";
  choices.end_month = "3";
  choices.ledger = true;
  choices.output_path = folder.PathOf("out.xml");
  app::ExportApp run(ScriptedEnvironment(library, desktop, hosts, choices),
                     {platform::AppType::kOak, "Tavrel２１ Oak", "VintorOak.env"});
  ASSERT_TRUE(run.Start("")) << desktop.messages();

  // The ledger's running balance per account, from the statement line's opening.
  std::map<std::int32_t, const statements::StatementLine*> lines;
  for (const statements::StatementLine& line : run.statement_lines()) lines[line.key] = &line;
  std::map<std::int32_t, std::int64_t> running;
  for (const supplements::LedgerEntry& entry : run.ledger_entries()) {
    ASSERT_TRUE(lines.count(entry.account_key)) << entry.account_key;
    auto [at, first] = running.try_emplace(entry.account_key, lines[entry.account_key]->opening);
    at->second += entry.amount;
    EXPECT_EQ(entry.balance, at->second) << "account " << entry.account_key;
  }
  ASSERT_FALSE(running.empty());

  // The accounts whose ledger leaves out lines against 振替仮勘定 or 損益振替, which the
  // statements total but the ledger does not list.
  const std::map<std::int32_t, std::int64_t> left_out = {
      {3340000, 35'251'385'000},  // 繰越利益剰余金: the net income transfers (3,525,138.5 yen)
  };
  for (const auto& [key, balance] : running) {
    SCOPED_TRACE(key);
    const auto omitted = left_out.find(key);
    const std::int64_t difference = omitted == left_out.end() ? 0 : omitted->second;
    EXPECT_EQ(balance + difference, lines[key]->closing);
  }
  run.Exit();
}

}  // namespace
}  // namespace vintor::main::testing
