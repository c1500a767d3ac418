#include "books/interchange_reader.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "books/accounting_period.h"
#include "books/chart_references.h"
#include "books/interchange_fields.h"
#include "books/regular_file.h"
#include "books/tax_accounts.h"
#include "text/encoding.h"

namespace vintor::books {
namespace {

using namespace interchange;

constexpr std::int32_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt32 = std::numeric_limits<std::int32_t>::min();
// Keys stay below main code 10 000.
constexpr std::int32_t kMaxKeyBound = 10'000 * 10'000;

std::string Join(const Columns& columns) {
  std::string joined;
  for (const std::string_view column : columns) {
    if (!joined.empty()) joined += ',';
    joined.append(column);
  }
  return joined;
}

std::string InCompany(std::int32_t data_number) {
  return " in company " + std::to_string(data_number);
}

std::string Period(const Company& company) {
  return std::to_string(company.first_day) + "-" + std::to_string(company.last_day);
}

}  // namespace

bool InterchangeReader::Read(BooksData* data, CompactJournal* journal, std::string* error) {
  journal_ = journal;
  if (!Read(data, error)) return false;
  journal->Seal();
  return true;
}

bool InterchangeReader::Read(BooksData* data, std::string* error) {
  const bool read =
      ReadTable(kCompaniesFile, kCompaniesColumns, &InterchangeReader::ReadCompany) &&
      ReadTable(kAccountsFile, kAccountsColumns, &InterchangeReader::ReadAccount) &&
      CheckAccountReferences() &&
      ReadTable(kOpeningsFile, kOpeningsColumns, &InterchangeReader::ReadOpening) &&
      CheckOpenings() &&
      ReadTable(kVouchersFile, kVouchersColumns, &InterchangeReader::ReadVoucher) &&
      TrimVouchers() &&
      ReadTable(kJournalFile, kJournalColumns, &InterchangeReader::ReadJournalLine) &&
      CheckVouchers() && ReadTable(kUsersFile, kUsersColumns, &InterchangeReader::ReadUser) &&
      ReadTable(kBooksFile, kBooksColumns, &InterchangeReader::ReadBooksRow) &&
      (rows_in_books_file_ == 1 ||
       Fail(kBooksFile, 2, "a row with the current user must follow the header")) &&
      ReadTable(kErasFile, kErasColumns, &InterchangeReader::ReadEra) &&
      ReadTable(kFoldersFile, kFoldersColumns, &InterchangeReader::ReadFolder) && ReadNotes();
  if (!read) {
    *error = error_;
    return false;
  }
  *data = std::move(data_);
  return true;
}

bool InterchangeReader::TrimVouchers() {
  for (std::size_t company = 0; company < states_.size(); ++company) {
    data_.companies[company].vouchers.shrink_to_fit();
    states_[company].voucher_states.shrink_to_fit();
  }
  return true;
}

bool InterchangeReader::Fail(std::string_view file, int line, std::string_view message) {
  error_.assign(file);
  if (line > 0) error_.append(":").append(std::to_string(line));
  error_.append(": ").append(message);
  return false;
}

namespace {

// True when the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes) {
  for (std::size_t k = 0; k < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[k]);
    const std::size_t length = lead < 0x80         ? 1
                               : (lead >> 5) == 6  ? 2
                               : (lead >> 4) == 14 ? 3
                               : (lead >> 3) == 30 ? 4
                                                   : 0;
    if (length == 0 || k + length > bytes.size()) return false;
    for (std::size_t c = 1; c < length; ++c) {
      if ((static_cast<unsigned char>(bytes[k + c]) & 0xC0) != 0x80) return false;
    }
    k += length;
  }
  return true;
}

}  // namespace

