// The installation check: the exporter runs from the folder of the installed tax
// application, whose definition file "CorvelDef.ini" states the level of the linking
// interface it supports. The exporter refuses to touch any data unless that level is the
// one it was built for, and tells the user which side needs updating.
#pragma once

#include "conditions/path_style.h"
#include "os/os.h"
#include "platform/library.h"

namespace vintor::app {

// The level the exporter was built for.
inline constexpr int kRequiredProgramLevel = 3;

// The outcome of reading the definition file.
enum class InstallationLevel : int {
  kInvalid = -1,           // no definition file, or an empty level
  kCompatible = 0,         // the level is the required one
  kTaxApplicationOld = 1,  // a lower level (also when none is given: it counts as 1)
  kExporterOld = 2,        // a higher level
};

// Reads "CorvelDef.ini" in the current folder through os; style appends the separator to
// the folder. Never fails: every problem is a level.
InstallationLevel ReadInstallationLevel(os::Os& os, const conditions::PathStyle& style);

// 1 when the installation is compatible, else 0. For any other level, when show_messages
// is true, the library's message display tells the user why (owner: the host window, or 0
// when there is none; the texts carry the library's ES_APRPACKAGENAME token unchanged).
int CheckInstallation(bool show_messages, os::Os& os, const conditions::PathStyle& style,
                      platform::ClAccConnect& connection, platform::WindowHandle owner);

}  // namespace vintor::app
