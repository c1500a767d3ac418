// The conditions dialog on the terminal. The presenter (conditions::ConditionsDialog)
// decides everything; this view keeps the controls' values, fills them from the command
// line, asks the user for the rest when the user is there, and presses Execute until the
// dialog ends.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "conditions/conditions_dialog.h"
#include "ui/console/console_desktop.h"
#include "ui/ui.h"

namespace vintor::ui::console {

// What the command line chose in place of the user. Texts are CP932.
struct ConsoleChoices {
  std::optional<std::string> start_month;    // --from, as typed
  std::optional<std::string> end_month;      // --to
  std::optional<int> equity_statement_kind;  // --equity 1|2
  std::optional<bool> ledger;                // --ledger / --no-ledger
  std::optional<std::string> output_path;    // --out, absolute
};

// The dialog's controls as values. The focus starts on the start month edit, as the
// dialog's first tab stop.
class ConsoleConditionsView : public ConditionsView {
 public:
  explicit ConsoleConditionsView(WindowHandle handle = 0) : handle_(handle) {}

  WindowHandle Handle() override { return handle_; }
  std::string GetText(int control) override { return controls_[control].text; }
  void SetText(int control, const std::string& text) override { controls_[control].text = text; }
  bool IsChecked(int control) override { return controls_[control].checked; }
  void SetChecked(int control, bool checked) override { controls_[control].checked = checked; }
  bool IsEnabled(int control) override { return controls_[control].enabled; }
  void Enable(int control, bool enabled) override { controls_[control].enabled = enabled; }
  void LimitText(int control, int characters) override { controls_[control].limit = characters; }
  void Focus(int control, bool) override { focused_ = control; }
  void EndDialog(int result) override {
    if (!result_) result_ = result;
  }

  // The characters the user may type into the control; 0 for no limit.
  int Limit(int control) { return controls_[control].limit; }
  int focused() const { return focused_; }
  bool ended() const { return result_.has_value(); }
  int result() const { return result_.value_or(0); }

 private:
  struct Control {
    std::string text;
    bool checked = false;
    bool enabled = true;
    int limit = 0;
  };

  WindowHandle handle_;
  std::map<int, Control> controls_;
  int focused_ = control::kStartMonth;
  std::optional<int> result_;
};

// Shows the dialog on desktop's terminal and returns how it ended (kDialogExecuted or
// kDialogCancelled). After the dialog's own initialisation the choices are put into the
// controls; when interactive, the values not chosen are asked for with the proposal as
// the answer to an empty line. Then Execute runs. When a check fails, the message has been
// shown; interactively the control the dialog put the focus on is asked for again and
// Execute repeats, otherwise the dialog is cancelled. The end of input cancels too.
int RunConsoleDialog(conditions::ConditionsDialog& dialog, ConsoleDesktop& desktop,
                     const ConsoleChoices& choices, bool interactive);

// The line a run prints before the export: the company, the range, the equity statement,
// the ledger and the destination, each with where it came from (option, typed in, saved
// settings, default, or the host). CP932, ends with a line feed.
std::string ConditionsLine(conditions::ConditionsDialog& dialog, const ConsoleChoices& choices,
                           bool interactive);

}  // namespace vintor::ui::console
