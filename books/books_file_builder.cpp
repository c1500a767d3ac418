#include "books/books_file_builder.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#include "books/books_schema.h"
#include "books/totals_digest.h"
#include "text/encoding.h"

namespace vintor::books {
namespace {

// The file is a temporary one that replaces the target only once complete, so it needs no
// rollback journal and no syncing while it is built. Every table is filled in the order of
// its key, so each insert appends and a page, once full, is not visited again: a modest
// page cache serves, and pages beyond it go to the file rather than piling up in memory.
constexpr char kBuildPragmas[] =
    "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA locking_mode=EXCLUSIVE;"
    "PRAGMA temp_store=MEMORY; PRAGMA cache_size=-32768;";

// The place of the description among the columns of journal_lines.
constexpr int kDescriptionColumn = 14;

// Binds the values in order, starting at parameter 1, and runs the statement.
class Row {
 public:
  explicit Row(SqliteStatement& statement) : statement_(statement) {}
  Row& Int(std::int64_t value) {
    ok_ = ok_ && statement_.Bind(++index_, value);
    return *this;
  }
  Row& Text(std::string_view cp932) {
    ok_ = ok_ && statement_.BindText(++index_, cp932);
    return *this;
  }
  bool Run() { return ok_ && statement_.Run(); }

 private:
  SqliteStatement& statement_;
  int index_ = 0;
  bool ok_ = true;
};

}  // namespace

// Rows of one large table gathered for insertion, a block at a time: each row's integer
// values in column order, and its text (the text column's) one after another in one
// string, so a block costs a few allocations rather than one per description. A text is
// kept in UTF-8 when it converts, so the thread that inserts need not convert it; else in
// CP932, to fail at its insert as any text that does not convert does.
class BooksFileBuilder::RowBlock {
 public:
  static constexpr int kRows = 1024;

  // columns values per row; text_column is the one column holding a text, or -1.
  RowBlock(int columns, int text_column) : columns_(columns), text_column_(text_column) {
    values_.resize(static_cast<std::size_t>(kRows * columns));
    if (text_column >= 0) text_ends_.reserve(kRows);
  }

  int columns() const { return columns_; }
  int text_column() const { return text_column_; }
  int rows() const { return rows_; }
  bool full() const { return rows_ == kRows; }

  // The values of the next row in column order, the text where text_column is.
  std::int64_t* NextRow() { return &values_[static_cast<std::size_t>(rows_ * columns_)]; }
  void SetText(std::string_view text, bool utf8) {
    texts_.append(text);
    text_ends_.push_back(texts_.size());
    text_utf8_.push_back(utf8);
  }
  // Ends the row begun with NextRow; true when the block is then full.
  bool EndRow() { return ++rows_ == kRows; }

  const std::int64_t* Values(int row) const {
    return &values_[static_cast<std::size_t>(row * columns_)];
  }
  std::string_view Text(int row) const {
    const std::size_t end = text_ends_[static_cast<std::size_t>(row)];
    const std::size_t start = row == 0 ? 0 : text_ends_[static_cast<std::size_t>(row - 1)];
    return std::string_view(texts_).substr(start, end - start);
  }
  bool TextIsUtf8(int row) const { return text_utf8_[static_cast<std::size_t>(row)]; }

  void Clear() {
    rows_ = 0;
    texts_.clear();
    text_ends_.clear();
    text_utf8_.clear();
  }

