#include "main/batch_session.h"

namespace vintor::main {

batch::CompanyRow ExportInOwnSession(const std::string& books_path, const std::string& user_id,
                                     os::Os& os, const app::PlannedCompany& company,
                                     ui::ProgressWindow* progress) {
  if (!company.refusal.empty()) return app::SkippedRow(company);
  BatchSession session(books_path, user_id);
  if (!session.open()) {
    batch::CompanyRow row = app::SkippedRow(company);
    row.status = batch::CompanyStatus::kFailed;
    row.reason = "会計データを開けません";
    return row;
  }
  return app::ExportPlannedCompany(session.library(), os, ThisEdition(), company, progress);
}

}  // namespace vintor::main