bool InterchangeReader::LoadText(std::string_view file, std::string* cp932) {
  std::string utf8;
  const std::string path = JoinPath(folder_, file);
  if (!LoadBytes(file, path, &utf8)) return false;
  // Spreadsheets save "CSV UTF-8" with a byte-order mark; it is no part of the text.
  std::string_view text = utf8;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (text::Utf8ToCp932(text, cp932)) return true;
  // A file a spreadsheet saved in the Japanese code page: say how to save it as UTF-8
  // rather than name a byte that is no fault of the data.
  std::string as_utf8;
  if (!IsUtf8(text) && text::Cp932ToUtf8(text, &as_utf8)) {
    return Fail(file, 0,
                "is Shift_JIS (CP932) text, not UTF-8: save it as UTF-8 (\"CSV UTF-8\" in a "
                "spreadsheet, or iconv -f CP932 -t UTF-8)");
  }
  const std::string utf8_text(text);
  // Only on failure: convert line by line to name the line and the character.
  std::size_t start = 0;
  for (int line = 1; start <= utf8_text.size(); ++line) {
    std::size_t end = utf8_text.find('\n', start);
    if (end == std::string::npos) end = utf8_text.size();
    std::string converted, problem;
    if (!text::Utf8ToCp932(std::string_view(utf8_text).substr(start, end - start), &converted,
                           &problem)) {
      return Fail(file, line, problem);
    }
    start = end + 1;
  }
  return Fail(file, 0, "is not UTF-8 text that CP932 can hold");
}

bool InterchangeReader::LoadBytes(std::string_view file, const std::string& path,
                                  std::string* bytes) {
  // A table is read whole: a FIFO would block the read, a device would stream until memory
  // runs out, and a file beyond kMaxTableBytes is no table of books.
  std::uint64_t size = 0;
  const FileKind kind = KindOfFile(path, &size);
  if (kind == FileKind::kOther)
    return Fail(file, 0, "is not a regular file (a folder, FIFO or device)");
  if (kind == FileKind::kRegular && size > kMaxTableBytes) {
    return Fail(file, 0,
                "is " + std::to_string(size) + " bytes long, more than the " +
                    std::to_string(kMaxTableBytes) + " a table may have");
  }
  if (!os_.ReadWholeFile(path, bytes)) {
    return Fail(file, 0, os_.FileExists(path) ? "cannot be read" : "is missing");
  }
  return true;
}

namespace {

// The UTF-8 text of a table converted to CP932 a piece at a time, each piece a run of whole
// records, so that a journal of a million lines never exists twice in memory. A piece ends
// after a line feed outside quotes: an even number of double quotes lies before it, which
// is true at a record's end for every well-formed record (and a reader stops at the first
// record that is not).
class TablePieces {
 public:
  explicit TablePieces(std::string_view utf8) : text_(utf8) {}

  bool done() const { return position_ >= text_.size(); }

  // Converts the next piece into *cp932 and sets *first_line to the number of its first
  // line. False when the piece holds text that CP932 cannot hold.
  bool Next(std::string* cp932, int* first_line) {
    constexpr std::size_t kPieceBytes = std::size_t{1} << 18;
    std::size_t end = text_.size();
    int lines = 0;
    bool quoted = false;
    for (std::size_t k = position_; k < text_.size(); ++k) {
      if (text_[k] == '"') {
        quoted = !quoted;
      } else if (text_[k] == '\n') {
        ++lines;
        if (!quoted && k + 1 - position_ >= kPieceBytes) {
          end = k + 1;
          break;
        }
      }
    }
    const std::string_view piece = text_.substr(position_, end - position_);
    *first_line = line_;
    position_ = end;
    line_ += lines;
    return text::Utf8ToCp932(piece, cp932);
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
  int line_ = 1;
};

// The pieces of a table converted on a second thread, ahead of the rows being read:
// on a large journal the conversion is about a third of the reading, and it overlaps with
// the checks of the rows this way. The pieces come in order, each as TablePieces gives it.
// Without a second thread to be had, each piece is converted when asked for.
class PiecesAhead {
 public:
  explicit PiecesAhead(std::string_view utf8) : pieces_(utf8) {
    try {
      worker_ = std::thread([this] { ConvertAll(); });
    } catch (const std::system_error&) {
      here_ = true;
    }
  }

