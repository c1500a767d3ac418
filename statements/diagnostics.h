// Where a run reports what the user must hear but that does not stop it: warnings. The
// domain never shows a dialog; it tells a Diagnostics. An interactive run shows each warning
// as a warning box at once (DesktopDiagnostics); a batch keeps them for its summary.
#pragma once

#include <string>
#include <vector>

#include "ui/ui.h"

namespace vintor::statements {

class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  // A warning, complete in itself (CP932). The run goes on.
  virtual void Warn(const std::string& text) = 0;
};

// Shows each warning as a warning box with the product's caption, owned by a window.
class DesktopDiagnostics : public Diagnostics {
 public:
  // Neither is owned; the desktop must outlive this object.
  DesktopDiagnostics(ui::Desktop& desktop, ui::WindowHandle owner)
      : desktop_(desktop), owner_(owner) {}
  void Warn(const std::string& text) override {
    desktop_.ShowMessage(owner_, text, ui::kCaption, ui::kWarning);
  }

 private:
  ui::Desktop& desktop_;
  ui::WindowHandle owner_;
};

// Keeps the warnings in the order they came.
class CollectedDiagnostics : public Diagnostics {
 public:
  void Warn(const std::string& text) override { warnings_.push_back(text); }
  const std::vector<std::string>& warnings() const { return warnings_; }

 private:
  std::vector<std::string> warnings_;
};

}  // namespace vintor::statements
