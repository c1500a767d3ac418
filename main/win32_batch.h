// The batch of the exporter on Windows: every listed company of the books, one report each,
// no dialog; a progress window with the company counter, summary.csv in the output folder
// and one information box at the end.
#pragma once

#include <string>
#include <vector>

#include "ui/ui.h"

namespace vintor::main {

// arguments are the command line's (CP932), the first "--batch". Answers the exit code: the
// worst company's (0, 3 with warnings, 1 skipped, 2 failed), or 2 when the batch could not
// start, after telling why in a message box.
int RunWin32Batch(void* instance, const std::vector<std::string>& arguments, ui::Desktop& desktop,
                  const std::string& books_path);

}  // namespace vintor::main
