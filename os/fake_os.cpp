#include "os/fake_os.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "os/profile_file.h"
#include "text/cp932.h"

namespace vintor::os {
namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

// A file open for writing appends straight into the tree, so a reader sees what has been
// written so far, as on a real disk.
class FakeOs::File : public WritableFile {
 public:
  File(FakeOs& os, std::string normal) : os_(os), normal_(std::move(normal)) {}

  bool Append(std::string_view bytes) override {
    if (failed_ || closed_) return false;
    Entry* entry = os_.Find(normal_);
    // The file was removed, or replaced by a folder, while open.
    if (entry == nullptr || entry->is_folder) failed_ = true;
    if (!failed_) entry->contents.append(bytes);
    return !failed_;
  }

  bool Close() override {
    closed_ = true;
    return !failed_;
  }

 private:
  FakeOs& os_;
  std::string normal_;
  bool failed_ = false;
  bool closed_ = false;
};

// A replacement collects its bytes aside and stores them in one step at Commit; until
// then the target keeps its old content, and an uncommitted replacement leaves no trace.
class FakeOs::Replacement : public ReplacementFile {
 public:
  Replacement(FakeOs& os, std::string normal) : os_(os), normal_(std::move(normal)) {}

  bool Append(std::string_view bytes) override {
    if (closed_ || committed_) return false;
    buffer_.append(bytes);
    return true;
  }

  bool Close() override {
    closed_ = true;
    return true;
  }

  bool Commit() override {
    if (!committed_) committed_ = os_.StoreFile(normal_, buffer_);
    closed_ = true;
    return committed_;
  }

  long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
    if (!closed_) return -1;
    if (offset >= buffer_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(capacity, buffer_.size() - offset);
    std::memcpy(buffer, buffer_.data() + offset, n);
    return static_cast<long>(n);
  }

 private:
  FakeOs& os_;
  std::string normal_;
  std::string buffer_;
  bool closed_ = false;
  bool committed_ = false;
};

// Lets go of its lock when destroyed; the FakeOs must outlive it.
class FakeOs::Lock : public HeldLock {
 public:
  Lock(FakeOs& os, std::string key) : os_(os), key_(std::move(key)) {}
  ~Lock() override { os_.held_locks_.erase(key_); }

 private:
  FakeOs& os_;
  std::string key_;
};

FakeOs::FakeOs(PathRules rules) : rules_(rules) {
  const std::string root = rules == PathRules::kWindows ? "C:\\" : "/";
  current_folder_ = root;
  entries_[root] = Entry{root, true, {}};
  temporary_folder_ = rules == PathRules::kWindows ? "C:\\Temp\\" : "/tmp/";
  if (rules == PathRules::kWindows) drive_types_[root] = DriveType::kFixed;
}

std::size_t FakeOs::RootLength(const std::string& absolute) const {
  if (rules_ == PathRules::kPosix) return 1;
  if (absolute.size() >= 2 && absolute[1] == ':') return 3;
  // "\\server\share": the root runs to the separator after the share name.
  int separators_seen = 0;
  for (std::size_t i = 2; i < absolute.size(); i += text::CharacterLengthAt(absolute, i)) {
    if (text::CharacterLengthAt(absolute, i) == 1 && IsSeparator(absolute[i]) &&
        ++separators_seen == 2) {
      return i;
    }
  }
  return absolute.size();
}

std::string FakeOs::Normalise(const std::string& path) const {
  if (path.empty()) return {};
  const char separator = Separator();
  std::string absolute;
  if (rules_ == PathRules::kPosix) {
    absolute = path[0] == '/' ? path : current_folder_ + "/" + path;
  } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    absolute = path;
  } else if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    // A drive-relative "C:x" is taken from the drive's root; tests have no per-drive
    // current folders.
    absolute = path.substr(0, 2) + "\\" + path.substr(2);
  } else if (IsSeparator(path[0])) {
    absolute = current_folder_.substr(0, RootLength(current_folder_)) + path;
  } else {
    absolute = current_folder_ + "\\" + path;
  }

  const std::size_t root_length = RootLength(absolute);
  std::string root = absolute.substr(0, root_length);
  for (char& c : root) {
    if (c == '/') c = separator;
  }
  // Only a drive root ("C:\") and the POSIX root end with a separator; a share root
  // ("\\server\share") does not.
  const bool drive = rules_ == PathRules::kWindows && absolute[1] == ':';
  if (drive) root[2] = '\\';
  const bool root_ends_with_separator = rules_ == PathRules::kPosix || drive;

  // The components after the root; "." is dropped and ".." takes one back.
  std::vector<std::string> components;
  std::string component;
  auto finish_component = [&] {
    if (component == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    component.clear();
  };
  for (std::size_t i = root_length; i < absolute.size();) {
    const std::size_t length = text::CharacterLengthAt(absolute, i);
    if (length == 1 && IsSeparator(absolute[i])) {
      finish_component();
    } else {
      component.append(absolute, i, length);
    }
    i += length;
  }
  finish_component();

  std::string normal = root;
  for (std::size_t k = 0; k < components.size(); ++k) {
    if (k > 0 || !root_ends_with_separator) normal += separator;
    normal += components[k];
  }
  return normal;
}

