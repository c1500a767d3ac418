#include "books/interchange_csv.h"

#include <gtest/gtest.h>

namespace vintor::books {
namespace {

using Records = std::vector<std::vector<std::string>>;

TEST(InterchangeCsvTest, SplitsRecords) {
  struct Case {
    std::string_view text;
    Records records;
    std::vector<int> lines;
  };
  const Case cases[] = {
      {"", {}, {}},
      {"a", {{"a"}}, {1}},
      {"a,b\n", {{"a", "b"}}, {1}},
      {"a,b\r\nc,\r\n", {{"a", "b"}, {"c", ""}}, {1, 2}},
      {",\n\n", {{"", ""}, {""}}, {1, 2}},
      {"\"a,b\",\"say \"\"hi\"\"\"\n", {{"a,b", "say \"hi\""}}, {1}},
      {"\"\"\n", {{""}}, {1}},
      {"\"x\ny\",1\n2\n", {{"x\ny", "1"}, {"2"}}, {1, 3}},
      {"\"x\r\ny\"\r\nz", {{"x\r\ny"}, {"z"}}, {1, 3}},
      // The second byte of 表 and ソ is a backslash; of ポ a bar: all ordinary data.
      {"\x95\x5C,\x83\x5C\x83\x7C\n", {{"\x95\x5C", "\x83\x5C\x83\x7C"}}, {1}},
  };
  for (const Case& c : cases) {
    CsvReader reader(c.text);
    CsvRecord record;
    Records records;
    std::vector<int> lines;
    while (reader.Next(&record)) {
      records.push_back(record.fields);
      lines.push_back(record.line);
    }
    EXPECT_FALSE(reader.failed()) << c.text << ": " << reader.problem();
    EXPECT_EQ(records, c.records) << c.text;
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

TEST(InterchangeCsvTest, RefusesMalformedText) {
  struct Case {
    std::string_view text;
    int line;
    std::string_view problem;
  };
  const Case cases[] = {
      {"a\nb\"c\n", 2, "a double quote inside an unquoted field"},
      {"a\n\"b\nc", 2, "a quoted field is never closed"},
      {"\"a\"b\n", 1, "a closing quote is followed by something other than a comma"},
      {"\"a\nb\" c\n", 2, "a closing quote is followed by something other than a comma"},
      {"a\rb\n", 1, "a carriage return without a line feed"},
      {"a\nb\r", 2, "a carriage return without a line feed"},
  };
  for (const Case& c : cases) {
    CsvReader reader(c.text);
    CsvRecord record;
    while (reader.Next(&record)) {
    }
    EXPECT_TRUE(reader.failed()) << c.text;
    EXPECT_EQ(reader.problem_line(), c.line) << c.text;
    EXPECT_EQ(reader.problem(), c.problem) << c.text;
  }
}

TEST(InterchangeCsvTest, QuotesOnlyWhatMustBeQuoted) {
  std::string out;
  AppendCsvRecord(&out, {"plain", "", "a,b", "say \"hi\"", "x\ny", "cr\r", " padded ", "\x95\x5C"});
  EXPECT_EQ(out, "plain,,\"a,b\",\"say \"\"hi\"\"\",\"x\ny\",\"cr\r\", padded ,\x95\x5C\n");
  // What is written reads back as the same fields.
  CsvReader reader(out);
  CsvRecord record;
  ASSERT_TRUE(reader.Next(&record));
  EXPECT_EQ(record.fields, (std::vector<std::string>{"plain", "", "a,b", "say \"hi\"", "x\ny",
                                                     "cr\r", " padded ", "\x95\x5C"}));
}

}  // namespace
}  // namespace vintor::books
