#include "books/interchange.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "books/interchange_csv.h"
#include "books/interchange_fields.h"
#include "books/interchange_reader.h"
#include "books/interchange_tables.h"
#include "text/encoding.h"

namespace vintor::books {
namespace {

using namespace interchange;

// Writes one file of the folder: CP932 text is gathered, converted to UTF-8 and appended
// to a replacement file a megabyte at a time, so a journal of a million lines never exists
// twice in memory, and the old file stays whole until the new one is complete.
class FileWriter {
 public:
  FileWriter(os::Os& os, const std::string& folder, std::string_view file, std::string* error)
      : os_(os), path_(JoinPath(folder, file)), file_(file), error_(error) {}

  bool Open() {
    file_writer_ = os_.OpenReplacement(path_);
    return file_writer_ != nullptr || Fail("cannot be created");
  }

  void AppendRecord(const std::vector<std::string>& fields) {
    AppendCsvRecord(&buffer_, fields);
    ++rows_in_buffer_;
  }

  void AppendText(std::string_view cp932) { buffer_.append(cp932); }

  // Converts and writes what has been gathered when it has grown large (or always).
  bool Flush(bool always) {
    constexpr std::size_t kChunk = 1 << 20;
    if (!always && buffer_.size() < kChunk) return true;
    std::string utf8, problem;
    if (!text::Cp932ToUtf8(buffer_, &utf8, &problem)) {
      // Only books damaged outside the program get here; the rows narrow the search.
      const std::string rows = rows_in_buffer_ == 0
                                   ? ""
                                   : " in rows " + std::to_string(first_row_) + "-" +
                                         std::to_string(first_row_ + rows_in_buffer_ - 1);
      return Fail("text that is not CP932" + rows + ": " + problem);
    }
    if (!file_writer_->Append(utf8)) return Fail("cannot be written");
    buffer_.clear();
    first_row_ += rows_in_buffer_;
    rows_in_buffer_ = 0;
    return true;
  }

  bool Commit() {
    if (!Flush(true)) return false;
    return file_writer_->Commit() || Fail("cannot be written");
  }

 private:
  bool Fail(std::string_view message) {
    *error_ = std::string(file_) + ": " + std::string(message);
    return false;
  }

