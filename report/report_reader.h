// Reads a report file back, streaming: expat's SAX interface walks the document once and the
// reader keeps only ReportContents, so a report of any size (an 800 MB ledger) is read in a
// few megabytes. The ledger's lines are handed to a handler one by one and never kept.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "checks/content_digest.h"
#include "report/report_contents.h"

namespace vintor::report {

// Where a report's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills up to capacity bytes; the count, 0 at the end, or -1 when reading failed (the
  // source then says why in *error).
  virtual long Read(char* buffer, std::size_t capacity, std::string* error) = 0;
};

// One reader reads one report at a time; it may be used again for the next. Holds no
// resources between calls.
class ReportReader {
 public:
  // Called for every ledger line, in report order, with its account (whose line_count and
  // last_balance already count the line) and the account's index in contents->ledger.
  using LedgerLineHandler =
      std::function<void(const LedgerAccount& account, std::size_t index, const LedgerLine& line)>;

  void set_ledger_line_handler(LedgerLineHandler handler) { handler_ = std::move(handler); }
  // When set, every element read is fed to the digest (see checks::ContentDigest), so that
  // the file can be compared with what its writer meant to write. Not owned.
  void set_content_digest(checks::ContentDigest* digest) { digest_ = digest; }
  // When set, texts are taken byte for byte instead of being decoded: expat reads the
  // document as ISO-8859-1 (one byte, one character; the declaration must still say
  // Shift_JIS), texts are not checked to be CP932, and a character reference other than
  // &#9;, &#10; and &#13; (the only ones the exporter writes) makes the file no report.
  // For a file whose every text is compared by digest with what its writer meant, which
  // checks the bytes themselves: the read-back. About a fifth faster than decoding.
  // Positions in messages then count bytes, not characters.
  void set_exact_bytes(bool exact) { exact_bytes_ = exact; }
  // When set, reading ends at the general ledger's start tag: what comes before it is read,
  // checked and digested as usual, and Read answers true without reading the ledger or
  // anything after it (contents->ledger stays empty; the source is left where the parser
  // stopped taking bytes). For the read-back, which compares the ledger by its bytes alone.
  void set_stop_at_ledger(bool stop) { stop_at_ledger_ = stop; }

  // Reads a whole report into *contents (replaced). True when the bytes are a well-formed
  // report: an XML document declared Shift_JIS whose every character is CP932, with the root
  // REPORT, the sections BASIC and DATA, only the elements the report format has where it
  // has them, amounts where amounts belong, and no document type declaration. Otherwise
  // false with *error naming the line and column and what is wrong; *contents then holds
  // what was read before and must not be trusted. A failed source is reported the same way.
  bool Read(ByteSource& source, ReportContents* contents, std::string* error);
  // The same over bytes in memory.
  bool ReadBytes(std::string_view bytes, ReportContents* contents, std::string* error);
  // The same over a file; a file that cannot be opened or read is a failure too.
  bool ReadFile(const std::string& path, ReportContents* contents, std::string* error);

 private:
  LedgerLineHandler handler_;
  checks::ContentDigest* digest_ = nullptr;
  bool exact_bytes_ = false;
  bool stop_at_ledger_ = false;
};

}  // namespace vintor::report
