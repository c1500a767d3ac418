// The statements and the general ledger of every exportable sample company tie, for the
// full year and for inner month ranges: the balance sheet balances, the income statement's
// net income is the equity statement's, and every account's ledger runs from its statement
// line's opening balance, entry by entry, to its closing balance.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/export_app.h"
#include "books/books_library.h"
#include "main/program_runner.h"
#include "main/scripted_export.h"
#include "os/os.h"
#include "os/scratch_folder.h"

namespace vintor::main::testing {
namespace {

// The value of an attribute of the first element with that name.
std::string Attribute(const std::string& report, const std::string& element,
                      const std::string& attribute) {
  const std::size_t at = report.find("<" + element + " ");
  if (at == std::string::npos) return "(no " + element + ")";
  const std::size_t name = report.find(attribute + "=\"", at);
  const std::size_t start = name + attribute.size() + 2;
  return report.substr(start, report.find('"', start) - start);
}

// The text of the element that follows the first occurrence of after.
std::string TextAfter(const std::string& report, const std::string& after,
                      const std::string& element) {
  const std::size_t at = report.find(after);
  if (at == std::string::npos) return "(no " + after + ")";
  const std::size_t open = report.find("<" + element + ">", at);
  const std::size_t start = open + element.size() + 2;
  return report.substr(start, report.find('<', start) - start);
}

long long Yen(const std::string& amount) {
  return amount.empty() ? 0 : std::stoll(amount);
}

class StatementsTieTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new os::ScratchFolder(os::SystemOs());
    const ProgramRun sample = RunProgram({VINTOR_TAVREL_PATH, "--books", books(), "sample"});
    ASSERT_EQ(sample.exit_status, 0) << sample.errors;
  }
  static void TearDownTestSuite() { delete folder_; }
  static std::string books() { return folder_->PathOf("books.db"); }

  static os::ScratchFolder* folder_;
};
os::ScratchFolder* StatementsTieTest::folder_ = nullptr;

TEST_F(StatementsTieTest, EveryCompanyAndRangeBalancesAndTiesWithItsLedger) {
  struct Case {
    int company;
    const char* from;  // calendar months, as the user types them
    const char* to;
  } const cases[] = {
      // April-March manufacturer with an interim closing.
      {1, "4", "3"},
      {1, "4", "12"},
      {1, "7", "9"},
      {1, "4", "9"},
      // Calendar year, tax included, bookkeeping begun in April, no cost schedule.
      {4, "4", "12"},
      {4, "4", "6"},
      {4, "7", "9"},
      // Closing on the 20th, across the calendar year.
      {5, "4", "3"},
      {5, "6", "8"},
      {5, "10", "1"},
      // Six-month year with an interim closing.
      {6, "4", "9"},
      {6, "4", "6"},
      {6, "7", "8"},
  };
  // The one kind of line a ledger leaves out although the statements count it: a line
  // against an account left out of the totals (振替仮勘定 0x08000000, 損益振替 0x08000080).
  // The samples keep such lines only on accounts without a ledger of their own (繰越利益剰余金
  // is listed without one), so no ledger here differs from its statement line.
  const std::map<std::pair<int, std::int32_t>, std::int64_t> left_out = {};

  for (const Case& c : cases) {
    SCOPED_TRACE("company " + std::to_string(c.company) + ", " + c.from + "-" + c.to);
    ScriptedDesktop desktop(/*quiet=*/true);
    books::BooksOptions options;
    options.books_path = books();
    options.data_number = c.company;
    books::BooksLibrary library(options);
    NoHostWindows hosts;
    ui::console::ConsoleChoices choices;
    choices.start_month = c.from;
    choices.end_month = c.to;
    choices.ledger = true;
    const std::string out = folder_->PathOf("out-" + std::to_string(c.company) + ".xml");
    choices.output_path = out;
    app::ExportApp run(ScriptedEnvironment(library, desktop, hosts, choices),
                       {platform::AppType::kOak, "Tavrel２１ Oak", "VintorOak.env"});
    std::vector<supplements::LedgerEntry> entries;
    run.set_ledger_observer(
        [&entries](const supplements::LedgerEntry& entry) { entries.push_back(entry); });
    ASSERT_TRUE(run.Start("")) << desktop.messages();
    const std::string report = ReadFileBytes(out);

    // Assets = liabilities + net assets, as the tax application reads them.
    EXPECT_EQ(Yen(Attribute(report, "Assets", "Amount")),
              Yen(Attribute(report, "Liabilities", "Amount")) +
                  Yen(Attribute(report, "NetAssets", "Amount")));
    // The income statement's net income is the equity statement's.
    EXPECT_EQ(Attribute(report, "NetIncome", "Amount"),
              TextAfter(report, "<Reason>当期純利益</Reason>", "Amount"));

    // Every ledger runs from its line's opening, entry by entry, to its line's closing.
    std::map<std::int32_t, const statements::StatementLine*> lines;
    for (const statements::StatementLine& line : run.statement_lines()) lines[line.key] = &line;
    std::map<std::int32_t, std::int64_t> running;
    EXPECT_EQ(entries.size(), run.ledger_line_count());
    for (const supplements::LedgerEntry& entry : entries) {
      ASSERT_TRUE(lines.count(entry.account_key)) << entry.account_key;
      auto [at, first] = running.try_emplace(entry.account_key, lines[entry.account_key]->opening);
      at->second += entry.amount;
      ASSERT_EQ(entry.balance, at->second) << "account " << entry.account_key;
    }
    EXPECT_FALSE(running.empty());
    for (const auto& [key, balance] : running) {
      const auto omitted = left_out.find({c.company, key});
      const std::int64_t difference = omitted == left_out.end() ? 0 : omitted->second;
      EXPECT_EQ(balance + difference, lines[key]->closing) << "account " << key;
    }
    run.Exit();
  }
}

}  // namespace
}  // namespace vintor::main::testing
