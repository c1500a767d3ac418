// Test aids that make file writes and Os calls fail on purpose, for the tests of every
// folder that writes through the Os seam (a full disk in the middle of the output, a
// settings folder that cannot be created, a rename that fails at commit).
//
// Typical use:
//   FaultInjectingOs os(SystemOs());
//   os.FailWritesAfterBytes(FaultInjectingOs::kAnyPath, 100);
//   ... run the code under test with os; its output fails once 100 bytes are written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "os/forwarding_os.h"
#include "os/os.h"

namespace vintor::os {

// Lets the first byte_limit bytes through to the wrapped file, then fails as a full disk
// does: the Append that crosses the limit writes the bytes that still fit and returns
// false, and every later Append fails without writing. Close closes the wrapped file and
// returns false once an Append has failed.
class FailingAfterBytesFile : public WritableFile {
 public:
  FailingAfterBytesFile(std::unique_ptr<WritableFile> target, std::size_t byte_limit);
  bool Append(std::string_view bytes) override;
  bool Close() override;

 private:
  std::unique_ptr<WritableFile> target_;
  std::size_t bytes_left_;
  bool failed_ = false;
};

// FailingAfterBytesFile for a replacement. Once an Append has failed, Commit fails without
// committing the wrapped replacement, so the target keeps its old content.
class FailingAfterBytesReplacement : public ReplacementFile {
 public:
  FailingAfterBytesReplacement(std::unique_ptr<ReplacementFile> target, std::size_t byte_limit);
  bool Append(std::string_view bytes) override;
  bool Close() override;
  bool Commit() override;
  long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
    return target_->ReadWritten(offset, buffer, capacity);
  }

 private:
  std::unique_ptr<ReplacementFile> target_;
  std::size_t bytes_left_;
  bool failed_ = false;
};

// A replacement whose writes succeed but whose Commit fails without renaming, as when the
// disk cannot be synced or the target is locked. The wrapped replacement is destroyed
// uncommitted, which removes its temporary file.
class FailingCommitReplacement : public ReplacementFile {
 public:
  explicit FailingCommitReplacement(std::unique_ptr<ReplacementFile> target);
  bool Append(std::string_view bytes) override { return target_->Append(bytes); }
  bool Close() override { return target_->Close(); }
  bool Commit() override;
  long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
    return target_->ReadWritten(offset, buffer, capacity);
  }

 private:
  std::unique_ptr<ReplacementFile> target_;
};

// A replacement that writes something other than it was given, as a faulty disk or driver
// would, while every call succeeds: in each Append the first occurrence of `from` is
// written as `to`. Only a check that reads the file back can tell.
class AlteringReplacement : public ReplacementFile {
 public:
  AlteringReplacement(std::unique_ptr<ReplacementFile> target, std::string from, std::string to)
      : target_(std::move(target)), from_(std::move(from)), to_(std::move(to)) {}
  bool Append(std::string_view bytes) override;
  bool Close() override { return target_->Close(); }
  bool Commit() override { return target_->Commit(); }
  long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
    return target_->ReadWritten(offset, buffer, capacity);
  }
  // How many Appends were altered.
  int alterations() const { return alterations_; }

 private:
  std::unique_ptr<ReplacementFile> target_;
  std::string from_;
  std::string to_;
  int alterations_ = 0;
};

// An Os that forwards to a target Os but fails chosen calls for chosen paths. Paths are
// compared byte for byte with the path the code under test passes; kAnyPath matches every
// path. Switches only add faults; a fresh object has none.
class FaultInjectingOs : public ForwardingOs {
 public:
  static constexpr std::string_view kAnyPath = "*";

  // target is not owned and must outlive this object.
  explicit FaultInjectingOs(Os& target) : ForwardingOs(target) {}

  // OpenForWriting(path) returns nullptr without touching the file.
  void FailOpenForWriting(std::string_view path) { fail_open_for_writing_.emplace_back(path); }
  // OpenReplacement(path) returns nullptr without creating a temporary file.
  void FailOpenReplacement(std::string_view path) { fail_open_replacement_.emplace_back(path); }
  // Replacements of path fail at Commit (see FailingCommitReplacement).
  void FailCommit(std::string_view path) { fail_commit_.emplace_back(path); }
  // CreateFolder(path) returns false without creating the folder.
  void FailCreateFolder(std::string_view path) { fail_create_folder_.emplace_back(path); }
  // LockFile(path) returns nullptr, as when another program holds the lock all along.
  void FailLock(std::string_view path) { fail_lock_.emplace_back(path); }
  // Files opened for path, by OpenForWriting or OpenReplacement, fail once byte_limit
  // bytes have been written to them (see FailingAfterBytesFile).
  void FailWritesAfterBytes(std::string_view path, std::size_t byte_limit);
  // Replacements of path write `to` where they are given `from` (see AlteringReplacement).
  void AlterWrites(std::string_view path, std::string from, std::string to) {
    alterations_.push_back({std::string(path), std::move(from), std::move(to)});
  }

  std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) override;
  std::unique_ptr<ReplacementFile> OpenReplacement(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  std::unique_ptr<HeldLock> LockFile(const std::string& path, int wait_milliseconds) override;

 private:
  struct WriteLimit {
    std::string path;
    std::size_t byte_limit;
  };

  static bool Matches(const std::vector<std::string>& paths, const std::string& path);
  const WriteLimit* FindWriteLimit(const std::string& path) const;

  std::vector<std::string> fail_open_for_writing_;
  std::vector<std::string> fail_open_replacement_;
  std::vector<std::string> fail_commit_;
  std::vector<std::string> fail_create_folder_;
  std::vector<std::string> fail_lock_;
  std::vector<WriteLimit> write_limits_;
  struct Alteration {
    std::string path;
    std::string from;
    std::string to;
  };
  std::vector<Alteration> alterations_;
};

}  // namespace vintor::os
