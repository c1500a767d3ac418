// The terminal as the console front-end uses it: CP932 text out, CP932 lines in, in the
// charset of the user's locale. On a UTF-8 locale the text is converted both ways; on any
// other locale the bytes pass unchanged (a CP932 terminal, or a log file).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace vintor::ui::console {

enum class TerminalCharset { kUtf8, kRaw };

// The charset of the environment's locale (LC_ALL, LC_CTYPE, LANG): kUtf8 when its codeset
// is UTF-8, else kRaw. Leaves the program's own locale as it is.
TerminalCharset DetectTerminalCharset();

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

  // Writes CP932 text, converted, and flushes.
  void Write(std::string_view cp932);

  enum class ReadResult { kLine, kEnd };
  // Shows the prompt and reads one line (without its line end) as CP932. A line that does
  // not convert is refused with a message and asked for again. kEnd at the end of input.
  ReadResult Ask(std::string_view prompt, std::string* answer);

 private:
  std::istream& in_;
  std::ostream& out_;
  TerminalCharset charset_;
};

}  // namespace vintor::ui::console
