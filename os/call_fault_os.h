// A test aid for exhaustive fault injection: an Os that numbers every call made through it
// (counting the Append, Close and Commit of the files it hands out as calls too) and makes
// the chosen call fail, or that call and every later one, the way a disk that starts
// failing in the middle of a run does.
//
// Typical use: run once with no fault to learn calls(); then for every k in 1..calls() run
// again with FailCall(k, FaultSpan::kOnce) and FailCall(k, FaultSpan::kFromThenOn).
#pragma once

#include <memory>
#include <string>

#include "os/forwarding_os.h"

namespace vintor::os {

enum class FaultSpan {
  kOnce,        // only the chosen call fails
  kFromThenOn,  // the chosen call and every call after it fail
};

class CallFaultOs : public ForwardingOs {
 public:
  // target is not owned and must outlive this object and every file it hands out.
  explicit CallFaultOs(Os& target) : ForwardingOs(target) {}

  // Makes call number index (counting from 1) fail, and with kFromThenOn every later call
  // too. A failing call answers as the Os contract says a failure does (false, nullptr, an
  // empty string, DriveType::kUnknown, the profile default) without reaching the target,
  // except that a failing Close or Commit still closes the file, so no descriptor leaks.
  void FailCall(int index, FaultSpan span) {
    fail_from_ = index;
    span_ = span;
  }
  // How many calls were made so far.
  int calls() const { return calls_; }
  // True once a call has been failed.
  bool failed_any() const { return failed_any_; }

  // Numbers the next call and tells whether it is to fail.
  bool NextCallFails();

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
  std::string CurrentFolder() override;
  bool ChangeCurrentFolder(const std::string& path) override;
  std::string TemporaryFolder() override;
  std::string ProgramFolder() override;
  std::string ReadProfileString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& default_value) override;
  std::unique_ptr<HeldLock> LockFile(const std::string& path, int wait_milliseconds) override;
  // TrustOf has no failing answer of its own and is passed on without a number.

 private:
  int calls_ = 0;
  int fail_from_ = 0;  // 0: nothing fails
  FaultSpan span_ = FaultSpan::kOnce;
  bool failed_any_ = false;
};

}  // namespace vintor::os