  os::Os& os_;
  const std::string path_;
  const std::string file_;
  std::string* error_;
  std::unique_ptr<os::ReplacementFile> file_writer_;
  std::string buffer_;
  int first_row_ = 1;  // the header is row 1
  int rows_in_buffer_ = 0;
};

std::string Flag(bool value) {
  return value ? "1" : "0";
}

// Writes one table: the header, then a record for each item that fill turns into fields.
template <class Items, class Fill>
bool WriteTable(os::Os& os, const std::string& folder, std::string_view file,
                const Columns& columns, const Items& items, Fill fill, std::string* error) {
  FileWriter writer(os, folder, file, error);
  if (!writer.Open()) return false;
  std::vector<std::string> fields(columns.begin(), columns.end());
  writer.AppendRecord(fields);
  for (const auto& item : items) {
    fill(item, &fields);
    writer.AppendRecord(fields);
    if (!writer.Flush(false)) return false;
  }
  return writer.Commit();
}

// Every item of every company, as (company, item) pairs, for the tables of company data.
template <class Item>
struct CompanyItem {
  const Company* company;
  const Item* item;
};

template <class Item>
std::vector<CompanyItem<Item>> Flatten(const BooksData& data,
                                       const std::vector<Item> CompanyBooks::*member) {
  std::vector<CompanyItem<Item>> flat;
  for (const CompanyBooks& books : data.companies) {
    for (const Item& item : books.*member) flat.push_back({&books.company, &item});
  }
  return flat;
}

struct LineOfVoucher {
  const Company* company;
  const Voucher* voucher;
  const JournalLine* line;
};

using Fields = std::vector<std::string>;

void BooksFields(const std::string& current_user, Fields* f) {
  *f = {current_user};
}

void UserFields(const User& u, Fields* f) {
  *f = {u.user_id, u.name, std::to_string(u.selected_first), std::to_string(u.selected_data)};
}

void EraFields(const Era& e, Fields* f) {
  *f = {std::to_string(e.id), std::to_string(e.first_day), e.name};
}

void FolderFields(const Folder& folder, Fields* f) {
  *f = {std::to_string(folder.type), folder.path};
}

void CompanyFields(const CompanyBooks& books, Fields* f) {
  const Company& c = books.company;
  *f = {std::to_string(c.data_number),
        c.data_id,
        c.name,
        std::to_string(c.first_day),
        std::to_string(c.last_day),
        Flag(c.has_cost_schedule),
        Flag(c.interim_settlement),
        std::to_string(c.introduction_month),
        Flag(c.companies_act),
        Flag(c.tax_included)};
}

void AccountFields(const CompanyItem<Account>& item, Fields* f) {
  const Account& a = *item.item;
  *f = {std::to_string(item.company->data_number),
        std::to_string(a.key),
        a.formal_name,
        a.statement_name,
        FormatCharacter(a.character),
        std::to_string(a.kind),
        Flag(a.debit_nature),
        Flag(a.no_ledger_1),
        Flag(a.no_ledger_2),
        a.formula};
}

void OpeningFields(const CompanyItem<OpeningBalance>& item, Fields* f) {
  *f = {std::to_string(item.company->data_number), std::to_string(item.item->key),
        FormatAmount(item.item->amount)};
}

void VoucherFields(const CompanyItem<Voucher>& item, Fields* f) {
  const Voucher& v = *item.item;
  *f = {std::to_string(item.company->data_number), std::to_string(v.journal_key),
        std::to_string(v.number), std::to_string(v.date), std::to_string(v.period_kind)};
}

void JournalLineFields(const LineOfVoucher& item, Fields* f) {
  const JournalLine& l = *item.line;
  *f = {std::to_string(item.company->data_number),
        std::to_string(item.voucher->journal_key),
        std::to_string(l.line_number),
        std::to_string(l.debit_key),
        FormatAmount(l.debit_amount),
        FormatAmount(l.debit_tax),
        std::to_string(l.credit_key),
        FormatAmount(l.credit_amount),
        FormatAmount(l.credit_tax),
        l.description};
}

bool CreateFolderIfMissing(os::Os& os, const std::string& path, std::string_view name,
                           std::string* error) {
  if (os.IsFolder(path) || os.CreateFolder(path)) return true;
  *error = std::string(name) + ": cannot create the folder";
  return false;
}

bool WriteNotes(os::Os& os, const std::string& folder, const CompanyBooks& books,
                std::string* error) {
  const std::int32_t data_number = books.company.data_number;
  for (const auto& [kind, text] : books.saved_texts) {
    if (std::find(std::begin(kNotesKinds), std::end(kNotesKinds), kind) == std::end(kNotesKinds)) {
      *error = "saved text of unknown data kind " + std::to_string(kind) + " in company " +
               std::to_string(data_number);
      return false;
    }
  }
  const std::string company_folder = "notes/" + std::to_string(data_number);
  if (!books.saved_texts.empty() &&
      (!CreateFolderIfMissing(os, JoinPath(folder, "notes"), "notes", error) ||
       !CreateFolderIfMissing(os, JoinPath(folder, company_folder), company_folder, error))) {
    return false;
  }
  for (const int kind : kNotesKinds) {
    const std::string file = NotesFileName(data_number, kind);
    const auto text = books.saved_texts.find(kind);
    if (text == books.saved_texts.end()) {
      // A text the books do not have must not survive from an earlier export.
      const std::string path = JoinPath(folder, file);
      if (os.FileExists(path) && !os.RemoveFile(path)) {
        *error = file + ": cannot be removed";
        return false;
      }
      continue;
    }
    FileWriter writer(os, folder, file, error);
    if (!writer.Open()) return false;
    writer.AppendText(text->second);
    if (!writer.Commit()) return false;
  }
  return true;
}

}  // namespace

bool ReadInterchange(os::Os& os, const std::string& folder, BooksData* data, std::string* error) {
  return InterchangeReader(os, folder).Read(data, error);
}

bool ReadInterchange(os::Os& os, const std::string& folder, BooksData* data,
                     CompactJournal* journal, std::string* error) {
  return InterchangeReader(os, folder).Read(data, journal, error);
}

bool WriteInterchange(os::Os& os, const std::string& folder, const BooksData& data,
                      std::string* error) {
  if (!os.IsFolder(folder) && !os.CreateFolder(folder)) {
    *error = "cannot create the folder " + folder;
    return false;
  }
  const std::vector<std::string> current_user = {data.current_user};
  std::vector<LineOfVoucher> lines;
  for (const CompanyBooks& books : data.companies) {
    for (const Voucher& voucher : books.vouchers) {
      for (const JournalLine& line : voucher.lines) {
        lines.push_back({&books.company, &voucher, &line});
      }
    }
  }
  const bool written =
      WriteTable(os, folder, kBooksFile, kBooksColumns, current_user, BooksFields, error) &&
      WriteTable(os, folder, kUsersFile, kUsersColumns, data.users, UserFields, error) &&
      WriteTable(os, folder, kErasFile, kErasColumns, data.eras, EraFields, error) &&
      WriteTable(os, folder, kFoldersFile, kFoldersColumns, data.folders, FolderFields, error) &&
      WriteTable(os, folder, kCompaniesFile, kCompaniesColumns, data.companies, CompanyFields,
                 error) &&
      WriteTable(os, folder, kAccountsFile, kAccountsColumns,
                 Flatten(data, &CompanyBooks::accounts), AccountFields, error) &&
      WriteTable(os, folder, kOpeningsFile, kOpeningsColumns,
                 Flatten(data, &CompanyBooks::openings), OpeningFields, error) &&
      WriteTable(os, folder, kVouchersFile, kVouchersColumns,
                 Flatten(data, &CompanyBooks::vouchers), VoucherFields, error) &&
      WriteTable(os, folder, kJournalFile, kJournalColumns, lines, JournalLineFields, error);
  if (!written) return false;
  for (const CompanyBooks& books : data.companies) {
    if (!WriteNotes(os, folder, books, error)) return false;
  }
  return true;
}

}  // namespace vintor::books
