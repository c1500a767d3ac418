// The company the user has selected in the product, which is the company of every run, and
// the library objects that read it.
#pragma once

#include <string>

#include "platform/library.h"
#include "platform/library_failure.h"
#include "text/cp932.h"

namespace vintor::statements {

// The data record of the selected company; null when none is selected.
inline const platform::StDATAINFO* SelectedCompany(platform::AccountingLibrary& library) {
  auto* companies = library.DataManager().GetSet<platform::ClSetData>(platform::kSetCompanyData, 1);
  return companies ? companies->GetSelectedInfo() : nullptr;
}

// Points a new cursor or reader of the library (any object with AttachSetMgr,
// SetCurDataID and AttachOptLink) at the selected company. False when none is selected or
// the library refuses a step; the failing step is then recorded in log (when given) under
// the object's class name (class_name, "ClRuleKamoku").
template <class LibraryObject>
bool AttachToSelectedCompany(LibraryObject& object, platform::AccountingLibrary& library,
                             platform::LibraryFailureLog* log = nullptr,
                             const char* class_name = "") {
  const platform::StDATAINFO* selected = SelectedCompany(library);
  if (selected == nullptr) {
    if (log != nullptr)
      log->Record("ClSetData::GetSelectedInfo", -1, "選択された会計データがありません");
    return false;
  }
  const std::string data_id(text::FieldText(selected->data_id));
  const auto failed = [&](const char* step, int code) {
    if (code == platform::kSuccess) return false;
    if (log != nullptr)
      log->Record(std::string(class_name) + "::" + step, code, "データID " + data_id);
    return true;
  };
  if (failed("AttachSetMgr", object.AttachSetMgr(library.DataManager().GetSetMgr()))) return false;
  if (failed("SetCurDataID", object.SetCurDataID(data_id.c_str()))) return false;
  return !failed("AttachOptLink", object.AttachOptLink(library.LinkManager().GetOptLink()));
}

}  // namespace vintor::statements
