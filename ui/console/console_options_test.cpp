#include "ui/console/console_options.h"

#include <gtest/gtest.h>

namespace vintor::ui::console {
namespace {

std::string Utf8(std::u8string_view text) {
  return std::string(text.begin(), text.end());
}

ConsoleOptions Parse(const std::vector<std::string>& arguments, bool expect_ok = true) {
  ConsoleOptions options;
  std::string error;
  const bool ok =
      ParseConsoleOptions(arguments, "/home/u", TerminalCharset::kUtf8, &options, &error);
  EXPECT_EQ(ok, expect_ok) << error;
  return options;
}

TEST(ConsoleOptionsTest, ReadsEveryOption) {
  const ConsoleOptions o =
      Parse({"--books", "books.db", "--user", "admin", "--data=3", "--from", "4", "--to=03",
             "--equity", "2", "--no-ledger", "--out", "out/k.xml", "--yes", "--quiet"});
  EXPECT_EQ(o.books_file, "/home/u/books.db");
  EXPECT_EQ(o.user_id, "admin");
  EXPECT_EQ(o.data_number, 3);
  EXPECT_EQ(o.choices.start_month, "4");
  EXPECT_EQ(o.choices.end_month, "03");
  EXPECT_EQ(o.choices.equity_statement_kind, 2);
  EXPECT_EQ(o.choices.ledger, false);
  EXPECT_EQ(o.choices.output_path, "/home/u/out/k.xml");
  EXPECT_EQ(o.answers, AnswerPolicy::kYes);
  EXPECT_TRUE(o.quiet);
  EXPECT_FALSE(o.help);
  EXPECT_FALSE(o.handshake.has_value());
}

TEST(ConsoleOptionsTest, LeavesWhatIsNotGivenOpen) {
  const ConsoleOptions o = Parse({});
  EXPECT_FALSE(o.books_file || o.user_id || o.data_number || o.choices.start_month ||
               o.choices.end_month || o.choices.equity_statement_kind || o.choices.ledger ||
               o.choices.output_path || o.handshake);
  EXPECT_EQ(o.answers, AnswerPolicy::kAsk);
}

TEST(ConsoleOptionsTest, ConvertsValuesAndKeepsAbsolutePaths) {
  const ConsoleOptions o =
      Parse({"--out", Utf8(u8"/出力/表.xml"), "--user", Utf8(u8"山田"), "--ledger", "--no"});
  EXPECT_EQ(o.choices.output_path, "/出力/表.xml");
  EXPECT_EQ(o.user_id, "山田");
  EXPECT_EQ(o.choices.ledger, true);
  EXPECT_EQ(o.answers, AnswerPolicy::kNo);
}

TEST(ConsoleOptionsTest, TheLastArgumentIsTheHandshakeAsGiven) {
  struct Case {
    std::vector<std::string> arguments;
    std::string handshake;
  };
  const Case cases[] = {
      {{"100,2000,7,"}, "100,2000,7,"},
      {{"--from", "4", "100,2000,7,/tmp/a b.xml"}, "100,2000,7,/tmp/a b.xml"},
      {{"4294967295,2000,-7,"}, "4294967295,2000,-7,"},
      {{"--", "1,2,3,--odd"}, "1,2,3,--odd"},
      {{Utf8(u8"1,2,3,表")}, Utf8(u8"1,2,3,表")},  // raw: not converted
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.arguments).handshake, c.handshake);
}

TEST(ConsoleOptionsTest, HelpIsRecognised) {
  EXPECT_TRUE(Parse({"--help"}).help);
  EXPECT_TRUE(Parse({"-h"}).help);
}

TEST(ConsoleOptionsTest, RefusesBadCommandLinesWithAReason) {
  struct Case {
    std::vector<std::string> arguments;
    std::string reason;
  };
  const Case cases[] = {
      {{"--frm", "4"}, "不明なオプションです: --frm"},
      {{"-x"}, "不明なオプションです: -x"},
      {{"--from"}, "--from には値が必要です。"},
      {{"--from", "--to", "4"}, "--from には値が必要です。"},
      {{"--from", "123"}, "--from には月を数字2桁までで指定してください: 123"},
      {{"--to", "4a"}, "--to には月を数字2桁までで指定してください: 4a"},
      {{"--to="}, "--to には月を数字2桁までで指定してください: "},
      {{"--from", "4", "--from", "5"}, "--from が2回指定されています。"},
      {{"--equity", "3"}, "--equity には 1 (株主資本) か 2 (社員資本) を指定してください: 3"},
      {{"--ledger", "--no-ledger"}, "--ledger と --no-ledger は一つだけ指定してください。"},
      {{"--yes", "--no"}, "--yes と --no は一つだけ指定してください。"},
      {{"--quiet=1"}, "--quiet は値をとりません。"},
      {{"--data", "x"}, "--data には会計データの番号を指定してください: x"},
      {{"--data", "2147483648"}, "--data には会計データの番号を指定してください: 2147483648"},
      {{"--data", "00"}, "--data には会計データの番号を指定してください: 00"},
      {{"--user", std::string(65, 'u')}, "--user には64バイトまでの利用者IDを指定してください。"},
      {{"--out="}, "--out にはファイルを指定してください。"},
      {{"1,2,3,", "4,5,6,"}, "余分な引数があります: 4,5,6,"},
      {{"--out", "\xC3\xA9.xml"}, "--out の値を扱えません: "},
      // What the message repeats is shown, never acted on by the terminal.
      {{"--\x1B]0;x\x07"}, "不明なオプションです: --\\x1B]0;x\\x07"},
      {{"--from", "\x1B[2J"}, "--from には月を数字2桁までで指定してください: \\x1B[2J"},
      {{"1,2,3,", "a\rb"}, "余分な引数があります: a\\x0Db"},
      // A hand-shake no host would write, read as another window or not at all.
      {{"-5,2000,7,"}, "呼び出し元の引数を読めません（ウィンドウ番号は 1 から"},
      {{"--", "--odd,1,2,"}, "呼び出し元の引数を読めません（ウィンドウ番号は 1 から"},
      {{"100,2000"}, "呼び出し元の引数を読めません（「ウィンドウ番号,メッセージ番号"},
      {{"100,2000,7,/tmp/\x1B[2J"},
       "呼び出し元の引数を読めません（出力先に制御文字があります）: 100,2000,7,/tmp/\\x1B[2J"},
      {{"1,2,3,\xC3"}, "呼び出し元の引数を扱えません: "},
  };
  for (const Case& c : cases) {
    ConsoleOptions options;
    std::string error;
    EXPECT_FALSE(
        ParseConsoleOptions(c.arguments, "/home/u", TerminalCharset::kUtf8, &options, &error))
        << c.reason;
    EXPECT_EQ(error.substr(0, c.reason.size()), c.reason);
  }
}

TEST(ConsoleOptionsTest, LargestDataNumberFits) {
  EXPECT_EQ(Parse({"--data", "2147483647"}).data_number, 2147483647);
}

TEST(ConsoleOptionsTest, UsageNamesTheProgramAndEveryOption) {
  const std::string usage = ConsoleUsage("VintorOak");
  EXPECT_EQ(usage.rfind("使い方: VintorOak ", 0), 0u);
  for (const char* option :
       {"--books", "--user", "--data", "--from", "--to", "--equity", "--ledger", "--no-ledger",
        "--out", "--yes", "--no", "--quiet", "--help"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace vintor::ui::console
