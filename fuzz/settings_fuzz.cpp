// The settings file is plain text a user may edit or another version may have written: any
// bytes must read without harm in both path styles, and a record read and written again
// must read back the same, while the records of other keys stay in the file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "conditions/path_style.h"
#include "conditions/saved_settings.h"
#include "os/fake_os.h"

namespace {

using vintor::conditions::SavedConditions;
using vintor::conditions::SavedSettings;
using vintor::os::FakeOs;

bool Same(const SavedConditions& a, const SavedConditions& b) {
  return a.start_month == b.start_month && a.end_month == b.end_month &&
         a.equity_statement_kind == b.equity_statement_kind && a.ledger_flag == b.ledger_flag &&
         a.output_path == b.output_path;
}

void Check(FakeOs::PathRules rules, const vintor::conditions::PathStyle& style,
           const std::string& folder, const std::string& contents) {
  FakeOs os(rules);
  os.AddFolder(folder);
  const SavedSettings settings(os, style, folder, "VintorOak.env", "admin", 1, 3);
  os.AddFile(settings.FilePath(), contents);

  SavedConditions read;
  const bool found = settings.Read(&read);
  // Whatever was read (or a fixed record when nothing was) is written back.
  const SavedConditions written =
      found ? read : SavedConditions{4, 3, 1, 1, folder + "kessan.xml"};
  if (!settings.Write(written)) {
    // Only a path that would break the line refuses; a read path never holds a line feed.
    if (written.output_path.find_first_of(std::string("\n\0", 2)) == std::string::npos)
      std::abort();
    return;
  }
  SavedConditions again;
  if (!settings.Read(&again) || !Same(again, written)) std::abort();
  // Another user's record is untouched by admin's write.
  const SavedSettings other(os, style, folder, "VintorOak.env", "bob", 1, 3);
  SavedConditions before;
  SavedConditions after;
  FakeOs first(rules);
  first.AddFolder(folder);
  first.AddFile(settings.FilePath(), contents);
  const bool had = SavedSettings(first, style, folder, "VintorOak.env", "bob", 1, 3).Read(&before);
  if (had != other.Read(&after) || (had && !Same(before, after))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  Check(FakeOs::PathRules::kWindows, vintor::conditions::WindowsPathStyle(), "C:\\Settings\\",
        contents);
  Check(FakeOs::PathRules::kPosix, vintor::conditions::PosixPathStyle(), "/home/u/.vintor/",
        contents);
  return 0;
}
