// The summary of a batch: one row per company, the exit status of the whole run, and the
// summary as a terminal table (CP932) and as a CSV file (UTF-8).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vintor::batch {

enum class CompanyStatus { kWritten, kWrittenWithWarnings, kSkipped, kFailed };

// The outcome for one company. Texts are CP932.
struct CompanyRow {
  std::int32_t data_number;
  std::string company_name;
  std::int32_t from_month;
  std::int32_t to_month;
  CompanyStatus status;
  std::string reason;  // Why the company was skipped or failed; empty otherwise.
  int warnings;
  int checks_failed;
  int checks_run;
  std::string file;  // The written report's path; empty when none.
  std::uint64_t size_bytes;
  double seconds;
};

// The exit status of the batch, from the worst company: 2 when any failed, else 1 when any
// was skipped, else 3 when any was written with warnings, else 0 (also for no companies).
// Only the status of each row counts, not its warning count.
int BatchExitStatus(const std::vector<CompanyRow>& rows);

// A CP932 table for the terminal: a header line, one line per company and a total line,
// every line ending in "\n". Columns are aligned by display width (a double-byte character
// is two columns, a single byte one): 番号, 会社名, 範囲 ("4月～3月"), 結果, 警告, 検査
// ("4/4 一致", "-" when none ran), ファイル (the reason instead for a skipped or failed
// company), サイズ (bytes with thousands separators, "-" without a file) and 時間 ("0.4 秒").
std::string SummaryTable(const std::vector<CompanyRow>& rows);

// "N 社: 出力 a、警告あり b、スキップ c、失敗 d", the table's last line without its line end.
std::string SummaryCounts(const std::vector<CompanyRow>& rows);

// The summary as UTF-8 CSV with LF line ends and the header
// data_number,company,range,status,warnings,checks,file,size_bytes,seconds,reason.
// Status words are written, written_with_warnings, skipped and failed; checks are
// "passed/run" (empty when none ran); range is "4-3"; seconds have three decimals. Fields
// holding a comma, quote, CR or LF are quoted with inner quotes doubled.
// The texts of the rows must be valid CP932: a text that does not convert is a fault of the
// caller, and the result is then an empty string.
std::string SummaryCsv(const std::vector<CompanyRow>& rows);

}  // namespace vintor::batch
