#include "ui/console/console_options.h"

#include <string_view>

#include "app/host_handshake.h"
#include "text/control_escapes.h"

namespace vintor::ui::console {
namespace {

constexpr std::size_t kUserIdLimit = 64;

enum class Option {
  kBooks,
  kUser,
  kData,
  kFrom,
  kTo,
  kEquity,
  kLedger,
  kNoLedger,
  kOut,
  kYes,
  kNo,
  kQuiet,
  kHelp,
  kVersion,
  kNoSavedSettings,
  kStrict,
  kBatch,
  kOutDir,
  kName,
  kJobs,
  kSaved
};

struct KnownOption {
  std::string_view name;
  Option option;
  bool takes_value;
};

constexpr KnownOption kOptions[] = {
    {"--books", Option::kBooks, true},
    {"--user", Option::kUser, true},
    {"--data", Option::kData, true},
    {"--from", Option::kFrom, true},
    {"--to", Option::kTo, true},
    {"--equity", Option::kEquity, true},
    {"--ledger", Option::kLedger, false},
    {"--no-ledger", Option::kNoLedger, false},
    {"--out", Option::kOut, true},
    {"--yes", Option::kYes, false},
    {"--no", Option::kNo, false},
    {"--quiet", Option::kQuiet, false},
    {"--help", Option::kHelp, false},
    {"-h", Option::kHelp, false},
    {"--version", Option::kVersion, false},
    {"--no-saved-settings", Option::kNoSavedSettings, false},
    {"--strict", Option::kStrict, false},
    {"--batch", Option::kBatch, false},
    {"--out-dir", Option::kOutDir, true},
    {"--name", Option::kName, true},
    {"--jobs", Option::kJobs, true},
    {"--saved", Option::kSaved, false},
};

constexpr int kMaxJobs = 64;

const KnownOption* FindOption(std::string_view name) {
  for (const KnownOption& known : kOptions) {
    if (known.name == name) return &known;
  }
  return nullptr;
}

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// An argument as a message may show it: converted when it converts, else its bytes, and
// never a control character that the terminal would act on instead of showing.
std::string Shown(std::string_view argument, TerminalCharset charset) {
  std::string cp932;
  std::string ignored;
  if (FromTerminal(argument, charset, &cp932, &ignored)) return text::EscapeControls(cp932);
  std::string escaped;
  text::AppendHexEscaped(argument, &escaped);
  return escaped;
}

class Parser {
 public:
  Parser(const std::string& current_folder, TerminalCharset charset, ConsoleOptions* options,
         std::string* error)
      : current_folder_(current_folder), charset_(charset), options_(*options), error_(*error) {}

  bool Parse(const std::vector<std::string>& arguments) {
    bool options_ended = false;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
      const std::string& argument = arguments[k];
      if (!options_ended && argument == "--") {
        options_ended = true;
        continue;
      }
      // A hand-shake starts with a number, which may be negative; anything else that
      // starts with a dash is meant as an option.
      const bool option_like =
          argument.size() > 1 && argument[0] == '-' && !(argument[1] >= '0' && argument[1] <= '9');
      if (options_ended || !option_like) {
        if (options_.handshake) return Fail("余分な引数があります: " + Shown(argument, charset_));
        options_.handshake = argument;
        continue;
      }
      const std::size_t equals = argument.find('=');
      const std::string name = argument.substr(0, equals);
      const KnownOption* known = FindOption(name);
      if (known == nullptr) return Fail("不明なオプションです: " + Shown(argument, charset_));
      if (!known->takes_value) {
        if (equals != std::string::npos) return Fail(name + " は値をとりません。");
        if (!Apply(*known, "")) return false;
        continue;
      }
      std::string value;
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (k + 1 < arguments.size() && arguments[k + 1].rfind("--", 0) != 0) {
        value = arguments[++k];
      } else {
        return Fail(name + " には値が必要です。");
      }
      if (!Apply(*known, value)) return false;
    }
    if (!CheckBatch()) return false;
    return !options_.handshake || CheckHandshake(*options_.handshake);
  }

