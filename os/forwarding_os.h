// An Os that passes every call on to another Os. Tests derive from it and override the one
// call they want to fail or observe; everything else reaches the real system.
#pragma once

#include "os/os.h"

namespace vintor::os {

class ForwardingOs : public Os {
 public:
  // target is not owned and must outlive this object.
  explicit ForwardingOs(Os& target) : target_(target) {}

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
  TrustVerdict TrustOf(const std::string& path) override;

 protected:
  Os& target() { return target_; }

 private:
  Os& target_;
};

}  // namespace vintor::os
