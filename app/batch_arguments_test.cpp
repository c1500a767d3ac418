#include "app/batch_arguments.h"

#include <gtest/gtest.h>

namespace vintor::app {
namespace {

TEST(BatchArgumentsTest, ReadsTheOptionsOrSaysWhatIsWrong) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;  // empty: accepted
  } cases[] = {
      {{"--batch", "--out-dir", "C:\\out"}, ""},
      {{"--batch", "--out-dir", "C:\\out\\", "--data", "4,5", "--from", "4", "--to", "9",
        "--ledger", "--equity", "2", "--name", "{id}.xml"},
       ""},
      {{"--batch"}, "--out-dir"},
      {{"--batch", "--out-dir", "C:\\out", "--from", "4"}, "--from と --to"},
      {{"--batch", "--out-dir", "C:\\out", "--from", "13", "--to", "1"}, "月を 1 から 12"},
      {{"--batch", "--out-dir", "C:\\out", "--data", "4,,5"}, "会計データの番号"},
      {{"--batch", "--out-dir", "C:\\out", "--jobs", "2"}, "不明なオプション"},
      {{"--batch", "--out-dir", "C:\\out", "--ledger", "--no-ledger"}, "一つだけ"},
      {{"--batch", "--out-dir"}, "値が必要"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    BatchChoices choices;
    std::string error;
    const bool accepted = ParseBatchArguments(c.arguments, '\\', &choices, &error);
    EXPECT_EQ(accepted, std::string(c.error).empty()) << error;
    if (!accepted) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
  BatchChoices choices;
  std::string error;
  ASSERT_TRUE(ParseBatchArguments(
      {"--batch", "--out-dir", "C:\\out", "--data", "4,5", "--from", "4", "--to", "9", "--ledger"},
      '\\', &choices, &error));
  EXPECT_EQ(choices.out_dir, "C:\\out\\");
  EXPECT_EQ(choices.data_numbers, (std::vector<std::int32_t>{4, 5}));
  EXPECT_EQ(choices.from_month, 4);
  EXPECT_EQ(choices.to_month, 9);
  EXPECT_TRUE(choices.ledger);
  EXPECT_EQ(choices.name_template, "{data}-{name}-{period_end}.xml");
  EXPECT_FALSE(IsBatchCommandLine({"77,1025,9,C:\\out.xml"}));
}

}  // namespace
}  // namespace vintor::app
