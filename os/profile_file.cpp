#include "os/profile_file.h"

#include "text/cp932.h"

namespace vintor::os {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  // A trail byte is never a blank (trail bytes start at 0x40), so trimming from the end
  // cannot cut a double-byte character in half.
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldAsciiCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Case folding applies to single-byte characters only: the trail byte of a double-byte
// character can lie in the ASCII letter range (0x41-0x5A, 0x61-0x7A), and folding it
// would make two different kanji equal.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t k = 0;
  while (k < a.size()) {
    const std::size_t length = text::CharacterLengthAt(a, k);
    if (length == 2) {
      if (a.substr(k, 2) != b.substr(k, 2)) return false;
    } else if (FoldAsciiCase(a[k]) != FoldAsciiCase(b[k])) {
      return false;
    }
    k += length;
  }
  return true;
}

// The name of a section line whose '[' has been stripped. The scan for ']' walks
// characters because ']' (0x5D) can be the trail byte of a double-byte character.
std::string_view SectionName(std::string_view after_bracket) {
  std::size_t k = 0;
  while (k < after_bracket.size() && after_bracket[k] != ']') {
    k += text::CharacterLengthAt(after_bracket, k);
  }
  return TrimBlanks(after_bracket.substr(0, k));
}

std::string_view Unquoted(std::string_view value) {
  // Neither quote byte (0x22, 0x27) can be a trail byte, so the last byte is a whole
  // character when it is a quote.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Splits off the next line; CR LF, LF and CR all end a line. None of them can be a trail
// byte, so a plain byte search is safe.
std::string_view NextLine(std::string_view* rest) {
  const std::size_t end = rest->find_first_of("\r\n");
  if (end == std::string_view::npos) {
    const std::string_view line = *rest;
    *rest = {};
    return line;
  }
  const std::string_view line = rest->substr(0, end);
  std::size_t next = end + 1;
  if ((*rest)[end] == '\r' && next < rest->size() && (*rest)[next] == '\n') ++next;
  rest->remove_prefix(next);
  return line;
}

}  // namespace

std::string LookUpProfileString(std::string_view file_contents, std::string_view section,
                                std::string_view key, std::string_view default_value) {
  const std::string_view wanted_section = TrimBlanks(section);
  const std::string_view wanted_key = TrimBlanks(key);
  bool in_section = false;
  std::string_view rest = file_contents;
  while (!rest.empty()) {
    const std::string_view line = TrimBlanks(NextLine(&rest));
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      // Only the first section of the name is searched: when it ends without the key,
      // later sections of the same name are not consulted.
      if (in_section) break;
      in_section = EqualIgnoringAsciiCase(SectionName(line.substr(1)), wanted_section);
      continue;
    }
    if (!in_section) continue;
    // '=' (0x3D) is below the trail-byte range, so the first '=' byte is a real one.
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (EqualIgnoringAsciiCase(TrimBlanks(line.substr(0, equals)), wanted_key)) {
      return std::string(Unquoted(TrimBlanks(line.substr(equals + 1))));
    }
  }
  return std::string(default_value);
}

}  // namespace vintor::os
