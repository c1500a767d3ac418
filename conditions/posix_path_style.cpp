// The POSIX rules: '/' separates, there are no drives or network paths, case matters.
// Where Windows asks about a drive, POSIX asks about the file system that holds the
// nearest existing folder of the path.
#include <string>
#include <string_view>

#include "conditions/path_style.h"
#include "conditions/separator_path_style.h"

namespace vintor::conditions {
namespace {

constexpr char kSlash = '/';
// Refused although the file system would take most of them, so that a destination means
// the same to every program that later handles the file, and a name never carries a colon
// that a Windows copy of it could not hold.
constexpr std::string_view kRefusedCharacters = ":,;*?\"><|";

bool IsControlCharacter(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// The folder with one trailing slash, for joining a relative path to it.
std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != kSlash) folder.push_back(kSlash);
  return folder;
}

class PosixStyle final : public SeparatorPathStyle {
 public:
  char Separator() const override { return kSlash; }
  std::size_t PathBufferSize() const override { return 4096; }

  std::string DrivePrefixPart(const std::string& /*path*/) const override { return {}; }
  std::string AfterDrivePart(const std::string& path) const override { return path; }

  bool ReduceToFolder(std::string* path) const override {
    const std::string folder = FolderPart(*path);
    if (folder.empty()) return false;
    *path = folder;  // ends with its slash already
    return true;
  }

  bool HasOnlyValidCharacters(const std::string& path) const override {
    if (HasDoubled(path, kSlash, 0) || ContainsAnyOf(path, kRefusedCharacters)) return false;
    // Control bytes are never part of a double-byte character, so a byte scan is exact.
    for (const char c : path) {
      if (IsControlCharacter(c)) return false;
    }
    return true;
  }

  bool IsDriveValid(const std::string& path, os::Os& os) const override {
    std::string absolute = path;
    if (absolute.empty() || !MakeAbsolute(&absolute, os)) return false;
    const std::string folder = NearestExistingFolder(absolute, os);
    if (folder.empty()) return false;
    switch (os.ClassifyDrive(folder)) {
      case os::DriveType::kUnknown:
      case os::DriveType::kCdRom:
      case os::DriveType::kRamDisk:
        return false;
      case os::DriveType::kRemovable:
      case os::DriveType::kFixed:
      case os::DriveType::kRemote:
        return os.HasAccess(folder, os::AccessMode::kReadWrite);
      case os::DriveType::kNoRootDir:
        return true;
    }
    return true;  // a file system class this table does not know
  }

 protected:
  bool SplitRoot(const std::string& folder, std::string* root, std::string* rest) const override {
    if (folder.empty() || folder[0] != kSlash) return false;
    root->assign(1, kSlash);
    *rest = folder.substr(1);
    return true;
  }

  bool SameNames(std::string_view a, std::string_view b) const override { return a == b; }

  bool MakeAbsolute(std::string* path, os::Os& os) const override {
    if (!path->empty() && (*path)[0] == kSlash) return true;
    const std::string current = os.CurrentFolder();
    if (current.empty()) return false;
    *path = WithTrailingSlash(current) + *path;
    return true;
  }

 private:
  // The path itself when it is a folder, else the closest folder above it that exists;
  // empty when not even the root does.
  static std::string NearestExistingFolder(std::string path, os::Os& os) {
    for (;;) {
      while (path.size() > 1 && path.back() == kSlash) path.pop_back();
      if (os.IsFolder(path)) return path;
      if (path == "/") return {};
      const std::size_t slash = path.rfind(kSlash);
      path = slash == 0 ? "/" : path.substr(0, slash);
    }
  }
};

}  // namespace

const PathStyle& PosixPathStyle() {
  static const PosixStyle style;
  return style;
}

}  // namespace vintor::conditions
