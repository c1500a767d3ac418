// Pointing the library's cursors and readers at one company. The company is always the
// caller's: a run reads the user's selection once and passes its record down.
#pragma once

#include <string>

#include "platform/library.h"
#include "platform/library_failure.h"
#include "platform/records.h"
#include "text/cp932.h"

namespace vintor::statements {

// Points a new cursor or reader of the library (any object with AttachSetMgr,
// SetCurDataID and AttachOptLink) at the company. False when the library refuses a step;
// the failing step is then recorded in log (when given) under the object's class name
// (class_name, "ClRuleKamoku") with the company's data ID.
template <class LibraryObject>
bool AttachToCompany(LibraryObject& object, platform::AccountingLibrary& library,
                     const platform::StDATAINFO& company,
                     platform::LibraryFailureLog* log = nullptr, const char* class_name = "") {
  const std::string data_id(text::FieldText(company.data_id));
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
