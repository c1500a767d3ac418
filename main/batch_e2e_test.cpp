// The batch through the real programs on the sample books: one report per exportable
// company, byte-identical to what an interactive run with the same choices writes; refused
// companies skipped with their reasons; a summary file; and the worst company's exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "main/program_runner.h"
#include "os/scratch_folder.h"
#include "text/encoding.h"

namespace vintor::main::testing {
namespace {

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunProgram({VINTOR_TAVREL_PATH, "--books", books(), "sample"}).exit_status, 0);
  }
  ProgramRun Batch(const std::string& folder, std::vector<std::string> more) {
    std::vector<std::string> arguments = {VINTOR_OAK_PATH, "--books",   books(),
                                          "--batch",       "--out-dir", folder};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return RunProgram(arguments);
  }
  std::string books() const { return scratch_.PathOf("books.db"); }
  std::string Path(const std::string& name) const { return scratch_.PathOf(name); }

  os::ScratchFolder scratch_{os::SystemOs()};
};

TEST_F(BatchTest, ExitStatusIsTheWorstCompanys) {
  const struct {
    const char* name;
    std::vector<std::string> options;
    int status;
    const char* told;  // in the summary
  } cases[] = {
      {"plain companies", {"--data", "4,5,6"}, 0, "出力 3、警告あり 0、スキップ 0、失敗 0"},
      {"one with warnings", {"--data", "1,4"}, 3, "出力 1、警告あり 1"},
      {"every company: two refused", {}, 1, "スキップ 2"},
      {"a company that is not there", {"--data", "4,99"}, 1, "会計データがありません"},
      // Company 6 keeps April to September; company 4 the calendar year, begun in April.
      {"months outside one company's period",
       {"--data", "4,6", "--from", "10", "--to", "12"},
       1,
       "集計期間 10月～12月 が会計期間に合いません"},
      {"months before bookkeeping began",
       {"--data", "4", "--from", "1", "--to", "3"},
       1,
       "集計期間 1月～3月 が導入開始月より前です"},
      {"two companies, one name",
       {"--data", "4,5", "--name", "same.xml"},
       1,
       "ファイル名 same.xml は会計データ 4 と同じです"},
      {"a folder where a report goes", {"--data", "4,5", "--name", "{data}.xml"}, 2, "失敗 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = Path(c.name);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    if (c.status == 2) {
      ASSERT_EQ(::mkdir((folder + "/5.xml").c_str(), 0755), 0);
    }
    const ProgramRun run = Batch(folder, c.options);
    EXPECT_EQ(run.exit_status, c.status) << run.errors;
    EXPECT_NE(run.errors.find(Utf8(c.told)), std::string::npos) << run.errors;
    EXPECT_EQ(::access((folder + "/summary.csv").c_str(), F_OK), 0);
  }
}

TEST_F(BatchTest, ReportsAreThoseOfInteractiveRunsWhateverTheJobs) {
  for (const char* jobs : {"1", "3"}) {
    SCOPED_TRACE(std::string("--jobs ") + jobs);
    const std::string folder = Path(std::string("jobs") + jobs);
    const ProgramRun run =
        Batch(folder, {"--ledger", "--equity", "2", "--jobs", jobs, "--name", "{data}.xml"});
    EXPECT_EQ(run.exit_status, 1) << run.errors;
    const std::string summary = ReadFileBytes(folder + "/summary.csv");
    EXPECT_EQ(std::count(summary.begin(), summary.end(), '\n'), 7) << summary;
    EXPECT_NE(summary.find(",skipped,"), std::string::npos) << summary;
    for (const char* data : {"1", "4", "5", "6"}) {
      const std::string alone = Path(std::string("alone-") + data + ".xml");
      const ProgramRun single =
          RunProgram({VINTOR_OAK_PATH, "--books", books(), "--data", data, "--equity", "2",
                      "--ledger", "--out", alone, "--yes", "--no-saved-settings"});
      ASSERT_EQ(single.exit_status, 0) << single.errors;
      const std::string name = std::string(data) + ".xml";
      EXPECT_EQ(ReadFileBytes(folder + "/" + name), ReadFileBytes(alone)) << name;
    }
  }
}

TEST_F(BatchTest, SavedMonthsAreThoseOfEachCompanysLastExport) {
  ASSERT_EQ(RunProgram({VINTOR_OAK_PATH, "--books", books(), "--data", "4", "--from", "1", "--to",
                        "6", "--no-ledger", "--out", Path("earlier.xml"), "--yes"})
                .exit_status,
            0);
  const std::string folder = Path("saved");
  const ProgramRun run = Batch(folder, {"--data", "4,5", "--saved"});
  EXPECT_EQ(run.exit_status, 0) << run.errors;
  const std::string summary = ReadFileBytes(folder + "/summary.csv");
  EXPECT_NE(summary.find("\n4,"), std::string::npos);
  EXPECT_NE(summary.find(",1-6,written,"), std::string::npos) << "company 4's saved months";
  EXPECT_NE(summary.find(",4-3,written,"), std::string::npos) << "company 5 has none saved";
}

}  // namespace
}  // namespace vintor::main::testing
