// The file name of one company's report in a batch: a template with placeholders, expanded
// and then made safe as a file name on both Windows and Linux. All texts are CP932.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace vintor::batch {

// What a report name can be made of. Texts are CP932, dates YYYYMMDD, months 1-12.
struct ReportNameFields {
  std::int32_t data_number;
  std::string data_id;
  std::string company_name;
  std::int32_t period_start;
  std::int32_t period_end;
  std::int32_t from_month;
  std::int32_t to_month;
};

// The name used when the user gives no template.
inline constexpr std::string_view kDefaultReportName = "{data}-{name}-{period_end}.xml";

// Expands name_template into *name. Placeholders: {data} the data number in decimal, {id}
// the data ID, {name} the company name, {period_start} and {period_end} as YYYYMMDD,
// {from} and {to} the months as two digits. Other text is copied as it is.
//
// The expanded name is then made safe:
// - single-byte controls (0x00-0x1F, 0x7F) and / \ : * ? " < > | become "_"; the same
//   bytes as trail bytes of double-byte characters (0x5C in 表, 0x7C in ポ) stay;
// - a name whose text before the first dot is a Windows device name (CON, PRN, AUX, NUL,
//   COM1-9, LPT1-9, any letter case) gets a "_" in front;
// - a name over 200 bytes is cut on a character boundary, keeping the text from the last
//   dot on when what follows that dot is at most 10 bytes;
// - trailing dots and spaces become "_".
//
// Returns false with a Japanese message (CP932) in *error, and *name unchanged, when the
// template is empty, names an unknown placeholder, leaves a "{" unclosed, holds a single-byte
// / or \ (reports go into one folder), or expands to an empty name.
bool ExpandReportName(std::string_view name_template, const ReportNameFields& fields,
                      std::string* name, std::string* error);

// The names handed out in one batch. Names are compared without regard to ASCII letter case,
// because Windows and many shared folders treat "A.xml" and "a.xml" as one file; bytes of
// double-byte characters are compared exactly.
class ReportNameRegistry {
 public:
  // Records name for data_number and returns true, or returns false with the data number
  // that claimed an equal name first in *taken_by.
  bool Claim(const std::string& name, std::int32_t data_number, std::int32_t* taken_by);

 private:
  std::map<std::string, std::int32_t> owner_by_folded_name_;
};

}  // namespace vintor::batch
