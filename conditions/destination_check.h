// The output destination checks that end a successful Execute of the conditions dialog.
#pragma once

#include <string>

#include "conditions/path_style.h"
#include "os/os.h"
#include "ui/ui.h"

namespace vintor::conditions {

enum class DestinationOutcome {
  kAccepted,   // the dialog may end with 1002
  kFocusPath,  // a message was shown; the focus goes to the path edit, text selected
  kBrowse,     // no path: a message was shown; the Browse operation opens at once
};

struct DestinationContext {
  const PathStyle& style;
  os::Os& os;
  ui::Desktop& desktop;
  ui::WindowHandle owner = 0;  // the dialog, owner of the message boxes
  bool fixed_destination =
      false;  // a host gave the path: an existing file is replaced without asking
};

// Runs the checks in order on path; the first failure shows its message and decides the
// outcome. May create folders (after the user agreed), and then removes them again when
// creating one of them fails.
DestinationOutcome CheckDestination(const std::string& path, const DestinationContext& context);

}  // namespace vintor::conditions
