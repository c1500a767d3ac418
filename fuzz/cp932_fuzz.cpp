// CP932 text arrives from the books, the command line and the notes: the byte helpers
// must never read past the text or split a character, and text that converts to UTF-8
// converts back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/cp932.h"
#include "text/decimal.h"
#include "text/encoding.h"
#include "text/full_width.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::size_t limit : {std::size_t{0}, std::size_t{1}, size / 2, size}) {
    const std::string_view prefix = vintor::text::PrefixOnCharacterBoundary(text, limit);
    if (prefix.size() > limit) std::abort();
    if (!prefix.empty() && vintor::text::IsDoubleByteAt(text, prefix.size() - 1) &&
        !vintor::text::IsDoubleByteAt(prefix, prefix.size() - 1)) {
      std::abort();  // the prefix ends in half a character
    }
  }
  char field[31];
  vintor::text::CopyBounded(text, field);
  vintor::text::ParseDecimal(text);
  if (vintor::text::ToFullWidth(text).size() > 2 * size) std::abort();

  std::string utf8;
  if (vintor::text::Cp932ToUtf8(text, &utf8)) {
    std::string back;
    if (!vintor::text::Utf8ToCp932(utf8, &back)) std::abort();
    // The NEC and IBM rows hold a few characters twice; they come back as the one form
    // Windows writes, which must convert to the same text again.
    std::string utf8_again;
    if (!vintor::text::Cp932ToUtf8(back, &utf8_again) || utf8_again != utf8) std::abort();
  }
  return 0;
}
