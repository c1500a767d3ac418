// The exporter on Linux: the conditions dialog on the terminal, messages on standard
// error, the books of our own library, and the host "windows" as datagram sockets.
// Exit status = the run's result code (0 finished, 1 cancelled or refused, 2 failed).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/export_app.h"
#include "app/host_handshake.h"
#include "books/books_library.h"
#include "books/books_location.h"
#include "conditions/path_style.h"
#include "main/edition.h"
#include "main/linux_batch.h"
#include "os/os.h"
#include "statements/report_writer.h"
#include "text/control_escapes.h"
#include "text/encoding.h"
#include "ui/console/console_desktop.h"
#include "ui/console/console_dialog.h"
#include "ui/console/console_options.h"
#include "ui/console/console_progress_view.h"
#include "ui/console/host_channel.h"
#include "ui/console/terminal.h"
#include "ui/throttled_progress_view.h"

namespace {

using namespace vintor;

// The exit status of a finished run that showed warnings, under --strict.
constexpr int kResultWrittenWithWarnings = 3;

std::string EnvironmentValue(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  std::string cp932;
  if (value == nullptr || !text::Utf8ToCp932(value, &cp932)) return {};
  return cp932;
}

// A hint for a Linux user after a message that names a screen of the accounting product.
struct ConsoleHint {
  const char* message;  // a part of the message's text
  const char* hint;     // the line shown after it
};
constexpr ConsoleHint kHints[] = {
    {"会社法(H18.5施行)に対応していない",
     "ヒント: 会計データの companies.csv で companies_act を 1 にして tavrel import "
     "で読み込み直すと、連携できます。\n"},
    {"正しい分類に出力することができません",
     "ヒント: 会計データの accounts.csv で、この科目の character を有形固定資産 "
     "(0x80848000 のビットを含む値)・無形固定資産 (0x80844000)・投資その他の資産 "
     "(0x80842000) のいずれかにして tavrel import で読み込み直してください。\n"},
    {"過去実績データは",
     "ヒント: 過去実績データ (companies.csv の introduction_month が 99) は出力できません。"
     "tavrel select --user 利用者 --data 番号 で別の会計データを選んでください。\n"},
};

// Message boxes print below the progress line instead of running into it.
class ProgressAwareDesktop : public ui::console::ConsoleDesktop {
 public:
  ProgressAwareDesktop(ui::console::Terminal& terminal, ui::console::ConsoleDesktopOptions options,
                       ui::console::ConsoleProgressView& progress)
      : ConsoleDesktop(terminal, std::move(options)), progress_(progress) {}

  int ShowMessage(platform::WindowHandle owner, const std::string& text, const std::string& caption,
                  unsigned style) override {
    progress_.ClearLine();
    if (counting_warnings_ && style == ui::kWarning) ++warnings_;
    const int answer = ConsoleDesktop::ShowMessage(owner, text, caption, style);
    // The messages that send the user to the product's screens get, on a line of their
    // own, what corresponds in our books.
    for (const ConsoleHint& hint : kHints) {
      if (text.find(hint.message) != std::string::npos) terminal().Write(hint.hint);
    }
    return answer;
  }

  // Warnings are counted once the dialog has ended: those of the export itself.
  void CountWarnings() { counting_warnings_ = true; }
  int warnings() const { return warnings_; }

 private:
  ui::console::ConsoleProgressView& progress_;
  bool counting_warnings_ = false;
  int warnings_ = 0;
};

// "出力: FILE（N バイト、貸借対照表・…、科目 N、元帳 N 行、N.NN 秒）", after a finished run.
std::string SummaryLine(const app::ExportApp& run, std::int64_t elapsed_ms) {
  const app::WrittenReport& report = run.written_report();
  std::string sections = "貸借対照表・損益計算書";
  if (report.cost_schedule) sections += "・製造原価報告書";
  sections += report.equity_kind == 2 ? "・社員資本等変動計算書" : "・株主資本等変動計算書";
  if (report.notes) sections += "・注記";
  if (report.ledger) sections += "・総勘定元帳";
  std::string native;
  struct stat status {};
  const bool sized =
      text::Cp932ToUtf8(report.path, &native) && ::stat(native.c_str(), &status) == 0;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", static_cast<double>(elapsed_ms) / 1000.0);
  return "出力: " + text::EscapeControls(report.path) + "（" +
         (sized ? std::to_string(status.st_size) + " バイト、" : "") + sections + "、科目 " +
         std::to_string(run.statement_lines().size()) + "、元帳 " +
         std::to_string(run.ledger_line_count()) + " 行、" + seconds + " 秒）\n";
}

int Run(int argc, char** argv) {
  const ui::console::TerminalCharset charset = ui::console::DetectTerminalCharset();
  ui::console::Terminal terminal(std::cin, std::cerr, charset);
  os::Os& os = os::SystemOs();
  // Paths the user gives are relative to the folder the program was started in; the run
  // makes the program's own folder current before it uses them.
  const std::string started_in = os.CurrentFolder();

  ui::console::ConsoleOptions options;
  std::string error;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!ui::console::ParseConsoleOptions(arguments, started_in, charset, &options, &error)) {
    terminal.Write(error + "\n\n" + ui::console::ConsoleUsage(main::ThisProgramName()));
    // A host that named itself on the command line always hears back, even when the rest
    // of the line (its own path, say) could not be read; a window or message that is not
    // exact might name another window. Both fields are ASCII in every charset.
    ui::console::DatagramHostWindows host_windows(&terminal);
    for (const std::string& argument : arguments) {
      app::HostHandshake handshake;
      if (argument.rfind("-", 0) == 0 || !app::HostWindowFieldsAreExact(argument)) continue;
      app::ParseHostHandshake(argument, &handshake);
      host_windows.Enable(handshake.host_window, true);
      host_windows.PostToWindow(handshake.host_window, handshake.host_message,
                                app::CompletionWParam(handshake), app::kResultFailed);
      break;
    }
    return app::kResultFailed;
  }
  if (options.version) {
    std::cout << main::ThisProgramName() << " " << statements::kConnectedProgramVersion << "\n";
    return app::kResultFinished;
  }
  if (options.help) {
    std::cout << ui::console::ToTerminal(ui::console::ConsoleUsage(main::ThisProgramName()),
                                         charset);
    return app::kResultFinished;
  }

