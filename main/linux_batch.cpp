#include "main/linux_batch.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <vector>

#include "app/batch_export.h"
#include "app/company_records.h"
#include "batch/batch_summary.h"
#include "batch/report_name.h"
#include "conditions/path_style.h"
#include "conditions/settings_store.h"
#include "main/batch_session.h"
#include "main/edition.h"
#include "text/cp932.h"
#include "text/decimal.h"
#include "ui/console/console_progress_view.h"
#include "ui/throttled_progress_view.h"

namespace vintor::main {

namespace {

// A row through a pipe: numbers in decimal and texts as "length:bytes", space-separated.
void PutText(std::string* out, const std::string& text) {
  *out += std::to_string(text.size()) + ":" + text + " ";
}
std::string EncodeRow(std::size_t index, const batch::CompanyRow& row) {
  std::string out = std::to_string(index) + " " + std::to_string(row.data_number) + " " +
                    std::to_string(row.from_month) + " " + std::to_string(row.to_month) + " " +
                    std::to_string(static_cast<int>(row.status)) + " " +
                    std::to_string(row.warnings) + " " + std::to_string(row.checks_failed) + " " +
                    std::to_string(row.checks_run) + " " + std::to_string(row.size_bytes) + " " +
                    std::to_string(static_cast<long long>(row.seconds * 1000)) + " ";
  PutText(&out, row.company_name);
  PutText(&out, row.reason);
  PutText(&out, row.file);
  return std::to_string(out.size()) + "\n" + out;
}

class RowReader {
 public:
  explicit RowReader(std::string_view bytes) : rest_(bytes) {}
  long long Number() {
    const std::size_t space = rest_.find(' ');
    const long long value = std::stoll(std::string(rest_.substr(0, space)));
    rest_.remove_prefix(space + 1);
    return value;
  }
  std::string Text() {
    const std::size_t colon = rest_.find(':');
    const std::size_t length = std::stoull(std::string(rest_.substr(0, colon)));
    std::string text(rest_.substr(colon + 1, length));
    rest_.remove_prefix(colon + 1 + length + 1);
    return text;
  }

