#include "app/company_records.h"

#include <string>

#include "text/cp932.h"

namespace vintor::app {

namespace {

// Walks the data records, handing each to visit until it answers false. False when a call
// failed.
template <class Visit>
bool WalkCompanyRecords(platform::AccountingLibrary& library, platform::LibraryFailureLog& failures,
                        Visit visit) {
  auto* companies = library.DataManager().GetSet<platform::ClSetData>(platform::kSetCompanyData, 1);
  if (companies == nullptr) {
    failures.Record("ClDataMgr::GetSetObject(5)", -1);
    return false;
  }
  platform::SetCursor cursor = nullptr;
  if (failures.Failed("ClSetData::GetDatCursor", companies->GetDatCursor(&cursor))) return false;
  bool walked = false;
  if (!failures.Failed("ClSetData::ReadyDat", companies->ReadyDat(cursor, 0))) {
    platform::StDATAINFO candidate{};
    for (;;) {
      const int code = companies->WalkDat(&candidate, cursor);
      if (code == platform::kEndOfRecords) {
        walked = true;
        break;
      }
      // A walk cut short by an error could pass over the company asked for and make it look
      // absent.
      if (failures.Failed("ClSetData::WalkDat", code)) break;
      if (!visit(candidate)) {
        walked = true;
        break;
      }
    }
  }
  const bool released =
      !failures.Failed("ClSetData::ReleaseDatCursor", companies->ReleaseDatCursor(cursor));
  return walked && released;
}

}  // namespace

bool ReadUserSelection(platform::AccountingLibrary& library, UserSelection* selection,
                       platform::LibraryFailureLog& failures) {
  platform::ClSysUser* users = library.DataManager().GetSysUserObject();
  if (users == nullptr) {
    failures.Record("ClDataMgr::GetSysUserObject", -1);
    return false;
  }
  char user_id[65] = {};
  if (failures.Failed("ClSysUser::GetCurUserID", users->GetCurUserID(user_id, sizeof user_id)))
    return false;
  selection->user_id = text::FieldText(user_id);
  return !failures.Failed("ClSysUser::GetSelectedNo",
                          users->GetSelectedNo(user_id, &selection->first, &selection->second));
}

bool FindCompanyRecord(platform::AccountingLibrary& library, std::int32_t data_number,
                       platform::StDATAINFO* record, platform::LibraryFailureLog& failures) {
  *record = platform::StDATAINFO{};
  bool found = false;
  const bool walked = WalkCompanyRecords(library, failures, [&](const platform::StDATAINFO& r) {
    if (r.data_number != data_number) return true;
    *record = r;
    found = true;
    return false;
  });
  return walked && found;
}

bool ReadCompanyRecords(platform::AccountingLibrary& library,
                        std::vector<platform::StDATAINFO>* records,
                        platform::LibraryFailureLog& failures) {
  records->clear();
  return WalkCompanyRecords(library, failures, [&](const platform::StDATAINFO& r) {
    records->push_back(r);
    return true;
  });
}

bool ReadTaxSettings(platform::AccountingLibrary& library, const platform::StDATAINFO& company,
                     platform::StSHOHIZEIINFO* settings, platform::LibraryFailureLog& failures) {
  platform::ClDataMgr& data = library.DataManager();
  auto* tax = data.GetSet<platform::ClSetShohizei>(platform::kSetTax, 1);
  if (tax == nullptr) {
    failures.Record("ClDataMgr::GetSetObject(4)", -1);
    return false;
  }
  const std::string data_id(text::FieldText(company.data_id));
  const std::string subject = "データID " + data_id;
  if (failures.Failed("ClSetShohizei::AttachSetMgr", tax->AttachSetMgr(data.GetSetMgr()),
                      subject) ||
      failures.Failed("ClSetShohizei::SetCurDataID", tax->SetCurDataID(data_id.c_str()), subject)) {
    return false;
  }
  platform::StSHOHIZEIINFO read{};
  const int code = tax->Get(&read);
  // A company that keeps no tax settings totals without tax, as zero settings say. A read
  // that fails would total on the other basis without a word, so it fails the run.
  if (code == platform::kEndOfRecords) return false;
  if (failures.Failed("ClSetShohizei::Get", code, subject)) return false;
  *settings = read;
  return true;
}

}  // namespace vintor::app