std::string FakeOs::KeyOf(const std::string& normal) const {
  if (rules_ == PathRules::kPosix) return normal;
  std::string key = normal;
  for (std::size_t i = 0; i < key.size(); i += text::CharacterLengthAt(key, i)) {
    if (text::CharacterLengthAt(key, i) == 1 && key[i] >= 'a' && key[i] <= 'z') {
      key[i] = static_cast<char>(key[i] - 'a' + 'A');
    }
  }
  return key;
}

std::string FakeOs::ParentOf(const std::string& normal) const {
  const std::size_t root_length = RootLength(normal);
  if (normal.size() <= root_length) return {};
  std::size_t last_separator = 0;
  for (std::size_t i = 0; i < normal.size(); i += text::CharacterLengthAt(normal, i)) {
    if (text::CharacterLengthAt(normal, i) == 1 && normal[i] == Separator()) last_separator = i;
  }
  return normal.substr(0, last_separator < root_length ? root_length : last_separator);
}

FakeOs::Entry* FakeOs::Find(const std::string& path) {
  const std::string normal = Normalise(path);
  if (normal.empty()) return nullptr;
  const auto found = entries_.find(KeyOf(normal));
  return found == entries_.end() ? nullptr : &found->second;
}

const FakeOs::Entry* FakeOs::Find(const std::string& path) const {
  return const_cast<FakeOs*>(this)->Find(path);
}

bool FakeOs::ParentIsFolder(const std::string& normal) const {
  const std::string parent = ParentOf(normal);
  const Entry* entry = parent.empty() ? nullptr : Find(parent);
  return entry != nullptr && entry->is_folder;
}

bool FakeOs::HasChildren(const std::string& key) const {
  // Only the roots "C:\" and "/" end with a separator in normal form.
  const bool is_root_with_separator =
      key.size() == RootLength(key) && (rules_ == PathRules::kPosix || key[1] == ':');
  const std::string prefix = is_root_with_separator ? key : key + Separator();
  const auto next = entries_.lower_bound(prefix);
  return next != entries_.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

bool FakeOs::StoreFile(const std::string& normal, std::string contents) {
  if (!ParentIsFolder(normal)) return false;
  Entry& entry = entries_[KeyOf(normal)];
  if (entry.is_folder) return false;
  if (entry.name.empty()) entry.name = normal;
  entry.contents = std::move(contents);
  return true;
}

void FakeOs::AddFolder(const std::string& path) {
  std::vector<std::string> missing;
  for (std::string normal = Normalise(path); !normal.empty(); normal = ParentOf(normal)) {
    if (Find(normal) != nullptr) break;
    missing.push_back(normal);
  }
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    entries_[KeyOf(*level)] = Entry{*level, true, {}};
  }
}

void FakeOs::AddFile(const std::string& path, std::string contents) {
  const std::string normal = Normalise(path);
  AddFolder(ParentOf(normal));
  StoreFile(normal, std::move(contents));
}

void FakeOs::SetDriveType(const std::string& path, DriveType type) {
  drive_types_[KeyOf(Normalise(path))] = type;
}

void FakeOs::SetAccess(const std::string& path, AccessMode granted) {
  access_[KeyOf(Normalise(path))] = granted;
}

void FakeOs::SetCurrentFolder(const std::string& path) {
  AddFolder(path);
  current_folder_ = Find(path)->name;
}

void FakeOs::FailCreateFolder(const std::string& path) {
  failing_creations_.insert(KeyOf(Normalise(path)));
}

void FakeOs::FailRemoveFolder(const std::string& path) {
  failing_removals_.insert(KeyOf(Normalise(path)));
}

void FakeOs::SetTrust(const std::string& path, TrustVerdict verdict) {
  trust_[KeyOf(Normalise(path))] = verdict;
}

bool FakeOs::IsLocked(const std::string& path) const {
  return held_locks_.count(KeyOf(Normalise(path))) != 0;
}

std::optional<std::string> FakeOs::FileContents(const std::string& path) const {
  const Entry* entry = Find(path);
  if (entry == nullptr || entry->is_folder) return std::nullopt;
  return entry->contents;
}

std::vector<std::string> FakeOs::AllPaths() const {
  std::vector<std::string> paths;
  for (const auto& [key, entry] : entries_) paths.push_back(entry.name);
  return paths;
}

bool FakeOs::FileExists(const std::string& path) {
  return Find(path) != nullptr;
}

