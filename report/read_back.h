// The exporter's look at its own report before the report takes the destination's place:
// the file is read back from the disk; every byte is compared with what the writer handed
// the file, and everything before the general ledger is also parsed with the report reader
// (a real XML parser) and its every element, label and amount compared with what the writer
// meant to write. The ledger, up to a few hundred megabytes, is compared by its bytes alone:
// parsing it again would cost more than exporting it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "checks/report_figures.h"
#include "statements/written_report_check.h"

namespace vintor::report {

class ReadBack : public statements::WrittenReportCheck {
 public:
  // False when the file cannot be read, its part before the ledger is not a well-formed
  // report, it says anything other than was meant or holds any byte other than was written;
  // *why then names the first fault found.
  bool Check(os::ReplacementFile& file, const statements::WrittenDigests& meant,
             const std::function<void()>& pulse, std::string* why) override;

  // How many bytes are read between two pulses.
  static constexpr std::uint64_t kPulseBytes = 1 << 20;

  // The figures of the statements of the last file read back, for the checks across
  // the statements; those of the ledger are not among them (it is not parsed). Empty before.
  const checks::ReportFigures& figures() const { return figures_; }

 private:
  checks::ReportFigures figures_;
};

}  // namespace vintor::report
