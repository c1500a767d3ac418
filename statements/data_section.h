// A section of the report's DATA element that is written after the statements.
#pragma once

#include "statements/xml_writer.h"

namespace vintor::statements {

// The supplementary statements (changes in net assets, notes, general ledger) are built
// elsewhere and handed to the report writer in the order they appear in the file. Each
// decides for itself whether it has anything to write: a section with nothing to show writes
// nothing and answers true.
class DataSection {
 public:
  virtual ~DataSection() = default;
  // Writes the section's lines at depth 2 and below. False when a line could not be written
  // (or the section's own data could not be prepared); the report is then given up.
  virtual bool Write(XmlWriter& writer) = 0;
};

}  // namespace vintor::statements
