#include "books/tavrel_command.h"

#include <map>
#include <set>
#include <string_view>

#include "books/generator.h"
#include "books/interchange_fields.h"
#include "text/control_escapes.h"

namespace vintor::books {
namespace {

struct ActionInfo {
  TavrelAction action;
  int operands;                    // words after the command word
  std::set<std::string> required;  // options the action needs
  std::set<std::string> optional;
};

const std::map<std::string, ActionInfo, std::less<>>& Actions() {
  static const std::map<std::string, ActionInfo, std::less<>> actions = {
      {"sample", {TavrelAction::kSample, 0, {}, {}}},
      {"import", {TavrelAction::kImport, 1, {}, {}}},
      {"check", {TavrelAction::kCheck, 1, {}, {}}},
      {"export", {TavrelAction::kExport, 1, {}, {}}},
      {"generate", {TavrelAction::kGenerate, 0, {"accounts", "lines"}, {"seed"}}},
      {"list", {TavrelAction::kList, 0, {}, {}}},
      {"select", {TavrelAction::kSelect, 0, {"user", "data"}, {}}},
  };
  return actions;
}

// Messages repeat the arguments, and a control character among them would act on the
// terminal that shows the message.
bool Refuse(std::string* error, const std::string& message) {
  *error = text::EscapeControls(message);
  return false;
}

bool ParseNumber(const std::map<std::string, std::string>& options, const std::string& name,
                 std::int64_t min, std::int64_t max, std::int64_t* value, std::string* error) {
  const std::string& text = options.at(name);
  if (ParseInteger(text, min, max, value)) return true;
  return Refuse(error, "--" + name + " needs a number from " + std::to_string(min) + " to " +
                           std::to_string(max) + ", not \"" + text + "\"");
}

}  // namespace

std::string TavrelUsage() {
  return "usage: tavrel [--books FILE] COMMAND\n"
         "       tavrel --help | --version\n"
         "\n"
         "commands:\n"
         "  sample                          import the sample company installed with tavrel\n"
         "                                  and select it for the current user\n"
         "  import DIR                      replace the books with the folder DIR\n"
         "  check DIR                       check the folder DIR as import does, writing nothing\n"
         "  export DIR                      write the books into the folder DIR\n"
         "  generate --accounts N --lines M [--seed S]\n"
         "                                  replace the books with a generated company\n"
         "  list                            show the users and the company data\n"
         "  select --user ID --data N       let user ID select company data N\n"
         "\n"
         "The books file is FILE, else $TAVREL_BOOKS, else the default of the platform.\n";
}

bool ParseTavrelArguments(const std::vector<std::string>& arguments, TavrelCommand* command,
                          std::string* error) {
  *command = TavrelCommand{};
  std::map<std::string, std::string> options;
  std::vector<std::string> words;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    const std::string& argument = arguments[k];
    if (argument == "--help" || argument == "-h") {
      command->action = TavrelAction::kHelp;
      return true;
    }
    if (argument == "--version") {
      command->action = TavrelAction::kVersion;
      return true;
    }
    if (!argument.starts_with("--")) {
      words.push_back(argument);
      continue;
    }
    std::string name = argument.substr(2);
    std::string value;
    if (const std::size_t equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    } else if (k + 1 < arguments.size()) {
      value = arguments[++k];
    } else {
      return Refuse(error, "--" + name + " needs a value");
    }
    if (!options.emplace(name, value).second) return Refuse(error, "--" + name + " given twice");
  }
  if (words.empty()) return Refuse(error, "no command given");
  const auto found = Actions().find(words[0]);
  if (found == Actions().end()) return Refuse(error, "unknown command \"" + words[0] + "\"");
  const ActionInfo& info = found->second;
  if (static_cast<int>(words.size()) - 1 < info.operands)
    return Refuse(error, words[0] + " needs a folder");
  if (static_cast<int>(words.size()) - 1 > info.operands)
    return Refuse(error,
                  "unexpected \"" + words[static_cast<std::size_t>(info.operands) + 1] + "\"");
  for (const auto& [name, value] : options) {
    if (name != "books" && !info.required.contains(name) && !info.optional.contains(name))
      return Refuse(error, "--" + name + " is not an option of " + words[0]);
  }
  for (const std::string& name : info.required) {
    if (!options.contains(name)) return Refuse(error, words[0] + " needs --" + name);
  }

  command->action = info.action;
  if (const auto books = options.find("books"); books != options.end()) {
    if (books->second.empty()) return Refuse(error, "--books needs a file");
    command->books_path = books->second;
  }
  if (info.operands == 1) {
    command->folder = words[1];
    if (command->folder.empty()) return Refuse(error, words[0] + " needs a folder");
  }
  std::int64_t number = 0;
  if (info.action == TavrelAction::kGenerate) {
    if (!ParseNumber(options, "accounts", 0, kMaxGeneratedAccounts, &number, error)) return false;
    command->accounts = static_cast<int>(number);
    if (!ParseNumber(options, "lines", 0, 100'000'000, &number, error)) return false;
    command->lines = static_cast<int>(number);
    if (options.contains("seed")) {
      if (!ParseNumber(options, "seed", 0, 4'294'967'295, &number, error)) return false;
      command->seed = static_cast<std::uint32_t>(number);
    }
  }
  if (info.action == TavrelAction::kSelect) {
    command->user_id = options.at("user");
    if (command->user_id.empty()) return Refuse(error, "--user needs a user ID");
    if (!ParseNumber(options, "data", 1, 2'147'483'647, &number, error)) return false;
    command->data_number = static_cast<std::int32_t>(number);
  }
  return true;
}

}  // namespace vintor::books
