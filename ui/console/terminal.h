// The terminal as the console front-end uses it: CP932 text out, CP932 lines in, in the
// charset of the user's locale. File names, arguments and messages come out right whatever
// the locale: a UTF-8 locale and the C/POSIX locale (cron, containers, ssh without a
// locale, where file names are UTF-8 all the same) convert to and from UTF-8; a Shift_JIS
// locale passes the bytes unchanged; any other locale (EUC-JP, ...) converts with its own
// codeset.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace vintor::ui::console {

enum class TerminalCharset {
  kUtf8,    // UTF-8, and the C/POSIX locale
  kRaw,     // Shift_JIS: CP932 bytes as they are
  kLocale,  // the environment locale's own codeset (LocaleCodeset), through iconv
};

// The charset of the environment's locale (LC_ALL, LC_CTYPE, LANG). Leaves the program's
// own locale as it is.
TerminalCharset DetectTerminalCharset();

// The codeset of the environment's locale as nl_langinfo names it ("EUC-JP"); the one
// kLocale converts with.
std::string LocaleCodeset();

// True when standard input is a terminal, so the user can be asked.
bool StandardInputIsTerminal();

// Converts CP932 text for the terminal. A character that does not convert is shown as
// \xNN escapes of its bytes, never dropped or replaced silently.
std::string ToTerminal(std::string_view cp932, TerminalCharset charset);

// Converts a line the user typed (or an argument given) to CP932. False, with *error
// naming the problem, when the text is not valid in the terminal's charset or holds a
// character CP932 cannot hold.
bool FromTerminal(std::string_view typed, TerminalCharset charset, std::string* cp932,
                  std::string* error);

class Terminal {
 public:
  // in and out are not owned and must outlive this object. out is where messages and
  // prompts go (standard error in the program); in is where answers come from.
  Terminal(std::istream& in, std::ostream& out, TerminalCharset charset);

  TerminalCharset charset() const { return charset_; }

  // Writes CP932 text, converted, and flushes. Control characters other than TAB, LF and
  // CR before LF are shown escaped (text::EscapeControls), never acted on by the terminal.
  void Write(std::string_view cp932);
  // Writes a question or a prompt: to the prompt stream when one is set, else like Write.
  void WritePrompt(std::string_view cp932);
  // Where questions and prompts go instead of out (not owned; null for out): the
  // controlling terminal when out is redirected, so "2>log" cannot hide a question.
  void set_prompt_stream(std::ostream* prompts) { prompts_ = prompts; }

  enum class ReadResult { kLine, kEnd };
  // Shows the prompt and reads one line (without its line end) as CP932. A line that does
  // not convert is refused with a message and asked for again. kEnd at the end of input.
  ReadResult Ask(std::string_view prompt, std::string* answer);

 private:
  std::istream& in_;
  std::ostream& out_;
  std::ostream* prompts_ = nullptr;
  TerminalCharset charset_;
};

}  // namespace vintor::ui::console