 private:
  int columns_;
  int text_column_;
  std::vector<std::int64_t> values_;
  std::string texts_;
  std::vector<std::size_t> text_ends_;
  std::vector<bool> text_utf8_;
  int rows_ = 0;
};

// The UTF-8 form of the descriptions, converted once for the many lines that repeat one.
// Cleared when large, so its memory stays small whatever the journal.
class BooksFileBuilder::Utf8Texts {
 public:
  // The UTF-8 form of cp932, valid until the next call; nullptr when it does not convert.
  // An ASCII text is its own UTF-8 form, as SqliteStatement::BindText takes it.
  const std::string_view* Find(std::string_view cp932) {
    if (std::all_of(cp932.begin(), cp932.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
      ascii_ = cp932;
      return &ascii_;
    }
    auto found = texts_.find(cp932);
    if (found == texts_.end()) {
      if (texts_.size() == kMaxTexts) texts_.clear();
      std::optional<std::string> utf8(std::in_place);
      if (!text::Cp932ToUtf8(cp932, &*utf8)) utf8.reset();
      found = texts_.emplace(std::string(cp932), std::move(utf8)).first;
    }
    if (!found->second.has_value()) return nullptr;
    converted_ = *found->second;
    return &converted_;
  }

 private:
  static constexpr std::size_t kMaxTexts = std::size_t{1} << 14;
  std::string_view ascii_;
  std::string_view converted_;
  // Looked up by a view, so a description seen before costs no string of its own.
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, std::optional<std::string>, Hash, std::equal_to<>> texts_;
};

// Inserts the rows of a large table many at a time: a statement of kRows rows runs for each
// full batch, so SQLite's work per statement (starting it, opening the table, finishing) is
// shared by many rows; the rows of a last, partial batch go one at a time. Used only on the
// thread that owns the database.
class BooksFileBuilder::BatchInsert {
 public:
  static constexpr int kRows = 32;

  // columns values per row.
  BatchInsert(SqliteDatabase& database, std::string_view table, int columns) : columns_(columns) {
    const auto statement = [&](int rows) {
      std::string sql = "INSERT INTO " + std::string(table) + " VALUES";
      for (int row = 0; row < rows; ++row) {
        sql += row == 0 ? "(" : ",(";
        for (int column = 0; column < columns; ++column) sql += column == 0 ? "?" : ",?";
        sql += ")";
      }
      return database.Prepare(sql);
    };
    batch_ = statement(kRows);
    single_ = statement(1);
  }

  bool valid() const { return batch_.valid() && single_.valid(); }

  // Inserts the rows of block (of this table's columns) in order.
  bool Write(const RowBlock& block) {
    int row = 0;
    for (; row + kRows <= block.rows(); row += kRows) {
      if (!Write(batch_, block, row, kRows)) return false;
    }
    for (; row < block.rows(); ++row) {
      if (!Write(single_, block, row, 1)) return false;
    }
    return true;
  }

 private:
  bool Write(SqliteStatement& statement, const RowBlock& block, int first_row, int rows) {
    int parameter = 0;
    for (int row = first_row; row < first_row + rows; ++row) {
      const std::int64_t* values = block.Values(row);
      for (int column = 0; column < columns_; ++column) {
        ++parameter;
        const bool bound = column != block.text_column() ? statement.Bind(parameter, values[column])
                           : block.TextIsUtf8(row)
                               ? statement.BindUtf8InPlace(parameter, block.Text(row))
                               : statement.BindText(parameter, block.Text(row));
        if (!bound) return false;
      }
    }
    return statement.Run();
  }

  const int columns_;
  SqliteStatement batch_;
  SqliteStatement single_;
};

// The postings of a company, kept by main code as they come. Lines come in ledger order
// with rising ids, and a line has at most one posting per main code, so each main code's
// postings arrive in the postings table's order: walking the main codes in order gives the
// whole table's order without a sort (which would hold up the inserts at the company's end).
// Each main code fills chunks of its own, so the store never moves what it holds and wastes
// at most a chunk per main code.
class BooksFileBuilder::PostingsByCode {
 public:
  void Add(std::int32_t main_code, const KeptPosting& posting) {
    Code& code = codes_[CodeIndex(main_code)];
    if (code.used == kChunk || code.last == kNone) {
      const auto chunk = static_cast<std::uint32_t>(chunks_.size());
      chunks_.push_back(std::make_unique<KeptPosting[]>(kChunk));
      next_.push_back(kNone);
      (code.last == kNone ? code.first : next_[code.last]) = chunk;
      code.last = chunk;
      code.used = 0;
    }
    chunks_[code.last][code.used++] = posting;
  }

  // Calls visit(main_code, posting) for every posting in the postings table's order; stops
  // at the first false.
  template <typename Visit>
  bool Walk(Visit visit) const {
    std::vector<std::uint32_t> order(codes_.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<std::uint32_t>(k);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return codes_[a].main_code < codes_[b].main_code;
    });
    for (const std::uint32_t k : order) {
      const Code& code = codes_[k];
      for (std::uint32_t chunk = code.first; chunk != kNone; chunk = next_[chunk]) {
        const std::uint32_t used = chunk == code.last ? code.used : kChunk;
        for (std::uint32_t n = 0; n < used; ++n) {
          if (!visit(code.main_code, chunks_[chunk][n])) return false;
        }
      }
    }
    return true;
  }

