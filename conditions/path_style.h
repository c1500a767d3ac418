// Path operations of the output destination checks, in two styles: the Windows rules
// (backslash, drive letters, network paths, CP932-aware scans) and the POSIX rules (slash,
// no drives). The platform's own style is chosen by the build (NativePathStyle); both are
// unit-tested on every build through a fake OS seam.
//
// Every scan for a separator or a refused character is double-byte aware: the trail byte
// of a CP932 character (表 ends in 0x5C, ポ in 0x7C) never counts as a separator or as one
// of the refused characters.
#pragma once

#include <string>

#include "os/os.h"

namespace vintor::conditions {

class PathStyle {
 public:
  virtual ~PathStyle() = default;

  virtual char Separator() const = 0;
  // Bytes a path may take including the terminator, as in the fixed buffers the paths are
  // kept in: 261 on Windows (260 characters), 4096 on POSIX.
  virtual std::size_t PathBufferSize() const = 0;

  // The text up to and including the last separator; empty when there is none.
  virtual std::string FolderPart(const std::string& path) const = 0;
  // The text after the last separator; the whole path when there is none.
  virtual std::string FileNamePart(const std::string& path) const = 0;
  // The text up to and including the last drive colon; empty when there is none (always
  // empty in the POSIX style).
  virtual std::string DrivePrefixPart(const std::string& path) const = 0;
  // The text after the last drive colon; the whole path when there is none.
  virtual std::string AfterDrivePart(const std::string& path) const = 0;
  // Appends a separator unless the text already ends with one that is not part of a
  // double-byte character. False when the text is empty or a separator is needed but the
  // text is size - 1 bytes or longer (size counts the terminator, e.g. 261).
  virtual bool EnsureTrailingSeparator(std::string* text, std::size_t size) const = 0;
  // Reduces a path to its folder (drive and folder of the path split), with a trailing
  // separator when the result is shorter than the input. False for an empty path or an
  // empty result.
  virtual bool ReduceToFolder(std::string* path) const = 0;
  // True when the folder of the path exists (ReduceToFolder, then the is-folder test).
  virtual bool IsExistingFolder(const std::string& path, os::Os& os) const = 0;
  // Creates every missing folder of the chain; on failure removes exactly the folders
  // this call created and answers false.
  virtual bool CreateFolderChain(const std::string& folder, os::Os& os) const = 0;
  // The character test of the destination checks.
  virtual bool HasOnlyValidCharacters(const std::string& path) const = 0;
  // The drive (or file system) test of the destination checks.
  virtual bool IsDriveValid(const std::string& path, os::Os& os) const = 0;
};

const PathStyle& WindowsPathStyle();
const PathStyle& PosixPathStyle();
// Windows style on Windows, POSIX style elsewhere.
const PathStyle& NativePathStyle();

}  // namespace vintor::conditions
