// The `tavrel` command (see tavrel_command.h and docs/tavrel.md). Exit status: 0 done,
// 1 the input was refused or the books could not be read or written, 2 a usage error.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "books/books_data.h"
#include "books/books_file_builder.h"
#include "books/books_file_writer.h"
#include "books/books_location.h"
#include "books/books_store.h"
#include "books/generator.h"
#include "books/interchange.h"
#include "books/tavrel_command.h"
#include "os/console_print.h"
#include "os/os.h"
#include "text/control_escapes.h"
#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
//
#include <shellapi.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace vintor::books {
namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kUsageError = 2;

// Writes CP932 text to a stream in the terminal's charset (os::PrintCp932). A control
// character in a path or a value a message repeats is shown escaped, not acted on; lines stay
// lines.
void Print(std::FILE* stream, const std::string& message) {
  os::PrintCp932(stream, text::EscapeControls(message, text::LineLayout::kKept));
}

int Refuse(const std::string& message) {
  Print(stderr, "tavrel: " + message + "\n");
  return kRefused;
}

std::string Environment(const std::string& name) {
  std::string value;
#ifdef _WIN32
  std::wstring wide_name;
  if (!text::Cp932ToUtf16(name, &wide_name)) return {};
  const wchar_t* wide = ::_wgetenv(wide_name.c_str());
  if (wide == nullptr || !text::Utf16ToCp932(wide, &value)) return {};
#else
  const char* utf8 = std::getenv(name.c_str());
  if (utf8 == nullptr || !text::Utf8ToCp932(utf8, &value)) return {};
#endif
  return value;
}

// The arguments after the program name, converted to CP932. False with *error naming an
// argument that CP932 cannot hold.
bool Arguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv,
               std::vector<std::string>* arguments, std::string* error) {
#ifdef _WIN32
  // The narrow argv would come in the ANSI code page, which need not be 932.
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) {
    *error = "the command line cannot be read";
    return false;
  }
  bool converted = true;
  for (int k = 1; k < count && converted; ++k) {
    std::string argument;
    converted = text::Utf16ToCp932(wide[k], &argument, error);
    arguments->push_back(std::move(argument));
  }
  ::LocalFree(wide);
  return converted;
#else
  for (int k = 1; k < argc; ++k) {
    std::string argument;
    if (!text::Utf8ToCp932(argv[k], &argument, error)) return false;
    arguments->push_back(std::move(argument));
  }
  return true;
#endif
}

// Builds the books file with fill, creating its folder first when it is missing.
int Build(os::Os& os, const std::string& path, const BooksFill& fill) {
  if (!CreateFoldersFor(os, path))
    return Refuse("cannot create the folder " + text::EscapeControls(FolderOf(path)));
  std::string error;
  if (!BuildBooksFile(os, path, fill, &error)) return Refuse(error);
  return kDone;
}

// Writes the books file, creating its folder first when it is missing.
int Store(os::Os& os, const std::string& path, const BooksData& data) {
  return Build(os, path, [&](SqliteDatabase& database, std::string* why) {
    return BooksFileWriter(database).Write(data, why);
  });
}

std::string SettingsFolder(const std::string& books_path) {
#ifdef _WIN32
  constexpr const char* kSeparator = "\\";
#else
  constexpr const char* kSeparator = "/";
#endif
  return FolderOf(books_path) + "vintor-settings" + kSeparator;
}

const Company* FindCompany(const BooksData& data, std::int32_t data_number) {
  for (const CompanyBooks& books : data.companies) {
    if (books.company.data_number == data_number) return &books.company;
  }
  return nullptr;
}