 private:
  static constexpr std::uint32_t kChunk = 256;
  static constexpr std::uint32_t kNone = UINT32_MAX;
  // Main codes stay below 10 000 in every chart the books take; others are looked up.
  static constexpr std::int32_t kDirectCodes = 10'000;

  struct Code {
    std::int32_t main_code = 0;
    std::uint32_t first = kNone;
    std::uint32_t last = kNone;
    std::uint32_t used = 0;  // in the last chunk
  };

  std::size_t CodeIndex(std::int32_t main_code) {
    std::uint32_t* index = nullptr;
    if (main_code >= 0 && main_code < kDirectCodes) {
      if (direct_.empty()) direct_.assign(kDirectCodes, kNone);
      index = &direct_[static_cast<std::size_t>(main_code)];
    } else {
      index = &others_.try_emplace(main_code, kNone).first->second;
    }
    if (*index == kNone) {
      *index = static_cast<std::uint32_t>(codes_.size());
      codes_.push_back({main_code});
    }
    return *index;
  }

  std::vector<Code> codes_;
  std::vector<std::uint32_t> direct_;  // index in codes_ by main code, or kNone
  std::unordered_map<std::int32_t, std::uint32_t> others_;
  std::vector<std::unique_ptr<KeptPosting[]>> chunks_;
  std::vector<std::uint32_t> next_;  // the chunk after each, or kNone
};

// The SQLite work of a builder driven from a second thread, in the order it was asked for,
// for the thread that owns the database to run. At most kMaxJobs wait at a time, so the
// rows made ahead of the inserts stay a few megabytes. After the first job that fails the
// others are dropped, and every later request is answered with that job's message.
class BooksFileBuilder::WorkQueue {
 public:
  static constexpr std::size_t kMaxJobs = 16;

  explicit WorkQueue(SqliteDatabase& database) : database_(database) {}

  // Queues job, waiting while the queue is full. False with *error once a job has failed.
  bool Push(std::function<bool()> job, std::string* error) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || jobs_.size() < kMaxJobs; });
    if (failed_) return Failure(error);
    jobs_.push_back(std::move(job));
    ++pushed_;
    changed_.notify_all();
    return true;
  }

  // Waits until every job queued so far has run. False with *error when one failed.
  bool Wait(std::string* error) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || done_ == pushed_; });
    return !failed_ || Failure(error);
  }

  // No more jobs will come: Run returns once the queued ones have run.
  void Close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

  // Fails every request from now on, so that a producer waiting on the queue goes on (to
  // its end) after Run has thrown.
  void Abort() {
    const std::lock_guard lock(mutex_);
    failed_ = true;
    closed_ = true;
    changed_.notify_all();
  }

  // On the thread that owns the database: runs the jobs until Close.
  void Run() {
    bool failed = false;
    for (;;) {
      std::function<bool()> job;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return closed_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      std::string message;
      if (!failed && !job()) {
        failed = true;
        message = database_.LastError();
      }
      job = nullptr;  // its rows are freed here, not under the lock
      const std::lock_guard lock(mutex_);
      if (failed && !failed_) {
        failed_ = true;
        error_ = std::move(message);
      }
      ++done_;
      changed_.notify_all();
    }
  }

 private:
  bool Failure(std::string* error) {
    *error = error_;
    return false;
  }

  SqliteDatabase& database_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<bool()>> jobs_;
  std::uint64_t pushed_ = 0;
  std::uint64_t done_ = 0;
  bool closed_ = false;
  bool failed_ = false;
  std::string error_;
};

BooksFileBuilder::BooksFileBuilder(SqliteDatabase& database) : database_(database) {}

BooksFileBuilder::~BooksFileBuilder() = default;

bool BooksFileBuilder::Failed(std::string* error) {
  *error = database_.LastError();
  return false;
}

bool BooksFileBuilder::Do(const std::function<bool()>& job, std::string* error) {
  if (queue_ == nullptr) return job() || Failed(error);
  return queue_->Push(job, error) && queue_->Wait(error);
}

