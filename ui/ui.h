// The seam to the desktop: what the run needs from a user interface, nothing more.
// Windows implements it with real dialogs and message boxes (ui/win32); Linux with the
// terminal (ui/console). Tests use fakes that record calls and answer from a script.
//
// Texts are CP932. Views render; the domain objects (presenters and models) decide.
#pragma once

#include <cstdint>
#include <string>

#include "ui/window.h"

namespace vintor::ui {

// The caption of every message box of the program.
inline constexpr const char* kCaption = "決算書";

// What the standard save-file dialog is asked to show.
struct SaveFileRequest {
  WindowHandle owner = 0;
  std::string title;
  std::string initial_folder;
  std::string initial_name;
  std::string default_extension;
  std::string filter;    // "Xml Files (*.xml)|*.xml||"
  unsigned options = 0;  // OFN_* flags
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // Shows a message box and answers kAnswerOk, kAnswerYes or kAnswerNo.
  virtual int ShowMessage(WindowHandle owner, const std::string& text, const std::string& caption,
                          unsigned style) = 0;
  // A line that says more about the message just shown (which library call failed, which
  // account or voucher): for a user who can act on it at a terminal. A desktop whose message
  // boxes already say all the program's messages say ignores it (the default).
  virtual void ShowDetail(const std::string& /*text*/) {}
  // Shows the save-file dialog; true with *path set when the user confirmed a file.
  virtual bool ChooseSaveFile(const SaveFileRequest& request, std::string* path) = 0;
  // The wait cursor, from Begin to End; Restore shows it again after a message box.
  virtual void BeginWaitCursor() = 0;
  virtual void RestoreWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
};

// Keys the conditions dialog reacts to.
enum class Key { kEnter, kF12, kEscape, kOther };

// Control ids of the conditions dialog (template 130).
namespace control {
inline constexpr int kEndMonth = 1000;
inline constexpr int kBrowse = 1001;
inline constexpr int kExecute = 1002;
inline constexpr int kCancel = 1003;
inline constexpr int kCompanyName = 1006;
inline constexpr int kPeriod = 1008;
inline constexpr int kOutputGroup = 1014;
inline constexpr int kPath = 1015;
inline constexpr int kStartMonth = 1016;
inline constexpr int kShareholdersEquity = 1019;
inline constexpr int kMembersEquity = 1020;
inline constexpr int kLedger = 1021;
}  // namespace control

// Dialog results.
inline constexpr int kDialogExecuted = 1002;
inline constexpr int kDialogCancelled = 1003;

// The conditions dialog as its presenter sees it: controls by id.
class ConditionsView {
 public:
  virtual ~ConditionsView() = default;
  virtual WindowHandle Handle() = 0;
  virtual std::string GetText(int control) = 0;
  virtual void SetText(int control, const std::string& text) = 0;
  virtual bool IsChecked(int control) = 0;
  virtual void SetChecked(int control, bool checked) = 0;
  virtual bool IsEnabled(int control) = 0;
  virtual void Enable(int control, bool enabled) = 0;
  virtual void LimitText(int control, int characters) = 0;
  // Moves the focus to the control; for an edit with select_all, selects its whole text
  // and scrolls the caret into view.
  virtual void Focus(int control, bool select_all) = 0;
  // Ends the modal loop with the result.
  virtual void EndDialog(int result) = 0;
};

}  // namespace vintor::ui