// A books path taken against the folder the user started in, so that the settings folder
// stored beside it (and every later use of the path) does not depend on the current folder
// of whoever reads it: the exporter makes its own folder current.
std::string AbsolutePath(os::Os& os, const std::string& path) {
#ifdef _WIN32
  const bool absolute =
      (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
      path.rfind("\\\\", 0) == 0;
  constexpr char kSeparator = '\\';
#else
  const bool absolute = !path.empty() && path.front() == '/';
  constexpr char kSeparator = '/';
#endif
  if (absolute || path.empty()) return path;
  std::string folder = os.CurrentFolder();
  if (!folder.empty() && folder.back() != kSeparator) folder += kSeparator;
  return folder + path;
}

// Books without a settings folder get the one beside the books file, so the exporter can
// remember a user's choices for them.
void GiveSettingsFolder(BooksData* data, const std::string& books_path) {
  bool has_settings = false;
  for (Folder& settings : data->folders) {
    if (settings.type != 1) continue;
    has_settings = true;
    if (settings.path.empty()) settings.path = SettingsFolder(books_path);
  }
  if (!has_settings) data->folders.push_back({1, SettingsFolder(books_path)});
}

// "2 companies, 163 accounts, 200 vouchers, 322 journal lines": what a folder holds, with
// the lines kept in journal.
std::string Contents(const BooksData& data, const CompactJournal& journal) {
  std::size_t accounts = 0, vouchers = journal.voucher_count(), lines = journal.size();
  for (const CompanyBooks& books : data.companies) {
    accounts += books.accounts.size();
    vouchers += books.vouchers.size();
    for (const Voucher& voucher : books.vouchers) lines += voucher.lines.size();
  }
  return std::to_string(data.companies.size()) + " companies, " + std::to_string(accounts) +
         " accounts, " + std::to_string(vouchers) + " vouchers, " + std::to_string(lines) +
         " journal lines";
}

int RunSample(os::Os& os, const std::string& path) {
  const std::string folder = os.ProgramFolder() + "sample-books";
  if (!os.IsFolder(folder)) return Refuse("the sample books are not installed: " + folder);
  BooksData data;
  std::string error;
  if (!ReadInterchange(os, folder, &data, &error)) return Refuse("sample-books/" + error);
  if (data.companies.empty() || data.users.empty())
    return Refuse("the sample books have no company or no user");
  // A sample cannot know the folders of this machine: an empty settings folder becomes
  // the one beside the books file, as for generated books.
  GiveSettingsFolder(&data, path);
  if (data.current_user.empty()) data.current_user = data.users.front().user_id;
  const Company& company = data.companies.front().company;
  for (User& user : data.users) {
    if (user.user_id == data.current_user) user.selected_data = company.data_number;
  }
  if (const int status = Store(os, path, data); status != kDone) return status;
  Print(stdout, "the sample books are in " + text::EscapeControls(path) + "; user " +
                    data.current_user + " selects " + std::to_string(company.data_number) + " " +
                    company.name + "\n");
  return kDone;
}

int RunList(const std::string& path) {
  BooksData data;
  std::string error;
  if (!ReadBooksFile(path, &data, &error)) return Refuse(error);
  std::string out = "books " + path + "\nusers\n";
  const auto pad = [](std::string text, std::size_t width) {
    // CP932 bytes match the terminal columns: one for a half-width, two for a full-width
    // character.
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
  };
  for (const User& user : data.users) {
    out += user.user_id == data.current_user ? "  * " : "    ";
    out += pad(user.user_id, 12) + " " + pad(user.name, 20) + " selects ";
    out += user.selected_data == 0 ? "none" : std::to_string(user.selected_data);
    out += "\n";
  }
  out += "company data\n";
  for (const CompanyBooks& books : data.companies) {
    const Company& c = books.company;
    out += "    " + pad(std::to_string(c.data_number), 6) + " " + pad(c.data_id, 15) + " " +
           pad(c.name, 30) + " " + std::to_string(c.first_day) + "-" + std::to_string(c.last_day);
    if (c.has_cost_schedule) out += " cost-schedule";
    if (c.interim_settlement) out += " interim";
    if (c.introduction_month == 99) out += " past-results";
    if (c.introduction_month >= 1 && c.introduction_month <= 12)
      out += " introduced-in-month-" + std::to_string(c.introduction_month);
    if (c.companies_act) out += " companies-act";
    if (c.tax_included) out += " tax-included";
    out += "\n";
  }
  Print(stdout, out);
  return kDone;
}

int Run(os::Os& os, const TavrelCommand& command) {
  std::string error;
  const std::string resolved =
      ResolveBooksPath(command.books_path, Environment, kNativePathStyle, &error);
  if (resolved.empty()) return Refuse(error);
  const std::string path = AbsolutePath(os, resolved);
  switch (command.action) {
    case TavrelAction::kHelp:
    case TavrelAction::kVersion:
      Print(stdout, TavrelUsage());
      return kDone;
    case TavrelAction::kSample:
      return RunSample(os, path);
    case TavrelAction::kImport: {
      // The vouchers and journal lines are kept compactly, apart from the rest of the
      // books, and go into the file from there.
      BooksData data;
      CompactJournal journal;
      if (!ReadInterchange(os, command.folder, &data, &journal, &error)) return Refuse(error);
      GiveSettingsFolder(&data, path);
      const int status = Build(os, path, [&](SqliteDatabase& database, std::string* why) {
        return BooksFileWriter(database).Write(data, &journal, why);
      });
      if (status != kDone) return status;
      Print(stdout,
            "imported " + Contents(data, journal) + " into " + text::EscapeControls(path) + "\n");
      return kDone;
    }
    case TavrelAction::kCheck: {
      BooksData data;
      CompactJournal journal;
      if (!ReadInterchange(os, command.folder, &data, &journal, &error)) return Refuse(error);
      Print(stdout, text::EscapeControls(command.folder) +
                        ": fit to import: " + Contents(data, journal) + "\n");
      return kDone;
    }
    case TavrelAction::kExport: {
      BooksData data;
      if (!ReadBooksFile(path, &data, &error)) return Refuse(error);
      if (!WriteInterchange(os, command.folder, data, &error)) return Refuse(error);
      return kDone;
    }
    case TavrelAction::kGenerate: {
      // The vouchers go into the file as they are made: a journal of millions of lines is
      // never held whole.
      BooksGenerator generator(command.accounts, command.lines, command.seed, SettingsFolder(path));
      return Build(os, path, [&](SqliteDatabase& database, std::string* why) {
        BooksFileBuilder builder(database);
        return WriteGeneratedBooks(builder, generator, why);
      });
    }
    case TavrelAction::kList:
      return RunList(path);
    case TavrelAction::kSelect: {
      if (!SelectCompany(path, command.user_id, command.data_number, &error)) return Refuse(error);
      BooksData data;
      if (ReadBooksFile(path, &data, &error)) {
        if (const Company* company = FindCompany(data, command.data_number)) {
          Print(stdout, "user " + text::EscapeControls(command.user_id) + " selects " +
                            std::to_string(company->data_number) + " " + company->name + "\n");
        }
      }
      return kDone;
    }
  }
  return kUsageError;
}

}  // namespace
}  // namespace vintor::books

