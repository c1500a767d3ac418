// Text for the person at a terminal, from the command-line programs (tavrel, vintor-view).
#pragma once

#include <cstdio>
#include <string_view>

namespace vintor::os {

// Writes CP932 text to stdout or stderr in the terminal's charset and flushes the stream:
// UTF-8 on Linux; on Windows the console's own wide characters, or the CP932 bytes
// themselves when the stream is redirected (the code page of the system the product runs
// on). Text that does not convert is written as its bytes rather than lost.
void PrintCp932(std::FILE* stream, std::string_view cp932);

}  // namespace vintor::os
