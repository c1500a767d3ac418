// Where the conditions dialog keeps the choices of the last successful export, one record
// per user and selected company data. The dialog reads its record at initialisation to
// propose those choices again and writes it after an export has succeeded.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "conditions/path_style.h"
#include "conditions/saved_settings.h"
#include "os/os.h"
#include "platform/library.h"
#include "ui/ui.h"

namespace vintor::conditions {

// Whose record: the user and the two selection numbers of that user's company choice.
struct SettingsKey {
  std::string user_id;
  std::int32_t first_selection = 0;
  std::int32_t second_selection = 0;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // True with *conditions filled when a record for the key exists; false (conditions
  // untouched) when there is none or it cannot be read.
  virtual bool Read(const SettingsKey& key, SavedConditions* conditions) = 0;
  // Replaces the key's record; false when nothing could be saved. Never reports anything:
  // WriteFailure says why, for the run to tell.
  virtual bool Write(const SettingsKey& key, const SavedConditions& conditions) = 0;
  // Why the last Write saved nothing ("<file>: <reason>"); empty after one that saved.
  virtual std::string WriteFailure() const { return {}; }
};

// The saved settings file (SavedSettings) in the library's folder of type 1, which is
// asked for at every read and write. A file that other users can change is not read, and
// the user is warned with a message on desktop (when one is given).
class FileSettingsStore : public SettingsStore {
 public:
  // Nothing is owned; everything must outlive this object. desktop may be null.
  FileSettingsStore(platform::AccountingLibrary& library, os::Os& os, const PathStyle& style,
                    std::string file_name, ui::Desktop* desktop = nullptr);
  bool Read(const SettingsKey& key, SavedConditions* conditions) override;
  bool Write(const SettingsKey& key, const SavedConditions& conditions) override;
  std::string WriteFailure() const override { return write_failure_; }

 private:
  SavedSettings FileOf(const SettingsKey& key) const;

  platform::AccountingLibrary& library_;
  os::Os& os_;
  const PathStyle& style_;
  std::string file_name_;
  ui::Desktop* desktop_;
  std::string write_failure_;
};

// A store that lives in memory only: for tests, and for front-ends that remember nothing.
class MemorySettingsStore : public SettingsStore {
 public:
  bool Read(const SettingsKey& key, SavedConditions* conditions) override;
  bool Write(const SettingsKey& key, const SavedConditions& conditions) override;

  void Put(const SettingsKey& key, const SavedConditions& conditions);
  // The record of the key; nullptr when there is none.
  const SavedConditions* Find(const SettingsKey& key) const;
  int writes() const { return writes_; }

 private:
  static std::string KeyText(const SettingsKey& key);

  std::map<std::string, SavedConditions> records_;
  int writes_ = 0;
};

}  // namespace vintor::conditions