bool BooksFileBuilder::Settle(std::string* error) {
  return queue_ == nullptr || queue_->Wait(error);
}

bool BooksFileBuilder::Insert(std::unique_ptr<BatchInsert>& inserter, RowBlock& block,
                              std::string* error) {
  if (block.rows() == 0) return true;
  if (queue_ == nullptr) {
    const bool written = inserter->Write(block) || Failed(error);
    block.Clear();
    return written;
  }
  // The block goes to the queue as it is; the builder goes on with a new one.
  auto rows = std::make_shared<RowBlock>(block.columns(), block.text_column());
  std::swap(*rows, block);
  BatchInsert* const table = inserter.get();
  return queue_->Push([table, rows] { return table->Write(*rows); }, error);
}

bool BooksFileBuilder::Overlapped(const std::function<bool(std::string* error)>& produce,
                                  std::string* error) {
  queue_ = std::make_unique<WorkQueue>(database_);
  bool produced = false;
  std::exception_ptr produce_threw;
  std::thread producer;
  try {
    producer = std::thread([&] {
      try {
        produced = produce(error);
      } catch (...) {
        produce_threw = std::current_exception();
      }
      queue_->Close();
    });
  } catch (const std::system_error&) {
    // No second thread to be had: the work is done here, one step after the other.
    queue_.reset();
    return produce(error);
  }
  std::exception_ptr run_threw;
  try {
    queue_->Run();
  } catch (...) {
    run_threw = std::current_exception();
    queue_->Abort();
  }
  producer.join();
  queue_.reset();
  if (run_threw) std::rethrow_exception(run_threw);
  if (produce_threw) std::rethrow_exception(produce_threw);
  return produced;
}

bool BooksFileBuilder::Begin(const BooksData& common, std::string* error) {
  voucher_rows_ = std::make_unique<RowBlock>(6, -1);
  line_rows_ = std::make_unique<RowBlock>(17, kDescriptionColumn);
  utf8_texts_ = std::make_unique<Utf8Texts>();
  posting_rows_ = std::make_unique<RowBlock>(6, -1);
  return Do(
      [&] {
        if (!database_.Execute(kBuildPragmas) || !CreateBooksTables(database_) ||
            !database_.Execute("BEGIN")) {
          return false;
        }
        SqliteStatement setting =
            database_.Prepare("INSERT INTO settings VALUES('current_user', ?)");
        SqliteStatement user = database_.Prepare("INSERT INTO users VALUES(?, ?, ?, ?, ?)");
        SqliteStatement era = database_.Prepare("INSERT INTO eras VALUES(?, ?, ?, ?)");
        SqliteStatement folder = database_.Prepare("INSERT INTO folders VALUES(?, ?, ?)");
        vouchers_ = std::make_unique<BatchInsert>(database_, "vouchers", 6);
        lines_ = std::make_unique<BatchInsert>(database_, "journal_lines", 17);
        postings_insert_ = std::make_unique<BatchInsert>(database_, "postings", 6);
        if (!setting.valid() || !user.valid() || !era.valid() || !folder.valid() ||
            !vouchers_->valid() || !lines_->valid() || !postings_insert_->valid()) {
          return false;
        }
        if (!Row(setting).Text(common.current_user).Run()) return false;
        std::int64_t seq = 0;
        for (const User& u : common.users) {
          if (!Row(user)
                   .Int(++seq)
                   .Text(u.user_id)
                   .Text(u.name)
                   .Int(u.selected_first)
                   .Int(u.selected_data)
                   .Run()) {
            return false;
          }
        }
        seq = 0;
        for (const Era& e : common.eras) {
          if (!Row(era).Int(++seq).Int(e.id).Int(e.first_day).Text(e.name).Run()) return false;
        }
        seq = 0;
        for (const Folder& f : common.folders) {
          if (!Row(folder).Int(++seq).Int(f.type).Text(f.path).Run()) return false;
        }
        return true;
      },
      error);
}

bool BooksFileBuilder::BeginCompany(const CompanyBooks& books, std::string* error) {
  ++company_id_;
  first_line_id_ = next_line_id_;
  voucher_seq_ = 0;
  tax_ = FindTaxAccounts(books.accounts);
  any_journal_ = false;
  journal_keys_.clear();
  postings_ = std::make_unique<PostingsByCode>();
  return Do([&] { return WriteFrame(books); }, error);
}

