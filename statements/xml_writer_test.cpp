#include "statements/xml_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

namespace vintor::statements {
namespace {

// Records what is appended; from the fail_from-th Append on (1-based, 0 = never) it fails.
class RecordingFile : public os::WritableFile {
 public:
  bool Append(std::string_view bytes) override {
    ++appends;
    if (fail_from != 0 && appends >= fail_from) return false;
    written.append(bytes);
    return true;
  }
  bool Close() override {
    ++closes;
    return !fail_close;
  }

  std::string written;
  int appends = 0;
  int closes = 0;
  int fail_from = 0;
  bool fail_close = false;
};

class XmlWriterTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(writer_.Open(&file_, "out.xml"), 0); }
  RecordingFile file_;
  XmlWriter writer_;
};

TEST_F(XmlWriterTest, WritesEachLineForm) {
  struct Case {
    const char* what;
    std::function<bool(XmlWriter&)> write;
    std::string line;
  } const cases[] = {
      {"open, no attribute, depth 0", [](XmlWriter& w) { return w.OpenElement("DATA", 0); },
       "<DATA>\r\n"},
      {"open, one attribute",
       [](XmlWriter& w) {
         return w.OpenElement("Item", 2, {"Label", "現金"});
       },
       "\t\t<Item Label=\"現金\">\r\n"},
      {"open, two attributes",
       [](XmlWriter& w) {
         return w.OpenElement("X", 1, {"A", "1"}, {"B", "2"});
       },
       "\t<X A=\"1\" B=\"2\">\r\n"},
      {"first value missing drops both",
       [](XmlWriter& w) {
         return w.OpenElement("X", 0, {"A", nullptr}, {"B", "2"});
       },
       "<X>\r\n"},
      {"first name missing drops both",
       [](XmlWriter& w) {
         return w.OpenElement("X", 0, {nullptr, "1"}, {"B", "2"});
       },
       "<X>\r\n"},
      {"second value missing",
       [](XmlWriter& w) {
         return w.OpenElement("X", 0, {"A", "1"}, {"B", nullptr});
       },
       "<X A=\"1\">\r\n"},
      {"empty value",
       [](XmlWriter& w) {
         return w.OpenElement("X", 0, {"A", ""});
       },
       "<X A=\"\">\r\n"},
      {"leaf with escaped text", [](XmlWriter& w) { return w.Element("Name", "A&B", 3); },
       "\t\t\t<Name>A&amp;B</Name>\r\n"},
      {"leaf, quote in attribute",
       [](XmlWriter& w) {
         return w.Element("Item", "1", 0, {"Label", "a\"b"});
       },
       "<Item Label=\"a&quot;b\">1</Item>\r\n"},
      {"leaf, two attributes, empty text",
       [](XmlWriter& w) {
         return w.Element("E", "", 1, {"A", "<"}, {"B", ">"});
       },
       "\t<E A=\"&lt;\" B=\"&gt;\"></E>\r\n"},
      {"leaf, first missing drops second",
       [](XmlWriter& w) {
         return w.Element("E", "t", 0, {"A", nullptr}, {"B", "2"});
       },
       "<E>t</E>\r\n"},
      {"close", [](XmlWriter& w) { return w.CloseElement("DATA", 1); }, "\t</DATA>\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    file_.written.clear();
    const int appends_before = file_.appends;
    EXPECT_TRUE(c.write(writer_));
    EXPECT_EQ(file_.written, c.line);
    EXPECT_EQ(file_.appends, appends_before + 1);  // one line, one Append
  }
}

TEST(XmlWriterEscapeTest, ReplacesTheFiveCharactersAndLineBreaksOnly) {
  struct Case {
    std::string text;
    std::string escaped;
  } const cases[] = {
      {"\"&'<>", "&quot;&amp;&apos;&lt;&gt;"}, {"a<b>&c", "a&lt;b&gt;&amp;c"},
      {"表ソポ", "\x95\x5C\x83\x5C\x83\x7C"},  // trail bytes 5C and 7C pass
      {"損益&計算書", "損益&amp;計算書"},      {"", ""},
      {"a\tb\r\nc", "a&#9;b&#13;&#10;c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(XmlWriter::Escape(c.text), c.escaped);
  }
}

TEST_F(XmlWriterTest, RefusesLinesOfMoreThan255BytesWritingNothing) {
  // "<E>" + text + "</E>" + CR LF is 9 bytes around the text.
  EXPECT_FALSE(writer_.Element("E", std::string(247, 'x'), 0));
  EXPECT_FALSE(writer_.Element("E", std::string(62, '&'), 0));  // escaped: 310 bytes
  EXPECT_FALSE(writer_.OpenElement("E", 251));                  // 251 tabs + 5 bytes
  EXPECT_FALSE(writer_.OpenElement("E", -1));
  // A control character XML cannot hold, in a text or an attribute value.
  EXPECT_FALSE(writer_.Element("E", "a\x01b", 0));
  EXPECT_FALSE(writer_.OpenElement("E", 0, {"Label", "x\x7F"}));
  EXPECT_EQ(file_.appends, 0);
  EXPECT_TRUE(writer_.is_open());

  EXPECT_TRUE(writer_.Element("E", std::string(246, 'x'), 0));
  EXPECT_EQ(file_.written.size(), 255u);
  EXPECT_TRUE(writer_.OpenElement("E", 250));
  EXPECT_EQ(file_.written.size(), 510u);
}

TEST_F(XmlWriterTest, FailedWriteClosesTheFileOnceAndFailsEveryLaterWrite) {
  file_.fail_from = 2;
  EXPECT_TRUE(writer_.OpenElement("DATA", 0));
  EXPECT_FALSE(writer_.Element("A", "1", 1));
  EXPECT_EQ(file_.closes, 1);
  EXPECT_FALSE(writer_.is_open());

  file_.fail_from = 0;  // even a file that would take bytes again is not used
  EXPECT_FALSE(writer_.Element("A", "1", 1));
  EXPECT_FALSE(writer_.OpenElement("B", 1));
  EXPECT_FALSE(writer_.CloseElement("DATA", 0));
  EXPECT_FALSE(writer_.WriteRaw("x"));
  EXPECT_EQ(writer_.Close(), 0);
  EXPECT_EQ(file_.closes, 1);
  EXPECT_EQ(file_.appends, 2);
  EXPECT_EQ(file_.written, "<DATA>\r\n");
}

TEST(XmlWriterOpenTest, NeedsFileAndPathAndClosesOnce) {
  RecordingFile file;
  XmlWriter writer;
  EXPECT_FALSE(writer.WriteRaw("x"));
  EXPECT_EQ(writer.Open(nullptr, "out.xml"), -1);
  EXPECT_EQ(writer.Open(&file, ""), -1);
  EXPECT_FALSE(writer.is_open());

  ASSERT_EQ(writer.Open(&file, "C:\\out\\決算書.xml"), 0);
  EXPECT_EQ(writer.path(), "C:\\out\\決算書.xml");
  EXPECT_TRUE(writer.WriteRaw("<?xml?>\r\n"));
  EXPECT_EQ(writer.Close(), 0);
  EXPECT_EQ(writer.Close(), 0);
  EXPECT_EQ(file.closes, 1);
  EXPECT_FALSE(writer.WriteRaw("x"));
  EXPECT_EQ(file.written, "<?xml?>\r\n");
}

TEST_F(XmlWriterTest, FreeTextsAreCutToFitTheLineOnAWholeCharacter) {
  // Depth 2, <Line> and </Line> and CR LF leave 240 bytes for the text.
  std::string text;
  for (int k = 0; k < 130; ++k) text += "表";
  ASSERT_TRUE(writer_.ElementCutToFit("Line", text, 2));
  EXPECT_EQ(file_.written.size(), 255u);
  EXPECT_EQ(file_.written.substr(file_.written.size() - 9), "</Line>\r\n");

  file_.written.clear();
  ASSERT_TRUE(writer_.ElementCutToFit("Line", "a<表", 2));
  EXPECT_EQ(file_.written, "\t\t<Line>a&lt;表</Line>\r\n");

  EXPECT_EQ(XmlWriter::FitEscaped("ab&cd", 6), "ab");  // the entity stays whole
  EXPECT_EQ(XmlWriter::FitEscaped("ab&cd", 7), "ab&");
  EXPECT_EQ(XmlWriter::FitEscaped("表表", 3), "表");  // never half a character
  EXPECT_EQ(XmlWriter::FitEscaped("", 0), "");
}

TEST(XmlWriterOpenTest, CloseReportsAFileThatCouldNotKeepItsBytes) {
  RecordingFile file;
  file.fail_close = true;
  XmlWriter writer;
  ASSERT_EQ(writer.Open(&file, "out.xml"), 0);
  EXPECT_TRUE(writer.WriteRaw("<REPORT>\r\n"));
  EXPECT_EQ(writer.Close(), -1);
  EXPECT_FALSE(writer.is_open());
  EXPECT_EQ(writer.Close(), 0);
}

}  // namespace
}  // namespace vintor::statements

