#include "main/win32_batch.h"

// clang-format off
#include <windows.h>  // first: the other Win32 headers build on it
// clang-format on

#include "app/batch_arguments.h"
#include "app/batch_export.h"
#include "batch/batch_summary.h"
#include "main/batch_session.h"
#include "main/edition.h"
#include "os/os.h"
#include "ui/throttled_progress_view.h"
#include "ui/win32/win32_progress_view.h"

namespace vintor::main {

namespace {

constexpr const char* kUsage =
    "\n\n使い方: VintorOak.exe --batch --out-dir フォルダ [--data all|番号,…] "
    "[--from 月 --to 月] [--ledger|--no-ledger] [--equity 1|2] [--name ひな形]";

}  // namespace

int RunWin32Batch(void* instance, const std::vector<std::string>& arguments, ui::Desktop& desktop,
                  const std::string& books_path) {
  os::Os& os = os::SystemOs();
  const auto refuse = [&](const std::string& why) {
    desktop.ShowMessage(0, why, ui::kCaption, ui::kWarning);
    return 2;
  };
  app::BatchChoices choices;
  std::string error;
  if (!app::ParseBatchArguments(arguments, '\\', &choices, &error)) return refuse(error + kUsage);
  if (!os.IsFolder(choices.out_dir) && !os.CreateFolder(choices.out_dir))
    return refuse("出力先のフォルダ " + choices.out_dir + " を作れません。");

  std::vector<app::PlannedCompany> plan;
  {
    BatchSession session(books_path, "");
    if (!session.open())
      return refuse("会計データ " + books_path + " を開けません。\n" + session.said());
    platform::LibraryFailureLog failures;
    if (!app::PlanBatch(session.library(), choices, &plan, &error, failures)) {
      return refuse(error + (failures.failed() ? "\n" + failures.Describe() : ""));
    }
  }

  // One progress window for the whole batch: its title counts the companies, its bar shows
  // the company being exported.
  ui::win32::Win32ProgressView progress_window(static_cast<HINSTANCE>(instance));
  ui::ThrottledProgressView progress_view(progress_window, os::MonotonicMilliseconds);
  std::vector<batch::CompanyRow> rows;
  for (std::size_t k = 0; k < plan.size(); ++k) {
    ui::ProgressWindow progress(&progress_view);
    progress.Show();
    progress.ResetProgress();
    progress_window.SetCaptionPrefix("(" + std::to_string(k + 1) + "/" +
                                     std::to_string(plan.size()) + ") ");
    rows.push_back(ExportInOwnSession(books_path, "", os, plan[k], &progress));
    progress.End();
  }

  const std::string summary_path = choices.out_dir + "summary.csv";
  if (!app::WriteBatchSummary(os, summary_path, rows)) {
    return refuse("決算書情報を一括出力しましたが、一覧 " + summary_path + " を書けません。\n" +
                  batch::SummaryCounts(rows));
  }
  const int status = batch::BatchExitStatus(rows);
  desktop.ShowMessage(0,
                      "決算書情報の一括出力が終了しました。\n\n" + batch::SummaryCounts(rows) +
                          "\n一覧: " + summary_path,
                      ui::kCaption, status == 2 ? ui::kWarning : ui::kInformation);
  return status;
}

}  // namespace vintor::main
