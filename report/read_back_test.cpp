// The read-back parses the statements, compares the whole file by its bytes, and keeps the
// progress window alive: one pulse for every megabyte read, none for a report of a few
// hundred kilobytes.
#include "report/read_back.h"

#include <gtest/gtest.h>

#include <functional>

#include "os/fake_os.h"
#include "report/report_reader.h"
#include "report/test_reports.h"

namespace vintor::report {
namespace {

std::string Replaced(std::string bytes, std::string_view from, std::string_view to) {
  const std::size_t at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) bytes.replace(at, from.size(), to);
  return bytes;
}

TEST(ReadBackTest, ComparesTheStatementsParsedAndEveryByteAndPulsesPerMegabyte) {
  const std::string sample = testing::GoldenReport("VintorOak-sample.xml");
  ASSERT_NE(sample.find("<QZ00780S>"), std::string::npos) << "the sample has a ledger";
  // What the writer of the sample meant: its elements up to the ledger, and its bytes.
  statements::WrittenDigests meant;
  ReportReader reader;
  reader.set_content_digest(&meant.elements);
  reader.set_stop_at_ledger(true);
  ReportContents contents;
  std::string error;
  ASSERT_TRUE(reader.ReadBytes(sample, &contents, &error)) << error;
  meant.bytes.Add(sample);

  // White space may follow the document element: a padded file is still a report, but not
  // the bytes that were written.
  const std::size_t three_megabytes = 3 * ReadBack::kPulseBytes;
  const std::string padded = sample + std::string(three_megabytes + 10 - sample.size(), '\n');
  const struct {
    const char* what;
    std::string on_disk;
    int pulses;
    const char* found;  // nullptr: the check passes
  } cases[] = {
      {"the sample report", sample, 0, nullptr},
      {"padded to just over 3 MB", padded, 3, "書いたバイト列と一致しません"},
      {"an amount of the balance sheet", Replaced(sample, "Amount=\"1", "Amount=\"2"), 0,
       "書いた内容と一致しません"},
      {"an amount of the ledger", Replaced(sample, "<QZ00780S0110>1", "<QZ00780S0110>2"), 0,
       "書いたバイト列と一致しません"},
      {"the end cut off", sample.substr(0, sample.size() - 3), 0, "書いたバイト列と一致しません"},
      {"a closing tag of a statement", Replaced(sample, "</Item>", "</Itex>"), 0,
       "正しい XML ではありません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    os::FakeOs os(os::FakeOs::PathRules::kPosix);
    std::unique_ptr<os::ReplacementFile> file = os.OpenReplacement("/report.xml");
    ASSERT_TRUE(file && file->Append(c.on_disk) && file->Close());
    int pulses = 0;
    const std::function<void()> pulse = [&pulses] { ++pulses; };
    std::string why;
    ReadBack read_back;
    EXPECT_EQ(read_back.Check(*file, meant, pulse, &why), c.found == nullptr) << why;
    if (c.found != nullptr) {
      EXPECT_NE(why.find(c.found), std::string::npos) << why;
    }
    EXPECT_EQ(pulses, c.pulses);
    // The figures of the statements are kept for the checks; the ledger's are not read.
    if (c.found == nullptr) {
      EXPECT_TRUE(read_back.figures().assets.has_value());
      EXPECT_FALSE(read_back.figures().has_ledger);
    }
  }
}

}  // namespace
}  // namespace vintor::report
