#include "supplements/notes_section.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace vintor::supplements {
namespace {

using Flags = std::array<std::uint8_t, statements::kNoteDisplayFlagCount>;

class RecordingFile : public os::WritableFile {
 public:
  bool Append(std::string_view bytes) override {
    if (fail_from != 0 && ++appends >= fail_from) return false;
    written.append(bytes);
    return true;
  }
  bool Close() override { return true; }
  std::string written;
  int appends = 0;
  int fail_from = 0;  // 1-based Append that fails, 0 = none
};

// A saved record as the notes editor writes it: ID, name, kind and Disp lines, then the
// value lines between "<Value>" and "</Value>" (no "<Value>" line at all when with_value is
// false).
std::vector<std::string> Record(std::int32_t id, const char* disp,
                                std::initializer_list<std::string> value_lines,
                                bool with_value = true) {
  std::vector<std::string> lines = {"<Record>", "<ID>" + std::to_string(id) + "</ID>",
                                    "<Name>注記</Name>", "<Kind>1</Kind>",
                                    std::string("<Disp>") + disp + "</Disp>"};
  if (with_value) {
    lines.push_back("<Value>");
    for (const std::string& line : value_lines) lines.push_back("<Line>" + line + "</Line>");
    lines.push_back("</Value>");
  }
  lines.push_back("</Record>");
  return lines;
}

std::vector<std::string> Text(std::initializer_list<std::vector<std::string>> records) {
  std::vector<std::string> lines = {"<Notes>"};
  for (const auto& record : records) lines.insert(lines.end(), record.begin(), record.end());
  lines.push_back("</Notes>");
  return lines;
}

Flags FlagsSet(std::initializer_list<int> groups) {
  Flags flags{};
  for (int group : groups) flags[static_cast<std::size_t>(group)] = 1;
  return flags;
}

// Each element given as tabs and tag; CR LF added after each.
std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string Section(std::initializer_list<std::string> inside) {
  std::string text = "\t\t<ListNotesNonConsolidated>\r\n";
  text += Lines(inside);
  return text + "\t\t</ListNotesNonConsolidated>\r\n";
}

std::string Write(const std::vector<std::string>& lines, const Flags& flags,
                  std::int32_t notes_flag = 1) {
  RecordingFile file;
  statements::XmlWriter writer;
  EXPECT_EQ(writer.Open(&file, "report.xml"), 0);
  NotesSection section(lines, flags, notes_flag);
  EXPECT_TRUE(section.Write(writer));
  return file.written;
}

TEST(NotesSectionTest, WritesTheShownElementsOfTheTree) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    Flags flags;
    std::string written;
  } const cases[] = {
      {"shown parent holds its lines, then its shown child",
       Text({Record(1090010, "1", {"P"}), Record(1090030, "1", {"C1", "C2"})}), FlagsSet({5}),
       Section({"\t\t\t<NotesTaxEffectAccounting>", "\t\t\t\t<Line>P</Line>",
                "\t\t\t\t<MajorCauseDeferredTaxLiabilities>", "\t\t\t\t\t<Line>C1</Line>",
                "\t\t\t\t\t<Line>C2</Line>", "\t\t\t\t</MajorCauseDeferredTaxLiabilities>",
                "\t\t\t</NotesTaxEffectAccounting>"})},
      {"records stand in any order; the table's order counts",
       Text({Record(1090030, "1", {"C"}), Record(1090010, "1", {"P"})}), FlagsSet({5}),
       Section({"\t\t\t<NotesTaxEffectAccounting>", "\t\t\t\t<Line>P</Line>",
                "\t\t\t\t<MajorCauseDeferredTaxLiabilities>", "\t\t\t\t\t<Line>C</Line>",
                "\t\t\t\t</MajorCauseDeferredTaxLiabilities>",
                "\t\t\t</NotesTaxEffectAccounting>"})},
      {"child marked 0 is left out",
       Text({Record(1090010, "1", {"P"}), Record(1090020, "0", {"C"})}), FlagsSet({5}),
       Section({"\t\t\t<NotesTaxEffectAccounting>", "\t\t\t\t<Line>P</Line>",
                "\t\t\t</NotesTaxEffectAccounting>"})},
      {"hidden parent: each shown child once, at its own depth",
       Text(
           {Record(1090010, "0", {"P"}), Record(1090020, "1", {"A"}), Record(1090030, "1", {"B"})}),
       FlagsSet({5}),
       Section({"\t\t\t\t<MajorCauseDeferredTaxAssets>", "\t\t\t\t\t<Line>A</Line>",
                "\t\t\t\t</MajorCauseDeferredTaxAssets>",
                "\t\t\t\t<MajorCauseDeferredTaxLiabilities>", "\t\t\t\t\t<Line>B</Line>",
                "\t\t\t\t</MajorCauseDeferredTaxLiabilities>"})},
      {"parent without a record: the later sibling is not nested in the shown child",
       Text({Record(1010020, "1", {}, false), Record(1010030, "1", {"S"}),
             Record(1010050, "1", {"D"})}),
       FlagsSet({1}),
       Section({"\t\t\t\t<ValuationBasisValuationMethodAssets>",
                "\t\t\t\t\t<ValuationBasisValuationMethodMarketableSecurities>",
                "\t\t\t\t\t\t<Line>S</Line>",
                "\t\t\t\t\t</ValuationBasisValuationMethodMarketableSecurities>",
                "\t\t\t\t</ValuationBasisValuationMethodAssets>",
                "\t\t\t\t<DepreciationMethodFixedAssets>", "\t\t\t\t\t<Line>D</Line>",
                "\t\t\t\t</DepreciationMethodFixedAssets>"})},
      {"deepest element alone, its line at depth 9", Text({Record(1080720, "1", {"X"})}),
       FlagsSet({4}),
       Section({"\t\t\t\t\t\t\t\t<TypeStocksCashDividendAfterPeriod>",
                "\t\t\t\t\t\t\t\t\t<Line>X</Line>",
                "\t\t\t\t\t\t\t\t</TypeStocksCashDividendAfterPeriod>"})},
      {"group flag 0 hides a shown record", Text({Record(1090010, "1", {"P"})}), FlagsSet({4, 6}),
       Section({})},
      {"every flag zero: the list is empty", Text({Record(1000010, "1", {"G"})}), Flags{},
       Section({})},
      {"record without <Value>: empty element", Text({Record(1150010, "1", {}, false)}),
       FlagsSet({9}),
       Section(
           {"\t\t\t<NotesMaterialSubsequentEvents>", "\t\t\t</NotesMaterialSubsequentEvents>"})},
      {"<Value> without lines: empty element", Text({Record(1150010, "1", {})}), FlagsSet({9}),
       Section(
           {"\t\t\t<NotesMaterialSubsequentEvents>", "\t\t\t</NotesMaterialSubsequentEvents>"})},
      {"Disp other than 1 is not shown", Text({Record(1150010, "2", {"E"})}), FlagsSet({9}),
       Section({})},
      {"every </Line> is taken out", Text({Record(1150010, "1", {"A</Line>B"})}), FlagsSet({9}),
       Section({"\t\t\t<NotesMaterialSubsequentEvents>", "\t\t\t\t<Line>AB</Line>",
                "\t\t\t</NotesMaterialSubsequentEvents>"})},
      // "&amp;lt;注&amp;gt;" in the saved text reaches the lines decoded to "<注>".
      {"decoded markup is escaped again", Text({Record(1150010, "1", {"<注> & \"'"})}),
       FlagsSet({9}),
       Section({"\t\t\t<NotesMaterialSubsequentEvents>",
                "\t\t\t\t<Line>&lt;注&gt; &amp; &quot;&apos;</Line>",
                "\t\t\t</NotesMaterialSubsequentEvents>"})},
      {"an empty line value gives an empty Line", Text({Record(1150010, "1", {"", "Z"})}),
       FlagsSet({9}),
       Section({"\t\t\t<NotesMaterialSubsequentEvents>", "\t\t\t\t<Line></Line>",
                "\t\t\t\t<Line>Z</Line>", "\t\t\t</NotesMaterialSubsequentEvents>"})},
      {"no note lines at all", {}, FlagsSet({0, 1, 2, 9}), Section({})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Write(c.lines, c.flags), c.written);
  }
}