bool FakeOs::ReadWholeFile(const std::string& path, std::string* contents) {
  const std::optional<std::string> found = FileContents(path);
  if (!found) return false;
  *contents = *found;
  return true;
}

std::unique_ptr<WritableFile> FakeOs::OpenForWriting(const std::string& path) {
  const std::string normal = Normalise(path);
  if (normal.empty() || !StoreFile(normal, {})) return nullptr;
  return std::make_unique<File>(*this, normal);
}

std::unique_ptr<ReplacementFile> FakeOs::OpenReplacement(const std::string& path) {
  const std::string normal = Normalise(path);
  const Entry* existing = normal.empty() ? nullptr : Find(normal);
  if (normal.empty() || !ParentIsFolder(normal) || (existing != nullptr && existing->is_folder)) {
    return nullptr;
  }
  return std::make_unique<Replacement>(*this, normal);
}

bool FakeOs::RemoveFile(const std::string& path) {
  const Entry* entry = Find(path);
  if (entry == nullptr || entry->is_folder) return false;
  entries_.erase(KeyOf(entry->name));
  return true;
}

bool FakeOs::MoveFileOver(const std::string& from, const std::string& to) {
  const Entry* source = Find(from);
  const std::string target = Normalise(to);
  if (source == nullptr || source->is_folder || target.empty()) return false;
  const std::string source_key = KeyOf(source->name);
  if (source_key == KeyOf(target)) return true;
  if (!StoreFile(target, source->contents)) return false;
  entries_.erase(source_key);
  return true;
}

bool FakeOs::CreateFolder(const std::string& path) {
  const std::string normal = Normalise(path);
  if (normal.empty() || failing_creations_.count(KeyOf(normal)) != 0) return false;
  if (Find(normal) != nullptr || !ParentIsFolder(normal)) return false;
  entries_[KeyOf(normal)] = Entry{normal, true, {}};
  created_folders_.push_back(path);
  return true;
}

bool FakeOs::RemoveFolder(const std::string& path) {
  const std::string normal = Normalise(path);
  const Entry* entry = normal.empty() ? nullptr : Find(normal);
  if (entry == nullptr || !entry->is_folder || ParentOf(normal).empty()) return false;
  const std::string key = KeyOf(normal);
  if (failing_removals_.count(key) != 0 || HasChildren(key)) return false;
  entries_.erase(key);
  removed_folders_.push_back(path);
  return true;
}

bool FakeOs::IsFolder(const std::string& path) {
  const Entry* entry = Find(path);
  return entry != nullptr && entry->is_folder;
}

bool FakeOs::HasAccess(const std::string& path, AccessMode mode) {
  const std::string normal = Normalise(path);
  if (normal.empty() || Find(normal) == nullptr) return false;
  const auto granted = access_.find(KeyOf(normal));
  const int allowed =
      static_cast<int>(granted == access_.end() ? AccessMode::kReadWrite : granted->second);
  return (static_cast<int>(mode) & ~allowed) == 0;
}

DriveType FakeOs::ClassifyDrive(const std::string& path) {
  std::string normal = Normalise(path);
  if (normal.empty()) return DriveType::kUnknown;
  for (; !normal.empty(); normal = ParentOf(normal)) {
    const auto found = drive_types_.find(KeyOf(normal));
    if (found != drive_types_.end()) return found->second;
  }
  return rules_ == PathRules::kWindows ? DriveType::kNoRootDir : DriveType::kFixed;
}

bool FakeOs::ChangeCurrentFolder(const std::string& path) {
  const Entry* entry = Find(path);
  if (entry == nullptr || !entry->is_folder) return false;
  current_folder_ = entry->name;
  return true;
}

std::string FakeOs::ProgramFolder() {
  return rules_ == PathRules::kWindows ? "C:\\Program\\" : "/opt/vintor/";
}

std::string FakeOs::ReadProfileString(const std::string& file, const std::string& section,
                                      const std::string& key, const std::string& default_value) {
  const std::optional<std::string> contents = FileContents(file);
  if (!contents) return default_value;
  return LookUpProfileString(*contents, section, key, default_value);
}

std::unique_ptr<HeldLock> FakeOs::LockFile(const std::string& path, int /*wait_milliseconds*/) {
  const std::string normal = Normalise(path);
  if (normal.empty()) return nullptr;
  const Entry* entry = Find(normal);
  if (entry == nullptr && !StoreFile(normal, {})) return nullptr;
  if (entry != nullptr && entry->is_folder) return nullptr;
  const std::string key = KeyOf(normal);
  if (!held_locks_.insert(key).second) return nullptr;
  return std::make_unique<Lock>(*this, key);
}

TrustVerdict FakeOs::TrustOf(const std::string& path) {
  const auto found = trust_.find(KeyOf(Normalise(path)));
  return found == trust_.end() ? TrustVerdict::kTrusted : found->second;
}

}  // namespace vintor::os
