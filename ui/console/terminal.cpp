#include "ui/console/terminal.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <cstdio>
#include <istream>
#include <ostream>

#include "text/cp932.h"
#include "text/encoding.h"

namespace vintor::ui::console {
namespace {

bool IsUtf8Codeset(std::string_view codeset) {
  return codeset == "UTF-8" || codeset == "utf-8" || codeset == "UTF8" || codeset == "utf8";
}

void AppendEscaped(std::string_view bytes, std::string* out) {
  char escaped[8];
  for (unsigned char byte : bytes) {
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    out->append(escaped);
  }
}

}  // namespace

TerminalCharset DetectTerminalCharset() {
  // A locale object of its own keeps the program's global locale untouched.
  locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return TerminalCharset::kRaw;
  const bool utf8 = IsUtf8Codeset(nl_langinfo_l(CODESET, locale));
  freelocale(locale);
  return utf8 ? TerminalCharset::kUtf8 : TerminalCharset::kRaw;
}

bool StandardInputIsTerminal() {
  return isatty(STDIN_FILENO) == 1;
}

std::string ToTerminal(std::string_view cp932, TerminalCharset charset) {
  if (charset == TerminalCharset::kRaw) return std::string(cp932);
  std::string utf8;
  if (text::Cp932ToUtf8(cp932, &utf8)) return utf8;
  // Convert character by character so only what does not convert is escaped.
  std::string out;
  for (std::size_t k = 0; k < cp932.size();) {
    const std::size_t length = text::CharacterLengthAt(cp932, k);
    const std::string_view character = cp932.substr(k, length);
    std::string converted;
    if (text::Cp932ToUtf8(character, &converted)) {
      out += converted;
    } else {
      AppendEscaped(character, &out);
    }
    k += length;
  }
  return out;
}

bool FromTerminal(std::string_view typed, TerminalCharset charset, std::string* cp932,
                  std::string* error) {
  if (charset == TerminalCharset::kRaw) {
    *cp932 = std::string(typed);
    return true;
  }
  return text::Utf8ToCp932(typed, cp932, error);
}

Terminal::Terminal(std::istream& in, std::ostream& out, TerminalCharset charset)
    : in_(in), out_(out), charset_(charset) {}

void Terminal::Write(std::string_view cp932) {
  out_ << ToTerminal(cp932, charset_);
  out_.flush();
}

Terminal::ReadResult Terminal::Ask(std::string_view prompt, std::string* answer) {
  for (;;) {
    Write(prompt);
    std::string line;
    if (!std::getline(in_, line)) {
      Write("\n");
      return ReadResult::kEnd;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string error;
    if (FromTerminal(line, charset_, answer, &error)) return ReadResult::kLine;
    Write("入力された文字を扱えません: " + error + "\n");
  }
}

}  // namespace vintor::ui::console
