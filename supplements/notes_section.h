// The notes section of the report: the notes the user wrote in the product's notes editor
// and marked for display, as the elements of the notes table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "statements/data_section.h"
#include "statements/saved_notes.h"
#include "statements/xml_writer.h"
#include "supplements/note_element_table.h"

namespace vintor::supplements {

// Writes ListNotesNonConsolidated at depth 2 with the shown note elements inside, in table
// order, each at its own depth.
//
// An element is shown when its note's display flag is non-zero and its record in the note
// lines exists with "<Disp>1". A shown element holds first its own lines, as Line elements
// one level deeper, then its shown descendants. A shown element whose record has no
// "<Value>" line, or no "<Line>" lines after it, is written open and closed with nothing of
// its own inside.
//
// An element that is not shown is not written, but its descendants are still looked at one
// by one: a shown descendant of a hidden element is written once, at its own place in the
// table and at its own depth, directly where the hidden element would have stood. It is
// never wrapped in a copy of itself, and its later siblings are not nested inside it.
//
// A Line value that would not fit the writer's 255-byte line is cut, before escaping, after
// the last whole character whose escaped form still fits with the tabs, tags and CR LF,
// and the rest goes on in the next Line elements, so no text is lost.
// A line holding a control character no XML text can hold is not written: the run refuses
// such a text before the report is begun (report_text_check.h), naming where it is.
class NotesSection : public statements::DataSection {
 public:
  // The notes flag that asks for the section; any other value writes nothing.
  static constexpr std::int32_t kNotesEnabled = 1;

  // lines: the saved note text cut into lines with its entities decoded. Not copied: it must
  // outlive the section and is read only by Write. display_flags: the display flag of each
  // saved note section, copied. notes_flag: kNotesEnabled when the notes are to be written.
  NotesSection(const std::vector<std::string>& lines,
               std::span<const std::uint8_t, statements::kNoteDisplayFlagCount> display_flags,
               std::int32_t notes_flag);

  // Nothing, and true, unless the notes flag is kNotesEnabled. Otherwise the whole section;
  // false at the first line the writer refuses or cannot write, the section then being
  // left unfinished.
  bool Write(statements::XmlWriter& writer) override;

  // The longest start of value that ends on a whole character and whose escaped form is at
  // most max_escaped bytes.
  static std::string_view FitLineValue(std::string_view value, std::size_t max_escaped);

 private:
  // A line of the note text that holds "<ID>", with the text after the first "<ID>".
  struct IdLine {
    std::size_t index;
    std::string_view after_id;
  };

  // The lines holding "<ID>", collected once per Write.
  void IndexRecords();
  // Writes the table entry at index with its descendants.
  bool WriteSubtree(std::size_t index, statements::XmlWriter& writer) const;
  bool IsShown(const NoteElement& entry) const;
  // True when a record of the ID has a Disp line whose "<Disp>" is followed by "1".
  bool IsNoteShown(std::int32_t id) const;
  // Writes the Line elements of the first record of the ID at depth.
  bool WriteNoteLines(std::int32_t id, int depth, statements::XmlWriter& writer) const;

  const std::vector<std::string>& lines_;
  std::uint8_t display_flags_[statements::kNoteDisplayFlagCount];
  std::int32_t notes_flag_;
  std::vector<IdLine> id_lines_;
};

}  // namespace vintor::supplements
