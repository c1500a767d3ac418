// The company the user has selected in the product, which is the company of every run, and
// the library objects that read it.
#pragma once

#include <string>

#include "platform/library.h"
#include "text/cp932.h"

namespace vintor::statements {

// The data record of the selected company; null when none is selected.
inline const platform::StDATAINFO* SelectedCompany(platform::AccountingLibrary& library) {
  auto* companies = library.DataManager().GetSet<platform::ClSetData>(platform::kSetCompanyData, 1);
  return companies ? companies->GetSelectedInfo() : nullptr;
}

// Points a new cursor or reader of the library (any object with AttachSetMgr,
// SetCurDataID and AttachOptLink) at the selected company. False when none is selected;
// the object is then left as it was.
template <class LibraryObject>
bool AttachToSelectedCompany(LibraryObject& object, platform::AccountingLibrary& library) {
  const platform::StDATAINFO* selected = SelectedCompany(library);
  if (selected == nullptr) return false;
  object.AttachSetMgr(library.DataManager().GetSetMgr());
  const std::string data_id(text::FieldText(selected->data_id));
  object.SetCurDataID(data_id.c_str());
  object.AttachOptLink(library.LinkManager().GetOptLink());
  return true;
}

}  // namespace vintor::statements