 private:
  bool Apply(const KnownOption& known, const std::string& raw) {
    const std::string name(known.name);
    std::string value;
    std::string conversion_error;
    if (!FromTerminal(raw, charset_, &value, &conversion_error))
      return Fail(name + " の値を扱えません: " + conversion_error);
    switch (known.option) {
      case Option::kBooks:
        if (value.empty()) return Fail(name + " にはファイルを指定してください。");
        return Set(name, &options_.books_file, MakeAbsolute(value, current_folder_));
      case Option::kUser:
        if (value.empty() || value.size() > kUserIdLimit)
          return Fail(name + " には64バイトまでの利用者IDを指定してください。");
        return Set(name, &options_.user_id, value);
      case Option::kData: {
        if (data_given_) return Fail(name + " が2回指定されています。");
        data_given_ = true;
        // A batch takes "all" or a list; the list of one is the usual single company.
        if (value == "all") {
          data_list_ = true;
          return true;
        }
        std::string_view rest = value;
        for (;;) {
          const std::string_view number = rest.substr(0, rest.find(','));
          // Data numbers are 32-bit, from 1 to 2147483647; 0 would silently mean the user's
          // own selection, as if --data had not been given.
          if (!IsDigits(number) || number.size() > 10 ||
              std::stoll(std::string(number)) > INT32_MAX || std::stoll(std::string(number)) == 0)
            return Fail(name +
                        " には会計データの番号を指定してください: " + text::EscapeControls(value));
          options_.data_numbers.push_back(
              static_cast<std::int32_t>(std::stoll(std::string(number))));
          if (number.size() == rest.size()) break;
          rest.remove_prefix(number.size() + 1);
        }
        if (options_.data_numbers.size() > 1)
          data_list_ = true;
        else
          options_.data_number = options_.data_numbers.front();
        return true;
      }
      case Option::kBatch:
        options_.batch = true;
        return true;
      case Option::kSaved:
        options_.saved_months = true;
        return true;
      case Option::kOutDir:
        if (value.empty()) return Fail(name + " にはフォルダを指定してください。");
        return Set(name, &options_.out_dir, MakeAbsolute(value, current_folder_));
      case Option::kName:
        if (value.empty()) return Fail(name + " にはファイル名のひな形を指定してください。");
        return Set(name, &options_.name_template, value);
      case Option::kJobs:
        if (!IsDigits(value) || value.size() > 2 || std::stoi(value) < 1 ||
            std::stoi(value) > kMaxJobs)
          return Fail(name + " には 1 から " + std::to_string(kMaxJobs) +
                      " までの数を指定してください: " + text::EscapeControls(value));
        return Set(name, &options_.jobs, std::stoi(value));
      case Option::kFrom:
      case Option::kTo:
        // The month edits take at most two digits; whether the months make a range is the
        // dialog's check.
        if (!IsDigits(value) || value.size() > 2)
          return Fail(name +
                      " には月を数字2桁までで指定してください: " + text::EscapeControls(value));
        return Set(name,
                   known.option == Option::kFrom ? &options_.choices.start_month
                                                 : &options_.choices.end_month,
                   value);
      case Option::kEquity:
        if (value != "1" && value != "2")
          return Fail(name + " には 1 (株主資本) か 2 (社員資本) を指定してください: " +
                      text::EscapeControls(value));
        return Set(name, &options_.choices.equity_statement_kind, value == "1" ? 1 : 2);
      case Option::kLedger:
      case Option::kNoLedger:
        if (options_.choices.ledger)
          return Fail("--ledger と --no-ledger は一つだけ指定してください。");
        options_.choices.ledger = known.option == Option::kLedger;
        return true;
      case Option::kOut:
        if (value.empty()) return Fail(name + " にはファイルを指定してください。");
        return Set(name, &options_.choices.output_path, MakeAbsolute(value, current_folder_));
      case Option::kYes:
      case Option::kNo:
        if (options_.answers != AnswerPolicy::kAsk)
          return Fail("--yes と --no は一つだけ指定してください。");
        options_.answers = known.option == Option::kYes ? AnswerPolicy::kYes : AnswerPolicy::kNo;
        return true;
      case Option::kQuiet:
        options_.quiet = true;
        return true;
      case Option::kStrict:
        options_.strict = true;
        return true;
      case Option::kNoSavedSettings:
        options_.no_saved_settings = true;
        return true;
      case Option::kVersion:
        options_.version = true;
        return true;
      case Option::kHelp:
        options_.help = true;
        return true;
    }
    return true;
  }

  // A host that hears nothing waits for ever, and a number read as another would tell some
  // other window: a hand-shake no host would write ends the run before it starts.
  bool CheckHandshake(const std::string& raw) {
    std::string cp932;
    std::string conversion_error;
    if (!FromTerminal(raw, charset_, &cp932, &conversion_error))
      return Fail("呼び出し元の引数を扱えません: " + conversion_error);
    const std::string problem = app::HostHandshakeProblem(cp932);
    if (problem.empty()) return true;
    return Fail("呼び出し元の引数を読めません（" + problem + "）: " + Shown(raw, charset_));
  }

