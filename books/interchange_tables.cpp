#include "books/interchange_tables.h"

#include "text/cp932.h"

namespace vintor::books::interchange {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

}  // namespace

std::string NotesFileName(std::int32_t data_number, int kind) {
  return "notes/" + std::to_string(data_number) + "/kind-" + std::to_string(kind) + ".txt";
}

std::string JoinPath(const std::string& folder, std::string_view relative) {
  std::string path = folder;
  // On Linux a backslash is an ordinary character of a name; Windows takes both.
#ifdef _WIN32
  const bool separated = EndsWithSeparator(path);
#else
  const bool separated = !path.empty() && path.back() == '/';
#endif
  if (!path.empty() && !separated) path += kSeparator;
  for (const char c : relative) path += c == '/' ? kSeparator : c;
  return path;
}

bool EndsWithSeparator(std::string_view path) {
  if (path.empty()) return false;
  const std::size_t last = path.size() - 1;
  return (path[last] == '/' || path[last] == '\\') && !text::IsDoubleByteAt(path, last);
}

}  // namespace vintor::books::interchange
