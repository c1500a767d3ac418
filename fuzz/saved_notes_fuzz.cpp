// The saved notes come from the accounting product's notes editor: any text must read,
// split and write as a notes section without harm. A text the run's check accepts must
// write in full (lines too long for the report are cut to fit); one it refuses (a control
// character no XML text can hold) is never written, as in the run.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "app/note_text.h"
#include "os/os.h"
#include "statements/saved_notes.h"
#include "statements/xml_writer.h"
#include "supplements/notes_section.h"
#include "supplements/report_text_check.h"

namespace {

// Checks every line the section writes.
class LineCheckingFile : public vintor::os::WritableFile {
 public:
  bool Append(std::string_view bytes) override {
    if (bytes.size() > vintor::statements::XmlWriter::kMaxLineBytes) std::abort();
    if (bytes.size() < 2 || bytes.substr(bytes.size() - 2) != "\r\n") std::abort();
    return true;
  }
  bool Close() override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vintor::statements::IsLinkedInputMode(text);
  vintor::statements::AreNotesEntered(text);
  std::uint8_t flags[vintor::statements::kNoteDisplayFlagCount] = {};
  vintor::statements::CollectNoteDisplayFlags(text, flags);
  // The same text as note records, every group displayed.
  for (std::uint8_t& flag : flags) flag = 1;
  const std::vector<std::string> lines = vintor::app::SplitNoteText(text);
  LineCheckingFile file;
  vintor::statements::XmlWriter writer;
  writer.Open(&file, "notes.xml");
  const vintor::statements::StatementLineList no_statement_lines;
  if (!vintor::supplements::FindUnwritableReportText("", no_statement_lines, lines)
           .empty()) {
    return 0;
  }
  vintor::supplements::NotesSection section(lines, flags, 1);
  if (!section.Write(writer)) std::abort();
  return 0;
}
