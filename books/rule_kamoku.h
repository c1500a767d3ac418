// The totals cursor: one record per account of the current company's chart, in chart
// order, with its monthly debits and credits in both sets. Accounts that take postings
// read their totals as the books file keeps them; an account of kind 3 with a formula adds
// its formula's terms to them, and total accounts are computed from their formulas, in the
// two stages total_formula.h describes.
#pragma once

#include <cstdint>
#include <vector>

#include "books/books_session.h"
#include "platform/library.h"
#include "platform/records.h"

namespace vintor::books {

class RuleKamoku : public platform::ClRuleKamoku {
 public:
  explicit RuleKamoku(BooksSession& session) : session_(session), selection_(session) {}

  int AttachSetMgr(platform::ClSetMgr*) override { return platform::kSuccess; }
  int SetCurDataID(const char* data_id) override { return selection_.Select(data_id); }
  int AttachOptLink(platform::ClOptLink*) override { return platform::kSuccess; }

  // Computes the records of every account. The condition and the other arguments are
  // accepted and ignored: every month slot is delivered and the caller picks the months.
  // On failure (no company, a query or formula that fails, an overflow) the cursor stays
  // unprepared and the code says why.
  int MoveReady(int sum_type_base, int department_type, int display_type,
                const platform::StFINDINFO* find, const void* department, int past_type) override;
  int GetSumCount(std::int32_t* count) override;
  int SetMovePos(std::int32_t position) override;
  // The record at the position, then the position moves on; kEndOfRecords after the last.
  int MoveNext(platform::StKAMOKUSUMINFO* totals) override;
  int MoveFinish() override;

 private:
  BooksSession& session_;
  DataSelection selection_;
  std::vector<platform::StKAMOKUSUMINFO> records_;
  bool ready_ = false;
  std::size_t position_ = 0;
};

}  // namespace vintor::books
