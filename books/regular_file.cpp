#include "books/regular_file.h"

#include <sys/stat.h>
#include <sys/types.h>

#include "text/encoding.h"

namespace vintor::books {

FileKind KindOfFile(const std::string& path, std::uint64_t* size) {
  *size = 0;
#ifdef _WIN32
  std::wstring native;
  if (!text::Cp932ToUtf16(path, &native)) return FileKind::kMissing;
  struct _stat64 status {};
  if (::_wstat64(native.c_str(), &status) != 0) return FileKind::kMissing;
  if ((status.st_mode & _S_IFMT) != _S_IFREG) return FileKind::kOther;
#else
  std::string native;
  if (!text::Cp932ToUtf8(path, &native)) return FileKind::kMissing;
  struct stat status {};
  if (::stat(native.c_str(), &status) != 0) return FileKind::kMissing;
  if (!S_ISREG(status.st_mode)) return FileKind::kOther;
#endif
  *size = static_cast<std::uint64_t>(status.st_size);
  return FileKind::kRegular;
}

std::string WhyNotReadableFile(const std::string& path, std::uint64_t max_size) {
  std::uint64_t size = 0;
  switch (KindOfFile(path, &size)) {
    case FileKind::kMissing:
      return "it is missing";
    case FileKind::kOther:
      return "it is not a regular file (a folder, FIFO or device)";
    case FileKind::kRegular:
      break;
  }
  if (size > max_size) {
    return "it is " + std::to_string(size) + " bytes long, more than the " +
           std::to_string(max_size) + " this program reads";
  }
  return {};
}

}  // namespace vintor::books