TEST(NotesSectionTest, WritesNothingUnlessTheNotesFlagIsOne) {
  const auto lines = Text({Record(1150010, "1", {"E"})});
  for (std::int32_t flag : {0, 2, -1}) {
    SCOPED_TRACE(flag);
    EXPECT_EQ(Write(lines, FlagsSet({9}), flag), "");
  }
}

TEST(NotesSectionTest, FindsRecordsByTheirIdLines) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::string written;
  } const cases[] = {
      {"the ID may stand anywhere after <ID>",
       {"<ID>x1150010y", "", "", "<Disp>1", "<Value>", "<Line>E"},
       Section({"\t\t\t<NotesMaterialSubsequentEvents>", "\t\t\t\t<Line>E</Line>",
                "\t\t\t</NotesMaterialSubsequentEvents>"})},
      {"a first record without a Disp line leaves the decision to the next",
       {"<ID>1150010", "", "", "", "<Value>", "<Line>first", "<ID>1150010", "", "", "<Disp>1"},
       Section({"\t\t\t<NotesMaterialSubsequentEvents>", "\t\t\t\t<Line>first</Line>",
                "\t\t\t</NotesMaterialSubsequentEvents>"})},
      {"the first record with a Disp line decides",
       {"<ID>1150010", "", "", "<Disp>0", "<ID>1150010", "", "", "<Disp>1"},
       Section({})},
      {"lines without a <Value> line before them are not taken",
       {"<ID>1150010", "", "", "<Disp>1", "<Values>", "<Line>E"},
       Section(
           {"\t\t\t<NotesMaterialSubsequentEvents>", "\t\t\t</NotesMaterialSubsequentEvents>"})},
      {"a Disp line cut short by the end of the text", {"<ID>1150010", "", ""}, Section({})},
      {"<Disp> at the end of its line", {"<ID>1150010", "", "", "<Disp>"}, Section({})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Write(c.lines, FlagsSet({9})), c.written);
  }
}

