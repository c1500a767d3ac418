// The voucher cursor: the journal lines of one voucher, in line order, as they were
// entered (the keys are the lines' own). Served from the company's journal held in memory
// (company_journal.h), which the ledger reads too.
#pragma once

#include <cstdint>
#include <vector>

#include "books/books_session.h"
#include "platform/library.h"
#include "platform/records.h"

namespace vintor::books {

class RuleShiwake : public platform::ClRuleShiwake {
 public:
  explicit RuleShiwake(BooksSession& session) : session_(session), selection_(session) {}

  int AttachSetMgr(platform::ClSetMgr*) override { return platform::kSuccess; }
  int SetCurDataID(const char* data_id) override { return selection_.Select(data_id); }
  int AttachOptLink(platform::ClOptLink*) override { return platform::kSuccess; }

  // The condition must be one block "voucher equals journal key" (item 6, operator 1);
  // kCodeBadCondition otherwise. The order, display and cursor type are accepted and
  // ignored. A journal key without a voucher gives an empty cursor.
  int MoveReady(const platform::StFINDINFO* find, const platform::StORDERINFO* order,
                const platform::StMOTOCHOHYOJIINFO* display, int cursor_type) override;
  // The number of lines of the voucher the condition names.
  int GetSwkCount(const platform::StFINDINFO* find, const platform::StMOTOCHOHYOJIINFO* display,
                  std::int32_t* count) override;
  int MoveFirst(platform::StSWKTINFO* line) override;
  // kEndOfRecords after the last line.
  int MoveNext(platform::StSWKTINFO* line) override;

 private:
  int Load(const platform::StFINDINFO* find, std::vector<platform::StSWKTINFO>* lines);

  BooksSession& session_;
  DataSelection selection_;
  std::vector<platform::StSWKTINFO> lines_;
  bool ready_ = false;
  std::size_t position_ = 0;
};

}  // namespace vintor::books
