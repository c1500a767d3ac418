#include "os/fault_injection.h"

#include <algorithm>
#include <utility>

namespace vintor::os {
namespace {

// Passes bytes on to target while the budget lasts. The Append that crosses the limit
// writes the part that fits before failing, so the file ends exactly at the limit as it
// would on a disk that filled up.
bool AppendWithinLimit(WritableFile& target, std::string_view bytes, std::size_t* bytes_left,
                       bool* failed) {
  if (*failed) return false;
  if (bytes.size() <= *bytes_left) {
    *bytes_left -= bytes.size();
    if (!target.Append(bytes)) *failed = true;
    return !*failed;
  }
  if (*bytes_left > 0) target.Append(bytes.substr(0, *bytes_left));
  *bytes_left = 0;
  *failed = true;
  return false;
}

bool PathMatches(std::string_view pattern, const std::string& path) {
  return pattern == FaultInjectingOs::kAnyPath || pattern == path;
}

}  // namespace

FailingAfterBytesFile::FailingAfterBytesFile(std::unique_ptr<WritableFile> target,
                                             std::size_t byte_limit)
    : target_(std::move(target)), bytes_left_(byte_limit) {}

bool FailingAfterBytesFile::Append(std::string_view bytes) {
  return AppendWithinLimit(*target_, bytes, &bytes_left_, &failed_);
}

bool FailingAfterBytesFile::Close() {
  return target_->Close() && !failed_;
}

FailingAfterBytesReplacement::FailingAfterBytesReplacement(std::unique_ptr<ReplacementFile> target,
                                                           std::size_t byte_limit)
    : target_(std::move(target)), bytes_left_(byte_limit) {}

bool FailingAfterBytesReplacement::Append(std::string_view bytes) {
  return AppendWithinLimit(*target_, bytes, &bytes_left_, &failed_);
}

bool FailingAfterBytesReplacement::Close() {
  return target_->Close() && !failed_;
}

bool FailingAfterBytesReplacement::Commit() {
  // The wrapped replacement never saw the failure, so it would happily commit a truncated
  // file; refusing here keeps the old content, as the real replacement does.
  if (failed_) return false;
  return target_->Commit();
}

bool AlteringReplacement::Append(std::string_view bytes) {
  const std::size_t at = from_.empty() ? std::string_view::npos : bytes.find(from_);
  if (at == std::string_view::npos) return target_->Append(bytes);
  ++alterations_;
  std::string altered(bytes);
  altered.replace(at, from_.size(), to_);
  return target_->Append(altered);
}

FailingCommitReplacement::FailingCommitReplacement(std::unique_ptr<ReplacementFile> target)
    : target_(std::move(target)) {}

bool FailingCommitReplacement::Commit() {
  target_->Close();
  return false;
}

void FaultInjectingOs::FailWritesAfterBytes(std::string_view path, std::size_t byte_limit) {
  write_limits_.push_back({std::string(path), byte_limit});
}

bool FaultInjectingOs::Matches(const std::vector<std::string>& paths, const std::string& path) {
  return std::any_of(paths.begin(), paths.end(),
                     [&](const std::string& pattern) { return PathMatches(pattern, path); });
}

const FaultInjectingOs::WriteLimit* FaultInjectingOs::FindWriteLimit(
    const std::string& path) const {
  for (const WriteLimit& limit : write_limits_) {
    if (PathMatches(limit.path, path)) return &limit;
  }
  return nullptr;
}

std::unique_ptr<WritableFile> FaultInjectingOs::OpenForWriting(const std::string& path) {
  if (Matches(fail_open_for_writing_, path)) return nullptr;
  std::unique_ptr<WritableFile> file = ForwardingOs::OpenForWriting(path);
  const WriteLimit* limit = FindWriteLimit(path);
  if (file == nullptr || limit == nullptr) return file;
  return std::make_unique<FailingAfterBytesFile>(std::move(file), limit->byte_limit);
}

std::unique_ptr<ReplacementFile> FaultInjectingOs::OpenReplacement(const std::string& path) {
  if (Matches(fail_open_replacement_, path)) return nullptr;
  std::unique_ptr<ReplacementFile> file = ForwardingOs::OpenReplacement(path);
  if (file == nullptr) return file;
  if (const WriteLimit* limit = FindWriteLimit(path)) {
    file = std::make_unique<FailingAfterBytesReplacement>(std::move(file), limit->byte_limit);
  }
  for (const Alteration& alteration : alterations_) {
    if (!PathMatches(alteration.path, path)) continue;
    file = std::make_unique<AlteringReplacement>(std::move(file), alteration.from, alteration.to);
  }
  if (Matches(fail_commit_, path)) {
    file = std::make_unique<FailingCommitReplacement>(std::move(file));
  }
  return file;
}

bool FaultInjectingOs::CreateFolder(const std::string& path) {
  if (Matches(fail_create_folder_, path)) return false;
  return ForwardingOs::CreateFolder(path);
}

std::unique_ptr<HeldLock> FaultInjectingOs::LockFile(const std::string& path,
                                                     int wait_milliseconds) {
  if (Matches(fail_lock_, path)) return nullptr;
  return ForwardingOs::LockFile(path, wait_milliseconds);
}

}  // namespace vintor::os
