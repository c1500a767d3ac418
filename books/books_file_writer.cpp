#include "books/books_file_writer.h"

#include <algorithm>
#include <vector>

#include "books/books_file_builder.h"
#include "books/totals_accumulator.h"

namespace vintor::books {
namespace {

// The vouchers of one company with their lines, from the company itself or from a compact
// journal; the latter are filled into one voucher that is used over and over.
class CompanyVouchers {
 public:
  CompanyVouchers(const CompanyBooks& books, const CompactJournal* journal, std::size_t company)
      : books_(books), journal_(journal), company_(company) {}

  std::size_t size() const {
    return journal_ == nullptr ? books_.vouchers.size() : journal_->VoucherCount(company_);
  }

  // Voucher k with its lines, valid until the next call.
  const Voucher& operator[](std::size_t k) {
    if (journal_ == nullptr) return books_.vouchers[k];
    journal_->Fill(company_, k, &filled_);
    return filled_;
  }

  // Voucher k without its lines (those it has or not), valid until the next call.
  const Voucher& Header(std::size_t k) {
    if (journal_ == nullptr) return books_.vouchers[k];
    journal_->FillHeader(company_, k, &filled_);
    return filled_;
  }

  // The vouchers' indexes in ledger order (date, then journal key). False with *error when
  // two share a journal key: the voucher cursor finds a voucher by its key alone.
  bool LedgerOrder(std::vector<std::uint32_t>* order, std::string* error) {
    struct Place {
      std::int32_t date;
      std::int32_t journal_key;
    };
    std::vector<Place> places(size());
    for (std::size_t k = 0; k < places.size(); ++k) {
      const Voucher& voucher = Header(k);
      places[k] = {voucher.date, voucher.journal_key};
    }
    order->resize(places.size());
    for (std::size_t k = 0; k < order->size(); ++k) (*order)[k] = static_cast<std::uint32_t>(k);
    std::sort(order->begin(), order->end(), [&](std::uint32_t a, std::uint32_t b) {
      return places[a].date != places[b].date ? places[a].date < places[b].date
                                              : places[a].journal_key < places[b].journal_key;
    });
    std::vector<std::int32_t> keys;
    keys.reserve(places.size());
    for (const Place& place : places) keys.push_back(place.journal_key);
    std::sort(keys.begin(), keys.end());
    const auto repeated = std::adjacent_find(keys.begin(), keys.end());
    if (repeated != keys.end()) {
      *error = "two vouchers have the journal key " + std::to_string(*repeated);
      return false;
    }
    return true;
  }

 private:
  const CompanyBooks& books_;
  const CompactJournal* journal_;
  const std::size_t company_;
  Voucher filled_;
};

// Totals first, in data order as ComputeMonthlyTotals sums them, so inconsistent data is
// refused (with the same message) before the company is written.
bool WriteCompany(BooksFileBuilder& builder, const CompanyBooks& books, CompanyVouchers& vouchers,
                  std::string* error) {
  TotalsByKey totals;
  TotalsAccumulator accumulator(books, &totals);
  if (!accumulator.AddOpenings(books.openings, error)) return false;
  for (std::size_t k = 0; k < vouchers.size(); ++k) {
    if (!accumulator.AddVoucher(vouchers[k], error)) return false;
  }
  std::vector<std::uint32_t> ledger;
  if (!vouchers.LedgerOrder(&ledger, error) || !builder.BeginCompany(books, error)) return false;
  for (std::size_t k = 0; k < vouchers.size(); ++k) {
    if (!builder.WriteVoucher(vouchers.Header(k), error)) return false;
  }
  for (const std::uint32_t k : ledger) {
    if (!builder.WriteJournal(vouchers[k], error)) return false;
  }
  return builder.EndCompany(totals, error);
}

}  // namespace

bool BooksFileWriter::Write(const BooksData& data, const CompactJournal* journal,
                            std::string* error) {
  BooksFileBuilder builder(database_);
  // Filling in the vouchers, summing the totals and laying out the journal overlap with the
  // inserts.
  return builder.Overlapped(
      [&](std::string* why) {
        if (!builder.Begin(data, why)) return false;
        for (std::size_t c = 0; c < data.companies.size(); ++c) {
          const CompanyBooks& books = data.companies[c];
          CompanyVouchers vouchers(books, journal, c);
          if (!WriteCompany(builder, books, vouchers, why)) {
            *why = "company data " + std::to_string(books.company.data_number) + ": " + *why;
            return false;
          }
        }
        return builder.Finish(why);
      },
      error);
}

}  // namespace vintor::books
