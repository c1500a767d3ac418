// What the reader and the writer of the interchange folder agree on: file names, column
// lists, field limits and the paths of the notes files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vintor::books::interchange {

using Columns = std::vector<std::string_view>;

inline constexpr std::string_view kBooksFile = "books.csv";
inline constexpr std::string_view kUsersFile = "users.csv";
inline constexpr std::string_view kErasFile = "eras.csv";
inline constexpr std::string_view kFoldersFile = "folders.csv";
inline constexpr std::string_view kCompaniesFile = "companies.csv";
inline constexpr std::string_view kAccountsFile = "accounts.csv";
inline constexpr std::string_view kOpeningsFile = "openings.csv";
inline constexpr std::string_view kVouchersFile = "vouchers.csv";
inline constexpr std::string_view kJournalFile = "journal.csv";

inline const Columns kBooksColumns = {"current_user"};
inline const Columns kUsersColumns = {"user_id", "name", "selected_first", "selected_data"};
inline const Columns kErasColumns = {"id", "first_day", "name"};
inline const Columns kFoldersColumns = {"type", "path"};
inline const Columns kCompaniesColumns = {
    "data_number",   "data_id",       "name",    "first_day",
    "last_day",      "cost_schedule", "interim", "introduction_month",
    "companies_act", "tax_included"};
inline const Columns kAccountsColumns = {"data_number", "key",    "formal_name",  "statement_name",
                                         "character",   "kind",   "debit_nature", "no_ledger_1",
                                         "no_ledger_2", "formula"};
inline const Columns kOpeningsColumns = {"data_number", "key", "amount"};
inline const Columns kVouchersColumns = {"data_number", "journal_key", "number", "date",
                                         "period_kind"};
inline const Columns kJournalColumns = {
    "data_number", "journal_key", "line",          "debit_key",  "debit_amount",
    "debit_tax",   "credit_key",  "credit_amount", "credit_tax", "description"};

// Byte limits of the texts in CP932.
inline constexpr std::size_t kDataIdBytes = 15;
inline constexpr std::size_t kCompanyNameBytes = 60;
inline constexpr std::size_t kUserIdBytes = 64;
inline constexpr std::size_t kUserNameBytes = 60;
inline constexpr std::size_t kFormalNameBytes = 30;
inline constexpr std::size_t kStatementNameBytes = 18;
inline constexpr std::size_t kDescriptionBytes = 60;
inline constexpr std::size_t kEraNameBytes = 15;
inline constexpr std::size_t kFolderPathBytes = 259;

// The data kinds of the saved statements, each one notes file.
inline constexpr int kNotesKinds[] = {0, 100, 1000};

// "notes/<data_number>/kind-<k>.txt", with "/" whatever the platform.
std::string NotesFileName(std::int32_t data_number, int kind);

// folder joined with a relative name whose folders are separated by "/": the platform's
// separator is put between them and replaces each "/". folder may end with a separator.
std::string JoinPath(const std::string& folder, std::string_view relative);

// True when the CP932 path ends with "/" or "\" as a character of its own (not the trail
// byte of a double-byte character such as 表).
bool EndsWithSeparator(std::string_view path);

}  // namespace vintor::books::interchange
