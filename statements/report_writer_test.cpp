#include "statements/report_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>

#include "os/fault_injection.h"
#include "os/forwarding_os.h"
#include "os/scratch_folder.h"
#include "statements/test_fakes.h"

namespace vintor::statements {
namespace {

using testing_aids::RecordingDesktop;
using testing_aids::RecordingFile;

constexpr std::int64_t kYen = 10'000;

// The real system, except that the product information file is scripted (no contents: no
// file) and, when a recording file is given, replacements go to it instead of the disk.
class ReportOs : public os::ForwardingOs {
 public:
  ReportOs() : ForwardingOs(os::SystemOs()) {}
  bool ReadWholeFile(const std::string& path, std::string* contents) override {
    if (path != "SUPPORT.INF") return ForwardingOs::ReadWholeFile(path, contents);
    if (!support_file) return false;
    *contents = *support_file;
    return true;
  }
  std::unique_ptr<os::ReplacementFile> OpenReplacement(const std::string& path) override {
    opened.push_back(path);
    if (recording == nullptr) return ForwardingOs::OpenReplacement(path);
    return std::make_unique<Proxy>(*recording);
  }

  std::optional<std::string> support_file;
  RecordingFile* recording = nullptr;
  std::vector<std::string> opened;

 private:
  class Proxy : public os::ReplacementFile {
   public:
    explicit Proxy(RecordingFile& file) : file_(file) {}
    bool Append(std::string_view bytes) override { return file_.Append(bytes); }
    bool Close() override { return file_.Close(); }
    bool Commit() override { return file_.Commit(); }
    long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
      return file_.ReadWritten(offset, buffer, capacity);
    }

   private:
    RecordingFile& file_;
  };
};

// Writes one element (or none) and answers as told; notes the caption it was called at.
class FakeSection : public DataSection {
 public:
  FakeSection(const char* element, bool result, const ui::ProgressWindow* progress = nullptr)
      : element_(element), result_(result), progress_(progress) {}
  bool Write(XmlWriter& xml) override {
    ++calls;
    if (progress_) caption = progress_->state().caption_percent;
    if (element_ && !xml.Element(element_, "", 2)) return false;
    return result_;
  }
  int calls = 0;
  int caption = -1;

 private:
  const char* element_;
  bool result_;
  const ui::ProgressWindow* progress_;
};

StatementLine MakeLine(std::uint32_t character, const char* formal_name, std::int64_t yen,
                       std::int16_t kind) {
  StatementLine line;
  line.character = character;
  std::strncpy(line.formal_name, formal_name, kLineNameFieldSize - 1);
  line.closing = yen * kYen;
  line.kind = kind;
  return line;
}

class ReportWriterTest : public testing::Test {
 protected:
  ReportWriterTest() {
    std::strcpy(company_.company_name, "Vintor商事");
    company_.first_day = 20240401;
    company_.last_day = 20250331;
    lines_.Append(MakeLine(0x80880000, "流動資産", 1000, 2));
    lines_.Append(MakeLine(0x80880100, "現金", 1000, 0));
    lines_.Append(MakeLine(0x40880008, "売上総利益", 0, 2));
    writer_.set_progress_window(&progress_);
    writer_.set_line_list(&lines_);
    writer_.set_data_sections({&section_});
  }

  // Writes to the recording file.
  bool Write(std::int16_t function_number = 7) {
    os_.recording = &file_;
    return writer_.WriteReport("out.xml", function_number, company_);
  }
  // The element's line as written, or empty.
  std::string LineOf(const std::string& element) const {
    const std::size_t at = file_.written.find("<" + element + ">");
    if (at == std::string::npos) return {};
    return file_.written.substr(at, file_.written.find('\n', at) + 1 - at);
  }

