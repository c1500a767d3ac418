// vintor-view: shows a report file on the terminal or as an HTML page, and checks that its
// statements agree with each other (docs/viewer.md).
//
// Exit status: 0 the report was read and every check passed; 1 a check failed; 2 the file
// cannot be read or is not a well-formed report; 3 a usage error, or --account names no
// account of the ledger; 4 the HTML page cannot be written.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "checks/cross_checks.h"
#include "os/console_print.h"
#include "report/figures_of_report.h"
#include "report/report_reader.h"
#include "text/control_escapes.h"
#include "text/encoding.h"
#include "view/account_selection.h"
#include "view/report_html.h"
#include "view/report_text.h"

namespace {

using vintor::os::PrintCp932;
using vintor::report::ReportContents;
using vintor::view::AccountSelection;

constexpr int kPassed = 0;
constexpr int kCheckFailed = 1;
constexpr int kNotAReport = 2;
constexpr int kUsageError = 3;
constexpr int kCannotWrite = 4;

// A path as the system wants it: the bytes given on Linux, UTF-16 on Windows.
#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

// An argument in the program's CP932 and as the system path it came as.
struct Argument {
  std::string cp932;
  NativePath native;
};

// A message to standard error. What it repeats of the arguments or the file (an option, a
// path, a name) may hold control characters, which are shown escaped rather than acted on.
void Complain(const std::string& message) {
  PrintCp932(stderr, vintor::text::EscapeControls(message, vintor::text::LineLayout::kKept));
}

std::string Usage() {
  return "使い方: vintor-view [--account 番号|科目名] [--html 出力.html] レポート.xml\n"
         "  端末に財務諸表を表として表示し、諸表間の検査をします。\n"
         "  --account  総勘定元帳のその科目の行を表示します（番号は科目一覧の番号）。\n"
         "  --html     表示の代わりに一つの HTML ページを書きます。\n"
         "終了コード: 0 検査すべて一致、1 不一致の検査あり、2 レポートとして読めない、\n"
         "  3 引数の誤り・その科目なし、4 HTML を書けない\n";
}

std::FILE* OpenFile(const NativePath& path, bool write) {
#ifdef _WIN32
  return ::_wfopen(path.c_str(), write ? L"wb" : L"rb");
#else
  return std::fopen(path.c_str(), write ? "wb" : "rb");
#endif
}

class FileSource : public vintor::report::ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  long Read(char* buffer, std::size_t capacity, std::string* error) override {
    const std::size_t got = std::fread(buffer, 1, capacity, file_);
    if (got == 0 && std::ferror(file_)) {
      *error = "ファイルを読めません";
      return -1;
    }
    return static_cast<long>(got);
  }

 private:
  std::FILE* file_;
};

bool WriteWholeFile(const NativePath& path, const std::string& bytes) {
  std::FILE* file = OpenFile(path, true);
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

int Run(const std::vector<Argument>& arguments) {
  const Argument* report_path = nullptr;
  const Argument* html_path = nullptr;
  const Argument* account = nullptr;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    const std::string& a = arguments[k].cp932;
    if (a == "--help" || a == "-h") {
      PrintCp932(stdout, Usage());
      return kPassed;
    }
    if ((a == "--html" || a == "--account") && k + 1 < arguments.size()) {
      (a == "--html" ? html_path : account) = &arguments[++k];
    } else if (!a.starts_with("-") && report_path == nullptr) {
      report_path = &arguments[k];
    } else {
      Complain("vintor-view: 引数 " + a + " は使えません\n\n" + Usage());
      return kUsageError;
    }
  }
  if (report_path == nullptr) {
    Complain("vintor-view: レポートのファイルを指定してください\n\n" + Usage());
    return kUsageError;
  }

  std::optional<AccountSelection> selection;
  vintor::report::ReportReader reader;
  if (account != nullptr) {
    selection.emplace(account->cp932);
    reader.set_ledger_line_handler(
        [&selection](const auto& a, std::size_t index, const auto& line) {
          selection->Take(a, index, line);
        });
  }
  ReportContents contents;
  std::string error;
  std::FILE* file = OpenFile(report_path->native, false);
  if (file == nullptr) {
    Complain("vintor-view: " + report_path->cp932 + ": ファイルを開けません\n");
    return kNotAReport;
  }
  FileSource source(file);
  const bool read = reader.Read(source, &contents, &error);
  std::fclose(file);
  if (!read) {
    Complain("vintor-view: " + report_path->cp932 + ": レポートとして読めません: " + error + "\n");
    return kNotAReport;
  }

  if (selection) {
    bool found = false;
    if (contents.ledger) {
      for (std::size_t k = 0; k < contents.ledger->size(); ++k) {
        found = found || selection->Matches((*contents.ledger)[k], k);
      }
    }
    if (!found) {
      Complain("vintor-view: 総勘定元帳に科目 " + selection->argument() + " はありません\n");
      return kUsageError;
    }
  }

  const std::vector<vintor::checks::CheckResult> results =
      vintor::checks::RunCrossChecks(vintor::report::FiguresOfReport(contents));
  const int status = vintor::checks::AllPassed(results) ? kPassed : kCheckFailed;

  if (html_path != nullptr) {
    const std::string page =
        vintor::view::ReportHtml(contents, results).Render(selection ? &*selection : nullptr);
    std::string utf8;
    if (!vintor::text::Cp932ToUtf8(page, &utf8, &error) ||
        !WriteWholeFile(html_path->native, utf8)) {
      Complain("vintor-view: " + html_path->cp932 + ": HTML を書けません\n");
      return kCannotWrite;
    }
    PrintCp932(stdout, "HTML: " + vintor::text::EscapeControls(html_path->cp932) +
                           "（検査: " + (status == kPassed ? "すべて一致" : "不一致あり") + "）\n");
    return status;
  }
  const vintor::view::ReportText text(contents, results);
  PrintCp932(stdout, selection ? text.RenderAccount(*selection) : text.Render());
  return status;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<Argument> arguments;
  for (int k = 1; k < argc; ++k) {
    Argument argument{{}, argv[k]};
    if (!vintor::text::Utf16ToCp932(argument.native, &argument.cp932)) {
      Complain("vintor-view: 引数を CP932 にできません\n");
      return kUsageError;
    }
    arguments.push_back(std::move(argument));
  }
  return Run(arguments);
}
#else
int main(int argc, char** argv) {
  std::vector<Argument> arguments;
  for (int k = 1; k < argc; ++k) {
    Argument argument{{}, argv[k]};
    if (!vintor::text::Utf8ToCp932(argument.native, &argument.cp932)) {
      Complain("vintor-view: 引数を CP932 にできません\n");
      return kUsageError;
    }
    arguments.push_back(std::move(argument));
  }
  return Run(arguments);
}
#endif
