// A look at the complete report file in the moment between its last byte and its taking the
// destination's place. The report writer calls it; what it looks for is the caller's (the
// exporter reads the file back with an XML parser, report/read_back.h).
#pragma once

#include <functional>
#include <string>

#include "checks/byte_digest.h"
#include "checks/content_digest.h"
#include "os/os.h"

namespace vintor::statements {

// What the writer handed the file.
struct WrittenDigests {
  // The elements, up to the general ledger's start tag when the report has a ledger: a
  // ledger of a million lines would cost more to parse again than to write, so it is
  // compared by its bytes alone.
  checks::ContentDigest elements;
  // Every byte of the file.
  checks::ByteDigest bytes;
};

class WrittenReportCheck {
 public:
  virtual ~WrittenReportCheck() = default;
  // file is closed and readable with ReadWritten; meant is what the writer handed it.
  // True when the file says what was meant. False, with *why (CP932) saying
  // what is wrong, when it does not or cannot be read: the report is then not kept and the
  // destination stays as it was. pulse is called now and then while a large file is read
  // (it takes seconds for a ledger of a million lines), so a progress window can show the
  // run is alive and keep answering the desktop.
  virtual bool Check(os::ReplacementFile& file, const WrittenDigests& meant,
                     const std::function<void()>& pulse, std::string* why) = 0;
};

}  // namespace vintor::statements
