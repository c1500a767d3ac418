#include "conditions/settings_store.h"

#include <utility>

namespace vintor::conditions {

FileSettingsStore::FileSettingsStore(platform::AccountingLibrary& library, os::Os& os,
                                     const PathStyle& style, std::string file_name)
    : library_(library), os_(os), style_(style), file_name_(std::move(file_name)) {}

bool FileSettingsStore::Read(const SettingsKey& key, SavedConditions* conditions) {
  return FileOf(key).Read(conditions);
}

bool FileSettingsStore::Write(const SettingsKey& key, const SavedConditions& conditions) {
  return FileOf(key).Write(conditions);
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
