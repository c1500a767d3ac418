#include "batch/batch_summary.h"

#include <array>
#include <cstddef>
#include <cstdio>

#include "text/cp932.h"
#include "text/encoding.h"

namespace vintor::batch {
namespace {

// The exit codes are not in order of severity (3, warnings, is milder than 1, skipped), so
// the worst company is found by this rank and mapped to its code afterwards.
int Severity(CompanyStatus status) {
  switch (status) {
    case CompanyStatus::kWritten:
      return 0;
    case CompanyStatus::kWrittenWithWarnings:
      return 1;
    case CompanyStatus::kSkipped:
      return 2;
    case CompanyStatus::kFailed:
      return 3;
  }
  return 3;
}

const char* StatusText(CompanyStatus status) {
  switch (status) {
    case CompanyStatus::kWritten:
      return "出力";
    case CompanyStatus::kWrittenWithWarnings:
      return "警告あり";
    case CompanyStatus::kSkipped:
      return "スキップ";
    case CompanyStatus::kFailed:
      return "失敗";
  }
  return "失敗";
}

const char* StatusWord(CompanyStatus status) {
  switch (status) {
    case CompanyStatus::kWritten:
      return "written";
    case CompanyStatus::kWrittenWithWarnings:
      return "written_with_warnings";
    case CompanyStatus::kSkipped:
      return "skipped";
    case CompanyStatus::kFailed:
      return "failed";
  }
  return "failed";
}

bool HasNoReport(const CompanyRow& row) {
  return row.status == CompanyStatus::kSkipped || row.status == CompanyStatus::kFailed;
}

std::string GroupedBytes(std::uint64_t bytes) {
  const std::string digits = std::to_string(bytes);
  std::string grouped;
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) grouped += ',';
    grouped += digits[k];
  }
  return grouped;
}

std::string FixedDecimals(double value, int decimals) {
  // snprintf in the "C" locale the program runs in, so the point is always ".".
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%.*f", decimals, value);
  return buffer.data();
}

// Terminal columns: a double-byte CP932 character takes two, a single byte one (half-width
// katakana included).
std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t k = 0; k < text.size();) {
    const std::size_t length = text::CharacterLengthAt(text, k);
    width += length;
    k += length;
  }
  return width;
}

constexpr std::size_t kColumns = 9;
using Line = std::array<std::string, kColumns>;
// Numbers are right-aligned so their digits line up; texts are left-aligned.
constexpr std::array<bool, kColumns> kRightAligned = {true,  false, false, false, true,
                                                      false, false, true,  true};

Line TableLine(const CompanyRow& row) {
  const int passed = row.checks_run - row.checks_failed;
  return {
      std::to_string(row.data_number),
      row.company_name,
      // A company skipped before its months were known has no range.
      row.from_month == 0
          ? std::string("-")
          : std::to_string(row.from_month) + "月～" + std::to_string(row.to_month) + "月",
      StatusText(row.status),
      std::to_string(row.warnings),
      row.checks_run == 0 ? std::string("-")
                          : std::to_string(passed) + "/" + std::to_string(row.checks_run) + " 一致",
      HasNoReport(row) ? row.reason : (row.file.empty() ? std::string("-") : row.file),
      row.file.empty() ? std::string("-") : GroupedBytes(row.size_bytes),
      FixedDecimals(row.seconds, 1) + " 秒",
  };
}

std::string CsvField(std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
  std::string quoted = "\"";
  for (const char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace

int BatchExitStatus(const std::vector<CompanyRow>& rows) {
  static constexpr std::array<int, 4> kExitStatusBySeverity = {0, 3, 1, 2};
  int worst = 0;
  for (const CompanyRow& row : rows) {
    const int severity = Severity(row.status);
    if (severity > worst) worst = severity;
  }
  return kExitStatusBySeverity[worst];
}

std::string SummaryTable(const std::vector<CompanyRow>& rows) {
  std::vector<Line> lines;
  lines.push_back({"番号", "会社名", "範囲", "結果", "警告", "検査", "ファイル", "サイズ", "時間"});
  for (const CompanyRow& row : rows) lines.push_back(TableLine(row));
  std::array<std::size_t, kColumns> widths{};
  for (const Line& line : lines) {
    for (std::size_t c = 0; c < kColumns; ++c) {
      if (DisplayWidth(line[c]) > widths[c]) widths[c] = DisplayWidth(line[c]);
    }
  }
  std::string table;
  for (const Line& line : lines) {
    std::string text;
    for (std::size_t c = 0; c < kColumns; ++c) {
      const std::string padding(widths[c] - DisplayWidth(line[c]), ' ');
      if (c > 0) text += "  ";
      text += kRightAligned[c] ? padding + line[c] : line[c] + padding;
    }
    // A left-aligned last column would leave spaces the terminal does not need.
    while (!text.empty() && text.back() == ' ') text.pop_back();
    table += text + "\n";
  }
  return table + SummaryCounts(rows) + "\n";
}

std::string SummaryCounts(const std::vector<CompanyRow>& rows) {
  std::array<int, 4> counts{};
  for (const CompanyRow& row : rows) ++counts[Severity(row.status)];
  return std::to_string(rows.size()) + " 社: 出力 " + std::to_string(counts[0]) + "、警告あり " +
         std::to_string(counts[1]) + "、スキップ " + std::to_string(counts[2]) + "、失敗 " +
         std::to_string(counts[3]);
}

std::string SummaryCsv(const std::vector<CompanyRow>& rows) {
  std::string csv =
      "data_number,company,range,status,warnings,checks,file,size_bytes,seconds,reason\n";
  for (const CompanyRow& row : rows) {
    std::string company;
    std::string file;
    std::string reason;
    if (!text::Cp932ToUtf8(row.company_name, &company) || !text::Cp932ToUtf8(row.file, &file) ||
        !text::Cp932ToUtf8(row.reason, &reason)) {
      return {};
    }
    const std::string checks = row.checks_run == 0
                                   ? std::string()
                                   : std::to_string(row.checks_run - row.checks_failed) + "/" +
                                         std::to_string(row.checks_run);
    csv += std::to_string(row.data_number) + "," + CsvField(company) + "," +
           (row.from_month == 0
                ? std::string()
                : std::to_string(row.from_month) + "-" + std::to_string(row.to_month)) +
           "," + StatusWord(row.status) + "," + std::to_string(row.warnings) + "," + checks + "," +
           CsvField(file) + "," + std::to_string(row.size_bytes) + "," +
           FixedDecimals(row.seconds, 3) + "," + CsvField(reason) + "\n";
  }
  return csv;
}

}  // namespace vintor::batch
