// The command line of `tavrel`, the tool that creates, imports, exports and selects the
// company data of a books file:
//
//   tavrel [--books FILE] sample | import DIR | export DIR
//          | generate --accounts N --lines M [--seed S] | list | select --user ID --data N
//   tavrel --help
//
// Parsing is separate from running so that every form of the line can be tested.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vintor::books {

enum class TavrelAction {
  kHelp,
  kVersion,
  kSample,
  kImport,
  kCheck,
  kExport,
  kGenerate,
  kList,
  kSelect
};

struct TavrelCommand {
  TavrelAction action = TavrelAction::kHelp;
  std::string books_path;        // --books; empty: the default books file
  std::string folder;            // import, export
  int accounts = 0;              // generate
  int lines = 0;                 // generate
  std::uint32_t seed = 1;        // generate
  std::string user_id;           // select
  std::int32_t data_number = 0;  // select
};

// The usage text printed by --help and after a usage error.
std::string TavrelUsage();

// Parses the arguments that follow the program name (CP932). Options may come before or
// after the command word, as "--name value" or "--name=value". False with *error set to a
// one-line message when the line is not a valid command; *command is then unspecified.
bool ParseTavrelArguments(const std::vector<std::string>& arguments, TavrelCommand* command,
                          std::string* error);

}  // namespace vintor::books
