#include "os/scratch_folder.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <system_error>

#include "text/encoding.h"

namespace vintor::os {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// std::filesystem takes native names: UTF-8 bytes on Linux, UTF-16 on Windows. Its own
// narrow-string constructor would use the ANSI code page on Windows, which need not be 932.
bool ToFileSystemPath(const std::string& cp932, std::filesystem::path* path) {
#ifdef _WIN32
  std::wstring native;
  if (!text::Cp932ToUtf16(cp932, &native)) return false;
#else
  std::string native;
  if (!text::Cp932ToUtf8(cp932, &native)) return false;
#endif
  *path = std::filesystem::path(native);
  return true;
}

std::string FromFileSystemName(const std::filesystem::path& name) {
  std::string cp932;
#ifdef _WIN32
  const bool converted = text::Utf16ToCp932(name.native(), &cp932);
#else
  const bool converted = text::Utf8ToCp932(name.native(), &cp932);
#endif
  return converted ? cp932 : "<unconvertible>";
}

}  // namespace

ScratchFolder::ScratchFolder(Os& os) {
  const std::string temporary = os.TemporaryFolder();
  if (temporary.empty()) return;
  std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::string candidate = temporary + "vintor_scratch_" + std::to_string(random());
    if (os.CreateFolder(candidate)) {
      path_ = candidate + kSeparator;
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  std::filesystem::path folder;
  if (path_.empty() || !ToFileSystemPath(path_, &folder)) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

std::vector<std::string> ScratchFolder::Names() const {
  std::vector<std::string> names;
  std::filesystem::path folder;
  if (path_.empty() || !ToFileSystemPath(path_, &folder)) return names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(FromFileSystemName(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vintor::os
