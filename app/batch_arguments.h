// The batch's command line for the Windows program (the Linux program parses the same options
// in its console front-end, together with its own). Arguments are CP932.
#pragma once

#include <string>
#include <vector>

#include "app/batch_export.h"

namespace vintor::app {

// True when the command line asks for a batch: its first argument is "--batch".
bool IsBatchCommandLine(const std::vector<std::string>& arguments);

// Parses "--batch --out-dir DIR [--data all|N,M,...] [--from M --to M]
// [--ledger|--no-ledger] [--equity 1|2] [--name TEMPLATE]" into *choices (out_dir with a
// trailing separator added when missing, default template and whole periods when not given).
// Values follow their option as the next argument. False with a message (CP932) in *error
// for an unknown option, a missing or malformed value, --from without --to, or no --out-dir.
bool ParseBatchArguments(const std::vector<std::string>& arguments, char separator,
                         BatchChoices* choices, std::string* error);

}  // namespace vintor::app
