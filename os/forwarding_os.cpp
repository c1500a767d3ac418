#include "os/forwarding_os.h"

namespace vintor::os {

bool ForwardingOs::FileExists(const std::string& path) {
  return target_.FileExists(path);
}

bool ForwardingOs::ReadWholeFile(const std::string& path, std::string* contents) {
  return target_.ReadWholeFile(path, contents);
}

std::unique_ptr<WritableFile> ForwardingOs::OpenForWriting(const std::string& path) {
  return target_.OpenForWriting(path);
}

std::unique_ptr<ReplacementFile> ForwardingOs::OpenReplacement(const std::string& path) {
  return target_.OpenReplacement(path);
}

bool ForwardingOs::RemoveFile(const std::string& path) {
  return target_.RemoveFile(path);
}

bool ForwardingOs::MoveFileOver(const std::string& from, const std::string& to) {
  return target_.MoveFileOver(from, to);
}

bool ForwardingOs::CreateFolder(const std::string& path) {
  return target_.CreateFolder(path);
}

bool ForwardingOs::RemoveFolder(const std::string& path) {
  return target_.RemoveFolder(path);
}

bool ForwardingOs::IsFolder(const std::string& path) {
  return target_.IsFolder(path);
}

bool ForwardingOs::HasAccess(const std::string& path, AccessMode mode) {
  return target_.HasAccess(path, mode);
}

DriveType ForwardingOs::ClassifyDrive(const std::string& path) {
  return target_.ClassifyDrive(path);
}

std::string ForwardingOs::CurrentFolder() {
  return target_.CurrentFolder();
}

bool ForwardingOs::ChangeCurrentFolder(const std::string& path) {
  return target_.ChangeCurrentFolder(path);
}

std::string ForwardingOs::TemporaryFolder() {
  return target_.TemporaryFolder();
}

std::string ForwardingOs::ProgramFolder() {
  return target_.ProgramFolder();
}

std::string ForwardingOs::ReadProfileString(const std::string& file, const std::string& section,
                                            const std::string& key,
                                            const std::string& default_value) {
  return target_.ReadProfileString(file, section, key, default_value);
}

std::unique_ptr<HeldLock> ForwardingOs::LockFile(const std::string& path, int wait_milliseconds) {
  return target_.LockFile(path, wait_milliseconds);
}

TrustVerdict ForwardingOs::TrustOf(const std::string& path) {
  return target_.TrustOf(path);
}

}  // namespace vintor::os
