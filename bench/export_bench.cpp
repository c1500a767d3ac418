// Measures whole exports of large companies against the floor: for each size, the export
// from the library connection to the report file runs in a child process, then floor_bench
// (built beside this program) reads the same books and writes as many bytes as the report
// has, also in a child. Each child's wall time, CPU time and peak memory come from the
// kernel; the table puts the export over the floor. On a machine shared with other work the
// absolute times drift from run to run, but both children suffer the same load within one
// run, so the ratios are the figures to compare. Prints its figures; it is not a test.
//
//   export_bench [--ledger] [--accounts N] [--lines M[,M2,...]] [--runs K]
//                [--books FILE] [--out FILE]
//
// A books file is generated (seed 1) when it does not exist yet, by default under /tmp,
// named by its accounts and lines so that later runs reuse it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/export_app.h"
#include "bench/bench_clock.h"
#include "bench/child_process.h"
#include "books/books_library.h"
#include "books/books_store.h"
#include "books/generator.h"
#include "main/scripted_export.h"
#include "ui/console/console_dialog.h"
#include "ui/console/console_progress_view.h"
#include "ui/throttled_progress_view.h"

namespace {

using namespace vintor;

constexpr const char* kUsage =
    "usage: export_bench [--ledger] [--accounts N] [--lines M[,M2,...]] [--runs K]\n"
    "                    [--books FILE] [--out FILE]\n"
    "  for each number of journal lines (default 100000,1000000 with 3000 accounts), exports\n"
    "  a generated company in a child process, runs floor_bench on the same books with the\n"
    "  report's size, and prints both children's wall time, CPU time and peak memory with\n"
    "  the ratio of export to floor; with two sizes or more, also how the export grows.\n"
    "  Books files are generated with seed 1 into /tmp/vintor-bench-ACCOUNTS-LINES.db on\n"
    "  first use; --books and --out name the files for a single size. --runs K keeps the\n"
    "  best of K runs of each child.\n";

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

long long FileSize(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

// 100000 as "100k", 1000000 as "1M": the sizes as people say them.
std::string SizeLabel(int lines) {
  if (lines >= 1'000'000 && lines % 1'000'000 == 0) return std::to_string(lines / 1'000'000) + "M";
  if (lines >= 1'000 && lines % 1'000 == 0) return std::to_string(lines / 1'000) + "k";
  return std::to_string(lines);
}

// "100000,1000000" as its numbers; false unless every one is a positive count.
bool ParseSizes(const char* text, std::vector<int>* sizes) {
  sizes->clear();
  const char* at = text;
  while (true) {
    char* end = nullptr;
    const long value = std::strtol(at, &end, 10);
    if (end == at || value <= 0 || value > INT_MAX) return false;
    sizes->push_back(static_cast<int>(value));
    if (*end == '\0') return true;
    if (*end != ',') return false;
    at = end + 1;
  }
}

// The path of this program, to run it again as a child.
std::string OwnPath() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(length));
}

// The child's part for --generate: writes the generated company to books_path.
int GenerateOnly(int accounts, int lines, const std::string& books_path) {
  std::string error;
  if (!books::WriteBooksFile(books_path, books::GenerateBooks(accounts, lines, 1, "/tmp/"),
                             &error)) {
    std::fprintf(stderr, "export_bench: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

// The child's part for --one: one export, in process, with the console's progress renderer
// drawing to /dev/null as if it were a terminal. Prints the result, the repaints asked for
// and those drawn.
int ExportOnce(const std::string& books_path, const std::string& out, bool ledger) {
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

  std::printf(
      "export (ledger %s): %.3f s in process, result %d, report %.1f KiB, repaints %llu"
      " asked for, %llu drawn\n",
      ledger ? "on" : "off", seconds, run.result_code(),
      static_cast<double>(FileSize(out)) / 1024.0, view.requested,
      static_cast<unsigned long long>(renderer.repaints_drawn()));
  if (run.result_code() != 0) std::fputs(desktop.messages().c_str(), stderr);
  return run.result_code();
}

// The best of several runs: least time, and the memory of the run that needed most.
void KeepBest(const bench::ChildFigures& run, bool first, bench::ChildFigures* best) {
  if (first) {
    *best = run;
    return;
  }
  best->wall_seconds = std::min(best->wall_seconds, run.wall_seconds);
  best->cpu_seconds = std::min(best->cpu_seconds, run.cpu_seconds);
  best->peak_mib = std::max(best->peak_mib, run.peak_mib);
}

struct SizeFigures {
  int lines = 0;
  long long report_bytes = 0;
  bench::ChildFigures export_run;
  bench::ChildFigures floor_run;
};

double Ratio(double over, double under) {
  return under > 0 ? over / under : 0;
}

// A report of the ledger runs to hundreds of MiB, the statements alone to some KiB.
std::string ByteLabel(long long bytes) {
  char text[32];
  if (bytes < 1024 * 1024)
    std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024.0);
  else
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / 1048576.0);
  return text;
}

void PrintTable(const SizeFigures& size, int accounts, bool ledger, int runs) {
  std::printf("\n%s lines (%d accounts, ledger %s), report %s, best of %d run%s\n",
              SizeLabel(size.lines).c_str(), accounts, ledger ? "on" : "off",
              ByteLabel(size.report_bytes).c_str(), runs, runs == 1 ? "" : "s");
  std::printf("  %-14s %10s %10s %10s\n", "", "wall s", "CPU s", "peak MiB");
  const auto row = [](const char* name, const bench::ChildFigures& figures) {
    std::printf("  %-14s %10.3f %10.3f %10.1f\n", name, figures.wall_seconds, figures.cpu_seconds,
                figures.peak_mib);
  };
  row("export", size.export_run);
  row("floor", size.floor_run);
  std::printf("  %-14s %9.1fx %9.1fx %9.1fx\n", "export / floor",
              Ratio(size.export_run.wall_seconds, size.floor_run.wall_seconds),
              Ratio(size.export_run.cpu_seconds, size.floor_run.cpu_seconds),
              Ratio(size.export_run.peak_mib, size.floor_run.peak_mib));
}

}  // namespace

int main(int argc, char** argv) {
  // Asking for help must never start an hour of benchmark.
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[k], "--version") == 0) {
      std::puts("export_bench 21.00.03");
      return 0;
    }
  }
  int accounts = 3000;
  std::vector<int> sizes = {100'000, 1'000'000};
  int runs = 1;
  std::string books_path;
  std::string out;
  bool ledger = false;
  // The parts a child plays, given by the parent: not in the usage.
  bool one = false;
  bool generate = false;
  for (int k = 1; k < argc; ++k) {
    const bool has_value = k + 1 < argc;
    if (std::strcmp(argv[k], "--ledger") == 0) {
      ledger = true;
    } else if (std::strcmp(argv[k], "--one") == 0) {
      one = true;
    } else if (std::strcmp(argv[k], "--generate") == 0) {
      generate = true;
    } else if (has_value && std::strcmp(argv[k], "--accounts") == 0) {
      accounts = std::atoi(argv[++k]);
    } else if (has_value && std::strcmp(argv[k], "--lines") == 0) {
      if (!ParseSizes(argv[++k], &sizes)) {
        std::fprintf(stderr, "export_bench: --lines wants counts separated by commas, not %s\n",
                     argv[k]);
        return 2;
      }
    } else if (has_value && std::strcmp(argv[k], "--runs") == 0) {
      runs = std::max(1, std::atoi(argv[++k]));
    } else if (has_value && std::strcmp(argv[k], "--books") == 0) {
      books_path = argv[++k];
    } else if (has_value && std::strcmp(argv[k], "--out") == 0) {
      out = argv[++k];
    } else {
      std::fprintf(stderr, "export_bench: unknown option %s\n%s", argv[k], kUsage);
      return 2;
    }
  }
  if (one) return ExportOnce(books_path, out, ledger);
  if (generate) return GenerateOnly(accounts, sizes.front(), books_path);

  if (sizes.size() > 1 && (!books_path.empty() || !out.empty())) {
    std::fputs("export_bench: --books and --out name the files of a single size\n", stderr);
    return 2;
  }
  const std::string self = OwnPath();
  const std::string floor = self.substr(0, self.rfind('/') + 1) + "floor_bench";
  if (self.empty() || access(floor.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "export_bench: %s is missing: build the target floor_bench\n",
                 floor.c_str());
    return 1;
  }

  // This process stays small and does no measured work: the kernel counts the memory a
  // child inherits at its start into that child's peak.
  std::vector<SizeFigures> results;
  for (const int lines : sizes) {
    const std::string name = std::to_string(accounts) + "-" + std::to_string(lines);
    const std::string books = books_path.empty() ? "/tmp/vintor-bench-" + name + ".db" : books_path;
    const std::string report = out.empty() ? "/tmp/vintor-export-bench-" + name + ".xml" : out;
    const std::string floor_out = "/tmp/vintor-floor-bench-" + name + ".out";
    if (!Exists(books)) {
      std::printf("generating %d accounts and %d journal lines into %s\n", accounts, lines,
                  books.c_str());
      const bench::ChildFigures made =
          bench::RunChild({self, "--generate", "--accounts", std::to_string(accounts), "--lines",
                           std::to_string(lines), "--books", books});
      if (made.exit_code != 0) return 1;
      std::printf("generated in %.1f s\n", made.wall_seconds);
    }
    SizeFigures size;
    size.lines = lines;
    for (int run = 0; run < runs; ++run) {
      std::vector<std::string> export_args = {self, "--one", "--books", books, "--out", report};
      if (ledger) export_args.push_back("--ledger");
      const bench::ChildFigures exported = bench::RunChild(export_args);
      if (exported.exit_code != 0) {
        std::fprintf(stderr, "export_bench: the export of %s failed\n", books.c_str());
        return 1;
      }
      size.report_bytes = FileSize(report);
      const bench::ChildFigures floored =
          bench::RunChild({floor, books, std::to_string(size.report_bytes), floor_out});
      unlink(floor_out.c_str());
      if (floored.exit_code != 0) {
        std::fprintf(stderr, "export_bench: floor_bench failed on %s\n", books.c_str());
        return 1;
      }
      KeepBest(exported, run == 0, &size.export_run);
      KeepBest(floored, run == 0, &size.floor_run);
    }
    PrintTable(size, accounts, ledger, runs);
    results.push_back(size);
  }

  if (results.size() > 1) std::puts("");
  for (std::size_t k = 1; k < results.size(); ++k) {
    const SizeFigures& from = results[k - 1];
    const SizeFigures& to = results[k];
    std::printf(
        "%s -> %s (lines x%.1f): export wall x%.1f, CPU x%.1f, peak x%.1f; floor CPU x%.1f\n",
        SizeLabel(from.lines).c_str(), SizeLabel(to.lines).c_str(), Ratio(to.lines, from.lines),
        Ratio(to.export_run.wall_seconds, from.export_run.wall_seconds),
        Ratio(to.export_run.cpu_seconds, from.export_run.cpu_seconds),
        Ratio(to.export_run.peak_mib, from.export_run.peak_mib),
        Ratio(to.floor_run.cpu_seconds, from.floor_run.cpu_seconds));
  }
  return 0;
}
