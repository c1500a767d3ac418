#include "books/tavrel_command.h"

#include <gtest/gtest.h>

namespace vintor::books {
namespace {

using Args = std::vector<std::string>;

TEST(TavrelCommandTest, ParsesEveryCommand) {
  struct Case {
    Args arguments;
    TavrelCommand expected;
  };
  const auto make = [](TavrelAction action) {
    TavrelCommand command;
    command.action = action;
    return command;
  };
  TavrelCommand import = make(TavrelAction::kImport);
  import.folder = "samples/表";
  TavrelCommand import_elsewhere = import;
  import_elsewhere.books_path = "/tmp/b.db";
  TavrelCommand exported = make(TavrelAction::kExport);
  exported.folder = "out";
  exported.books_path = "x.db";
  TavrelCommand generate = make(TavrelAction::kGenerate);
  generate.accounts = 500;
  generate.lines = 1'000'000;
  TavrelCommand seeded = generate;
  seeded.seed = 4'294'967'295u;
  TavrelCommand select = make(TavrelAction::kSelect);
  select.user_id = "管理者";
  select.data_number = 3;

  const Case cases[] = {
      {{"--help"}, make(TavrelAction::kHelp)},
      {{"--version"}, make(TavrelAction::kVersion)},
      {{"import", "-h"}, make(TavrelAction::kHelp)},
      {{"sample"}, make(TavrelAction::kSample)},
      {{"list"}, make(TavrelAction::kList)},
      {{"import", "samples/表"}, import},
      {{"--books", "/tmp/b.db", "import", "samples/表"}, import_elsewhere},
      {{"import", "samples/表", "--books=/tmp/b.db"}, import_elsewhere},
      {{"export", "--books", "x.db", "out"}, exported},
      {{"generate", "--accounts", "500", "--lines", "1000000"}, generate},
      {{"generate", "--lines=1000000", "--accounts=500", "--seed", "4294967295"}, seeded},
      {{"select", "--user", "管理者", "--data", "3"}, select},
  };
  for (const Case& c : cases) {
    TavrelCommand command;
    command.lines = -7;
    std::string error;
    ASSERT_TRUE(ParseTavrelArguments(c.arguments, &command, &error)) << c.arguments[0] << error;
    EXPECT_EQ(command.action, c.expected.action) << c.arguments[0];
    EXPECT_EQ(command.books_path, c.expected.books_path) << c.arguments[0];
    EXPECT_EQ(command.folder, c.expected.folder) << c.arguments[0];
    EXPECT_EQ(command.accounts, c.expected.accounts) << c.arguments[0];
    EXPECT_EQ(command.lines, c.expected.lines) << c.arguments[0];
    EXPECT_EQ(command.seed, c.expected.seed) << c.arguments[0];
    EXPECT_EQ(command.user_id, c.expected.user_id) << c.arguments[0];
    EXPECT_EQ(command.data_number, c.expected.data_number) << c.arguments[0];
  }
}

TEST(TavrelCommandTest, RefusesWhatIsNotACommand) {
  struct Case {
    Args arguments;
    std::string error;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"--books", "b.db"}, "no command given"},
      {{"open"}, "unknown command \"open\""},
      {{"import"}, "import needs a folder"},
      {{"import", ""}, "import needs a folder"},
      {{"export", "a", "b"}, "unexpected \"b\""},
      {{"list", "now"}, "unexpected \"now\""},
      {{"list", "--books"}, "--books needs a value"},
      {{"list", "--books="}, "--books needs a file"},
      {{"list", "--books", "a", "--books", "b"}, "--books given twice"},
      {{"list", "--seed", "3"}, "--seed is not an option of list"},
      {{"generate", "--lines", "10"}, "generate needs --accounts"},
      {{"generate", "--accounts", "10"}, "generate needs --lines"},
      {{"generate", "--accounts", "x", "--lines", "10"},
       "--accounts needs a number from 0 to 100000, not \"x\""},
      {{"generate", "--accounts", "100001", "--lines", "10"},
       "--accounts needs a number from 0 to 100000, not \"100001\""},
      {{"generate", "--accounts", "1", "--lines", "-1"},
       "--lines needs a number from 0 to 100000000, not \"-1\""},
      {{"generate", "--accounts", "1", "--lines", "1", "--seed", "4294967296"},
       "--seed needs a number from 0 to 4294967295, not \"4294967296\""},
      {{"select", "--user", "u1"}, "select needs --data"},
      {{"select", "--data", "1"}, "select needs --user"},
      {{"select", "--user", "", "--data", "1"}, "--user needs a user ID"},
      {{"select", "--user", "u1", "--data", "0"},
       "--data needs a number from 1 to 2147483647, not \"0\""},
  };
  for (const Case& c : cases) {
    TavrelCommand command;
    std::string error;
    EXPECT_FALSE(ParseTavrelArguments(c.arguments, &command, &error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace vintor::books
