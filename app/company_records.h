// Reading one company's records through the accounting library: its data record by data
// number, and its consumption-tax settings. Every failed call is recorded in the failure
// log, so that a run can tell "not there" from "could not be read".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/library.h"
#include "platform/library_failure.h"
#include "platform/records.h"

namespace vintor::app {

// Who uses the library session and what they selected.
struct UserSelection {
  std::string user_id;      // CP932
  std::int32_t first = 0;   // part of the key of the saved settings
  std::int32_t second = 0;  // the data number of the selected company
};

// Reads the session's current user and their selection numbers. False when the library has
// no user object or a call failed (recorded in failures); *selection then holds what was
// read before.
bool ReadUserSelection(platform::AccountingLibrary& library, UserSelection* selection,
                       platform::LibraryFailureLog& failures);

// The data record numbered data_number. True when found; false when there is none (the log
// untouched) or a call failed (recorded in failures).
bool FindCompanyRecord(platform::AccountingLibrary& library, std::int32_t data_number,
                       platform::StDATAINFO* record, platform::LibraryFailureLog& failures);

// Every data record of the books, in the library's order. False when a call failed
// (recorded in failures); *records then holds those read before.
bool ReadCompanyRecords(platform::AccountingLibrary& library,
                        std::vector<platform::StDATAINFO>* records,
                        platform::LibraryFailureLog& failures);

// The tax settings of the company. True when read. A company that keeps none (the library
// answers end-of-records) answers false with *settings untouched and nothing recorded: it
// totals without tax. Any other failure is recorded in failures.
bool ReadTaxSettings(platform::AccountingLibrary& library, const platform::StDATAINFO& company,
                     platform::StSHOHIZEIINFO* settings, platform::LibraryFailureLog& failures);

}  // namespace vintor::app
