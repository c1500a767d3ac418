#include "statements/saved_notes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vintor::statements {
namespace {

TEST(SavedNotesTest, InputModeIsPositive) {
  struct Case {
    const char* text;
    bool linked;
  } const cases[] = {
      {"[Mode]\r\nInputMode=1\r\nVersion=2\r\n", true},
      {"InputMode=0\r\n", false},
      {"[Mode]\r\nVersion=2\r\n", false},
      {"InputMode  =  2", true},
      {"InputMode=-1", false},
      {"InputMode=abc", false},
      {"InputMode\r\n", false},              // no "=" after the key
      {"InputMode=\r\nVersion=2", false},    // the value ends at the line end
      {"InputMode\r\nVersion=2\r\n", true},  // the first "=" after the key, on any line
      {"OldInputMode=1", true},              // the key is found inside other text
      {"InputMode=1x", true},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsLinkedInputMode(c.text), c.linked);
  }
}

TEST(SavedNotesTest, NotesAreEnteredWhenNoteIsPositive) {
  struct Case {
    const char* text;
    bool entered;
  } const cases[] = {
      {"[Statements]\r\nEquity=1\r\nNote=1\r\nLedger=0\r\n", true},
      {"Note=3", true},
      {"Note= 2\r\n", true},
      {"Note=0\r\n", false},
      {"Note=\r\n1\r\n", false},  // empty value
      {"Note=", false},
      {"Equity=1\r\nLedger=1\r\n", false},
      {"Note=1\r\nNote=0\r\n", true},  // the first key counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(AreNotesEntered(c.text), c.entered);
  }
}

TEST(SavedNotesTest, CollectsTheDispOfEachSectionInOrder) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::uint8_t> flags;  // the first entries after the call; the rest stay 0xEE
  } const cases[] = {
      {"titles and blank lines between",
       "[Mode]\r\nInputMode=1\r\n\r\n[Note_01]\r\nTitle=a\r\nDisp=0\r\n\r\n[Note_02]\r\nTitle=b\r\n"
       "Disp=1\r\n\r\n",
       {0, 1}},
      {"low 8 bits",
       "[Note_01]\r\nDisp=256\r\n[Note_02]\r\nDisp=257\r\n[Note_03]\r\nDisp=-1\r\n",
       {0, 1, 255}},
      {"a section without Disp ends the collection",
       "[Note_01]\r\nDisp=3\r\n[Note_02]\r\nTitle=x\r\n",
       {3}},
      {"a section without its own Disp takes the next one",
       "[Note_01]\r\n[Note_02]\r\nDisp=4\r\n[Note_03]\r\nDisp=5\r\n",
       {4, 5}},
      {"a Disp= that ends the text is not stored",
       "[Note_01]\r\nDisp=2\r\n[Note_02]\r\nDisp=",
       {2}},
      {"a head cut short by the end", "[Note_01]\r\nDisp=2\r\n[Note_0", {2}},
      {"Disp= right after the head", "[Note_01]Disp=7", {7}},
      {"Disp= inside the head is not the section's", "[Note_Disp=7", {}},
      {"empty value reads as 0", "[Note_01]\r\nDisp=x\r\n", {0}},
      {"no sections", "[Mode]\r\nInputMode=1\r\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> flags(kNoteDisplayFlagCount, 0xEE);
    EXPECT_EQ(CollectNoteDisplayFlags(c.text, flags), c.flags.size());
    std::vector<std::uint8_t> expected = c.flags;
    expected.resize(kNoteDisplayFlagCount, 0xEE);
    EXPECT_EQ(flags, expected);
  }
}

TEST(SavedNotesTest, KeepsAtMostFiftyFlagsAndNoMoreThanTheCallerHasRoomFor) {
  std::string text;
  for (int section = 1; section <= 60; ++section)
    text += "[Note_" + std::to_string(section % 100 / 10) + std::to_string(section % 10) +
            "]\r\nDisp=" + std::to_string(section) + "\r\n";

  std::vector<std::uint8_t> flags(60, 0);
  EXPECT_EQ(CollectNoteDisplayFlags(text, flags), 50u);
  EXPECT_EQ(flags[49], 50);
  EXPECT_EQ(flags[50], 0);

  std::vector<std::uint8_t> three(3, 0);
  EXPECT_EQ(CollectNoteDisplayFlags(text, three), 3u);
  EXPECT_EQ(three, (std::vector<std::uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace vintor::statements
