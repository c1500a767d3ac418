// The report file of a run: a CP932 XML document REPORT with the sections SYSTEM (who wrote
// it), BASIC (the company, its accounting year and the fixed presentation patterns) and DATA
// (the statements and the supplementary sections).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "os/os.h"
#include "platform/records.h"
#include "statements/data_section.h"
#include "statements/diagnostics.h"
#include "statements/product_information.h"
#include "statements/statement_line_list.h"
#include "statements/written_report_check.h"
#include "statements/xml_writer.h"
#include "ui/progress_window.h"
#include "ui/ui.h"

namespace vintor::statements {

// The version of the tax application's import that the report is written for.
inline constexpr const char* kConnectedProgramVersion = "21.00.03";
// The company name field of the report holds at most this many bytes.
inline constexpr std::size_t kCompanyNameLimit = 63;

// The company name as the report shows it: every half-width character in its full-width
// form, at most kCompanyNameLimit bytes, never ending in half a character.
std::string ReportCompanyName(std::string_view name);

// Writes one report. Construct, set the links, call WriteReport once. Nothing linked is
// owned; all of it must outlive the call. The progress window may be left null.
class ReportWriter {
 public:
  // product_display_name is the build's product display string ("Tavrel２１ Oak" and so on),
  // written as the program name unless the product information file names one. Warnings
  // raised while writing go to diagnostics.
  ReportWriter(os::Os& os, Diagnostics& diagnostics, std::string product_display_name);

  void set_progress_window(ui::ProgressWindow* window) { progress_window_ = window; }
  void set_line_list(const StatementLineList* lines) { lines_ = lines; }
  // The kind of equity statement chosen and whether notes are to be written. Kept for the
  // supplementary sections, which decide for themselves whether they write anything.
  void set_equity_choice(std::int16_t choice) { equity_choice_ = choice; }
  void set_notes_flag(std::int32_t flag) { notes_flag_ = flag; }
  // The progress position the aggregation ended at; the writer continues from there.
  void set_start_position(std::int16_t position) { start_position_ = position; }
  // The sections written inside DATA after the statements, in this order. Not owned.
  void set_data_sections(std::vector<DataSection*> sections) { sections_ = std::move(sections); }
  // Looks at the complete file before it replaces the destination; a failed check fails the
  // report. Not owned; null (the default) skips the look.
  void set_written_report_check(WrittenReportCheck* check) { written_check_ = check; }

  std::int16_t equity_choice() const { return equity_choice_; }
  std::int32_t notes_flag() const { return notes_flag_; }
  // The program name and version the last report was written with (from the product
  // information file, else the defaults); empty before a report was begun.
  const ProductInformation& product_information() const { return product_; }
  // Why the last report was not kept when the written-report check refused it (CP932);
  // empty otherwise.
  const std::string& refusal() const { return refusal_; }
  // The size of the last report written, in bytes.
  std::uint64_t bytes_written() const { return bytes_written_; }

  // Writes the report for the company to path. The document goes to a replacement file in
  // the destination's folder that takes the destination's place only when every line was
  // written and the file closed cleanly; otherwise the replacement is removed and whatever
  // stood at path before is left untouched.
  //
  // True when the report is in place. False when no line list is set, the replacement cannot
  // be created, any line or section fails, the written-report check refuses the file (see
  // refusal()), or the file cannot be kept or moved into place.
  // The only error passed on is FixedAmountOverflow from a supplementary section.
  bool WriteReport(const std::string& path, std::int16_t function_number,
                   const platform::StDATAINFO& company);

 private:
  bool WriteDocument(XmlWriter& xml, std::int16_t function_number,
                     const platform::StDATAINFO& company);
  bool WriteSystem(XmlWriter& xml, std::int16_t function_number);
  bool WriteBasic(XmlWriter& xml, const platform::StDATAINFO& company);
  bool WriteData(XmlWriter& xml, const platform::StDATAINFO& company);
  void Advance(int from, int to);
  void Pulse();

  os::Os& os_;
  Diagnostics& diagnostics_;
  std::string product_display_name_;
  ProductInformation product_;
  ui::ProgressWindow* progress_window_ = nullptr;
  const StatementLineList* lines_ = nullptr;
  std::int16_t equity_choice_ = 0;
  std::int32_t notes_flag_ = 0;
  std::int16_t start_position_ = 0;
  std::vector<DataSection*> sections_;
  WrittenReportCheck* written_check_ = nullptr;
  std::string refusal_;
  std::uint64_t bytes_written_ = 0;
};

}  // namespace vintor::statements
