#include "app/note_text.h"

#include <gtest/gtest.h>

namespace vintor::app {
namespace {

TEST(SplitNoteTextTest, CutsAtEveryCrLfAndDecodesEntities) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> lines;
  } const cases[] = {
      {"empty line kept", "A\r\n\r\nB", {"A", "", "B"}},
      {"no line end", "A", {"A"}},
      {"empty text", "", {}},
      {"closing CR LF adds no empty line", "A\r\nB\r\n", {"A", "B"}},
      {"lone LF is text", "A\nB\r\nC", {"A\nB", "C"}},
      {"entities in order", "&amp;lt;&lt;&gt;&apos;&quot;&amp;amp;", {"<<>'\"&amp;"}},
      {"a single CR LF", "\r\n", {""}},
      {"double-byte text", "<Line>表示ソフト</Line>\r\n", {"<Line>表示ソフト</Line>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SplitNoteText(c.text), c.lines);
  }
}

}  // namespace
}  // namespace vintor::app
