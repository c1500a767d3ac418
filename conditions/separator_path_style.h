// What the Windows and POSIX path styles share: double-byte aware scans for separators
// and refused characters, the trailing-separator rule, the is-folder test, and the
// creation of a chain of folders that removes what it created when a step fails. Each
// style supplies its separator, its roots, its comparison of names and its length limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "conditions/path_style.h"
#include "os/os.h"

namespace vintor::conditions {

class SeparatorPathStyle : public PathStyle {
 public:
  std::string FolderPart(const std::string& path) const override;
  std::string FileNamePart(const std::string& path) const override;
  bool EnsureTrailingSeparator(std::string* text, std::size_t size) const override;
  bool IsExistingFolder(const std::string& path, os::Os& os) const override;
  bool CreateFolderChain(const std::string& folder, os::Os& os) const override;

  // Removes the existing folders of path's folder chain, deepest first, down to but not
  // including stop (stop and everything above it always stay). Without a stop folder
  // (nullptr) only the deepest existing folder is removed. False when a path has no root
  // of this style or is too long, when path does not lie inside stop, or when a removal
  // fails; the folders above a failed removal stay.
  bool RemoveCreatedFolders(const std::string& path, const std::string* stop, os::Os& os) const;

 protected:
  // Splits a folder that ends with a separator into its root, which ends with a
  // separator, and the rest after it. False when the folder has no root of this style.
  virtual bool SplitRoot(const std::string& folder, std::string* root, std::string* rest) const = 0;
  // Whether two names of the same length name the same thing in this style.
  virtual bool SameNames(std::string_view a, std::string_view b) const = 0;
  // Turns a relative folder into an absolute one before a chain is walked. The default
  // leaves the folder as it is (a relative folder then has no root and is refused).
  virtual bool MakeAbsolute(std::string* /*folder*/, os::Os& /*os*/) const { return true; }

  // Scans by character: the trail byte of a double-byte character never matches.
  // The position of the last single-byte character that is one of chars; npos if none.
  static std::size_t FindLastOf(std::string_view text, std::string_view chars);
  // The position of the first single-byte c at or after from; npos if none.
  static std::size_t FindFrom(std::string_view text, char c, std::size_t from);
  // True when two single-byte c follow each other, the first at or after from.
  static bool HasDoubled(std::string_view text, char c, std::size_t from);
  // True when a single-byte character of text is one of chars.
  static bool ContainsAnyOf(std::string_view text, std::string_view chars);
  // True when the last character of text is the single byte c.
  static bool EndsWith(std::string_view text, char c);
};

}  // namespace vintor::conditions