TEST(NotesSectionTest, CutsLongLinesOnWholeCharactersAndEntities) {
  struct Case {
    const char* what;
    std::string value;
    std::size_t room;
    std::string kept;
  } const cases[] = {
      {"fits unchanged", "abc", 3, "abc"},
      {"plain text cut at the room", std::string(10, 'a'), 4, "aaaa"},
      {"double-byte character not split", "表表表", 5, "表表"},
      {"entity kept whole or dropped", "ab&c", 6, "ab"},
      {"entity that fits", "ab&c", 7, "ab&"},
      {"nothing fits", "&", 4, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(NotesSection::FitLineValue(c.value, c.room), c.kept);
  }
}

TEST(NotesSectionTest, LongLinesGoOnInTheNextLineElements) {
  // Depth 4 leaves 255 - 4 tabs - "<Line>" - "</Line>" - CR LF = 236 bytes for the value,
  // depth 5 leaves 235: an odd room that must not take half of a double-byte character.
  // What does not fit goes on in the next Line element: nothing the user wrote is lost.
  std::string double_byte;
  for (int i = 0; i < 200; ++i) double_byte += "\x95\x5C";  // 表
  const std::string ascii(300, 'a');
  const std::string entity = std::string(233, 'a') + "&b";
  const auto lines =
      Text({Record(1170010, "1", {ascii, entity}), Record(1170020, "1", {double_byte})});
  const std::string written = Write(lines, FlagsSet({10}));
  EXPECT_EQ(written, Section({"\t\t\t<ItemsOtherNotes>",
                              "\t\t\t\t<Line>" + std::string(236, 'a') + "</Line>",
                              "\t\t\t\t<Line>" + std::string(64, 'a') + "</Line>",
                              "\t\t\t\t<Line>" + std::string(233, 'a') + "</Line>",
                              "\t\t\t\t<Line>&amp;b</Line>", "\t\t\t\t<ItemNameOtherNotes>",
                              "\t\t\t\t\t<Line>" + double_byte.substr(0, 234) + "</Line>",
                              "\t\t\t\t\t<Line>" + double_byte.substr(234) + "</Line>",
                              "\t\t\t\t</ItemNameOtherNotes>", "\t\t\t</ItemsOtherNotes>"}));
  // The ASCII line uses all of the 255 bytes.
  EXPECT_EQ(std::string("\t\t\t\t<Line>").size() + 236 + std::string("</Line>\r\n").size(), 255u);
}

TEST(NotesSectionTest, StopsAtTheFirstLineThatCannotBeWritten) {
  const auto lines = Text({Record(1170010, "1", {"A"}), Record(1170020, "1", {"B"})});
  for (int fail_from = 1; fail_from <= 6; ++fail_from) {
    SCOPED_TRACE(fail_from);
    RecordingFile file;
    file.fail_from = fail_from;
    statements::XmlWriter writer;
    ASSERT_EQ(writer.Open(&file, "report.xml"), 0);
    NotesSection section(lines, FlagsSet({10}), 1);
    EXPECT_FALSE(section.Write(writer));
    EXPECT_EQ(file.appends, fail_from) << "nothing is tried after the failed line";
  }
}

// A small section pinned byte for byte, CP932 included: the sample company's subsequent
// events and other notes, where ItemsOtherNotes has a <Value> without lines.
TEST(NotesSectionTest, PinnedSection) {
  const std::vector<std::string> lines = {
      "<Notes>",
      "<Record>",
      "<ID>1150010</ID>",
      "<Name>\x8F\x64\x97\x76</Name>",
      "<Kind>1</Kind>",
      "<Disp>1</Disp>",
      "<Value>",
      "<Line><\x90\x56\x8A\x94></Line>",
      "<Line>2026\x94\x4E\x95\x5C</Line>",
      "</Value>",
      "</Record>",
      "<Record>",
      "<ID>1170010</ID>",
      "<Name>x</Name>",
      "<Kind>1</Kind>",
      "<Disp>1</Disp>",
      "<Value>",
      "</Value>",
      "</Record>",
      "<Record>",
      "<ID>1170030</ID>",
      "<Name>y</Name>",
      "<Kind>1</Kind>",
      "<Disp>1</Disp>",
      "<Value>",
      "<Line>a&b</Line>",
      "</Value>",
      "</Record>",
      "</Notes>",
  };
  Flags flags{};
  flags[9] = 1;
  flags[10] = 2;
  flags[16] = 1;
  EXPECT_EQ(Write(lines, flags),
            "\t\t<ListNotesNonConsolidated>\r\n"
            "\t\t\t<NotesMaterialSubsequentEvents>\r\n"
            "\t\t\t\t<Line>&lt;\x90\x56\x8A\x94&gt;</Line>\r\n"
            "\t\t\t\t<Line>2026\x94\x4E\x95\x5C</Line>\r\n"
            "\t\t\t</NotesMaterialSubsequentEvents>\r\n"
            "\t\t\t<ItemsOtherNotes>\r\n"
            "\t\t\t\t<ItemDescriptionOtherNotes>\r\n"
            "\t\t\t\t\t<Line>a&amp;b</Line>\r\n"
            "\t\t\t\t</ItemDescriptionOtherNotes>\r\n"
            "\t\t\t</ItemsOtherNotes>\r\n"
            "\t\t</ListNotesNonConsolidated>\r\n");
}

}  // namespace
}  // namespace vintor::supplements
