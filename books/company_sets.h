// The sets about the companies and users of the books: the company data records (set 5),
// the consumption-tax settings (set 4) and the users with their selections.
#pragma once

#include "books/books_session.h"
#include "books/set_cursors.h"
#include "platform/library.h"
#include "platform/records.h"

namespace vintor::books {

// Fills a company data record from a company: every field the library defines, the rest
// zero. The books keep the introduction month as the calendar month a bookkeeper writes;
// the record carries it as a fiscal month index (1 = the period's first month), which is
// how the exporter compares it with the months of a range. 0 (not set) and 99 (past
// results) pass unchanged; a calendar month that is not one of the period's months
// becomes 0.
void FillDataRecord(const Company& company, platform::StDATAINFO* record);

class CompanyDataSet : public platform::ClSetData {
 public:
  explicit CompanyDataSet(BooksSession& session) : session_(session), selection_(session) {}

  int AttachSetMgr(platform::ClSetMgr*) override { return platform::kSuccess; }
  int SetCurDataID(const char* data_id) override { return selection_.Select(data_id); }
  int GetDatCursor(platform::SetCursor* cursor) override;
  int ReadyDat(platform::SetCursor cursor, int mode) override;
  // Walks every company of the books in written order.
  int WalkDat(platform::StDATAINFO* record, platform::SetCursor cursor) override;
  int ReleaseDatCursor(platform::SetCursor cursor) override;
  // The record of the selected company, kept until the next call; null when none.
  const platform::StDATAINFO* GetSelectedInfo() override;
  // Sets the period of the current company (the selected one unless another was named).
  int GetAccPeriod(platform::ClAccPeriod* period) override;

 private:
  BooksSession& session_;
  DataSelection selection_;
  SetCursors cursors_;
  platform::StDATAINFO selected_{};
};

class TaxSettingsSet : public platform::ClSetShohizei {
 public:
  explicit TaxSettingsSet(BooksSession& session) : session_(session), selection_(session) {}

  int AttachSetMgr(platform::ClSetMgr*) override { return platform::kSuccess; }
  int SetCurDataID(const char* data_id) override { return selection_.Select(data_id); }
  // Fills whether the current company totals including tax (byte 5); the rest zero.
  int Get(platform::StSHOHIZEIINFO* settings) override;

 private:
  BooksSession& session_;
  DataSelection selection_;
};

class BooksSysUser : public platform::ClSysUser {
 public:
  explicit BooksSysUser(BooksSession& session) : session_(session) {}
  int GetCurUserID(char* buffer, std::size_t size) override;
  // kCodeNotFound when the books have no such user (the numbers are then untouched).
  int GetSelectedNo(const char* user_id, std::int32_t* first, std::int32_t* second) override;

 private:
  BooksSession& session_;
};

}  // namespace vintor::books
