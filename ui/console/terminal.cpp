#include "ui/console/terminal.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <istream>
#include <ostream>

#include "text/control_escapes.h"
#include "text/cp932.h"
#include "text/encoding.h"

namespace vintor::ui::console {
namespace {

bool IsUtf8Codeset(std::string_view codeset) {
  return codeset == "UTF-8" || codeset == "utf-8" || codeset == "UTF8" || codeset == "utf8";
}

// The C/POSIX locale names plain ASCII; file names and arguments there are UTF-8 in
// practice, and reading them as anything else mangles every non-ASCII name.
bool IsPlainAsciiCodeset(std::string_view codeset) {
  return codeset == "ANSI_X3.4-1968" || codeset == "ASCII" || codeset == "US-ASCII" ||
         codeset == "646" || codeset.empty();
}

bool IsShiftJisCodeset(std::string_view codeset) {
  return codeset == "SHIFT_JIS" || codeset == "SJIS" || codeset == "CP932" ||
         codeset == "WINDOWS-31J" || codeset == "Shift_JIS";
}

// Converts between two codesets; false when the input does not convert whole.
bool ConvertCodeset(const char* to, const char* from, std::string_view input, std::string* output) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string out(input.size() * 4 + 16, '\0');
  char* in_at = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  char* out_at = out.data();
  std::size_t out_left = out.size();
  const std::size_t result = iconv(converter, &in_at, &in_left, &out_at, &out_left);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || in_left != 0) return false;
  out.resize(out.size() - out_left);
  *output = std::move(out);
  return true;
}

}  // namespace

std::string LocaleCodeset() {
  // A locale object of its own keeps the program's global locale untouched. A locale the
  // system does not have counts as the C locale, as the C library takes it.
  locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return "ANSI_X3.4-1968";
  std::string codeset = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  return codeset;
}

TerminalCharset DetectTerminalCharset() {
  const std::string codeset = LocaleCodeset();
  if (IsUtf8Codeset(codeset) || IsPlainAsciiCodeset(codeset)) return TerminalCharset::kUtf8;
  if (IsShiftJisCodeset(codeset)) return TerminalCharset::kRaw;
  return TerminalCharset::kLocale;
}

bool StandardInputIsTerminal() {
  return isatty(STDIN_FILENO) == 1;
}

namespace {

// One CP932 character or text for the terminal; false when it does not convert.
bool ConvertOut(std::string_view cp932, TerminalCharset charset, const std::string& codeset,
                std::string* out) {
  std::string utf8;
  if (!text::Cp932ToUtf8(cp932, &utf8)) return false;
  if (charset == TerminalCharset::kUtf8) {
    *out = std::move(utf8);
    return true;
  }
  return ConvertCodeset(codeset.c_str(), "UTF-8", utf8, out);
}

}  // namespace

std::string ToTerminal(std::string_view cp932, TerminalCharset charset) {
  if (charset == TerminalCharset::kRaw) return std::string(cp932);
  const std::string codeset = charset == TerminalCharset::kLocale ? LocaleCodeset() : "UTF-8";
  std::string whole;
  if (ConvertOut(cp932, charset, codeset, &whole)) return whole;
  // Convert character by character so only what does not convert is escaped.
  std::string out;
  for (std::size_t k = 0; k < cp932.size();) {
    const std::size_t length = text::CharacterLengthAt(cp932, k);
    const std::string_view character = cp932.substr(k, length);
    std::string converted;
    if (ConvertOut(character, charset, codeset, &converted)) {
      out += converted;
    } else {
      text::AppendHexEscaped(character, &out);
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
  if (charset == TerminalCharset::kUtf8) return text::Utf8ToCp932(typed, cp932, error);
  const std::string codeset = LocaleCodeset();
  std::string utf8;
  if (!ConvertCodeset("UTF-8", codeset.c_str(), typed, &utf8)) {
    if (error != nullptr) *error = "the text is not valid " + codeset;
    return false;
  }
  return text::Utf8ToCp932(utf8, cp932, error);
}

Terminal::Terminal(std::istream& in, std::ostream& out, TerminalCharset charset)
    : in_(in), out_(out), charset_(charset) {}

// Messages name paths and values that come from users and files, some through code that
// does not know they end up on a terminal: only the line layout of a message is let
// through as it is, and any other control character is shown instead.
void Terminal::Write(std::string_view cp932) {
  out_ << ToTerminal(text::EscapeControls(cp932, text::LineLayout::kKept), charset_);
  out_.flush();
}

void Terminal::WritePrompt(std::string_view cp932) {
  std::ostream& to = prompts_ != nullptr ? *prompts_ : out_;
  to << ToTerminal(text::EscapeControls(cp932, text::LineLayout::kKept), charset_);
  to.flush();
}

Terminal::ReadResult Terminal::Ask(std::string_view prompt, std::string* answer) {
  for (;;) {
    WritePrompt(prompt);
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
