#include "app/host_handshake.h"

#include "text/decimal.h"

namespace vintor::app {

bool ParseHostHandshake(const std::string& arguments, HostHandshake* handshake) {
  if (arguments.empty()) return false;
  const std::size_t first = arguments.find(',');
  if (first == std::string::npos) return false;
  // The window number is kept as the 32 bits a window handle of the host's kind holds.
  handshake->host_window =
      static_cast<std::uint32_t>(text::ParseDecimal(std::string_view(arguments).substr(0, first)));

  // The message is read up to the next comma or the end, so "123,456" keeps both numbers
  // although it is no hand-shake; the function number is kept only with its closing comma.
  const std::size_t second = arguments.find(',', first + 1);
  const std::size_t message_end = second == std::string::npos ? arguments.size() : second;
  handshake->host_message = static_cast<std::uint32_t>(
      text::ParseDecimal(std::string_view(arguments).substr(first + 1, message_end - first - 1)));
  if (second == std::string::npos) return false;

  const std::size_t third = arguments.find(',', second + 1);
  if (third == std::string::npos) return false;
  // Only the low 16 bits travel: 70000 becomes 4464 and 40000 becomes -25536.
  const std::int32_t function =
      text::ParseDecimal(std::string_view(arguments).substr(second + 1, third - second - 1));
  handshake->function_number =
      static_cast<std::int16_t>(static_cast<std::uint16_t>(function & 0xFFFF));

  if (third + 1 < arguments.size()) handshake->output_path = arguments.substr(third + 1);
  return true;
}

}  // namespace vintor::app
