#include "text/control_escapes.h"

#include <gtest/gtest.h>

namespace vintor::text {
namespace {

TEST(ControlEscapesTest, ShowsControlsAndKeepsEveryCharacterWhole) {
  struct Case {
    std::string_view text;
    LineLayout layout;
    std::string_view shown;
  } const cases[] = {
      {"--frob", LineLayout::kEscaped, "--frob"},
      {"--\x1B[31mred", LineLayout::kEscaped, "--\\x1B[31mred"},
      {std::string_view("a\0b\x7F", 4), LineLayout::kEscaped, "a\\x00b\\x7F"},
      {"a\tb\r\nc\rd\x08", LineLayout::kEscaped, "a\\x09b\\x0D\\x0Ac\\x0Dd\\x08"},
      {"a\tb\r\nc\rd\x08", LineLayout::kKept, "a\tb\r\nc\\x0Dd\\x08"},
      // Trail bytes 0x5C and 0x7C (表, ポ) and a backslash of its own stay as they are.
      {"\x95\x5C\x83\x7C\\x", LineLayout::kEscaped, "\x95\x5C\x83\x7C\\x"},
      // A lead byte before a control is no character with it: the control is shown.
      {"\x95\x1B", LineLayout::kEscaped, "\x95\\x1B"},
      {"\x81", LineLayout::kEscaped, "\x81"},
      {"", LineLayout::kKept, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeControls(c.text, c.layout), c.shown) << c.text;
  }
}

}  // namespace
}  // namespace vintor::text
