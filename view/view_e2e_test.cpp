// vintor-view as a user runs it: what it prints, the page it writes and its exit status.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "main/program_runner.h"

namespace {

using vintor::main::testing::ReadFileBytes;
using vintor::main::testing::RunProgram;
using vintor::main::testing::Utf8;

const std::string kSample = VINTOR_SOURCE_DIR "/main/testdata/VintorOak-sample.xml";

// A scratch folder of the test's own, removed with what it holds.
class ViewE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vintor-view-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder_ = name;
  }
  void TearDown() override {
    for (const std::string& file : files_) std::remove(file.c_str());
    rmdir(folder_.c_str());
  }
  std::string Path(const std::string& name) {
    files_.push_back(folder_ + "/" + name);
    return files_.back();
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = Path(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
  }

  std::string folder_;
  std::vector<std::string> files_;
};

TEST_F(ViewE2eTest, ExitStatusTellsAGoodReportABadOneAndAFailedCheck) {
  const std::string sample = ReadFileBytes(kSample);
  ASSERT_FALSE(sample.empty());
  std::string altered = sample;
  altered.replace(altered.find("Amount=\"57637005\""), 17, "Amount=\"57637105\"");
  const std::string truncated = Write("truncated.xml", sample.substr(0, 100000));
  const std::string in_utf8 = Write("utf8.xml",
                                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                    "<REPORT><BASIC/><DATA/></REPORT>\n");
  const std::string unknown = Write("unknown.xml",
                                    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n"
                                    "<REPORT><BASIC/><DATA><Foo/></DATA></REPORT>\n");
  const std::string failing = Write("altered.xml", altered);
  const struct {
    std::vector<std::string> arguments;
    int status;
    const char* output;  // a part of standard output, or of standard error when failing
  } cases[] = {
      {{kSample}, 0, "[OK] 貸借対照表: 資産 = 負債 + 純資産"},
      {{"--account", "2", kSample}, 0, "総勘定元帳 2 当座預金（流動資産）"},
      {{failing}, 1, "[NG] 貸借対照表"},
      {{truncated}, 2, "レポートとして読めません"},
      {{in_utf8}, 2, "1 行 1 列: 符号化方式が Shift_JIS と宣言されていません（UTF-8）"},
      {{unknown}, 2, "2 行 23 列: <Foo> はここに置けない要素です（<DATA> の中）"},
      {{folder_ + "/none.xml"}, 2, "ファイルを開けません"},
      {{}, 3, "使い方"},
      {{"--pages", kSample}, 3, "引数 --pages は使えません"},
      {{"--pages\x1b]0;title\x07", kSample}, 3, "引数 --pages\\x1B]0;title\\x07 は使えません"},
      {{"--account", "999", kSample}, 3, "総勘定元帳に科目 999 はありません"},
      {{"--html", folder_ + "/no/such/page.html", kSample}, 4, "HTML を書けません"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {VINTOR_VIEW_PATH};
    for (const std::string& argument : c.arguments) argv.push_back(Utf8(argument));
    const auto run = RunProgram(argv);
    EXPECT_EQ(run.exit_status, c.status) << c.output << "\n" << run.errors;
    const std::string& said = c.status >= 2 ? run.errors : run.output;
    EXPECT_NE(said.find(Utf8(c.output)), std::string::npos) << c.output << "\n" << said;
    EXPECT_EQ(said.find('\x1b'), std::string::npos) << "an escape sequence reached the terminal";
  }
}

TEST_F(ViewE2eTest, WritesOneSelfContainedPage) {
  const std::string page = Path("sample.html");
  const auto run = RunProgram({VINTOR_VIEW_PATH, "--html", page, kSample});
  EXPECT_EQ(run.exit_status, 0) << run.errors;
  EXPECT_NE(run.output.find(page), std::string::npos);
  const std::string html = ReadFileBytes(page);
  for (const char* part :
       {"<meta charset=\"utf-8\">", "<nav>", "<a href=\"#statement1\">貸借対照表</a>",
        "<td class=\"amount neg\">△450,000</td>", "57,637,005", "@media print",
        "<td class=\"ok\">OK</td>"}) {
    EXPECT_NE(html.find(Utf8(part)), std::string::npos) << part;
  }
  // Self-contained: nothing is fetched from elsewhere.
  EXPECT_EQ(html.find("src="), std::string::npos);
  EXPECT_EQ(html.find("<link"), std::string::npos);
}

}  // namespace
