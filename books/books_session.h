// The open books as every object of the library shares them: the read-only database, the
// company records, users, eras and folders read at opening, and the charts of accounts,
// kept in memory so account lookups cost no query. Also the connection's title and owner
// window, which every message of the library uses.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "books/books_data.h"
#include "books/books_options.h"
#include "books/sqlite_database.h"
#include "platform/library.h"

namespace vintor::books {

class CompanyJournal;
class TotalsDigest;

struct CompanyRecord {
  std::int64_t id = 0;  // the company's id in the books file
  Company company;
};

// A company's chart of accounts in chart order, with lookup by key.
class Chart {
 public:
  explicit Chart(std::vector<Account> accounts);
  const std::vector<Account>& accounts() const { return accounts_; }
  // nullptr when the chart has no account with the key.
  const Account* Find(std::int32_t key) const;

 private:
  std::vector<Account> accounts_;
  std::unordered_map<std::int32_t, std::size_t> by_key_;
};

class BooksSession {
 public:
  explicit BooksSession(BooksOptions options);
  ~BooksSession();
  BooksSession(const BooksSession&) = delete;
  BooksSession& operator=(const BooksSession&) = delete;

  // Opens the books file read-only, checks that it is sound (books_schema.h, CheckBooksFile)
  // and reads the company records, users, eras, folders and the chart of the selected
  // company. False with *message set (CP932, for the user) when the file is missing, not a
  // plain file, unreadable, not a books file or damaged.
  bool Open(std::string* message);
  void Close();
  bool is_open() const { return database_ != nullptr; }
  // Grows with every Open and Close, so a cursor can tell that statements it prepared
  // belong to a connection that is gone.
  std::uint64_t generation() const { return generation_; }
  SqliteDatabase* database() { return database_.get(); }

  const BooksOptions& options() const { return options_; }
  void set_title(std::string title) { title_ = std::move(title); }
  const std::string& title() const { return title_; }
  void set_owner(platform::WindowHandle owner) { owner_ = owner; }
  platform::WindowHandle owner() const { return owner_; }
  // Shows a message through the caller's display; 0 when there is none.
  int Display(platform::WindowHandle owner, const std::string& text, const std::string& caption,
              unsigned style) const;

  const std::vector<CompanyRecord>& companies() const { return companies_; }
  const CompanyRecord* FindCompany(std::string_view data_id) const;
  const CompanyRecord* FindCompanyByNumber(std::int32_t data_number) const;
  // Ascending by first day.
  const std::vector<Era>& eras() const { return eras_; }
  // The folder of a type; empty when the books name none.
  std::string FolderPath(int type) const;

  // The user the library works for: the option's, else the books' current user.
  std::string CurrentUserId() const;
  // The selection of a user; the option's data number replaces the second number. False
  // when the books have no such user.
  bool SelectionOf(std::string_view user_id, std::int32_t* first, std::int32_t* second) const;
  // The company data the current user has selected; nullptr when none is or it is absent.
  const CompanyRecord* SelectedCompany() const;

  // The chart of a company, read on first use and kept. nullptr when it cannot be read
  // (the damage has then been reported).
  const Chart* ChartOf(const CompanyRecord& company);

  // Reports that the books file is damaged: a query failed, a stored value has the wrong
  // kind or no CP932 form, or the stored totals disagree with the journal. what says how
  // (English, as SQLite's messages); empty takes the database's last error. The user is
  // told once per opening, naming the file; every cursor then answers the code returned
  // (kCodeDamaged), which fails the run. Never call it for a caller's mistake.
  int ReportDamage(std::string what = {});

  // The journal of a company, read and checked against what was derived from it on first
  // use (company_journal.h) and kept until the books are closed. nullptr when it cannot be
  // read or is damaged: the damage has then been reported and every cursor answers
  // kCodeDamaged.
  const CompanyJournal* JournalOf(const CompanyRecord& company);

  // 0 when the monthly totals just read for the company, whose digest is read, are the ones
  // the file was written with: equal to the digest kept with them (totals_digest.h), or, for
  // a file written without one, equal to its journal's (JournalOf). Else the damage has been
  // reported and its code is returned.
  int VerifyTotals(const CompanyRecord& company, const TotalsDigest& read);

 private:
  bool ReadRecords(std::string* error);

  BooksOptions options_;
  std::string title_;
  platform::WindowHandle owner_ = 0;
  std::unique_ptr<SqliteDatabase> database_;
  std::uint64_t generation_ = 0;
  std::vector<CompanyRecord> companies_;
  std::vector<User> users_;
  std::vector<Era> eras_;
  std::vector<Folder> folders_;
  std::string books_current_user_;
  std::map<std::int64_t, std::unique_ptr<Chart>> charts_;
  std::map<std::int64_t, std::unique_ptr<CompanyJournal>> journals_;
  bool damage_reported_ = false;
};

// Which company data a set or cursor works on: the one named with SetCurDataID, else the
// selected one.
class DataSelection {
 public:
  explicit DataSelection(BooksSession& session) : session_(session) {}
  // 0, or kCodeUnknownData (the selection is then unchanged) or kCodeBadArgument.
  int Select(const char* data_id);
  // nullptr when no company is named or selected.
  const CompanyRecord* Current() const;

 private:
  BooksSession& session_;
  std::string data_id_;  // empty: the selected company
};

}  // namespace vintor::books
