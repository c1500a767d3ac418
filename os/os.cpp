#include "os/os.h"

namespace vintor::os {

bool Os::ReplaceFileAtomically(const std::string& path, std::string_view contents) {
  // Goes through the virtual calls so that a test double which overrides OpenReplacement
  // (or wraps the file it returns) sees and can fail every step.
  std::unique_ptr<ReplacementFile> file = OpenReplacement(path);
  if (file == nullptr) return false;
  // On a failed Append the replacement is destroyed uncommitted, which removes its
  // temporary file and leaves the target as it was.
  if (!file->Append(contents)) return false;
  return file->Commit();
}

}  // namespace vintor::os
