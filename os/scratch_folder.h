// A test aid: a fresh, uniquely named folder in the temporary folder that is removed with
// everything in it when the object is destroyed. Tests in any folder of the project use it
// to write real files through the Os without meeting each other's leftovers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "os/os.h"

namespace vintor::os {

class ScratchFolder {
 public:
  // Creates the folder through os (not owned; it must outlive this object). path() is
  // empty when no folder could be created.
  explicit ScratchFolder(Os& os);
  // Removes the folder and everything in it; errors are ignored.
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder, ending with the platform's separator.
  const std::string& path() const { return path_; }
  // The path of name inside the folder.
  std::string PathOf(std::string_view name) const { return path_ + std::string(name); }
  // The CP932 names of the entries directly inside the folder, sorted; a name without a
  // CP932 form appears as "<unconvertible>".
  std::vector<std::string> Names() const;

 private:
  std::string path_;
};

}  // namespace vintor::os