  ~PiecesAhead() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
  }

  PiecesAhead(const PiecesAhead&) = delete;
  PiecesAhead& operator=(const PiecesAhead&) = delete;

  // True once the last piece has been handed out.
  bool done() const { return last_; }

  // As TablePieces::Next. Throws on what the conversion threw.
  bool Next(std::string* cp932, int* first_line) {
    if (here_) {
      const bool converted = pieces_.Next(cp932, first_line);
      last_ = pieces_.done();
      return converted;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty() || threw_ != nullptr; });
    if (ready_.empty()) std::rethrow_exception(threw_);
    Piece piece = std::move(ready_.front());
    ready_.pop_front();
    lock.unlock();
    changed_.notify_all();
    *cp932 = std::move(piece.cp932);
    *first_line = piece.first_line;
    last_ = piece.last;
    return piece.converted;
  }

 private:
  static constexpr std::size_t kAhead = 1;

  struct Piece {
    std::string cp932;
    int first_line = 1;
    bool converted = false;
    bool last = false;
  };

  void ConvertAll() {
    try {
      for (bool last = false; !last;) {
        Piece piece;
        piece.converted = pieces_.Next(&piece.cp932, &piece.first_line);
        // A piece that does not convert ends the table's reading.
        last = piece.last = pieces_.done() || !piece.converted;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || ready_.size() < kAhead; });
        if (stop_) return;
        ready_.push_back(std::move(piece));
        lock.unlock();
        changed_.notify_all();
      }
    } catch (...) {
      {
        const std::lock_guard lock(mutex_);
        threw_ = std::current_exception();
      }
      changed_.notify_all();
    }
  }

  TablePieces pieces_;  // used by the worker alone while it runs
  bool here_ = false;
  bool last_ = false;
  std::thread worker_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Piece> ready_;
  bool stop_ = false;
  std::exception_ptr threw_;
};

}  // namespace