  ReportOs os_;
  RecordingDesktop desktop_;
  DesktopDiagnostics diagnostics_{desktop_, 0};
  RecordingFile file_;
  ui::ProgressWindow progress_;
  platform::StDATAINFO company_{};
  StatementLineList lines_;
  FakeSection section_{"QZ00780S", true, &progress_};
  ReportWriter writer_{os_, diagnostics_, "Tavrel２１ Oak"};
};

TEST_F(ReportWriterTest, WritesTheWholeDocument) {
  ASSERT_TRUE(Write());
  EXPECT_EQ(file_.written,
            "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
            "<REPORT>\r\n"
            "\t<SYSTEM>\r\n"
            "\t\t<GYOUMUPREFIX>QZ21</GYOUMUPREFIX>\r\n"
            "\t\t<VERSION>1</VERSION>\r\n"
            "\t\t<FUNCTIONID>7</FUNCTIONID>\r\n"
            "\t\t<CONNECTEDPROGRAMVER>21.00.03</CONNECTEDPROGRAMVER>\r\n"
            "\t\t<PROGRAMNAME>Tavrel２１ Oak</PROGRAMNAME>\r\n"
            "\t\t<PROGRAMVER>21.00.0X</PROGRAMVER>\r\n"
            "\t</SYSTEM>\r\n"
            "\t<BASIC>\r\n"
            "\t\t<KOMONSAKINAME>Ｖｉｎｔｏｒ商事</KOMONSAKINAME>\r\n"
            "\t\t<JIGYOUNENDOFROM>20240401</JIGYOUNENDOFROM>\r\n"
            "\t\t<JIGYOUNENDOTO>20250331</JIGYOUNENDOTO>\r\n"
            "\t\t<PATTERN>\r\n"
            "\t\t\t<BS>\r\n"
            "\t\t\t\t<CA>\r\n"
            "\t\t\t\t\t<Doubtful>A2</Doubtful>\r\n"
            "\t\t\t\t</CA>\r\n"
            "\t\t\t\t<PPE>\r\n"
            "\t\t\t\t\t<DepImp>B4</DepImp>\r\n"
            "\t\t\t\t</PPE>\r\n"
            "\t\t\t\t<IOA>\r\n"
            "\t\t\t\t\t<Doubtful>C2</Doubtful>\r\n"
            "\t\t\t\t\t<DepImp>D4</DepImp>\r\n"
            "\t\t\t\t</IOA>\r\n"
            "\t\t\t</BS>\r\n"
            "\t\t\t<PL>\r\n"
            "\t\t\t\t<Sales>E3</Sales>\r\n"
            "\t\t\t\t<Cos>F1</Cos>\r\n"
            "\t\t\t\t<Sga>G1</Sga>\r\n"
            "\t\t\t</PL>\r\n"
            "\t\t</PATTERN>\r\n"
            "\t</BASIC>\r\n"
            "\t<DATA>\r\n"
            "\t\t<BalanceSheet>\r\n"
            "\t\t\t<Assets>\r\n"
            "\t\t\t\t<CurrentAssets Label=\"流動資産\" Amount=\"1000\">\r\n"
            "\t\t\t\t\t<Item Label=\"現金\">1000</Item>\r\n"
            "\t\t\t\t</CurrentAssets>\r\n"
            "\t\t\t\t<NoncurrentAssets>\r\n"
            "\t\t\t\t\t<PropertyPlantAndEquipment>\r\n"
            "\t\t\t\t\t</PropertyPlantAndEquipment>\r\n"
            "\t\t\t\t\t<IntangibleAssets>\r\n"
            "\t\t\t\t\t</IntangibleAssets>\r\n"
            "\t\t\t\t\t<InvestmentsAndOtherAssets>\r\n"
            "\t\t\t\t\t</InvestmentsAndOtherAssets>\r\n"
            "\t\t\t\t</NoncurrentAssets>\r\n"
            "\t\t\t\t<DeferredAssets>\r\n"
            "\t\t\t\t</DeferredAssets>\r\n"
            "\t\t\t</Assets>\r\n"
            "\t\t\t<Liabilities>\r\n"
            "\t\t\t\t<CurrentLiabilities>\r\n"
            "\t\t\t\t</CurrentLiabilities>\r\n"
            "\t\t\t\t<NoncurrentLiabilities>\r\n"
            "\t\t\t\t</NoncurrentLiabilities>\r\n"
            "\t\t\t</Liabilities>\r\n"
            "\t\t\t<NetAssets>\r\n"
            "\t\t\t</NetAssets>\r\n"
            "\t\t</BalanceSheet>\r\n"
            "\t\t<IncomeStatement>\r\n"
            "\t\t\t<NetSales>\r\n"
            "\t\t\t</NetSales>\r\n"
            "\t\t\t<CostOfSales>\r\n"
            "\t\t\t</CostOfSales>\r\n"
            "\t\t\t<GrossProfit Label=\"売上総利益\" Amount=\"\"></GrossProfit>\r\n"
            "\t\t\t<SellingGeneralAndAdministrativeExpenses>\r\n"
            "\t\t\t</SellingGeneralAndAdministrativeExpenses>\r\n"
            "\t\t\t<NonOperatingIncome>\r\n"
            "\t\t\t</NonOperatingIncome>\r\n"
            "\t\t\t<NonOperatingExpenses>\r\n"
            "\t\t\t</NonOperatingExpenses>\r\n"
            "\t\t\t<ExtraordinaryIncome>\r\n"
            "\t\t\t</ExtraordinaryIncome>\r\n"
            "\t\t\t<ExtraordinaryLoss>\r\n"
            "\t\t\t</ExtraordinaryLoss>\r\n"
            "\t\t\t<IncomeTaxes>\r\n"
            "\t\t\t</IncomeTaxes>\r\n"
            "\t\t</IncomeStatement>\r\n"
            "\t\t<QZ00780S></QZ00780S>\r\n"
            "\t</DATA>\r\n"
            "</REPORT>\r\n");
  EXPECT_EQ(os_.opened, std::vector<std::string>{"out.xml"});
  EXPECT_EQ(file_.closes, 1);
  EXPECT_EQ(file_.commits, 1);
}

TEST_F(ReportWriterTest, ContinuesTheProgressFromTheStartPosition) {
  writer_.set_start_position(5000);
  ASSERT_TRUE(Write());
  EXPECT_EQ(section_.caption, 70);  // the data sections begin at 7000
  EXPECT_EQ(progress_.state().caption_percent, 100);
  // Each range is visited whole: 5000-6000, 6000-7000, 7000-10000.
  EXPECT_EQ(progress_.counts().main_moves, 1001u + 1001u + 3001u);
}

TEST_F(ReportWriterTest, NamesTheProgramAndTheFunction) {
  // Two tabs, the tags and CR LF leave 224 bytes of a line for the name.
  const std::string long_name = "x" + std::string(223, 'N');
  struct Case {
    std::optional<std::string> support_file;
    std::int16_t function_number;
    const char* name;
    const char* version;
  } const cases[] = {
      {std::nullopt, 7, "Tavrel２１ Oak", "21.00.0X"},
      {"[=製品名=]Tavrel Pro & Co\r\n[=製品ﾊﾞｰｼﾞｮﾝ=]21.10.04\r\n", -12, "Tavrel Pro &amp; Co",
       "21.10.04"},
      {"[=製品名=]\r\n", 32767, "Tavrel２１ Oak", "21.00.0X"},
      // A name too long for a report line is cut on a whole character, not a failed export.
      {"[=製品名=]" + std::string(1, 'x') + std::string(240, 'N') + "\r\n", 3, long_name.c_str(),
       "21.00.0X"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    file_ = RecordingFile();
    os_.support_file = c.support_file;
    ASSERT_TRUE(Write(c.function_number));
    EXPECT_EQ(LineOf("FUNCTIONID"),
              "<FUNCTIONID>" + std::to_string(c.function_number) + "</FUNCTIONID>\r\n");
    EXPECT_EQ(LineOf("PROGRAMNAME"), std::string("<PROGRAMNAME>") + c.name + "</PROGRAMNAME>\r\n");
    EXPECT_EQ(LineOf("PROGRAMVER"), std::string("<PROGRAMVER>") + c.version + "</PROGRAMVER>\r\n");
  }
}

std::string FullWidthA(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "\x82\x81";  // ａ
  return text;
}

TEST(ReportCompanyNameTest, TurnsTheNameFullWidthWithinSixtyThreeBytes) {
  struct Case {
    const char* what;
    std::string name;
    std::string shown;
  } const cases[] = {
      {"empty", "", ""},
      {"letters, symbols, space and kana", "A&B ｶﾞｽ", "Ａ＆Ｂ　ガス"},
      {"31 letters make 62 bytes", std::string(31, 'a'), FullWidthA(31)},
      {"a 32nd letter would end at byte 64", std::string(40, 'a'), FullWidthA(31)},
      {"a single byte first puts a boundary at 63", "\xA0" + std::string(40, 'a'),
       "\xA0" + FullWidthA(31)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReportCompanyName(c.name), c.shown);
  }
}

TEST_F(ReportWriterTest, AddsTheCostScheduleOnlyForCompaniesThatKeepOne) {
  company_.has_cost_schedule = 1;
  ASSERT_TRUE(Write());
  EXPECT_EQ(LineOf("Cos"), "<Cos>F3</Cos>\r\n");
  const std::size_t schedule = file_.written.find("\t\t<ScheduleCostGoodsManufactured>\r\n");
  ASSERT_NE(schedule, std::string::npos);
  EXPECT_LT(file_.written.find("\t\t</IncomeStatement>"), schedule);
  EXPECT_LT(schedule, file_.written.find("\t\t<QZ00780S>"));
}

TEST_F(ReportWriterTest, AFailingSectionEndsTheReportUncommitted) {
  FakeSection equity("StatementChangesNetAssets", true);
  FakeSection notes("ListNotesNonConsolidated", false);
  FakeSection ledger("QZ00780S", true);
  writer_.set_data_sections({&equity, &notes, &ledger});
  EXPECT_FALSE(Write());
  EXPECT_EQ(equity.calls, 1);
  EXPECT_EQ(notes.calls, 1);
  EXPECT_EQ(ledger.calls, 0);
  // The document element is closed while the file still takes lines, then it is dropped.
  const std::string tail =
      "\t\t<ListNotesNonConsolidated></ListNotesNonConsolidated>\r\n</REPORT>\r\n";
  EXPECT_EQ(file_.written.substr(file_.written.size() - tail.size()), tail);
  EXPECT_EQ(file_.closes, 1);
  EXPECT_EQ(file_.commits, 0);
}

TEST_F(ReportWriterTest, FailsWhenTheFileCannotBeKept) {
  struct Case {
    const char* what;
    bool fail_close;
    bool fail_commit;
    int commits;
  } const cases[] = {{"close loses data", true, false, 0}, {"commit fails", false, true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    file_ = RecordingFile();
    file_.fail_close = c.fail_close;
    file_.fail_commit = c.fail_commit;
    EXPECT_FALSE(Write());
    EXPECT_EQ(file_.commits, c.commits);
  }
  ReportWriter unlinked(os_, diagnostics_, "x");
  os_.opened.clear();
  EXPECT_FALSE(unlinked.WriteReport("out.xml", 1, company_));
  EXPECT_TRUE(os_.opened.empty());
}

// The real file system: a failed report never touches what the destination held.
class ReportWriterFileTest : public ReportWriterTest {
 protected:
  std::string Read(const std::string& path) {
    std::string contents;
    EXPECT_TRUE(os::SystemOs().ReadWholeFile(path, &contents));
    return contents;
  }
  os::ScratchFolder scratch_{os::SystemOs()};
};

TEST_F(ReportWriterFileTest, AFailedWriteLeavesTheDestinationAsItWas) {
  ASSERT_FALSE(scratch_.path().empty());
  const std::string destination = scratch_.PathOf("決算書.xml");
  const std::string old_report = "<?xml?>\r\n<REPORT>old</REPORT>\r\n";
  writer_.set_data_sections({});
  ASSERT_TRUE(Write());
  const std::size_t whole = file_.written.size();
  for (std::size_t limit :
       {std::size_t{0}, std::size_t{1}, std::size_t{45}, whole / 2, whole - 1}) {
    SCOPED_TRACE(testing::Message() << "writes fail after " << limit << " bytes");
    for (bool existing : {true, false}) {
      if (existing) {
        ASSERT_TRUE(os::SystemOs().ReplaceFileAtomically(destination, old_report));
      } else {
        os::SystemOs().RemoveFile(destination);
      }
      os::FaultInjectingOs faulty(os_);
      faulty.FailWritesAfterBytes(os::FaultInjectingOs::kAnyPath, limit);
      ReportWriter writer(faulty, diagnostics_, "Tavrel２１ Oak");
      writer.set_line_list(&lines_);
      EXPECT_FALSE(writer.WriteReport(destination, 7, company_));
      if (existing) {
        EXPECT_EQ(Read(destination), old_report);
        EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"決算書.xml"});
      } else {
        EXPECT_TRUE(scratch_.Names().empty());
      }
    }
  }
}

TEST_F(ReportWriterFileTest, ACompleteReportReplacesTheDestination) {
  ASSERT_FALSE(scratch_.path().empty());
  const std::string destination = scratch_.PathOf("決算書.xml");
  ASSERT_TRUE(os::SystemOs().ReplaceFileAtomically(destination, "old"));
  ASSERT_TRUE(Write());  // the same report through the recording file, for comparison
  os_.recording = nullptr;
  ASSERT_TRUE(writer_.WriteReport(destination, 7, company_));
  EXPECT_EQ(Read(destination), file_.written);
  EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"決算書.xml"});

  // A commit that fails keeps the old report.
  ASSERT_TRUE(os::SystemOs().ReplaceFileAtomically(destination, "old"));
  os::FaultInjectingOs faulty(os_);
  faulty.FailCommit(destination);
  ReportWriter writer(faulty, diagnostics_, "Tavrel２１ Oak");
  writer.set_line_list(&lines_);
  EXPECT_FALSE(writer.WriteReport(destination, 7, company_));
  EXPECT_EQ(Read(destination), "old");
  EXPECT_EQ(scratch_.Names(), std::vector<std::string>{"決算書.xml"});
}

}  // namespace
}  // namespace vintor::statements
