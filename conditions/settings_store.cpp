#include "conditions/settings_store.h"

#include <utility>

namespace vintor::conditions {

namespace {

// Why a settings file is not believed, after its path.
const char* DistrustText(os::TrustVerdict verdict) {
  switch (verdict) {
    case os::TrustVerdict::kWritableByOthers:
      return " は他の利用者も書き換えられます";
    case os::TrustVerdict::kOwnedByOthers:
      return " は他の利用者のファイルです";
    case os::TrustVerdict::kFolderWritableByOthers:
      return " のフォルダは他の利用者も書き換えられます";
    case os::TrustVerdict::kTrusted:
      break;
  }
  return "";
}

}  // namespace

FileSettingsStore::FileSettingsStore(platform::AccountingLibrary& library, os::Os& os,
                                     const PathStyle& style, std::string file_name,
                                     ui::Desktop* desktop)
    : library_(library),
      os_(os),
      style_(style),
      file_name_(std::move(file_name)),
      desktop_(desktop) {}

bool FileSettingsStore::Read(const SettingsKey& key, SavedConditions* conditions) {
  const SavedSettings file = FileOf(key);
  os::TrustVerdict trust = os::TrustVerdict::kTrusted;
  const bool found = file.Read(conditions, &trust);
  if (trust != os::TrustVerdict::kTrusted && desktop_ != nullptr) {
    desktop_->ShowMessage(0,
                          "設定ファイル " + file.FilePath() + DistrustText(trust) +
                              "。\n\n保存された条件は使わずに続けます。",
                          ui::kCaption, ui::kWarning);
  }
  return found;
}

bool FileSettingsStore::Write(const SettingsKey& key, const SavedConditions& conditions) {
  write_failure_.clear();
  return FileOf(key).Write(conditions, &write_failure_);
}

SavedSettings FileSettingsStore::FileOf(const SettingsKey& key) const {
  return SavedSettings(os_, style_,
                       library_.FileManager().GetAppFolderPath(platform::kFolderSettings),
                       file_name_, key.user_id, key.first_selection, key.second_selection);
}

bool MemorySettingsStore::Read(const SettingsKey& key, SavedConditions* conditions) {
  const SavedConditions* found = Find(key);
  if (found == nullptr) return false;
  *conditions = *found;
  return true;
}

bool MemorySettingsStore::Write(const SettingsKey& key, const SavedConditions& conditions) {
  ++writes_;
  Put(key, conditions);
  return true;
}

void MemorySettingsStore::Put(const SettingsKey& key, const SavedConditions& conditions) {
  records_[KeyText(key)] = conditions;
}

const SavedConditions* MemorySettingsStore::Find(const SettingsKey& key) const {
  auto found = records_.find(KeyText(key));
  return found == records_.end() ? nullptr : &found->second;
}

std::string MemorySettingsStore::KeyText(const SettingsKey& key) {
  return key.user_id + "/" + std::to_string(key.first_selection) + "/" +
         std::to_string(key.second_selection) + ":";
}

}  // namespace vintor::conditions