bool InterchangeReader::ReadTable(std::string_view file, const Columns& columns,
                                  RowHandler handler) {
  std::string utf8;
  if (!LoadBytes(file, JoinPath(folder_, file), &utf8)) return false;
  // Spreadsheets save "CSV UTF-8" with a byte-order mark; it is no part of the text.
  std::string_view text = utf8;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (journal_ != nullptr && handler == &InterchangeReader::ReadJournalLine)
    journal_->Start(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  // A text that does not convert is refused as a whole, before any of its rows: LoadText
  // converts it again to say where and how.
  const auto not_cp932 = [&] {
    std::string unused;
    if (LoadText(file, &unused)) Fail(file, 0, "is not UTF-8 text that CP932 can hold");
    return false;
  };
  PiecesAhead pieces(text);
  std::string cp932;
  int first_line = 1;
  if (!pieces.Next(&cp932, &first_line)) return not_cp932();
  CsvReader csv(cp932, first_line);
  CsvRecord record;
  // Every faulty row of the table is reported (up to kMaxReportedRows), so a folder kept in
  // a spreadsheet is mended in one go; the tables after it are not read, since their rows
  // refer to this one's.
  std::vector<std::string> problems;
  bool more = false;
  bool stopped = false;
  const bool has_header = csv.Next(&record);
  if (csv.failed()) {
    Fail(file, csv.problem_line(), csv.problem());
    problems.push_back(error_);
    stopped = true;
  } else if (!has_header || record.fields.size() != columns.size() ||
             !std::equal(columns.begin(), columns.end(), record.fields.begin())) {
    Fail(file, 1, "the header must be \"" + Join(columns) + "\"");
    problems.push_back(error_);
    stopped = true;
  }
  for (;;) {
    while (!stopped && csv.Next(&record)) {
      if (problems.size() == kMaxReportedRows) {
        more = true;
        stopped = true;
        break;
      }
      if (record.fields.size() != columns.size()) {
        Fail(file, record.line,
             std::to_string(record.fields.size()) + " fields, " + std::to_string(columns.size()) +
                 " expected");
        problems.push_back(error_);
        continue;
      }
      InterchangeRow row(file, record, columns);
      if (!(this->*handler)(row)) problems.push_back(row.error());
    }
    if (!stopped && csv.failed()) {
      Fail(file, csv.problem_line(), csv.problem());
      problems.push_back(error_);
      stopped = true;
    }
    // The rest of the text must convert even when no more rows are read.
    if (pieces.done()) break;
    if (!pieces.Next(&cp932, &first_line)) return not_cp932();
    csv = CsvReader(cp932, first_line);
  }
  if (problems.empty()) return true;
  error_.clear();
  for (const std::string& problem : problems) error_ += (error_.empty() ? "" : "\n") + problem;
  if (more) error_ += "\n" + std::string(file) + ": more rows were not checked";
  return false;
}

bool InterchangeReader::FindCompany(InterchangeRow& row, std::int32_t data_number,
                                    std::size_t* company) {
  const auto found = company_index_.find(data_number);
  if (found == company_index_.end())
    return row.Fail("unknown company " + std::to_string(data_number));
  *company = found->second;
  return true;
}

bool InterchangeReader::ReadCompany(InterchangeRow& row) {
  Company company;
  company.data_number = row.Int32(0, 1, kMaxInt32);
  company.data_id = row.Text(1, kDataIdBytes, true);
  company.name = row.Text(2, kCompanyNameBytes, true);
  company.first_day = row.Date(3);
  company.last_day = row.Date(4);
  company.has_cost_schedule = row.Flag(5);
  company.interim_settlement = row.Flag(6);
  company.introduction_month = static_cast<std::int16_t>(row.Int32(7, 0, 99));
  company.companies_act = row.Flag(8);
  company.tax_included = row.Flag(9);
  if (!row.ok()) return false;
  if (company.introduction_month > 12 && company.introduction_month != 99) {
    return row.FailColumn(
        7, std::to_string(company.introduction_month) + " is neither 0, a month 1-12 nor 99");
  }
  if (company_index_.contains(company.data_number))
    return row.Fail("duplicate data_number " + std::to_string(company.data_number));
  if (!data_ids_.insert(company.data_id).second)
    return row.Fail("duplicate data_id \"" + company.data_id + "\"");
  if (company.last_day < company.first_day) {
    return row.Fail("last_day " + std::to_string(company.last_day) + " is before first_day " +
                    std::to_string(company.first_day));
  }
  // YYYYMMDD + 10000 is the same day a year later (or no day at all after 29 February,
  // which still sorts right), so the period must end before it.
  if (company.last_day >= company.first_day + 10'000)
    return row.Fail("the period " + Period(company) + " is longer than a year");
  // The month is written as a calendar month; the library turns it into the fiscal month
  // of the period, so it must be one of the period's months.
  if (company.introduction_month >= 1 && company.introduction_month <= 12 &&
      AccountingPeriod(company.first_day, company.last_day)
              .FiscalMonthOfCalendarMonth(company.introduction_month) == 0) {
    return row.FailColumn(7, "month " + std::to_string(company.introduction_month) +
                                 " is not a month of the period " + Period(company));
  }
  company_index_.emplace(company.data_number, data_.companies.size());
  data_.companies.emplace_back().company = std::move(company);
  states_.emplace_back();
  return true;
}

bool InterchangeReader::ReadAccount(InterchangeRow& row) {
  const std::int32_t data_number = row.Int32(0, 1, kMaxInt32);
  Account account;
  account.key = row.Int32(1, 1, kMaxInt32);
  account.formal_name = row.Text(2, kFormalNameBytes, true);
  account.statement_name = row.Text(3, kStatementNameBytes, false);
  account.character = row.Character(4);
  account.kind = static_cast<std::int8_t>(row.Int32(5, 0, 3));
  account.debit_nature = row.Flag(6);
  account.no_ledger_1 = row.Flag(7);
  account.no_ledger_2 = row.Flag(8);
  account.formula = row.Text(9, 0, false);
  std::size_t company = 0;
  if (!row.ok() || !FindCompany(row, data_number, &company)) return false;
  // A total needs a formula; an account of kind 3 may have one (its formula part).
  if (account.kind == kKindTotal || HasOwnFormula(account)) {
    std::vector<FormulaTerm> terms;
    std::string problem;
    if (!ParseFormula(account.formula, &terms, &problem)) return row.FailColumn(9, problem);
  } else if (!account.formula.empty()) {
    return row.FailColumn(9, "only a total account (kind 2) or an account of kind 3 has a formula");
  }
  const auto key = [&account] { return std::to_string(account.key); };
  // The exporter takes a key apart as main code x 10 000 + sub-account number and looks a
  // main code below 10 000 up as the main account's key, so larger main codes would lose
  // their names there.
  if (account.key >= kMaxKeyBound) {
    return row.FailColumn(1, key() + " has the main code " + std::to_string(account.key / 10'000) +
                                 "; main codes stay below 10000");
  }
  const bool has_sub_number = account.key % 10'000 != 0;
  if (account.kind == kKindSubAccount && !has_sub_number)
    return row.Fail("sub-account " + key() + " has no sub-account number (key % 10000 is 0)");
  if (account.kind != kKindSubAccount && has_sub_number)
    return row.Fail("account " + key() + " has a sub-account number but is not of kind 1");
  CompanyState& state = states_[company];
  CompanyBooks& books = data_.companies[company];
  if (!state.accounts.emplace(account.key, books.accounts.size()).second)
    return row.Fail("duplicate key " + key() + InCompany(data_number));
  if (account.kind != kKindTotal) {
    state.has_debit_tax_account |= account.character == kDebitTaxCharacter;
    state.has_credit_tax_account |= account.character == kCreditTaxCharacter;
  }
  if (account.kind == kKindTotal || account.kind == kKindSubAccount || HasOwnFormula(account))
    pending_accounts_.push_back({row.line(), company, books.accounts.size()});
  books.accounts.push_back(std::move(account));
  return true;
}

// A sub-account's main account and a formula's accounts may come later in the chart, so
// they are checked once it is complete.
bool InterchangeReader::CheckAccountReferences() {
  for (const PendingAccount& pending : pending_accounts_) {
    const CompanyBooks& books = data_.companies[pending.company];
    const std::string problem = CheckChartReferences(books, states_[pending.company].accounts,
                                                     books.accounts[pending.account]);
    if (!problem.empty()) return Fail(kAccountsFile, pending.line, problem);
  }
  return true;
}

bool InterchangeReader::ReadOpening(InterchangeRow& row) {
  const std::int32_t data_number = row.Int32(0, 1, kMaxInt32);
  OpeningBalance opening;
  opening.key = row.Int32(1, 1, kMaxInt32);
  opening.amount = row.Amount(2);
  std::size_t company = 0;
  if (!row.ok() || !FindCompany(row, data_number, &company)) return false;
  CompanyState& state = states_[company];
  CompanyBooks& books = data_.companies[company];
  const auto account = [&] { return std::to_string(opening.key) + InCompany(data_number); };
  const auto found = state.accounts.find(opening.key);
  if (found == state.accounts.end()) return row.Fail("unknown account " + account());
  if (books.accounts[found->second].kind == kKindTotal)
    return row.Fail("opening balance of total account " + account());
  if (!state.opening_keys.insert(opening.key).second)
    return row.Fail("duplicate opening balance of account " + account());
  // A sub-account's opening goes to its own natural side, as the totals post it.
  std::int64_t& side =
      books.accounts[found->second].debit_nature ? state.opening_debits : state.opening_credits;
  if (__builtin_add_overflow(side, opening.amount, &side))
    return row.Fail("the openings of company " + std::to_string(data_number) + " overflow");
  state.last_opening_line = row.line();
  books.openings.push_back(opening);
  return true;
}

bool InterchangeReader::CheckOpenings() {
  for (std::size_t company = 0; company < states_.size(); ++company) {
    const CompanyState& state = states_[company];
    if (state.opening_debits == state.opening_credits) continue;
    return Fail(kOpeningsFile, state.last_opening_line,
                "the openings of company " +
                    std::to_string(data_.companies[company].company.data_number) +
                    " do not balance: debits " + FormatAmount(state.opening_debits) + ", credits " +
                    FormatAmount(state.opening_credits));
  }
  return true;
}

bool InterchangeReader::ReadVoucher(InterchangeRow& row) {
  const std::int32_t data_number = row.Int32(0, 1, kMaxInt32);
  Voucher voucher;
  voucher.journal_key = row.Int32(1, 1, kMaxInt32);
  voucher.number = row.Int32(2, kMinInt32, kMaxInt32);
  voucher.date = row.Date(3);
  voucher.period_kind = static_cast<std::int16_t>(row.Int32(4, 0, 18));
  std::size_t company = 0;
  if (!row.ok()) return false;
  if (voucher.period_kind != kPeriodMonth && voucher.period_kind != kPeriodInterim &&
      voucher.period_kind != kPeriodYearEnd) {
    return row.FailColumn(4, std::to_string(voucher.period_kind) + " is not 0, 15 or 18");
  }
  if (!FindCompany(row, data_number, &company)) return false;
  CompanyState& state = states_[company];
  CompanyBooks& books = data_.companies[company];
  if (voucher.date < books.company.first_day || voucher.date > books.company.last_day) {
    return row.Fail("date " + std::to_string(voucher.date) + " is outside the period " +
                    Period(books.company) + " of company " + std::to_string(data_number));
  }
  const std::size_t index =
      journal_ != nullptr ? journal_->VoucherCount(company) : books.vouchers.size();
  if (!state.vouchers.Insert(voucher.journal_key, index)) {
    return row.Fail("duplicate journal_key " + std::to_string(voucher.journal_key) +
                    InCompany(data_number));
  }
  state.voucher_states.emplace_back().line = row.line();
  if (journal_ != nullptr) {
    journal_->AddVoucher(company, voucher);
  } else {
    books.vouchers.push_back(std::move(voucher));
  }
  return true;
}

bool InterchangeReader::VoucherIndex::Insert(std::int32_t key, std::size_t index) {
  if (Find(key) != kNone) return false;
  ++size_;
  const auto k = static_cast<std::size_t>(key);
  if (key > 0 && index < UINT32_MAX && k < 2 * size_ + 1024) {
    if (k >= direct_.size()) direct_.resize(std::max(k + 1, direct_.size() * 3 / 2));
    direct_[k] = static_cast<std::uint32_t>(index + 1);
  } else {
    others_.emplace(key, index);
  }
  return true;
}

std::size_t InterchangeReader::VoucherIndex::Find(std::int32_t key) const {
  const auto k = static_cast<std::size_t>(key);
  if (key > 0 && k < direct_.size() && direct_[k] != 0) return direct_[k] - 1;
  const auto found = others_.find(key);
  return found == others_.end() ? kNone : found->second;
}

bool InterchangeReader::CheckPostingAccount(InterchangeRow& row, std::size_t company,
                                            std::int32_t key) {
  const CompanyState& state = states_[company];
  const CompanyBooks& books = data_.companies[company];
  const auto account = [&] { return std::to_string(key) + InCompany(books.company.data_number); };
  const auto found = state.accounts.find(key);
  if (found == state.accounts.end()) return row.Fail("unknown account " + account());
  if (books.accounts[found->second].kind == kKindTotal)
    return row.Fail("posting to total account " + account());
  return true;
}

bool InterchangeReader::ReadJournalLine(InterchangeRow& row) {
  const std::int32_t data_number = row.Int32(0, 1, kMaxInt32);
  const std::int32_t journal_key = row.Int32(1, 1, kMaxInt32);
  JournalLine line;
  line.line_number = row.Int32(2, 1, kMaxInt32);
  line.debit_key = row.Int32(3, 0, kMaxInt32);
  line.debit_amount = row.Amount(4);
  line.debit_tax = row.Amount(5);
  line.credit_key = row.Int32(6, 0, kMaxInt32);
  line.credit_amount = row.Amount(7);
  line.credit_tax = row.Amount(8);
  line.description = row.Text(9, kDescriptionBytes, false);
  std::size_t company = 0;
  if (!row.ok() || !FindCompany(row, data_number, &company)) return false;
  CompanyState& state = states_[company];
  const auto voucher_name = [&] { return std::to_string(journal_key) + InCompany(data_number); };
  const std::size_t voucher = state.vouchers.Find(journal_key);
  if (voucher == VoucherIndex::kNone) return row.Fail("unknown voucher " + voucher_name());
  VoucherState& totals = state.voucher_states[voucher];
  const std::uint64_t line_key =
      static_cast<std::uint64_t>(journal_key) << 32 | static_cast<std::uint32_t>(line.line_number);
  const std::uint64_t line_bit =
      line.line_number <= 64 ? std::uint64_t{1} << (line.line_number - 1) : 0;
  const bool repeated = line_bit != 0 ? (totals.low_line_numbers & line_bit) != 0
                                      : !state.line_keys.insert(line_key).second;
  totals.low_line_numbers |= line_bit;
  if (repeated) {
    return row.Fail("duplicate line " + std::to_string(line.line_number) + " of voucher " +
                    voucher_name());
  }
  if (line.debit_key == 0 && line.credit_key == 0)
    return row.Fail("the line has neither a debit nor a credit account");
  if (line.debit_key == 0 && (line.debit_amount != 0 || line.debit_tax != 0))
    return row.Fail("a debit amount without a debit_key");
  if (line.credit_key == 0 && (line.credit_amount != 0 || line.credit_tax != 0))
    return row.Fail("a credit amount without a credit_key");
  if (line.debit_key != 0 && !CheckPostingAccount(row, company, line.debit_key)) return false;
  if (line.credit_key != 0 && !CheckPostingAccount(row, company, line.credit_key)) return false;
  if (line.debit_tax != 0 && !state.has_debit_tax_account) {
    return row.Fail("debit_tax needs an account with the character " +
                    FormatCharacter(kDebitTaxCharacter) + InCompany(data_number));
  }
  if (line.credit_tax != 0 && !state.has_credit_tax_account) {
    return row.Fail("credit_tax needs an account with the character " +
                    FormatCharacter(kCreditTaxCharacter) + InCompany(data_number));
  }
  // Each amount is below 10^15 in magnitude, so only a voucher of thousands of lines can
  // overflow; it is refused rather than wrapped.
  if (__builtin_add_overflow(totals.debits, line.debit_amount + line.debit_tax, &totals.debits) ||
      __builtin_add_overflow(totals.credits, line.credit_amount + line.credit_tax,
                             &totals.credits)) {
    return row.Fail("the totals of voucher " + voucher_name() + " overflow");
  }
  if (totals.first_journal_line == 0) totals.first_journal_line = row.line();
  if (journal_ != nullptr) {
    journal_->Add(company, voucher, line);
  } else {
    data_.companies[company].vouchers[voucher].lines.push_back(std::move(line));
  }
  return true;
}

bool InterchangeReader::CheckVouchers() {
  for (std::size_t company = 0; company < states_.size(); ++company) {
    const CompanyBooks& books = data_.companies[company];
    const std::vector<VoucherState>& states = states_[company].voucher_states;
    for (std::size_t k = 0; k < states.size(); ++k) {
      const VoucherState& totals = states[k];
      if (totals.first_journal_line != 0 && totals.debits == totals.credits) continue;
      Voucher header;
      if (journal_ != nullptr) {
        journal_->FillHeader(company, k, &header);
      } else {
        header.journal_key = books.vouchers[k].journal_key;
      }
      const std::string voucher = "voucher " + std::to_string(header.journal_key) + " of company " +
                                  std::to_string(books.company.data_number);
      if (totals.first_journal_line == 0)
        return Fail(kVouchersFile, totals.line, voucher + " has no lines");
      if (totals.debits != totals.credits) {
        return Fail(kJournalFile, totals.first_journal_line,
                    voucher + " does not balance: debits " + FormatAmount(totals.debits) +
                        ", credits " + FormatAmount(totals.credits));
      }
    }
  }
  return true;
}

bool InterchangeReader::ReadUser(InterchangeRow& row) {
  User user;
  user.user_id = row.Text(0, kUserIdBytes, true);
  user.name = row.Text(1, kUserNameBytes, false);
  user.selected_first = row.Int32(2, kMinInt32, kMaxInt32);
  user.selected_data = row.Int32(3, 0, kMaxInt32);
  std::size_t company = 0;
  if (!row.ok()) return false;
  if (user.selected_data != 0 && !FindCompany(row, user.selected_data, &company)) return false;
  if (!user_ids_.insert(user.user_id).second)
    return row.Fail("duplicate user_id \"" + user.user_id + "\"");
  data_.users.push_back(std::move(user));
  return true;
}

bool InterchangeReader::ReadBooksRow(InterchangeRow& row) {
  if (++rows_in_books_file_ > 1) return row.Fail("only one row may follow the header");
  data_.current_user = row.Text(0, kUserIdBytes, false);
  if (!row.ok()) return false;
  if (!data_.current_user.empty() && !user_ids_.contains(data_.current_user))
    return row.Fail("unknown user \"" + data_.current_user + "\"");
  return true;
}

bool InterchangeReader::ReadEra(InterchangeRow& row) {
  Era era;
  era.id = row.Int32(0, kMinInt32, kMaxInt32);
  era.first_day = row.Date(1);
  era.name = row.Text(2, kEraNameBytes, true);
  if (!row.ok()) return false;
  if (!era_ids_.insert(era.id).second) return row.Fail("duplicate id " + std::to_string(era.id));
  if (!data_.eras.empty() && era.first_day <= data_.eras.back().first_day) {
    return row.Fail("first_day " + std::to_string(era.first_day) +
                    " does not follow the previous era's " +
                    std::to_string(data_.eras.back().first_day));
  }
  data_.eras.push_back(std::move(era));
  return true;
}

bool InterchangeReader::ReadFolder(InterchangeRow& row) {
  Folder folder;
  folder.type = row.Int32(0, 0, 1);
  folder.path = row.Text(1, kFolderPathBytes, false);
  if (!row.ok()) return false;
  if (!folder_types_.insert(folder.type).second)
    return row.Fail("duplicate type " + std::to_string(folder.type));
  if (!folder.path.empty() && !EndsWithSeparator(folder.path))
    return row.FailColumn(1, "must end with a separator");
  data_.folders.push_back(std::move(folder));
  return true;
}

bool InterchangeReader::ReadNotes() {
  for (CompanyBooks& books : data_.companies) {
    for (const int kind : kNotesKinds) {
      const std::string file = NotesFileName(books.company.data_number, kind);
      if (!os_.FileExists(JoinPath(folder_, file))) continue;
      std::string text;
      if (!LoadText(file, &text)) return false;
      books.saved_texts[kind] = std::move(text);
    }
  }
  return true;
}

}  // namespace vintor::books
