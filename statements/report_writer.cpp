#include "statements/report_writer.h"

#include <functional>
#include <memory>

#include "statements/line_writer.h"
#include "statements/product_information.h"
#include "statements/statement_sections.h"
#include "text/cp932.h"
#include "text/full_width.h"

namespace vintor::statements {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";
constexpr const char* kReport = "REPORT";
constexpr int kEndPosition = ui::ProgressWindow::kMaxPosition;

// The presentation patterns of the tax application's statements, fixed codes that the
// report always asks for. Only the cost-of-sales pattern depends on the company.
enum class Line { kOpen, kLeaf, kClose };
struct PatternLine {
  Line line;
  int depth;
  const char* name;
  const char* text;
};
constexpr const char* kCostOfSales = "Cos";
constexpr PatternLine kPattern[] = {
    {Line::kOpen, 2, "PATTERN", nullptr},  {Line::kOpen, 3, "BS", nullptr},
    {Line::kOpen, 4, "CA", nullptr},       {Line::kLeaf, 5, "Doubtful", "A2"},
    {Line::kClose, 4, "CA", nullptr},      {Line::kOpen, 4, "PPE", nullptr},
    {Line::kLeaf, 5, "DepImp", "B4"},      {Line::kClose, 4, "PPE", nullptr},
    {Line::kOpen, 4, "IOA", nullptr},      {Line::kLeaf, 5, "Doubtful", "C2"},
    {Line::kLeaf, 5, "DepImp", "D4"},      {Line::kClose, 4, "IOA", nullptr},
    {Line::kClose, 3, "BS", nullptr},      {Line::kOpen, 3, "PL", nullptr},
    {Line::kLeaf, 4, "Sales", "E3"},       {Line::kLeaf, 4, kCostOfSales, nullptr},
    {Line::kLeaf, 4, "Sga", "G1"},         {Line::kClose, 3, "PL", nullptr},
    {Line::kClose, 2, "PATTERN", nullptr},
};
// With a schedule of cost of goods manufactured the cost of sales is shown with it.
constexpr const char* kCostOfSalesWithSchedule = "F3";
constexpr const char* kCostOfSalesWithoutSchedule = "F1";

std::int16_t Position(int position) {
  return static_cast<std::int16_t>(position);
}

}  // namespace

std::string ReportCompanyName(std::string_view name) {
  // The tax application shows the name in full-width characters; its field takes 63 bytes.
  const std::string full_width = text::ToFullWidth(name);
  return std::string(text::PrefixOnCharacterBoundary(full_width, kCompanyNameLimit));
}

ReportWriter::ReportWriter(os::Os& os, Diagnostics& diagnostics, std::string product_display_name)
    : os_(os), diagnostics_(diagnostics), product_display_name_(std::move(product_display_name)) {}

bool ReportWriter::WriteReport(const std::string& path, std::int16_t function_number,
                               const platform::StDATAINFO& company) {
  refusal_.clear();
  if (lines_ == nullptr) return false;
  // A half-written report must never take the place of a good one: the document is written
  // beside the destination and moved over it only once it is complete.
  std::unique_ptr<os::ReplacementFile> file = os_.OpenReplacement(path);
  if (file == nullptr) return false;
  XmlWriter xml(XmlWriter::kReportBlockBytes);
  if (xml.Open(file.get(), path) != 0) return false;
  if (!WriteDocument(xml, function_number, company)) {
    // Every failed report ends with its document element closed where the file still takes
    // lines. The replacement is dropped with `file`, which removes it.
    if (xml.is_open()) xml.CloseElement(kReport, 0);
    xml.Close();
    return false;
  }
  if (xml.Close() != 0) return false;
  bytes_written_ = xml.bytes_written();
  if (written_check_ != nullptr) {
    // Reading a large report back takes seconds: the progress window is kept alive meanwhile.
    const std::function<void()> pulse = [this] { Pulse(); };
    if (!written_check_->Check(*file, {xml.digest(), xml.byte_digest()}, pulse, &refusal_)) {
      return false;
    }
  }
  return file->Commit();
}

