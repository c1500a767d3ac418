// The read-back of a large file keeps the progress window alive: one pulse for every
// megabyte read, none for a report of a few hundred kilobytes.
#include "report/read_back.h"

#include <gtest/gtest.h>

#include <functional>

#include "os/fake_os.h"
#include "report/report_reader.h"
#include "report/test_reports.h"

namespace vintor::report {
namespace {

TEST(ReadBackTest, PulsesOnceForEveryMegabyteRead) {
  const std::string sample = testing::GoldenReport("VintorOak-sample.xml");
  ASSERT_FALSE(sample.empty());
  ReportContents contents;
  std::string error;
  checks::ContentDigest meant;
  ReportReader reader;
  reader.set_content_digest(&meant);
  ASSERT_TRUE(reader.ReadBytes(sample, &contents, &error)) << error;

  // White space may follow the document element: the padded file says what the sample says.
  const std::size_t three_megabytes = 3 * ReadBack::kPulseBytes;
  const struct {
    const char* what;
    std::string bytes;
    int pulses;
  } cases[] = {
      {"the sample report", sample, 0},
      {"padded to just over 3 MB", sample + std::string(three_megabytes + 10 - sample.size(), '\n'),
       3},
  };
  for (const auto& c : cases) {
    os::FakeOs os(os::FakeOs::PathRules::kPosix);
    std::unique_ptr<os::ReplacementFile> file = os.OpenReplacement("/report.xml");
    ASSERT_TRUE(file && file->Append(c.bytes) && file->Close()) << c.what;
    int pulses = 0;
    const std::function<void()> pulse = [&pulses] { ++pulses; };
    std::string why;
    EXPECT_TRUE(ReadBack().Check(*file, meant, pulse, &why)) << c.what << ": " << why;
    EXPECT_EQ(pulses, c.pulses) << c.what;
  }
}

}  // namespace
}  // namespace vintor::report
