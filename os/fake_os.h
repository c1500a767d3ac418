// An in-memory Os for tests: a tree of folders and files under the path rules of Windows
// or POSIX, with settable drive types, access rights and current folder, injectable
// folder-creation failures, and a record of the folders that were created and removed.
// Code under test sees a consistent little file system; tests set it up and inspect it
// without touching the disk, so Windows paths can be exercised on Linux and vice versa.
//
// Paths are matched by their normal form: made absolute against the current folder,
// doubled separators and "." dropped, ".." taken back one level (never above the root),
// no trailing separator except on a drive root. Under the Windows rules '\' and '/' both
// separate, ASCII letters match without regard to case (the bytes of a double-byte
// character always match exactly), and the roots are "X:\" and "\\server\share". Under
// the POSIX rules only '/' separates, case matters and the root is "/".
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "os/os.h"

namespace vintor::os {

class FakeOs : public Os {
 public:
  enum class PathRules { kWindows, kPosix };

  // Starts with one folder, the root, which is also current: "C:\" or "/".
  explicit FakeOs(PathRules rules);

  // Setting up. None of these is recorded as a creation or removal.
  // Adds the folder and every missing folder above it (roots included).
  void AddFolder(const std::string& path);
  // Adds or overwrites a file; the folders above it are added as needed.
  void AddFile(const std::string& path, std::string contents);
  // The drive type of path and everything below it, until a deeper path has its own. Set
  // it on a root ("D:\", "\\server\share") or, under POSIX rules, on a mount point. Where
  // nothing is set the answer is kNoRootDir under Windows rules (a letter without a
  // volume) and kFixed under POSIX rules.
  void SetDriveType(const std::string& path, DriveType type);
  // The permissions that HasAccess grants on path itself (not inherited by what is
  // below it). Unset: read and write.
  void SetAccess(const std::string& path, AccessMode granted);
  // Adds the folder and makes it current.
  void SetCurrentFolder(const std::string& path);
  // What TemporaryFolder answers (it need not exist). Default "C:\Temp\" or "/tmp/".
  void SetTemporaryFolder(const std::string& path) { temporary_folder_ = path; }
  // CreateFolder of this path (in any spelling with the same normal form) fails.
  void FailCreateFolder(const std::string& path);
  // RemoveFolder of this path fails.
  void FailRemoveFolder(const std::string& path);
  // What TrustOf answers for path (in any spelling with the same normal form). Unset:
  // kTrusted.
  void SetTrust(const std::string& path, TrustVerdict verdict);

  // Inspection.
  // The paths of the successful CreateFolder and RemoveFolder calls, as passed, in order.
  const std::vector<std::string>& created_folders() const { return created_folders_; }
  const std::vector<std::string>& removed_folders() const { return removed_folders_; }
  // The contents of the file at path; nothing when there is no file there.
  std::optional<std::string> FileContents(const std::string& path) const;
  // Every folder and file, in normal form (case preserved as first created), sorted.
  std::vector<std::string> AllPaths() const;
  // True while a lock taken with LockFile on path is held.
  bool IsLocked(const std::string& path) const;

  // Os.
  bool FileExists(const std::string& path) override;
  bool ReadWholeFile(const std::string& path, std::string* contents) override;
  std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) override;
  std::unique_ptr<ReplacementFile> OpenReplacement(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool MoveFileOver(const std::string& from, const std::string& to) override;
  bool CreateFolder(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  bool HasAccess(const std::string& path, AccessMode mode) override;
  DriveType ClassifyDrive(const std::string& path) override;
  std::string CurrentFolder() override { return current_folder_; }
  bool ChangeCurrentFolder(const std::string& path) override;
  std::string TemporaryFolder() override { return temporary_folder_; }
  std::string ProgramFolder() override;
  std::string ReadProfileString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& default_value) override;
  // A lock that is held already is refused at once: in one thread nobody could let go
  // while the caller waits. The lock file is created (empty) as on disk.
  std::unique_ptr<HeldLock> LockFile(const std::string& path, int wait_milliseconds) override;
  TrustVerdict TrustOf(const std::string& path) override;

 private:
  struct Entry {
    std::string name;  // the normal form in the case of its first creation
    bool is_folder = false;
    std::string contents;
  };
  class File;
  class Replacement;
  class Lock;

  char Separator() const { return rules_ == PathRules::kWindows ? '\\' : '/'; }
  bool IsSeparator(char c) const { return c == Separator() || c == '/'; }
  // The normal form of path, case preserved; empty for an empty path.
  std::string Normalise(const std::string& path) const;
  // The map key of a normal form: under Windows rules with ASCII letters upper-cased.
  std::string KeyOf(const std::string& path) const;
  std::size_t RootLength(const std::string& normal) const;
  // The normal form one level up; empty for a root.
  std::string ParentOf(const std::string& normal) const;
  Entry* Find(const std::string& path);
  const Entry* Find(const std::string& path) const;
  bool ParentIsFolder(const std::string& path) const;
  bool HasChildren(const std::string& key) const;
  // Stores a file's new contents; false when its folder has gone or a folder stands there.
  bool StoreFile(const std::string& normal, std::string contents);

  PathRules rules_;
  std::map<std::string, Entry> entries_;
  std::map<std::string, DriveType> drive_types_;
  std::map<std::string, AccessMode> access_;
  std::set<std::string> failing_creations_;
  std::set<std::string> failing_removals_;
  std::map<std::string, TrustVerdict> trust_;
  std::set<std::string> held_locks_;
  std::string current_folder_;
  std::string temporary_folder_;
  std::vector<std::string> created_folders_;
  std::vector<std::string> removed_folders_;
};

}  // namespace vintor::os
