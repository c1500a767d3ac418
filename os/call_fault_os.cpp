#include "os/call_fault_os.h"

#include <string_view>
#include <utility>

namespace vintor::os {
namespace {

// The files of a CallFaultOs number their calls with the Os's counter, so a fault can fall
// on any single write of the run. A failed Append poisons the file as a real write error
// does: every later Append fails and Commit refuses, so the target is never replaced by a
// file with a hole in it.
template <typename Base, typename Target>
class CountedFile : public Base {
 public:
  CountedFile(CallFaultOs& os, std::unique_ptr<Target> target)
      : os_(os), target_(std::move(target)) {}

  bool Append(std::string_view bytes) override {
    if (os_.NextCallFails() || failed_) {
      failed_ = true;
      return false;
    }
    if (!target_->Append(bytes)) failed_ = true;
    return !failed_;
  }

  bool Close() override {
    const bool fails = os_.NextCallFails();
    const bool closed = target_->Close();
    if (fails) failed_ = true;
    return closed && !failed_;
  }

 protected:
  Target& target() { return *target_; }
  // Numbers a Commit: a failing one closes the file and leaves the target as it was.
  bool CommitTarget() {
    if (os_.NextCallFails() || failed_) {
      target_->Close();
      return false;
    }
    return target_->Commit();
  }

 private:
  CallFaultOs& os_;
  std::unique_ptr<Target> target_;
  bool failed_ = false;
};

using CountedWritableFile = CountedFile<WritableFile, WritableFile>;

class CountedReplacement : public CountedFile<ReplacementFile, ReplacementFile> {
 public:
  using CountedFile::CountedFile;
  bool Commit() override { return CommitTarget(); }
  long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
    return target().ReadWritten(offset, buffer, capacity);
  }
};

}  // namespace

bool CallFaultOs::NextCallFails() {
  ++calls_;
  const bool fails = fail_from_ > 0 && (calls_ == fail_from_ ||
                                        (span_ == FaultSpan::kFromThenOn && calls_ > fail_from_));
  if (fails) failed_any_ = true;
  return fails;
}

bool CallFaultOs::FileExists(const std::string& path) {
  return !NextCallFails() && ForwardingOs::FileExists(path);
}

bool CallFaultOs::ReadWholeFile(const std::string& path, std::string* contents) {
  return !NextCallFails() && ForwardingOs::ReadWholeFile(path, contents);
}

std::unique_ptr<WritableFile> CallFaultOs::OpenForWriting(const std::string& path) {
  if (NextCallFails()) return nullptr;
  auto file = ForwardingOs::OpenForWriting(path);
  if (file == nullptr) return nullptr;
  return std::make_unique<CountedWritableFile>(*this, std::move(file));
}

std::unique_ptr<ReplacementFile> CallFaultOs::OpenReplacement(const std::string& path) {
  if (NextCallFails()) return nullptr;
  auto file = ForwardingOs::OpenReplacement(path);
  if (file == nullptr) return nullptr;
  return std::make_unique<CountedReplacement>(*this, std::move(file));
}

bool CallFaultOs::RemoveFile(const std::string& path) {
  return !NextCallFails() && ForwardingOs::RemoveFile(path);
}

bool CallFaultOs::MoveFileOver(const std::string& from, const std::string& to) {
  return !NextCallFails() && ForwardingOs::MoveFileOver(from, to);
}

bool CallFaultOs::CreateFolder(const std::string& path) {
  return !NextCallFails() && ForwardingOs::CreateFolder(path);
}

bool CallFaultOs::RemoveFolder(const std::string& path) {
  return !NextCallFails() && ForwardingOs::RemoveFolder(path);
}

bool CallFaultOs::IsFolder(const std::string& path) {
  return !NextCallFails() && ForwardingOs::IsFolder(path);
}

bool CallFaultOs::HasAccess(const std::string& path, AccessMode mode) {
  return !NextCallFails() && ForwardingOs::HasAccess(path, mode);
}

DriveType CallFaultOs::ClassifyDrive(const std::string& path) {
  return NextCallFails() ? DriveType::kUnknown : ForwardingOs::ClassifyDrive(path);
}

std::string CallFaultOs::CurrentFolder() {
  return NextCallFails() ? std::string() : ForwardingOs::CurrentFolder();
}

bool CallFaultOs::ChangeCurrentFolder(const std::string& path) {
  return !NextCallFails() && ForwardingOs::ChangeCurrentFolder(path);
}

std::string CallFaultOs::TemporaryFolder() {
  return NextCallFails() ? std::string() : ForwardingOs::TemporaryFolder();
}

std::string CallFaultOs::ProgramFolder() {
  return NextCallFails() ? std::string() : ForwardingOs::ProgramFolder();
}

std::string CallFaultOs::ReadProfileString(const std::string& file, const std::string& section,
                                           const std::string& key,
                                           const std::string& default_value) {
  return NextCallFails() ? default_value
                         : ForwardingOs::ReadProfileString(file, section, key, default_value);
}

std::unique_ptr<HeldLock> CallFaultOs::LockFile(const std::string& path, int wait_milliseconds) {
  if (NextCallFails()) return nullptr;
  return ForwardingOs::LockFile(path, wait_milliseconds);
}

}  // namespace vintor::os
