// A books file is a database file the user chooses; it may be damaged, cut short or come
// from another version. Its bytes are written to a file of a scratch folder and the
// exporter's whole run goes over it in process (totals, statements, ledger, report): any
// bytes must be refused with a message or exported without harm.
//
// The books name folders (the settings folder among them), so a changed file could name
// any place: the run writes only inside the scratch folder, every other change to the file
// system is refused as a full disk would be.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/export_app.h"
#include "books/books_library.h"
#include "conditions/path_style.h"
#include "main/scripted_export.h"
#include "os/os.h"
#include "os/scratch_folder.h"
#include "ui/console/console_dialog.h"

namespace {

using vintor::os::Os;

// The system's files for reading; changes only inside one folder, which is also the
// program's folder. The current folder is kept here rather than changed for the process.
class FencedOs : public Os {
 public:
  explicit FencedOs(std::string folder)
      : folder_(std::move(folder)), current_(WithoutSeparator(folder_)) {}

  bool FileExists(const std::string& path) override { return system_.FileExists(path); }
  bool ReadWholeFile(const std::string& path, std::string* contents) override {
    return system_.ReadWholeFile(path, contents);
  }
  std::unique_ptr<vintor::os::WritableFile> OpenForWriting(const std::string& path) override {
    return Inside(path) ? system_.OpenForWriting(path) : nullptr;
  }
  std::unique_ptr<vintor::os::ReplacementFile> OpenReplacement(const std::string& path) override {
    return Inside(path) ? system_.OpenReplacement(path) : nullptr;
  }
  bool RemoveFile(const std::string& path) override {
    return Inside(path) && system_.RemoveFile(path);
  }
  bool MoveFileOver(const std::string& from, const std::string& to) override {
    return Inside(from) && Inside(to) && system_.MoveFileOver(from, to);
  }
  bool CreateFolder(const std::string& path) override {
    return Inside(path) && system_.CreateFolder(path);
  }
  bool RemoveFolder(const std::string& path) override {
    return Inside(path) && system_.RemoveFolder(path);
  }
  bool IsFolder(const std::string& path) override { return system_.IsFolder(path); }
  bool HasAccess(const std::string& path, vintor::os::AccessMode mode) override {
    return system_.HasAccess(path, mode);
  }
  vintor::os::DriveType ClassifyDrive(const std::string& path) override {
    return system_.ClassifyDrive(path);
  }
  std::string CurrentFolder() override { return current_; }
  bool ChangeCurrentFolder(const std::string& path) override {
    if (!system_.IsFolder(path)) return false;
    current_ = WithoutSeparator(path);
    return true;
  }
  std::string TemporaryFolder() override { return folder_; }
  std::string ProgramFolder() override { return folder_; }
  std::string ReadProfileString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& default_value) override {
    return system_.ReadProfileString(file, section, key, default_value);
  }
  std::unique_ptr<vintor::os::HeldLock> LockFile(const std::string& path,
                                                 int wait_milliseconds) override {
    return Inside(path) ? system_.LockFile(path, wait_milliseconds) : nullptr;
  }
  vintor::os::TrustVerdict TrustOf(const std::string& path) override {
    return system_.TrustOf(path);
  }

 private:
  // The current folder is answered without a trailing separator unless it is the root.
  static std::string WithoutSeparator(std::string path) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
  }

  // A path that names a place under the folder, without a way back out of it.
  bool Inside(const std::string& path) const {
    return path.compare(0, folder_.size(), folder_) == 0 && path.find("..") == std::string::npos;
  }

  Os& system_ = vintor::os::SystemOs();
  std::string folder_;
  std::string current_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vintor::os::ScratchFolder folder(vintor::os::SystemOs());
  static FencedOs os(folder.path());
  // The run refuses to start without the tax application's definition file beside it.
  static const bool installed = vintor::os::SystemOs().ReplaceFileAtomically(
      folder.PathOf("CorvelDef.ini"), "[ProgramLevel]\r\nQZ21=3\r\n");
  if (folder.path().empty() || !installed) std::abort();
  const std::string books_path = folder.PathOf("books.db");
  const std::string report_path = folder.PathOf("report.xml");
  vintor::os::SystemOs().RemoveFile(report_path);
  if (!vintor::os::SystemOs().ReplaceFileAtomically(
          books_path, std::string_view(reinterpret_cast<const char*>(data), size)))
    std::abort();

  vintor::main::testing::ScriptedDesktop desktop;
  vintor::books::BooksOptions options;
  options.books_path = books_path;
  options.display = desktop.Display();
  vintor::books::BooksLibrary library(options);
  vintor::main::testing::NoHostWindows hosts;
  vintor::ui::console::ConsoleChoices choices;
  choices.start_month = "4";
  choices.end_month = "3";
  choices.equity_statement_kind = 1;
  choices.ledger = true;
  choices.output_path = report_path;
  // The scripted run's seams, with the fenced file system.
  const vintor::app::ExportEnvironment environment{
      .library = library,
      .os = os,
      .desktop = desktop.desktop(),
      .host_windows = hosts,
      .path_style = vintor::conditions::NativePathStyle(),
      .show_conditions = [&desktop, &choices](vintor::conditions::ConditionsDialog& dialog) {
        return vintor::ui::console::RunConsoleDialog(dialog, desktop.desktop(), choices, false);
      }};
  vintor::app::ExportApp run(environment,
                             {vintor::platform::AppType::kOak, "Tavrel２１ Oak", "VintorFuzz.env"});
  const bool finished = run.Start("");
  run.Exit();
  // A run that ends early tells the user why; one that finishes wrote its report.
  if (!finished && desktop.messages().empty()) std::abort();
  if (finished && !vintor::os::SystemOs().FileExists(report_path)) std::abort();
  return 0;
}