bool BooksFileBuilder::WriteFrame(const CompanyBooks& books) {
  const Company& c = books.company;
  SqliteStatement company =
      database_.Prepare("INSERT INTO companies VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!company.valid() || !Row(company)
                               .Int(company_id_)
                               .Int(c.data_number)
                               .Text(c.data_id)
                               .Text(c.name)
                               .Int(c.first_day)
                               .Int(c.last_day)
                               .Int(c.has_cost_schedule)
                               .Int(c.interim_settlement)
                               .Int(c.introduction_month)
                               .Int(c.companies_act)
                               .Int(c.tax_included)
                               .Run()) {
    return false;
  }

  SqliteStatement account =
      database_.Prepare("INSERT INTO accounts VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  if (!account.valid()) return false;
  std::int64_t seq = 0;
  for (const Account& a : books.accounts) {
    if (!Row(account)
             .Int(company_id_)
             .Int(++seq)
             .Int(a.key)
             .Text(a.formal_name)
             .Text(a.statement_name)
             .Int(a.character)
             .Int(a.kind)
             .Int(a.debit_nature)
             .Int(a.no_ledger_1)
             .Int(a.no_ledger_2)
             .Text(a.formula)
             .Run()) {
      return false;
    }
  }

  SqliteStatement opening = database_.Prepare("INSERT INTO openings VALUES(?, ?, ?, ?)");
  if (!opening.valid()) return false;
  seq = 0;
  for (const OpeningBalance& o : books.openings) {
    if (!Row(opening).Int(company_id_).Int(++seq).Int(o.key).Int(o.amount).Run()) return false;
  }

  SqliteStatement saved = database_.Prepare("INSERT INTO saved_texts VALUES(?, ?, ?)");
  if (!saved.valid()) return false;
  for (const auto& [kind, text] : books.saved_texts) {
    if (!Row(saved).Int(company_id_).Int(kind).Text(text).Run()) return false;
  }
  return true;
}

bool BooksFileBuilder::WriteVoucher(const Voucher& v, std::string* error) {
  std::int64_t* row = voucher_rows_->NextRow();
  row[0] = company_id_;
  row[1] = ++voucher_seq_;
  row[2] = v.journal_key;
  row[3] = v.number;
  row[4] = v.date;
  row[5] = v.period_kind;
  return !voucher_rows_->EndRow() || Insert(vouchers_, *voucher_rows_, error);
}

bool BooksFileBuilder::Refuse(std::string message, std::string* error) {
  // Rows handed on earlier whose insert failed came first, and are what is reported.
  if (Settle(error)) *error = std::move(message);
  return false;
}

bool BooksFileBuilder::WriteJournal(const Voucher& voucher, std::string* error) {
  if (any_journal_ && (voucher.date < last_date_ ||
                       (voucher.date == last_date_ && voucher.journal_key <= last_key_))) {
    return Refuse(voucher.date == last_date_ && voucher.journal_key == last_key_
                      ? "two vouchers have the journal key " + std::to_string(voucher.journal_key)
                      : "voucher " + std::to_string(voucher.journal_key) +
                            " comes before the voucher written last in the ledger",
                  error);
  }
  any_journal_ = true;
  last_date_ = voucher.date;
  last_key_ = voucher.journal_key;
  journal_keys_.push_back(voucher.journal_key);

  laid_out_.clear();
  voucher_postings_.clear();
  LayOutVoucher(voucher, tax_, next_line_id_, &laid_out_, &voucher_postings_);
  if (next_line_id_ - first_line_id_ + static_cast<std::int64_t>(laid_out_.size()) >
      std::numeric_limits<std::uint32_t>::max()) {
    return Refuse("the company has more journal lines than the books can hold", error);
  }
  for (const LaidOutLine& l : laid_out_) {
    const JournalLine& j = *l.line;
    std::int64_t* row = line_rows_->NextRow();
    row[0] = next_line_id_++;
    row[1] = company_id_;
    row[2] = voucher.journal_key;
    row[3] = l.position;
    row[4] = j.line_number;
    row[5] = voucher.date;
    row[6] = voucher.number;
    row[7] = l.marker;
    row[8] = j.debit_key;
    row[9] = j.debit_amount;
    row[10] = j.debit_tax;
    row[11] = j.credit_key;
    row[12] = j.credit_amount;
    row[13] = j.credit_tax;
    const std::string_view* utf8 = utf8_texts_->Find(j.description);
    line_rows_->SetText(utf8 != nullptr ? *utf8 : j.description, utf8 != nullptr);
    row[15] = l.shown_debit_key;
    row[16] = l.shown_credit_key;
    if (line_rows_->EndRow() && !Insert(lines_, *line_rows_, error)) return false;
  }
  for (const Posting& p : voucher_postings_) {
    postings_->Add(p.main_code, {static_cast<std::uint32_t>(p.line_id - first_line_id_), p.date,
                                 p.period_kind, p.side});
  }
  return true;
}

bool BooksFileBuilder::EndCompany(const TotalsByKey& totals, std::string* error) {
  // The voucher cursor finds a voucher by its key alone.
  std::sort(journal_keys_.begin(), journal_keys_.end());
  const auto repeated = std::adjacent_find(journal_keys_.begin(), journal_keys_.end());
  if (repeated != journal_keys_.end())
    return Refuse("two vouchers have the journal key " + std::to_string(*repeated), error);
  journal_keys_.clear();
  journal_keys_.shrink_to_fit();

  // The company's vouchers and journal lines are all in before its postings.
  if (!Insert(vouchers_, *voucher_rows_, error) || !Insert(lines_, *line_rows_, error))
    return false;
  // Line ids grow with the date, so the postings of a main code in line order are in the
  // order of the postings table's key (main code, date, line id), and the bulk insert
  // appends.
  const bool posted = postings_->Walk([&](std::int32_t main_code, const KeptPosting& p) {
    std::int64_t* row = posting_rows_->NextRow();
    row[0] = company_id_;
    row[1] = main_code;
    row[2] = p.date;
    row[3] = first_line_id_ + p.line;
    row[4] = p.side;
    row[5] = p.period_kind;
    return !posting_rows_->EndRow() || Insert(postings_insert_, *posting_rows_, error);
  });
  if (!posted || !Insert(postings_insert_, *posting_rows_, error)) return false;
  postings_.reset();
  return Do([&] { return WriteTotals(totals); }, error);
}

bool BooksFileBuilder::WriteTotals(const TotalsByKey& totals) {
  // Only slots with an amount are kept; a missing row reads as zeros.
  SqliteStatement total =
      database_.Prepare("INSERT INTO monthly_totals VALUES(?, ?, ?, ?, ?, ?, ?)");
  if (!total.valid()) return false;
  std::vector<std::int32_t> keys;
  keys.reserve(totals.size());
  for (const auto& [key, unused] : totals) keys.push_back(key);
  std::sort(keys.begin(), keys.end());
  TotalsDigest digest;
  for (const std::int32_t key : keys) {
    const AccountTotals& t = totals.at(key);
    for (int slot = 0; slot < kTotalsSlots; ++slot) {
      if (t.IsZero(slot)) continue;
      digest.Add(key, slot, t.debit_1[slot], t.credit_1[slot], t.debit_2[slot], t.credit_2[slot]);
      if (!Row(total)
               .Int(company_id_)
               .Int(key)
               .Int(slot)
               .Int(t.debit_1[slot])
               .Int(t.credit_1[slot])
               .Int(t.debit_2[slot])
               .Int(t.credit_2[slot])
               .Run()) {
        return false;
      }
    }
  }
  // The totals cursor checks the totals against their digest instead of the journal.
  SqliteStatement setting = database_.Prepare("INSERT INTO settings VALUES(?, ?)");
  return setting.valid() &&
         Row(setting).Text(TotalsDigestName(company_id_)).Text(digest.Text()).Run();
}

bool BooksFileBuilder::Finish(std::string* error) {
  return Do(
      [&] {
        vouchers_.reset();
        lines_.reset();
        postings_insert_.reset();
        if (!CreateBooksIndexes(database_) || !database_.Execute("COMMIT")) return false;
        // One more write with syncing on: its commit flushes the whole file, so the file is
        // on disk before it is moved over the target.
        return database_.Execute("PRAGMA synchronous=FULL") &&
               database_.Execute("UPDATE books_format SET version = version");
      },
      error);
}

}  // namespace vintor::books