namespace vintor::statements {
namespace {

TEST(XmlWriterBlockTest, CollectsLinesIntoBlocksWithTheSameBytesAndDigest) {
  auto write = [](XmlWriter& writer) {
    bool written = writer.WriteRaw("<?xml?>\r\n") && writer.OpenElement("DATA", 0);
    for (int k = 0; k < 20; ++k) written = written && writer.Element("A", std::to_string(k), 1);
    return written && writer.CloseElement("DATA", 0);
  };
  RecordingFile by_line;
  XmlWriter line_writer;
  ASSERT_EQ(line_writer.Open(&by_line, "out.xml"), 0);
  ASSERT_TRUE(write(line_writer));
  ASSERT_EQ(line_writer.Close(), 0);

  // 64-byte blocks: lines are never split, and a block is handed over when the next line
  // would not fit.
  RecordingFile by_block;
  XmlWriter block_writer(64);
  ASSERT_EQ(block_writer.Open(&by_block, "out.xml"), 0);
  ASSERT_TRUE(write(block_writer));
  EXPECT_LT(by_block.written.size(), by_line.written.size()) << "the last block waits";
  ASSERT_EQ(block_writer.Close(), 0);
  EXPECT_EQ(by_block.written, by_line.written);
  EXPECT_LT(by_block.appends, by_line.appends / 3);
  EXPECT_TRUE(block_writer.byte_digest() == line_writer.byte_digest());
  EXPECT_EQ(block_writer.byte_digest().size(), by_line.written.size());

  // A block the file refuses fails the line that finds it so, or the Close.
  for (const int fail_from : {1, 2}) {
    SCOPED_TRACE(fail_from);
    RecordingFile failing;
    failing.fail_from = fail_from;
    XmlWriter writer(64);
    ASSERT_EQ(writer.Open(&failing, "out.xml"), 0);
    const bool written = write(writer);
    EXPECT_EQ(written ? writer.Close() : -1, -1);
    EXPECT_FALSE(writer.is_open());
    EXPECT_EQ(failing.closes, 1);
  }
}

}  // namespace
}  // namespace vintor::statements