  // The options of a batch and those of a single run do not mix.
  bool CheckBatch() {
    if (!options_.batch) {
      if (data_list_)
        return Fail("--data に all や複数の番号を指定できるのは --batch のときだけです。");
      if (options_.out_dir || options_.name_template || options_.jobs || options_.saved_months)
        return Fail("--out-dir、--name、--jobs、--saved は --batch とともに指定してください。");
      return true;
    }
    if (!options_.out_dir)
      return Fail("--batch には --out-dir で出力先のフォルダを指定してください。");
    if (options_.choices.output_path)
      return Fail("--batch では --out ではなく --out-dir を指定してください。");
    if (options_.handshake) return Fail("--batch は呼び出し元の引数と一緒には使えません。");
    if (options_.saved_months && options_.choices.start_month.has_value())
      return Fail("--batch では --from と --to か --saved の一方を指定してください。");
    if (options_.choices.start_month.has_value() != options_.choices.end_month.has_value())
      return Fail("--batch では --from と --to を両方指定するか、どちらも指定しないでください。");
    if (!data_list_ && options_.data_numbers.empty() && data_given_)
      return Fail("--data の値を読めません。");
    return true;
  }

  template <class T, class V>
  bool Set(const std::string& name, std::optional<T>* field, V value) {
    if (field->has_value()) return Fail(name + " が2回指定されています。");
    *field = std::move(value);
    return true;
  }

  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  const std::string& current_folder_;
  TerminalCharset charset_;
  ConsoleOptions& options_;
  std::string& error_;
  bool data_given_ = false;
  bool data_list_ = false;  // --data all, or more than one number
};

}  // namespace

bool ParseConsoleOptions(const std::vector<std::string>& arguments,
                         const std::string& current_folder, TerminalCharset charset,
                         ConsoleOptions* options, std::string* error) {
  *options = ConsoleOptions();
  return Parser(current_folder, charset, options, error).Parse(arguments);
}

std::string ConsoleUsage(const std::string& program_name) {
  return "使い方: " + program_name +
         " [オプション] [呼び出し元の引数]\n"
         "\n"
         "  --books ファイル  会計データのファイル\n"
         "  --user ID         利用者ID\n"
         "  --data 番号       会計データの番号\n"
         "  --from 月         集計期間の開始月 (1～12)\n"
         "  --to 月           集計期間の終了月 (1～12)\n"
         "  --equity 1|2      1: 株主資本等変動計算書  2: 社員資本等変動計算書\n"
         "  --ledger          総勘定元帳の情報を出力する\n"
         "  --no-ledger       総勘定元帳の情報を出力しない\n"
         "  --out ファイル    出力先のXMLファイル\n"
         "  --yes             確認にはすべて「はい」と答える\n"
         "  --no              確認にはすべて「いいえ」と答える\n"
         "  --quiet           お知らせのメッセージと条件・結果の行を表示しない\n"
         "  --no-saved-settings  前回の設定を使わず、既定の提案から始める\n"
         "  --strict          警告のあった出力を終了状態 3 で知らせる\n"
         "  --help            この説明を表示する\n"
         "  --version         版を表示する\n"
         "\n"
         "一括出力: " +
         program_name +
         " --batch --out-dir フォルダ [オプション]\n"
         "  --batch           利用者が開ける会計データをまとめて出力する（問い合わせなし）\n"
         "  --data all|番号,…  出力する会計データ（既定は all）\n"
         "  --from 月 --to 月 集計期間（既定は各会計データの会計期間の全体）\n"
         "  --saved           集計期間は各会計データの前回の出力のもの（なければ全体）\n"
         "  --out-dir フォルダ 出力先のフォルダ（summary.csv もここに書く）\n"
         "  --name ひな形     ファイル名（既定 {data}-{name}-{period_end}.xml）\n"
         "  --jobs N          N 個のプロセスで並べて出力する（既定 1）\n"
         "  終了状態: 0 すべて出力  3 警告つきあり  1 スキップあり  2 失敗あり\n"
         "\n"
         "指定しなかった項目は、標準入力が端末であれば問い合わせます。そうでなければ\n"
         "提案どおりとし、答えのない確認は「いいえ」とします。\n"
         "呼び出し元の引数: ウィンドウ番号,メッセージ番号,機能番号,[出力先]\n"
         "\n"
         "終了状態: 0 出力した  1 中止した・対象外  2 失敗した・コマンド行の誤り\n"
         "          3 警告つきで出力した (--strict のとき)\n";
}

}  // namespace vintor::ui::console
