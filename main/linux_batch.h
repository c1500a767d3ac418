// The batch of the exporter on Linux: every listed company of the books, one report each,
// without a dialog or a question, then a summary on the terminal and in summary.csv.
#pragma once

#include <string>

#include "os/os.h"
#include "ui/console/console_options.h"
#include "ui/console/terminal.h"

namespace vintor::main {

// Runs the batch the options describe on the books file (CP932, absolute) and answers the
// exit status: 0 every company written without warnings, 3 some with warnings, 1 some
// skipped, 2 some failed or the batch could not start (the worst wins).
int RunBatch(const ui::console::ConsoleOptions& options, const std::string& books_path,
             ui::console::Terminal& terminal, ui::console::TerminalCharset charset, os::Os& os);

}  // namespace vintor::main
