#include "ui/console/console_dialog.h"

#include <cstdlib>

#include "text/control_escapes.h"
#include "text/cp932.h"

namespace vintor::ui::console {
namespace {

// One session of the dialog on the terminal: asks for single controls.
class Session {
 public:
  Session(ConsoleConditionsView& view, ConsoleDesktop& desktop)
      : view_(view),
        terminal_(desktop.terminal()),
        relative_base_(desktop.options().relative_base) {}

  // The proposal "<folder>*.xml" is a filter for the Windows save dialog; a terminal has
  // none, and Enter would hand the filter to the destination checks. The console proposes
  // a file there instead, named after the company's data and the period's end.
  void ProposeFile(const conditions::ConditionsDialog& dialog) {
    const std::string path = view_.GetText(control::kPath);
    constexpr std::string_view kFilter = "*.xml";
    if (!view_.IsEnabled(control::kPath) || !path.ends_with(kFilter)) return;
    std::string name;
    for (const char c : dialog.data_id) {
      const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                         (c >= 'a' && c <= 'z') || c == '-' || c == '_';
      name += plain ? c : '_';
    }
    if (name.empty()) name = "kessansho";
    name += "-" + std::to_string(dialog.period_end_date) + ".xml";
    view_.SetText(control::kPath, path.substr(0, path.size() - kFilter.size()) + name);
  }

  void Apply(const ConsoleChoices& choices) {
    if (choices.start_month) view_.SetText(control::kStartMonth, *choices.start_month);
    if (choices.end_month) view_.SetText(control::kEndMonth, *choices.end_month);
    if (choices.equity_statement_kind) SetEquity(*choices.equity_statement_kind);
    if (choices.ledger) view_.SetChecked(control::kLedger, *choices.ledger);
    if (choices.output_path) {
      if (view_.IsEnabled(control::kPath)) {
        view_.SetText(control::kPath, *choices.output_path);
      } else {
        terminal_.Write("警告: 出力先は呼び出し元が指定しているため、--out は使われません。\n");
      }
    }
  }

  void ShowHeading() {
    terminal_.WritePrompt("事業所名:" + view_.GetText(control::kCompanyName) + "\n");
    terminal_.WritePrompt("会計期間:" + view_.GetText(control::kPeriod) + "\n");
  }

  // Asks for the values the command line left open; false when input ended.
  bool AskOpen(const ConsoleChoices& choices) {
    if (!choices.start_month && !Ask(control::kStartMonth)) return false;
    if (!choices.end_month && !Ask(control::kEndMonth)) return false;
    if (!choices.equity_statement_kind && !Ask(control::kShareholdersEquity)) return false;
    if (!choices.ledger && !Ask(control::kLedger)) return false;
    if (!choices.output_path && view_.IsEnabled(control::kPath) && !Ask(control::kPath))
      return false;
    return true;
  }

  // Asks for one control; false when input ended. An empty line keeps its value.
  bool Ask(int id) {
    switch (id) {
      case control::kStartMonth:
        return AskMonth(id, "集計期間の開始月");
      case control::kEndMonth:
        return AskMonth(id, "集計期間の終了月");
      case control::kShareholdersEquity:
      case control::kMembersEquity:
        return AskEquity();
      case control::kLedger:
        return AskLedger();
      case control::kPath:
        return AskPath();
      default:
        // Nothing here to correct: the dialog cannot go on.
        return false;
    }
  }

 private:
  bool AskMonth(int id, const std::string& label) {
    for (;;) {
      std::string answer;
      if (!AskLine(label + " [" + view_.GetText(id) + "]: ", &answer)) return false;
      if (answer.empty()) return true;
      // The month edits take digits only, as many as their limit allows.
      const int limit = view_.Limit(id);
      if (answer.find_first_not_of("0123456789") == std::string::npos &&
          (limit == 0 || answer.size() <= static_cast<std::size_t>(limit))) {
        view_.SetText(id, answer);
        return true;
      }
      terminal_.WritePrompt("月は数字" + std::to_string(limit) + "桁までで入力してください。\n");
    }
  }

  bool AskEquity() {
    const std::string current = view_.IsChecked(control::kMembersEquity) ? "2" : "1";
    for (;;) {
      std::string answer;
      if (!AskLine("株主／社員資本等変動計算書の選択 (1: 株主資本等変動計算書, 2: "
                   "社員資本等変動計算書) [" +
                       current + "]: ",
                   &answer))
        return false;
      if (answer.empty()) return true;
      if (answer == "1" || answer == "2") {
        SetEquity(answer == "2" ? 2 : 1);
        return true;
      }
      terminal_.WritePrompt("1 か 2 を入力してください。\n");
    }
  }

