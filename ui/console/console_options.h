// The command line of the exporter on Linux:
//   VintorOak [options] [hand-shake]
// The options choose what the user would otherwise choose in the conditions dialog and
// answer its questions; the optional last argument is a host program's hand-shake, kept as
// it was given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/console/console_desktop.h"
#include "ui/console/console_dialog.h"
#include "ui/console/terminal.h"

namespace vintor::ui::console {

struct ConsoleOptions {
  std::optional<std::string> books_file;      // --books, made absolute
  std::optional<std::string> user_id;         // --user, at most 64 bytes
  std::optional<std::int32_t> data_number;    // --data
  ConsoleChoices choices;                     // --from --to --equity --ledger --no-ledger --out
  AnswerPolicy answers = AnswerPolicy::kAsk;  // --yes, --no
  bool quiet = false;                         // --quiet
  bool no_saved_settings = false;             // --no-saved-settings
  bool strict = false;                        // --strict: a report with warnings exits 3
  bool help = false;                          // --help, -h
  bool version = false;                       // --version
  std::optional<std::string> handshake;       // the last argument, raw bytes

  // A batch over many companies (--batch): no dialog, no question, one report per company.
  bool batch = false;
  std::vector<std::int32_t> data_numbers;    // --data N,M,...; empty with --data all or none
  std::optional<std::string> out_dir;        // --out-dir, made absolute
  std::optional<std::string> name_template;  // --name
  std::optional<int> jobs;                   // --jobs, 1 to 64
  bool saved_months = false;                 // --saved: each company's months of its last export
};

// Parses argv[1..]. Option values are converted from the terminal's charset to CP932 (the
// hand-shake is not: it stays as given). Paths are made absolute against current_folder
// (CP932), since the run changes the current folder before it uses them. Options take
// their value as the next argument or after '='; "--" ends the options. False with *error
// (CP932, naming the argument with its control characters escaped) for an unknown option,
// a missing or malformed value, an option given twice, contradicting options, more than one
// other argument, or a hand-shake that does not convert or that no host would write
// (app::HostHandshakeProblem).
bool ParseConsoleOptions(const std::vector<std::string>& arguments,
                         const std::string& current_folder, TerminalCharset charset,
                         ConsoleOptions* options, std::string* error);

// The help text (CP932), for --help and after a bad command line.
std::string ConsoleUsage(const std::string& program_name);

}  // namespace vintor::ui::console
