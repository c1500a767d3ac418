#include "app/host_handshake.h"

#include <string_view>

#include "text/decimal.h"

namespace vintor::app {
namespace {

constexpr std::uint64_t kMaxUnsigned32 = 0xFFFFFFFFu;

// The value of a field of decimal digits alone, up to max; false for anything else.
bool ExactNumber(std::string_view field, std::uint64_t max, std::uint64_t* value) {
  if (field.empty() || field.size() > 10) return false;
  std::uint64_t read = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return false;
    read = read * 10 + static_cast<std::uint64_t>(c - '0');
  }
  *value = read;
  return read <= max;
}

// A window or message field: exact when it is digits alone, else as atoi reads it (a
// 32-bit window handle above 2147483647 would otherwise saturate into another window).
std::uint32_t ReadUnsignedField(std::string_view field) {
  std::uint64_t exact = 0;
  if (ExactNumber(field, kMaxUnsigned32, &exact)) return static_cast<std::uint32_t>(exact);
  return static_cast<std::uint32_t>(text::ParseDecimal(field));
}

// The window and message fields of a text with at least one comma.
void SplitWindowFields(std::string_view arguments, std::string_view* window,
                       std::string_view* message) {
  const std::size_t first = arguments.find(',');
  const std::size_t second = arguments.find(',', first + 1);
  *window = arguments.substr(0, first);
  *message = arguments.substr(
      first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
}

}  // namespace

bool ParseHostHandshake(const std::string& arguments, HostHandshake* handshake) {
  if (arguments.empty()) return false;
  const std::size_t first = arguments.find(',');
  if (first == std::string::npos) return false;
  // The window number is kept as the 32 bits a window handle of the host's kind holds. The
  // message is read up to the next comma or the end, so "123,456" keeps both numbers
  // although it is no hand-shake; the function number is kept only with its closing comma.
  std::string_view window, message;
  SplitWindowFields(arguments, &window, &message);
  handshake->host_window = ReadUnsignedField(window);
  handshake->host_message = ReadUnsignedField(message);
  const std::size_t second = arguments.find(',', first + 1);
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

bool HostWindowFieldsAreExact(const std::string& arguments) {
  if (arguments.find(',') == std::string::npos) return false;
  std::string_view window, message;
  SplitWindowFields(arguments, &window, &message);
  std::uint64_t value = 0;
  return ExactNumber(window, kMaxUnsigned32, &value) && value != 0 &&
         ExactNumber(message, kMaxUnsigned32, &value);
}

std::string HostHandshakeProblem(const std::string& arguments) {
  const std::size_t first = arguments.find(',');
  const std::size_t second = first == std::string::npos ? first : arguments.find(',', first + 1);
  const std::size_t third = second == std::string::npos ? second : arguments.find(',', second + 1);
  if (third == std::string::npos)
    return "「ウィンドウ番号,メッセージ番号,機能番号,出力先」の形ではありません";
  std::string_view window, message;
  SplitWindowFields(arguments, &window, &message);
  std::uint64_t value = 0;
  // Window 0 is the null handle: it names no window, so nobody would ever be told.
  if (!ExactNumber(window, kMaxUnsigned32, &value) || value == 0)
    return "ウィンドウ番号は 1 から 4294967295 までの数字で指定してください";
  if (!ExactNumber(message, kMaxUnsigned32, &value))
    return "メッセージ番号は 0 から 4294967295 までの数字で指定してください";
  std::string_view function = std::string_view(arguments).substr(second + 1, third - second - 1);
  const bool negative = function.starts_with('-');
  if (negative) function.remove_prefix(1);
  if (!ExactNumber(function, negative ? 2147483648u : 2147483647u, &value))
    return "機能番号は -2147483648 から 2147483647 までの整数で指定してください";
  // None of these bytes is a CP932 trail byte, so a byte scan finds only real controls.
  for (std::size_t k = third + 1; k < arguments.size(); ++k) {
    const auto byte = static_cast<unsigned char>(arguments[k]);
    if (byte < 0x20 || byte == 0x7F) return "出力先に制御文字があります";
  }
  return {};
}

}  // namespace vintor::app
