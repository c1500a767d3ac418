// The Windows rules: backslash, drive letters and network paths ("\\server\share\..."),
// ASCII letters compared without regard to case, folder paths of at most 260 bytes.
#include <string>
#include <string_view>

#include "conditions/path_style.h"
#include "conditions/separator_path_style.h"
#include "text/cp932.h"

namespace vintor::conditions {
namespace {

constexpr char kBackslash = '\\';
// Refused in a destination even where the file system would take them (comma and
// semicolon); a colon after the drive's own is refused here too.
constexpr std::string_view kRefusedCharacters = "/:,;*?\"><|";

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsNetworkPath(std::string_view path) {
  return path.size() >= 2 && path[0] == kBackslash && path[1] == kBackslash;
}

class WindowsStyle final : public SeparatorPathStyle {
 public:
  char Separator() const override { return kBackslash; }
  std::size_t PathBufferSize() const override { return 261; }

  std::string DrivePrefixPart(const std::string& path) const override {
    const std::size_t colon = FindLastOf(path, ":");
    return colon == std::string::npos ? std::string() : path.substr(0, colon + 1);
  }

  std::string AfterDrivePart(const std::string& path) const override {
    const std::size_t colon = FindLastOf(path, ":");
    return colon == std::string::npos ? path : path.substr(colon + 1);
  }

  // The drive is the first two bytes when the second is a colon; the folder runs through
  // the last backslash or slash after it, as the C run-time splits a path.
  bool ReduceToFolder(std::string* path) const override {
    if (path->empty()) return false;
    const std::size_t drive_length = path->size() >= 2 && (*path)[1] == ':' ? 2 : 0;
    const std::string_view after_drive = std::string_view(*path).substr(drive_length);
    const std::size_t last = FindLastOf(after_drive, "\\/");
    std::string folder = path->substr(0, drive_length);
    if (last != std::string_view::npos) folder.append(after_drive.substr(0, last + 1));
    if (folder.empty()) return false;
    if (!EndsWith(folder, kBackslash) && folder.size() < path->size()) folder.push_back(kBackslash);
    *path = folder;
    return true;
  }

  bool HasOnlyValidCharacters(const std::string& path) const override {
    std::string_view checked = path;
    if (IsNetworkPath(path)) {
      // The two leading backslashes are the only doubled ones allowed.
      if (HasDoubled(path, kBackslash, 3)) return false;
      checked.remove_prefix(2);
    } else {
      if (HasDoubled(path, kBackslash, 0)) return false;
      const std::size_t colon = FindFrom(path, ':', 0);
      if (colon != std::string::npos) checked.remove_prefix(colon + 1);
    }
    return !ContainsAnyOf(checked, kRefusedCharacters);
  }

  bool IsDriveValid(const std::string& path, os::Os& os) const override {
    if (IsNetworkPath(path)) {
      // The share root "\\server\share" must be readable and writable; a path that names
      // a server but no share has none.
      const std::size_t server_end = FindFrom(path, kBackslash, 3);
      if (server_end == std::string::npos) return false;
      const std::size_t share_end = FindFrom(path, kBackslash, server_end + 1);
      if (share_end == std::string::npos) return false;
      return os.HasAccess(path.substr(0, share_end), os::AccessMode::kReadWrite);
    }
    if (path.empty() || HasDoubled(path, kBackslash, 0)) return false;
    // A relative path (out.xml) is taken at its first letter, as the drive letter; a letter
    // without a volume passes and the file is simply written to the current folder.
    if (text::CharacterLengthAt(path, 0) != 1) return false;
    return IsDriveUsable(path[0], os::AccessMode::kReadWrite, os);
  }

 protected:
  // Roots are "X:\" and "\\server\share\"; a path rooted on the current drive ("\dir\")
  // or relative has no root of its own here.
  bool SplitRoot(const std::string& folder, std::string* root, std::string* rest) const override {
    std::size_t root_length = 0;
    if (IsNetworkPath(folder)) {
      const std::size_t server_end = FindFrom(folder, kBackslash, 2);
      if (server_end == std::string::npos) return false;
      const std::size_t share_end = FindFrom(folder, kBackslash, server_end + 1);
      if (share_end == std::string::npos) return false;
      root_length = share_end + 1;
    } else if (folder.size() >= 3 && text::CharacterLengthAt(folder, 0) == 1 && folder[1] == ':' &&
               folder[2] == kBackslash) {
      root_length = 3;
    } else {
      return false;
    }
    *root = folder.substr(0, root_length);
    *rest = folder.substr(root_length);
    return true;
  }

  bool SameNames(std::string_view a, std::string_view b) const override {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
      const std::size_t length = text::CharacterLengthAt(a, i);
      // Only single-byte letters fold; the second byte of a double-byte character that
      // happens to be a letter must match exactly.
      if (length == 2 ? a.compare(i, 2, b.substr(i, 2)) != 0
                      : AsciiUpper(a[i]) != AsciiUpper(b[i])) {
        return false;
      }
      i += length;
    }
    return true;
  }

 private:
  static bool IsDriveUsable(char letter, os::AccessMode mode, os::Os& os) {
    if (!IsAsciiLetter(letter)) return false;
    const std::string root = {AsciiUpper(letter), ':', kBackslash};
    switch (os.ClassifyDrive(root)) {
      case os::DriveType::kUnknown:
      case os::DriveType::kCdRom:
      case os::DriveType::kRamDisk:
        return false;
      case os::DriveType::kNoRootDir:
        return true;
      case os::DriveType::kRemovable:
      case os::DriveType::kFixed:
      case os::DriveType::kRemote:
        return os.HasAccess(root, mode);
    }
    return true;  // a drive class this table does not know
  }
};

}  // namespace

const PathStyle& WindowsPathStyle() {
  static const WindowsStyle style;
  return style;
}

}  // namespace vintor::conditions
