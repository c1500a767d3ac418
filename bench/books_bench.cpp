// Measures the books at scale: generating a large company and writing its books file,
// then walking every account's ledger lines through the library, as the exporter's ledger
// does. Prints its figures; it is not a test.
//
//   books_bench [--accounts N] [--lines M] [--file PATH]
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/bench_clock.h"
#include "books/books_library.h"
#include "books/books_store.h"
#include "books/generator.h"
#include "platform/library.h"

namespace {

using namespace vintor;

struct WalkFigures {
  long accounts = 0;
  long ledger_lines = 0;
};

// Every account of the selected company, in chart order, and each one's ledger over the
// whole period, line by line.
bool WalkEveryLedger(platform::AccountingLibrary& library, WalkFigures* figures) {
  auto* companies = library.DataManager().GetSet<platform::ClSetData>(platform::kSetCompanyData, 1);
  const platform::StDATAINFO* company = companies ? companies->GetSelectedInfo() : nullptr;
  if (company == nullptr) return false;
  std::unique_ptr<platform::ClRuleKamoku> totals = library.NewRuleKamoku();
  std::unique_ptr<platform::ClRuleMotocho> ledger = library.NewRuleMotocho();
  totals->SetCurDataID(company->data_id);
  ledger->SetCurDataID(company->data_id);
  platform::StFINDINFO find{};
  totals->MoveReady(1, 0, 0, &find, nullptr, 0);
  std::int32_t count = 0;
  if (totals->GetSumCount(&count) != 0 || totals->SetMovePos(0) != 0) return false;
  platform::StKAMOKUSUMINFO account{};
  while (totals->MoveNext(&account) == platform::kSuccess) {
    ++figures->accounts;
    platform::StMOTOCHOHYOJIINFO display{};
    display.account_key = account.key;
    display.first_date = company->first_day;
    display.last_date = company->last_day;
    std::int32_t lines = 0;
    if (ledger->MoveReady(&find, nullptr, &display) != 0 ||
        ledger->GetCount(&find, &display, &lines) != 0 || ledger->SetMovePos(0) != 0) {
      return false;
    }
    platform::StMOTOCHOINFO line{};
    for (int status = ledger->MoveFirst(&line); status == platform::kSuccess;
         status = ledger->MoveNext(&line)) {
      ++figures->ledger_lines;
    }
    ledger->MoveFinish();
  }
  totals->MoveFinish();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Asking for help must never start an hour of benchmark.
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
      std::fputs(
          "usage: books_bench [--accounts N] [--lines M] [--file FILE]\n  generates a company, "
          "writes its books file and walks every ledger, printing the times\n",
          stdout);
      return 0;
    }
    if (std::strcmp(argv[k], "--version") == 0) {
      std::puts("books_bench 21.00.03");
      return 0;
    }
  }
  int accounts = 3000;
  int lines = 1'000'000;
  std::string file = "/tmp/vintor-books-bench.db";
  for (int k = 1; k + 1 < argc; k += 2) {
    if (std::strcmp(argv[k], "--accounts") == 0) accounts = std::atoi(argv[k + 1]);
    if (std::strcmp(argv[k], "--lines") == 0) lines = std::atoi(argv[k + 1]);
    if (std::strcmp(argv[k], "--file") == 0) file = argv[k + 1];
  }

  double start = bench::Now();
  const books::BooksData data = books::GenerateBooks(accounts, lines, 1, "/tmp/");
  const double generated = bench::Now() - start;
  start = bench::Now();
  std::string error;
  if (!books::WriteBooksFile(file, data, &error)) {
    std::fprintf(stderr, "books_bench: %s\n", error.c_str());
    return 1;
  }
  const double written = bench::Now() - start;
  struct stat info {};
  stat(file.c_str(), &info);

  books::BooksOptions options;
  options.books_path = file;
  books::BooksLibrary library(options);
  start = bench::Now();
  if (library.Connection().Initiate() != 0 || library.Connection().ExpSysLink() != 0) {
    std::fprintf(stderr, "books_bench: the generated books do not open\n");
    return 1;
  }
  const double opened = bench::Now() - start;
  start = bench::Now();
  WalkFigures figures;
  if (!WalkEveryLedger(library, &figures)) {
    std::fprintf(stderr, "books_bench: the ledger walk failed\n");
    return 1;
  }
  const double walked = bench::Now() - start;

  std::printf("company: %d accounts asked, %d journal lines\n", accounts, lines);
  std::printf("generate in memory:   %7.2f s\n", generated);
  std::printf("write books file:     %7.2f s  (%.1f MiB)\n", written,
              static_cast<double>(info.st_size) / (1024.0 * 1024.0));
  std::printf("open books:           %7.2f s\n", opened);
  std::printf("walk every ledger:    %7.2f s  (%ld accounts, %ld ledger lines)\n", walked,
              figures.accounts, figures.ledger_lines);
  std::printf("peak resident memory: %7.1f MiB\n", bench::PeakResidentMiB());
  return 0;
}
