// The hand-shake a host program passes on the command line to start the exporter: four
// comma-separated fields "window,message,function,path". With a valid hand-shake the
// exporter disables the host window during the run, takes the host's output path, writes
// the function number into the report and posts the host a completion message at exit.
#pragma once

#include <cstdint>
#include <string>

#include "platform/library.h"

namespace vintor::app {

struct HostHandshake {
  platform::WindowHandle host_window = 0;  // field 1, 32 bits
  std::uint32_t host_message = 0;          // field 2
  std::int16_t function_number = 3;        // field 3, its low 16 bits; 3 without a host
  std::string output_path;                 // field 4, commas included; may be empty
};

// The function number written to the report when no host started the program.
inline constexpr std::int16_t kStandAloneFunctionNumber = 3;

// Parses the argument text into *handshake, storing each field as soon as it has been read
// (so "123,456" sets window and message although it is not valid; the function number
// stays 3 unless its field is closed by the third comma). True when the text has
// at least three commas. A window or message of digits alone up to 4294967295 is read
// exactly; other numbers are read like atoi. No quoting is recognised. Texts of any
// length are read whole.
bool ParseHostHandshake(const std::string& arguments, HostHandshake* handshake);

// Empty when arguments is a hand-shake as a host writes it: at least three commas, the
// window a decimal number from 1 to 4294967295, the message one from 0 to 4294967295, the
// function number a decimal integer within 32 bits (an optional minus sign, then digits),
// and a path without control characters. Otherwise why not (CP932, for a message): texts
// that ParseHostHandshake would read as some other window, message or path than meant.
std::string HostHandshakeProblem(const std::string& arguments);

// True when the text's window and message fields are exact (as HostHandshakeProblem wants
// them) even if the rest is not: a host can then be told that its hand-shake was refused.
bool HostWindowFieldsAreExact(const std::string& arguments);

// The completion message's first parameter: the function number sign-extended to 32 bits.
inline std::int32_t CompletionWParam(const HostHandshake& handshake) {
  return handshake.function_number;
}

}  // namespace vintor::app
