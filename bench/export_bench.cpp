// Measures a whole export of a large company: the run from the library connection to the
// report file, in process, with the console's progress renderer drawing to /dev/null as if
// it were a terminal. Prints the time, the repaints the run asked for and those the
// renderer drew, and the peak memory; it is not a test.
//
//   export_bench [--accounts N] [--lines M] [--books FILE] [--ledger] [--out FILE]
//
// The books file is generated when it does not exist yet.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/export_app.h"
#include "bench/bench_clock.h"
#include "books/books_library.h"
#include "books/books_store.h"
#include "books/generator.h"
#include "main/scripted_export.h"
#include "ui/console/console_dialog.h"
#include "ui/console/console_progress_view.h"
#include "ui/throttled_progress_view.h"

namespace {

using namespace vintor;

// Counts the repaints the run asks for and hands them to the renderer.
class CountingView : public ui::ProgressView {
 public:
  explicit CountingView(ui::ProgressView& renderer) : renderer_(renderer) {}
  void Repaint(const ui::ProgressState& state) override {
    ++requested;
    renderer_.Repaint(state);
  }
  void Show(bool visible) override { renderer_.Show(visible); }
  ui::WindowHandle Handle() override { return renderer_.Handle(); }
  unsigned long long requested = 0;

 private:
  ui::ProgressView& renderer_;
};

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Asking for help must never start an hour of benchmark.
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
      std::fputs(
          "usage: export_bench [--ledger] [--accounts N] [--lines M] [--books FILE] [--out FILE]\n "
          " exports a generated company in process (generated into FILE on first use) and prints\n "
          " the time, the repaints asked for and the repaints drawn\n",
          stdout);
      return 0;
    }
    if (std::strcmp(argv[k], "--version") == 0) {
      std::puts("export_bench 21.00.03");
      return 0;
    }
  }
  int accounts = 3000;
  int lines = 1'000'000;
  std::string books_path = "/tmp/vintor-books-bench.db";
  std::string out = "/tmp/vintor-export-bench.xml";
  bool ledger = false;
  for (int k = 1; k < argc; ++k) {
    const bool has_value = k + 1 < argc;
    if (std::strcmp(argv[k], "--ledger") == 0)
      ledger = true;
    else if (has_value && std::strcmp(argv[k], "--accounts") == 0)
      accounts = std::atoi(argv[++k]);
    else if (has_value && std::strcmp(argv[k], "--lines") == 0)
      lines = std::atoi(argv[++k]);
    else if (has_value && std::strcmp(argv[k], "--books") == 0)
      books_path = argv[++k];
    else if (has_value && std::strcmp(argv[k], "--out") == 0)
      out = argv[++k];
  }
  if (!Exists(books_path)) {
    std::printf("generating %d accounts and %d journal lines into %s\n", accounts, lines,
                books_path.c_str());
    std::string error;
    if (!books::WriteBooksFile(books_path, books::GenerateBooks(accounts, lines, 1, "/tmp/"),
                               &error)) {
      std::fprintf(stderr, "export_bench: %s\n", error.c_str());
      return 1;
    }
  }

  main::testing::ScriptedDesktop desktop;
  books::BooksOptions options;
  options.books_path = books_path;
  options.display = desktop.Display();
  books::BooksLibrary library(options);
  const int null_fd = open("/dev/null", O_WRONLY);
  ui::console::ConsoleProgressView renderer(null_fd, false, ui::console::TerminalCharset::kUtf8,
                                            true);
  ui::ThrottledProgressView throttle(renderer, os::MonotonicMilliseconds);
  CountingView view(throttle);
  main::testing::NoHostWindows hosts;

  ui::console::ConsoleChoices choices;
  choices.start_month = "4";
  choices.end_month = "3";
  choices.equity_statement_kind = 1;
  choices.ledger = ledger;
  choices.output_path = out;

  const double start = bench::Now();
  app::ExportApp run(main::testing::ScriptedEnvironment(library, desktop, hosts, choices, &view),
                     {platform::AppType::kOak, "Tavrel２１ Oak", "VintorBench.env"});
  run.Start("");
  run.Exit();
  const double seconds = bench::Now() - start;
  close(null_fd);

  struct stat info {};
  stat(out.c_str(), &info);
  std::printf("export (ledger %s): %.3f s, result %d, report %.1f KiB\n", ledger ? "on" : "off",
              seconds, run.result_code(), static_cast<double>(info.st_size) / 1024.0);
  std::printf("repaints asked for: %llu, drawn by the renderer: %llu\n", view.requested,
              static_cast<unsigned long long>(renderer.repaints_drawn()));
  std::printf("peak resident memory: %.1f MiB\n", bench::PeakResidentMiB());
  if (run.result_code() != 0) std::fputs(desktop.messages().c_str(), stderr);
  return run.result_code();
}