int main(int argc, char** argv) {
  using namespace vintor::books;
#ifdef __GLIBC__
  // Large books are made on one thread and inserted on another (BooksFileBuilder), and an
  // import converts its tables on a second thread. With a heap of its own per thread, what
  // the one frees stays out of the other's reach; one heap serves both. Blocks of megabytes
  // (table pieces, text blocks, row arrays) come from the heap and larger ones straight
  // from the system, which takes them back when freed: left to itself the heap would take
  // ever larger freed blocks in, and an import would peak ten megabytes higher or more.
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
  std::vector<std::string> arguments;
  std::string error;
  if (!Arguments(argc, argv, &arguments, &error)) {
    Print(stderr, "tavrel: an argument has no CP932 form: " + error + "\n");
    return kUsageError;
  }
  TavrelCommand command;
  if (!ParseTavrelArguments(arguments, &command, &error)) {
    Print(stderr, "tavrel: " + error + "\n\n" + TavrelUsage());
    return kUsageError;
  }
  if (command.action == TavrelAction::kHelp) {
    Print(stdout, TavrelUsage());
    return kDone;
  }
  if (command.action == TavrelAction::kVersion) {
    Print(stdout, "tavrel 21.00.03 (books format 1)\n");
    return kDone;
  }
  // Sizes are checked before anything is allocated; should the books still need more memory
  // than there is, the user hears so instead of an abort.
  try {
    return Run(vintor::os::SystemOs(), command);
  } catch (const std::bad_alloc&) {
    Print(stderr, "tavrel: there is not enough memory for these books\n");
    return kRefused;
  }
}