bool ReportWriter::WriteDocument(XmlWriter& xml, std::int16_t function_number,
                                 const platform::StDATAINFO& company) {
  const int start = start_position_;
  if (!xml.WriteRaw(kDeclaration) || !xml.OpenElement(kReport, 0)) return false;
  Pulse();
  if (!WriteSystem(xml, function_number)) return false;
  Advance(start, start + 1000);
  Pulse();
  if (!WriteBasic(xml, company)) return false;
  Advance(start + 1000, start + 2000);
  Pulse();
  if (!WriteData(xml, company)) return false;
  Advance(start + 2000, kEndPosition);
  Pulse();
  return xml.CloseElement(kReport, 0);
}

bool ReportWriter::WriteSystem(XmlWriter& xml, std::int16_t function_number) {
  product_ = ReadProductInformation(os_, diagnostics_, product_display_name_);
  const ProductInformation& product = product_;
  const struct {
    const char* name;
    std::string text;
  } elements[] = {
      {"GYOUMUPREFIX", "QZ21"},
      {"VERSION", "1"},
      {"FUNCTIONID", std::to_string(function_number)},
      {"CONNECTEDPROGRAMVER", kConnectedProgramVersion},
      {"PROGRAMNAME", product.name},
      {"PROGRAMVER", product.version},
  };
  if (!xml.OpenElement("SYSTEM", 1)) return false;
  // The product's name and version come from a file beside the program; one too long for
  // a report line is cut after a whole character rather than failing every export.
  for (const auto& element : elements) {
    if (!xml.ElementCutToFit(element.name, element.text, 2)) return false;
    Pulse();
  }
  return xml.CloseElement("SYSTEM", 1);
}

bool ReportWriter::WriteBasic(XmlWriter& xml, const platform::StDATAINFO& company) {
  const std::string name = ReportCompanyName(text::FieldText(company.company_name));
  if (!xml.OpenElement("BASIC", 1)) return false;
  if (!xml.Element("KOMONSAKINAME", name, 2)) return false;
  Pulse();
  if (!xml.Element("JIGYOUNENDOFROM", std::to_string(company.first_day), 2)) return false;
  Pulse();
  if (!xml.Element("JIGYOUNENDOTO", std::to_string(company.last_day), 2)) return false;
  Pulse();
  const char* cost_of_sales =
      company.has_cost_schedule != 0 ? kCostOfSalesWithSchedule : kCostOfSalesWithoutSchedule;
  for (const PatternLine& line : kPattern) {
    bool written = false;
    switch (line.line) {
      case Line::kOpen:
        written = xml.OpenElement(line.name, line.depth);
        break;
      case Line::kLeaf:
        written = xml.Element(line.name, line.text ? line.text : cost_of_sales, line.depth);
        break;
      case Line::kClose:
        written = xml.CloseElement(line.name, line.depth);
        break;
    }
    if (!written) return false;
  }
  Pulse();
  return xml.CloseElement("BASIC", 1);
}

bool ReportWriter::WriteData(XmlWriter& xml, const platform::StDATAINFO& company) {
  LineWriter lines(xml, *lines_, diagnostics_);
  if (!xml.OpenElement("DATA", 1)) return false;
  if (!WriteBalanceSheet(lines) || !WriteIncomeStatement(lines)) return false;
  if (company.has_cost_schedule != 0 && !WriteCostReport(lines)) return false;
  for (DataSection* section : sections_) {
    if (section != nullptr && !section->Write(xml)) return false;
  }
  return xml.CloseElement("DATA", 1);
}

void ReportWriter::Advance(int from, int to) {
  if (progress_window_ != nullptr) progress_window_->AdvanceProgress(Position(from), Position(to));
}

void ReportWriter::Pulse() {
  if (progress_window_ != nullptr) progress_window_->PulseActivity();
}

}  // namespace vintor::statements