 private:
  std::string_view rest_;
};

std::size_t DecodeRow(std::string_view bytes, batch::CompanyRow* row) {
  RowReader in(bytes);
  const auto index = static_cast<std::size_t>(in.Number());
  row->data_number = static_cast<std::int32_t>(in.Number());
  row->from_month = static_cast<std::int32_t>(in.Number());
  row->to_month = static_cast<std::int32_t>(in.Number());
  row->status = static_cast<batch::CompanyStatus>(in.Number());
  row->warnings = static_cast<int>(in.Number());
  row->checks_failed = static_cast<int>(in.Number());
  row->checks_run = static_cast<int>(in.Number());
  row->size_bytes = static_cast<std::uint64_t>(in.Number());
  row->seconds = static_cast<double>(in.Number()) / 1000.0;
  row->company_name = in.Text();
  row->reason = in.Text();
  row->file = in.Text();
  return index;
}

std::string StatusWord(batch::CompanyStatus status) {
  switch (status) {
    case batch::CompanyStatus::kWritten:
      return "出力";
    case batch::CompanyStatus::kWrittenWithWarnings:
      return "警告あり";
    case batch::CompanyStatus::kSkipped:
      return "スキップ";
    case batch::CompanyStatus::kFailed:
      return "失敗";
  }
  return "";
}

// "[i/N] 番号 会社名: 結果", told as each company ends.
std::string DoneLine(std::size_t done, std::size_t count, const batch::CompanyRow& row) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", row.seconds);
  std::string line = "[" + std::to_string(done) + "/" + std::to_string(count) + "] " +
                     std::to_string(row.data_number) + " " + row.company_name + ": " +
                     StatusWord(row.status);
  if (!row.reason.empty()) line += "（" + row.reason + "）";
  if (row.status == batch::CompanyStatus::kWritten ||
      row.status == batch::CompanyStatus::kWrittenWithWarnings) {
    line += "、" + std::string(seconds) + " 秒";
  }
  return line + "\n";
}

// The companies one after another in this process, each with its progress line.
void ExportInTurn(const std::vector<app::PlannedCompany>& plan, const std::string& books_path,
                  const std::string& user_id, os::Os& os, ui::console::Terminal& terminal,
                  ui::ProgressView* view, bool quiet, std::vector<batch::CompanyRow>* rows) {
  for (std::size_t k = 0; k < plan.size(); ++k) {
    ui::ProgressWindow progress(view);
    progress.Show();
    progress.ResetProgress();
    (*rows)[k] = ExportInOwnSession(books_path, user_id, os, plan[k], &progress);
    progress.End();
    if (!quiet) terminal.Write(DoneLine(k + 1, plan.size(), (*rows)[k]));
  }
}

// The companies spread over worker processes, company k to worker k mod jobs. Each worker
// opens the books itself and sends its rows back through a pipe as each company ends.
bool ExportInWorkers(const std::vector<app::PlannedCompany>& plan, int jobs,
                     const std::string& books_path, const std::string& user_id, os::Os& os,
                     ui::console::Terminal& terminal, bool quiet,
                     std::vector<batch::CompanyRow>* rows) {
  std::vector<pid_t> workers;
  std::vector<int> pipes;
  for (int worker = 0; worker < jobs; ++worker) {
    int ends[2];
    // A worker that cannot be started leaves its companies unexported: they are reported
    // failed below, and the workers already running finish theirs.
    if (::pipe(ends) != 0) break;
    const pid_t pid = ::fork();
    if (pid < 0) {
      ::close(ends[0]);
      ::close(ends[1]);
      break;
    }
    if (pid == 0) {
      ::close(ends[0]);
      for (std::size_t k = static_cast<std::size_t>(worker); k < plan.size();
           k += static_cast<std::size_t>(jobs)) {
        const std::string record =
            EncodeRow(k, ExportInOwnSession(books_path, user_id, os, plan[k], nullptr));
        for (std::size_t written = 0; written < record.size();) {
          const ssize_t n = ::write(ends[1], record.data() + written, record.size() - written);
          if (n <= 0) ::_exit(2);
          written += static_cast<std::size_t>(n);
        }
      }
      ::_exit(0);
    }
    ::close(ends[1]);
    workers.push_back(pid);
    pipes.push_back(ends[0]);
  }

  if (workers.empty()) return false;
  std::vector<std::string> buffers(pipes.size());
  std::vector<bool> received(plan.size(), false);
  std::size_t done = 0;
  std::size_t open_pipes = pipes.size();
  while (open_pipes > 0) {
    std::vector<pollfd> waiting;
    for (int fd : pipes) waiting.push_back({fd, POLLIN, 0});
    if (::poll(waiting.data(), waiting.size(), -1) < 0) continue;
    for (std::size_t w = 0; w < pipes.size(); ++w) {
      if (pipes[w] < 0 || waiting[w].revents == 0) continue;
      char chunk[65536];
      const ssize_t n = ::read(pipes[w], chunk, sizeof chunk);
      if (n <= 0) {
        ::close(pipes[w]);
        pipes[w] = -1;
        --open_pipes;
        continue;
      }
      buffers[w].append(chunk, static_cast<std::size_t>(n));
      // Whole records: "<length>\n<record>".
      for (;;) {
        const std::size_t newline = buffers[w].find('\n');
        if (newline == std::string::npos) break;
        const std::size_t length = std::stoull(buffers[w].substr(0, newline));
        if (buffers[w].size() < newline + 1 + length) break;
        batch::CompanyRow row{};
        const std::size_t k =
            DecodeRow(std::string_view(buffers[w]).substr(newline + 1, length), &row);
        buffers[w].erase(0, newline + 1 + length);
        if (k >= plan.size()) continue;
        (*rows)[k] = row;
        received[k] = true;
        ++done;
        if (!quiet) terminal.Write(DoneLine(done, plan.size(), row));
      }
    }
  }
  for (const pid_t pid : workers) {
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
  // A worker that died took its companies with it: they failed, the others stand.
  for (std::size_t k = 0; k < plan.size(); ++k) {
    if (received[k]) continue;
    (*rows)[k].data_number = plan[k].record.data_number;
    (*rows)[k].company_name = std::string(text::FieldText(plan[k].record.company_name));
    (*rows)[k].status = batch::CompanyStatus::kFailed;
    (*rows)[k].reason = "出力の処理が途中で終わりました";
  }
  return true;
}

}  // namespace

int RunBatch(const ui::console::ConsoleOptions& options, const std::string& books_path,
             ui::console::Terminal& terminal, ui::console::TerminalCharset charset, os::Os& os) {
  app::BatchChoices choices;
  choices.data_numbers = options.data_numbers;
  if (options.choices.start_month) {
    choices.from_month = text::ParseDecimal(*options.choices.start_month);
    choices.to_month = text::ParseDecimal(*options.choices.end_month);
  }
  choices.equity_kind =
      static_cast<std::int16_t>(options.choices.equity_statement_kind.value_or(1));
  choices.ledger = options.choices.ledger.value_or(false);
  choices.name_template = options.name_template.value_or(std::string(batch::kDefaultReportName));
  choices.out_dir = *options.out_dir;
  if (!choices.out_dir.empty() && choices.out_dir.back() != '/') choices.out_dir += '/';
  const std::string user_id = options.user_id.value_or("");

  if (!os.IsFolder(choices.out_dir) && !os.CreateFolder(choices.out_dir)) {
    terminal.Write("エラー: 出力先のフォルダ " + choices.out_dir + " を作れません。\n");
    return app::kResultFailed;
  }

  std::vector<app::PlannedCompany> plan;
  {
    BatchSession session(books_path, user_id);
    if (!session.open()) {
      terminal.Write("エラー: 会計データ " + books_path + " を開けません。\n" + session.said());
      return app::kResultFailed;
    }
    std::string error;
    platform::LibraryFailureLog failures;
    // --saved: the months each company was last exported with, from the settings the
    // interactive runs save for this user (the batch itself saves none).
    conditions::FileSettingsStore settings(session.library(), os, conditions::NativePathStyle(),
                                           ThisEdition().settings_file_name);
    // The key of the saved settings is the session's user; a user or selection that cannot
    // be read leaves it empty, so that nothing saved is found.
    app::UserSelection user;
    platform::LibraryFailureLog unread;
    app::ReadUserSelection(session.library(), &user, unread);
    conditions::SettingsKey key{user.user_id, 0, 0};
    if (options.saved_months) {
      key.first_selection = user.first;
      choices.saved_months = [&](std::int32_t data_number, std::int32_t* from, std::int32_t* to) {
        conditions::SavedConditions saved;
        key.second_selection = data_number;
        if (!settings.Read(key, &saved) || saved.start_month == 0 || saved.end_month == 0)
          return false;
        *from = saved.start_month;
        *to = saved.end_month;
        return true;
      };
    }
    if (!app::PlanBatch(session.library(), choices, &plan, &error, failures)) {
      terminal.Write("エラー: " + error + "\n" +
                     (failures.failed() ? "詳細: " + failures.Describe() + "\n" : ""));
      return app::kResultFailed;
    }
  }

  std::vector<batch::CompanyRow> rows(plan.size());
  const int jobs = options.jobs.value_or(1);
  if (jobs <= 1 || plan.size() <= 1) {
    ui::console::ConsoleProgressView progress_line(STDERR_FILENO, options.quiet, charset);
    ui::ThrottledProgressView progress_view(progress_line, os::MonotonicMilliseconds);
    ExportInTurn(plan, books_path, user_id, os, terminal, &progress_view, options.quiet, &rows);
  } else if (!ExportInWorkers(plan, jobs, books_path, user_id, os, terminal, options.quiet,
                              &rows)) {
    terminal.Write("エラー: 並べて出力するためのプロセスを作れません。\n");
    return app::kResultFailed;
  }

  terminal.Write("\n" + batch::SummaryTable(rows));
  const std::string summary_path = choices.out_dir + "summary.csv";
  if (!app::WriteBatchSummary(os, summary_path, rows)) {
    terminal.Write("エラー: " + summary_path + " を書けません。\n");
    return app::kResultFailed;
  }
  if (!options.quiet) terminal.Write("一覧: " + summary_path + "\n");
  return batch::BatchExitStatus(rows);
}

}  // namespace vintor::main