  bool AskLedger() {
    const std::string current = view_.IsChecked(control::kLedger) ? "y" : "n";
    for (;;) {
      std::string answer;
      if (!AskLine("総勘定元帳の情報を出力する (y/n) [" + current + "]: ", &answer)) return false;
      if (answer.empty()) return true;
      const bool yes = answer == "y" || answer == "yes" || answer == "はい";
      const bool no = answer == "n" || answer == "no" || answer == "いいえ";
      if (yes || no) {
        view_.SetChecked(control::kLedger, yes);
        return true;
      }
      terminal_.WritePrompt("y か n を入力してください。\n");
    }
  }

  bool AskPath() {
    for (;;) {
      std::string answer;
      if (!AskLine("出力先 [" + text::EscapeControls(view_.GetText(control::kPath)) + "]: ",
                   &answer))
        return false;
      if (answer.empty()) return true;
      // ~ is the home folder, as in a shell.
      if (answer == "~" || answer.starts_with("~/")) {
        if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
          std::string cp932;
          if (FromTerminal(home, terminal_.charset(), &cp932, nullptr))
            answer = cp932 + answer.substr(1);
        }
      }
      const int limit = view_.Limit(control::kPath);
      if (limit == 0 || CharacterCount(answer) <= static_cast<std::size_t>(limit)) {
        view_.SetText(control::kPath, MakeAbsolute(answer, relative_base_));
        return true;
      }
      terminal_.WritePrompt("出力先は" + std::to_string(limit) + "文字までで入力してください。\n");
    }
  }

  bool AskLine(const std::string& prompt, std::string* answer) {
    return terminal_.Ask(prompt, answer) == Terminal::ReadResult::kLine;
  }

  void SetEquity(int kind) {
    view_.SetChecked(control::kShareholdersEquity, kind != 2);
    view_.SetChecked(control::kMembersEquity, kind == 2);
  }

  static std::size_t CharacterCount(const std::string& cp932) {
    std::size_t count = 0;
    for (std::size_t k = 0; k < cp932.size(); k += text::CharacterLengthAt(cp932, k)) ++count;
    return count;
  }

  ConsoleConditionsView& view_;
  Terminal& terminal_;
  std::string relative_base_;
};

// Where a value of the run came from, for the line that says what the run will do.
std::string Source(bool given, bool interactive, bool saved) {
  if (given) return "（オプション）";
  if (interactive) return "（入力）";
  return saved ? "（保存された設定）" : "（既定）";
}

}  // namespace

std::string ConditionsLine(conditions::ConditionsDialog& dialog, const ConsoleChoices& choices,
                           bool interactive) {
  const bool saved = dialog.proposed_from_saved_settings;
  const bool members = dialog.equity_statement_kind == 2;
  const bool host_path = dialog.fixed_destination_mode == 1;
  return "条件:" + dialog.company_name_text + "、" + dialog.start_month_text + "月～" +
         dialog.end_month_text + "月" +
         Source(choices.start_month && choices.end_month, interactive, saved) + "、" +
         (members ? "社員資本等変動計算書" : "株主資本等変動計算書") +
         Source(choices.equity_statement_kind.has_value(), interactive, saved) + "、" +
         (dialog.ledger_requested ? "総勘定元帳あり" : "総勘定元帳なし") +
         Source(choices.ledger.has_value(), interactive, saved) + "、出力先 " +
         text::EscapeControls(dialog.output_path) +
         (host_path ? "（呼び出し元）"
                    : Source(choices.output_path.has_value(), interactive, saved)) +
         "\n";
}

int RunConsoleDialog(conditions::ConditionsDialog& dialog, ConsoleDesktop& desktop,
                     const ConsoleChoices& choices, bool interactive) {
  ConsoleConditionsView view;
  dialog.OnInitDialog(view);
  if (view.ended()) return view.result();

  Session session(view, desktop);
  session.ProposeFile(dialog);
  session.Apply(choices);
  if (interactive) {
    session.ShowHeading();
    if (!session.AskOpen(choices)) {
      dialog.Cancel();
      return view.result();
    }
  }
  for (;;) {
    const std::string path_before = view.GetText(control::kPath);
    dialog.Execute();
    if (view.ended()) {
      // Say what the run will do, and where each choice came from: a script that left a
      // choice out gets the remembered one, which it should see.
      if (view.result() == kDialogExecuted && !desktop.options().quiet)
        desktop.terminal().Write(ConditionsLine(dialog, choices, interactive));
      return view.result();
    }
    // A failed check has shown its message. Without a user nobody can correct it.
    if (!interactive) break;
    // The focus names the control to correct. It rests on the execute button after the
    // save-file dialog: a chosen file is checked at once, else the path is asked for.
    int field = view.focused();
    if (field == control::kExecute) {
      if (view.GetText(control::kPath) != path_before) continue;
      field = control::kPath;
    }
    // A destination the host dictates cannot be corrected here.
    if (!view.IsEnabled(field)) break;
    if (!session.Ask(field)) break;
  }
  dialog.Cancel();
  return view.result();
}

}  // namespace vintor::ui::console
