// The ledger cursor: the journal lines of one account between two dates, in order of date,
// journal key and line number. Closing vouchers are in it only when the range ends with
// their closing period: year-end ones when the last date is the period's last day, interim
// ones when the company closes an interim period and the last date is that period's day
// (or the display record asks for the interim period). The ledger of a main account includes the
// lines of its sub-accounts; the two consumption-tax accounts also get every line with a tax part
// on their side. Each line says on which side the account stands (kSideDebit, kSideCredit, or 3 for
// both).
//
// The cursor walks the company's journal held in memory (company_journal.h): each ledger is
// one run of the account's postings in ledger order, read without a query, so walking every
// account's ledger costs one pass over the journal.
#pragma once

#include <cstdint>
#include <span>

#include "books/books_session.h"
#include "books/company_journal.h"
#include "platform/library.h"
#include "platform/records.h"

namespace vintor::books {

class RuleMotocho : public platform::ClRuleMotocho {
 public:
  explicit RuleMotocho(BooksSession& session) : session_(session), selection_(session) {}

  int AttachSetMgr(platform::ClSetMgr*) override { return platform::kSuccess; }
  int SetCurDataID(const char* data_id) override { return selection_.Select(data_id); }
  int AttachOptLink(platform::ClOptLink*) override { return platform::kSuccess; }

  // display gives the account (its key; the main code is key / 10 000) and the first and
  // last date. The condition and the order are accepted and ignored: the ledger is always
  // the whole date range in date order.
  int MoveReady(const platform::StFINDINFO* find, const platform::StORDERINFO* order,
                const platform::StMOTOCHOHYOJIINFO* display) override;
  // The number of lines the ledger that display describes holds.
  int GetCount(const platform::StFINDINFO* find, const platform::StMOTOCHOHYOJIINFO* display,
               std::int32_t* count) override;
  // The next MoveNext delivers line position (0 = the first).
  int SetMovePos(std::int32_t position) override;
  // The first line; then the position is after it.
  int MoveFirst(platform::StMOTOCHOINFO* line) override;
  // The line at the position; kEndOfRecords after the last.
  int MoveNext(platform::StMOTOCHOINFO* line) override;
  int MoveFinish() override;

 private:
  struct Range {
    const CompanyJournal* journal = nullptr;
    std::span<const CompanyJournal::Posting> postings;  // those within the dates
    std::int32_t main_code = 0;
    std::int32_t first_date = 0;
    std::int32_t last_date = 0;
    bool with_interim_closing = false;
    bool with_year_end_closing = false;
  };

  // The postings of the ledger display describes, with the journal holding them; the
  // closing vouchers the range leaves out are skipped as the ledger is walked.
  int RangeOf(const platform::StMOTOCHOHYOJIINFO* display, Range* range);
  // True when the posting belongs to the prepared ledger.
  bool InRange(const CompanyJournal::Posting& posting, const Range& range) const;
  int Deliver(platform::StMOTOCHOINFO* line);

  BooksSession& session_;
  DataSelection selection_;
  std::uint64_t generation_ = 0;  // the opening the journal belongs to
  Range range_;  // the ledger prepared
  bool ready_ = false;
  std::size_t scanned_ = 0;    // postings looked at since the walk began
  std::size_t delivered_ = 0;  // ledger lines among them
  std::size_t next_ = 0;       // the line the next MoveNext delivers
};

}  // namespace vintor::books
