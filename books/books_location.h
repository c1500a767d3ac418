// Where a books file lives when nobody says: the rule `tavrel` (and any other program that
// opens the books) follows, and the folders it creates for a new file.
#pragma once

#include <functional>
#include <string>

#include "os/os.h"

namespace vintor::books {

// The value of an environment variable in CP932; empty when it is unset or empty.
using EnvironmentLookup = std::function<std::string(const std::string& name)>;

enum class PathStyle { kPosix, kWindows };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::kPosix;
#endif

// The books file: `option` when it is not empty, else $TAVREL_BOOKS, else per platform
// $XDG_DATA_HOME/tavrel/books.db (only an absolute XDG_DATA_HOME counts), else
// $HOME/.local/share/tavrel/books.db on POSIX, and %LOCALAPPDATA%\Tavrel\books.db on
// Windows. Empty with *error set when none of these gives a path.
std::string ResolveBooksPath(const std::string& option, const EnvironmentLookup& environment,
                             PathStyle style, std::string* error);

// The folder of a file path, ending with its separator; empty for a bare file name.
std::string FolderOf(const std::string& path);

// Creates the folder of path and every missing folder above it. False when one cannot be
// created (the folders created before stay).
bool CreateFoldersFor(os::Os& os, const std::string& path);

}  // namespace vintor::books
