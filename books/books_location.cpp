#include "books/books_location.h"

#include "text/cp932.h"

namespace vintor::books {
namespace {

bool IsSeparatorAt(const std::string& path, std::size_t k) {
  return (path[k] == '/' || (kNativePathStyle == PathStyle::kWindows && path[k] == '\\')) &&
         !text::IsDoubleByteAt(path, k);
}

}  // namespace

std::string ResolveBooksPath(const std::string& option, const EnvironmentLookup& environment,
                             PathStyle style, std::string* error) {
  if (!option.empty()) return option;
  if (std::string path = environment("TAVREL_BOOKS"); !path.empty()) return path;
  if (style == PathStyle::kWindows) {
    const std::string local = environment("LOCALAPPDATA");
    if (!local.empty()) {
      const bool separated = local.back() == '\\' && !text::IsDoubleByteAt(local, local.size() - 1);
      return local + (separated ? "" : "\\") + "Tavrel\\books.db";
    }
    *error = "LOCALAPPDATA is not set; name the books file with --books or TAVREL_BOOKS";
    return {};
  }
  const auto under = [](std::string folder, const char* rest) {
    if (folder.back() != '/') folder += '/';
    return folder + rest;
  };
  // The XDG base-directory rules ignore a relative XDG_DATA_HOME.
  if (const std::string data_home = environment("XDG_DATA_HOME"); data_home.starts_with("/"))
    return under(data_home, "tavrel/books.db");
  if (const std::string home = environment("HOME"); !home.empty())
    return under(home, ".local/share/tavrel/books.db");
  *error =
      "neither XDG_DATA_HOME nor HOME is set; name the books file with --books or "
      "TAVREL_BOOKS";
  return {};
}

std::string FolderOf(const std::string& path) {
  for (std::size_t k = path.size(); k > 0; --k) {
    if (IsSeparatorAt(path, k - 1)) return path.substr(0, k);
  }
  return {};
}

bool CreateFoldersFor(os::Os& os, const std::string& path) {
  const std::string folder = FolderOf(path);
  // Every separator after the first character ends one folder of the chain. The root
  // ("/", "C:\") and a drive ("C:") are never created, nor the server and share of a
  // Windows network path (\\server\share\ ...).
  std::size_t first = 1;
  if (kNativePathStyle == PathStyle::kWindows && folder.size() > 2 && IsSeparatorAt(folder, 0) &&
      IsSeparatorAt(folder, 1)) {
    int separators = 0;
    for (first = 2; first < folder.size(); ++first) {
      if (IsSeparatorAt(folder, first) && ++separators == 2) break;
    }
    ++first;
  }
  for (std::size_t k = first; k < folder.size(); ++k) {
    if (!IsSeparatorAt(folder, k)) continue;
    const std::string prefix = folder.substr(0, k);
    if (prefix.size() == 2 && prefix[1] == ':') continue;
    if (!os.IsFolder(prefix) && !os.CreateFolder(prefix)) return false;
  }
  return true;
}

}  // namespace vintor::books
