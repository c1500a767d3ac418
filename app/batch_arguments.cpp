#include "app/batch_arguments.h"

#include <cstdint>
#include <string_view>

#include "batch/report_name.h"

namespace vintor::app {

namespace {

// A month 1-12 or a data number 1-2147483647; 0 when the text is neither.
std::int64_t Number(std::string_view text, std::int64_t largest) {
  if (text.empty() || text.size() > 10) return 0;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value <= largest ? value : 0;
}

}  // namespace

bool IsBatchCommandLine(const std::vector<std::string>& arguments) {
  return !arguments.empty() && arguments.front() == "--batch";
}

bool ParseBatchArguments(const std::vector<std::string>& arguments, char separator,
                         BatchChoices* choices, std::string* error) {
  *choices = BatchChoices{};
  choices->name_template = std::string(batch::kDefaultReportName);
  const auto fail = [&](std::string message) {
    *error = std::move(message);
    return false;
  };
  bool ledger_given = false;
  for (std::size_t k = IsBatchCommandLine(arguments) ? 1 : 0; k < arguments.size(); ++k) {
    const std::string& name = arguments[k];
    if (name == "--ledger" || name == "--no-ledger") {
      if (ledger_given) return fail("--ledger と --no-ledger は一つだけ指定してください。");
      ledger_given = true;
      choices->ledger = name == "--ledger";
      continue;
    }
    if (k + 1 >= arguments.size()) return fail(name + " には値が必要です。");
    const std::string& value = arguments[++k];
    if (name == "--out-dir") {
      if (value.empty()) return fail(name + " にはフォルダを指定してください。");
      choices->out_dir = value;
    } else if (name == "--name") {
      if (value.empty()) return fail(name + " にはファイル名のひな形を指定してください。");
      choices->name_template = value;
    } else if (name == "--from" || name == "--to") {
      const std::int64_t month = Number(value, 12);
      if (month == 0) return fail(name + " には月を 1 から 12 で指定してください: " + value);
      (name == "--from" ? choices->from_month : choices->to_month) =
          static_cast<std::int32_t>(month);
    } else if (name == "--equity") {
      if (value != "1" && value != "2")
        return fail(name + " には 1 (株主資本) か 2 (社員資本) を指定してください: " + value);
      choices->equity_kind = value == "1" ? 1 : 2;
    } else if (name == "--data") {
      if (value == "all") continue;
      std::string_view rest = value;
      while (true) {
        const std::string_view item = rest.substr(0, rest.find(','));
        const std::int64_t number = Number(item, INT32_MAX);
        if (number == 0) return fail(name + " には会計データの番号を指定してください: " + value);
        choices->data_numbers.push_back(static_cast<std::int32_t>(number));
        if (item.size() == rest.size()) break;
        rest.remove_prefix(item.size() + 1);
      }
    } else {
      return fail("不明なオプションです: " + name);
    }
  }
  if ((choices->from_month == 0) != (choices->to_month == 0))
    return fail("--from と --to は両方指定するか、どちらも指定しないでください。");
  if (choices->out_dir.empty())
    return fail("--batch には --out-dir で出力先のフォルダを指定してください。");
  if (choices->out_dir.back() != separator) choices->out_dir += separator;
  return true;
}

}  // namespace vintor::app
