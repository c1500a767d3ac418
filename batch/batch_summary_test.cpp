#include "batch/batch_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/encoding.h"

namespace vintor::batch {
namespace {

CompanyRow Row(std::int32_t data_number, std::string company_name, CompanyStatus status) {
  return {data_number, std::move(company_name), 4, 3, status, "", 0, 0, 4, "", 0, 0.0};
}

TEST(BatchExitStatusTest, IsTheWorstCompanyFailedBeforeSkippedBeforeWarnings) {
  using enum CompanyStatus;
  const struct {
    std::vector<CompanyStatus> statuses;
    int exit_status;
  } cases[] = {
      {{}, 0},
      {{kWritten, kWritten}, 0},
      {{kWritten, kWrittenWithWarnings}, 3},
      {{kWrittenWithWarnings, kSkipped, kWrittenWithWarnings}, 1},
      {{kFailed, kSkipped, kWrittenWithWarnings}, 2},
      {{kSkipped, kFailed}, 2},
  };
  for (const auto& c : cases) {
    std::vector<CompanyRow> rows;
    for (const CompanyStatus status : c.statuses) rows.push_back(Row(1, "a", status));
    EXPECT_EQ(BatchExitStatus(rows), c.exit_status) << rows.size();
  }
}

std::vector<CompanyRow> SampleBatch() {
  CompanyRow written = Row(1, "表ポ商事", CompanyStatus::kWritten);
  written.file = "1-表ポ商事-20250331.xml";
  written.size_bytes = 1234567;
  written.seconds = 0.44;
  CompanyRow warned = Row(12, "ｶﾌﾞ,\"A\"", CompanyStatus::kWrittenWithWarnings);
  warned.warnings = 2;
  warned.checks_failed = 1;
  warned.file = "12.xml";
  warned.size_bytes = 999;
  warned.seconds = 1.26;
  CompanyRow skipped = Row(3, "AB", CompanyStatus::kSkipped);
  skipped.checks_run = 0;
  skipped.reason = "仕訳がありません";
  return {written, warned, skipped};
}

TEST(BatchSummaryTableTest, AlignsColumnsByDisplayWidthAndCountsTheResults) {
  EXPECT_EQ(SummaryTable(SampleBatch()),
            "番号  会社名    範囲      結果      警告  検査      ファイル                "
            "    サイズ    時間\n"
            "   1  表ポ商事  4月～3月  出力         0  4/4 一致  1-表ポ商事-20250331.xml  "
            "1,234,567  0.4 秒\n"
            "  12  ｶﾌﾞ,\"A\"   4月～3月  警告あり     2  3/4 一致  12.xml                   "
            "      999  1.3 秒\n"
            "   3  AB        4月～3月  スキップ     0  -         仕訳がありません         "
            "        -  0.0 秒\n"
            "3 社: 出力 1、警告あり 1、スキップ 1、失敗 0\n");
}

TEST(BatchSummaryCsvTest, WritesUtf8WithQuotedFields) {
  std::string expected;
  ASSERT_TRUE(text::Cp932ToUtf8(
      "data_number,company,range,status,warnings,checks,file,size_bytes,seconds,reason\n"
      "1,表ポ商事,4-3,written,0,4/4,1-表ポ商事-20250331.xml,1234567,0.440,\n"
      "12,\"ｶﾌﾞ,\"\"A\"\"\",4-3,written_with_warnings,2,3/4,12.xml,999,1.260,\n"
      "3,AB,4-3,skipped,0,,,0,0.000,仕訳がありません\n",
      &expected));
  EXPECT_EQ(SummaryCsv(SampleBatch()), expected);
  EXPECT_EQ(SummaryCsv({Row(1, "\x81", CompanyStatus::kWritten)}), "");
}

}  // namespace
}  // namespace vintor::batch