  std::string books_path = books::ResolveBooksPath(
      options.books_file.value_or(""), EnvironmentValue, books::kNativePathStyle, &error);
  if (books_path.empty()) {
    terminal.Write("エラー: " + error + "\n");
    return app::kResultFailed;
  }
  books_path = ui::console::MakeAbsolute(books_path, started_in);
  if (options.batch) return main::RunBatch(options, books_path, terminal, charset, os);

  const bool interactive = ui::console::StandardInputIsTerminal();
  // Questions and prompts reach the user at the terminal even when standard error goes to
  // a log file.
  std::ofstream controlling_terminal;
  if (interactive && isatty(STDERR_FILENO) != 1) {
    controlling_terminal.open("/dev/tty");
    if (controlling_terminal.is_open()) terminal.set_prompt_stream(&controlling_terminal);
  }
  ui::console::ConsoleProgressView progress_line(STDERR_FILENO, options.quiet, charset);
  ui::ThrottledProgressView progress_view(progress_line, os::MonotonicMilliseconds);
  ProgressAwareDesktop desktop(terminal,
                               {.answers = options.answers,
                                .interactive = interactive,
                                .quiet = options.quiet,
                                .relative_base = started_in},
                               progress_line);
  books::BooksLibrary library(
      {.books_path = books_path,
       .user_id = options.user_id.value_or(""),
       .data_number = options.data_number.value_or(0),
       .display = [&desktop](platform::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned style) {
         return desktop.ShowMessage(owner, text, caption, style);
       }});
  ui::console::DatagramHostWindows host_windows(&terminal);

  app::ExportApp run({.library = library,
                      .os = os,
                      .desktop = desktop,
                      .host_windows = host_windows,
                      .path_style = conditions::NativePathStyle(),
                      .show_conditions =
                          [&](conditions::ConditionsDialog& dialog) {
                            dialog.ignore_saved_settings = options.no_saved_settings;
                            const int result = ui::console::RunConsoleDialog(
                                dialog, desktop, options.choices, interactive);
                            desktop.CountWarnings();
                            return result;
                          },
                      .progress_view = &progress_view},
                     main::ThisEdition());

  // The hand-shake arrives in the terminal's charset; its path field is CP932 inside.
  std::string handshake;
  if (options.handshake &&
      !ui::console::FromTerminal(*options.handshake, charset, &handshake, &error)) {
    handshake.clear();  // not a usable hand-shake: the run is stand-alone
  }
  const std::int64_t started_at = os::MonotonicMilliseconds();
  const bool finished = run.Start(handshake);
  // Counted before the exit routine frees the lists, shown after it has told the host.
  const std::string summary =
      finished && !options.quiet ? SummaryLine(run, os::MonotonicMilliseconds() - started_at) : "";
  run.Exit();
  if (run.result_code() == app::kResultFinished) terminal.Write(summary);
  // The report is there; only the next run's proposals are lost, which a user at a
  // terminal should still hear about.
  if (run.result_code() == app::kResultFinished && !run.written_report().settings_failure.empty()) {
    terminal.Write(
        "警告: 今回の条件を保存できませんでした。次回は保存された条件を提案できません。\n詳細: "
        "設定ファイル " +
        run.written_report().settings_failure + "\n");
  }
  // A report written with warnings (unclassified fixed assets, notes the tax application
  // cannot take over) is a finished run; a script that asks to be told gets status 3.
  if (options.strict && run.result_code() == app::kResultFinished && desktop.warnings() > 0)
    return kResultWrittenWithWarnings;
  struct stat books_status {};
  std::string native_books;
  if (run.result_code() == app::kResultFailed && text::Cp932ToUtf8(books_path, &native_books) &&
      ::stat(native_books.c_str(), &books_status) != 0) {
    terminal.Write(
        "ヒント: tavrel sample でサンプルの会計データを作るか、--books か環境変数 "
        "TAVREL_BOOKS で会計データのファイルを指定してください。\n");
  }
  return run.result_code();
}

}  // namespace

int main(int argc, char** argv) {
  vintor::os::RemoveTemporariesOnInterrupt();
  return Run(argc, argv);
}
