// Dates as Japanese era text: the era's name, the year within the era, the month and the
// day ("<era>6年4月1日", no leading zeros). The eras are not built in: every call reads the
// library's era table (set 13), so a new era needs no new program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/library.h"
#include "platform/library_failure.h"
#include "platform/records.h"

namespace vintor::app {

// Formats dates through the era table of the library's set manager. The formatter holds
// no eras of its own: each call opens a cursor over the table, reads it from the start and
// releases it, so it always answers with the table as the library has it now. Library
// messages have no owner window.
class EraDateFormatter {
 public:
  // The last date that is still formatted; anything later has no era text.
  static constexpr std::int32_t kLastDate = 99991231;
  // The unit name the formatter's failures are recorded under with SetLastError.
  static constexpr const char* kSourceUnit = "CmnProcHpr";

  // library is not owned and must outlive the formatter.
  explicit EraDateFormatter(platform::AccountingLibrary& library) : library_(library) {}

  // Finds the era of date (YYYYMMDD). era must not be null; it is zero-filled first.
  // 0: found; *era is the era's record and *era_year (unless era_year is null) the year of
  // date within the era, 1 in the calendar year the era began. -1: not found, *era stays
  // zero. Not found means the date lies before the first era or after kLastDate, the table
  // is empty, or the library failed; a failure has been checked with the message manager
  // (which shows the library's message for a fatal code), recorded with SetLastError and in
  // the failure log, and library_failed() answers true from then on. Only end-of-records
  // ends the table: a walk that stops on any other code is a failure, not a shorter table.
  int FindEra(std::int32_t date, platform::StGENGOINFO* era, long* era_year);

  // Where library failures are recorded besides the message manager; may be null.
  void set_failure_log(platform::LibraryFailureLog* log) { failures_ = log; }
  // True once a lookup has failed because of the library (not because no era matched).
  bool library_failed() const { return library_failed_; }

  // The era date text of date, empty when FindEra answers -1.
  std::string EraDateText(std::int32_t date);

  // The same text written into buffer without allocating (for callers that format a date
  // per record): at most size - 1 bytes, never splitting a double-byte character, always
  // NUL-terminated when size > 0; empty when FindEra answers -1. Returns the bytes written.
  std::size_t FormatEraDate(std::int32_t date, char* buffer, std::size_t size);

  template <std::size_t N>
  std::size_t FormatEraDate(std::int32_t date, char (&buffer)[N]) {
    return FormatEraDate(date, buffer, N);
  }

 private:
  // The era set as the set manager hands it out now; null when it has none.
  platform::ClSetGengo* EraSet();
  // Checks a result code with the message manager. True when the step failed (non-zero or
  // fatal); the failure is then recorded with the location of the failing call.
  bool Failed(int code, int location, const char* call);
  // Records a failure of call with code in the message manager and the failure log.
  void RecordFailure(int code, int location, const char* call);

  platform::AccountingLibrary& library_;
  // The set object last handed out and its era-set view, so that asking the set manager
  // for the set on every call does not also cost a type check on every call.
  platform::ClSetBase* last_set_ = nullptr;
  platform::ClSetGengo* last_era_set_ = nullptr;
  platform::LibraryFailureLog* failures_ = nullptr;
  bool library_failed_ = false;
};

}  // namespace vintor::app
