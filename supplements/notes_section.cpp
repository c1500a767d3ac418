#include "supplements/notes_section.h"

#include <algorithm>

#include "text/cp932.h"

namespace vintor::supplements {

namespace {

constexpr std::string_view kListElement = "ListNotesNonConsolidated";
constexpr int kListDepth = 2;
constexpr std::string_view kLineElement = "Line";

constexpr std::string_view kIdTag = "<ID>";
constexpr std::string_view kDispTag = "<Disp>";
constexpr std::string_view kValueTag = "<Value>";
constexpr std::string_view kLineTag = "<Line>";
constexpr std::string_view kLineClose = "</Line>";

// Where the lines of a record stand, counted from its ID line. The two lines between the ID
// and the Disp line (name and kind) are not used.
constexpr std::size_t kDispOffset = 3;
constexpr std::size_t kValueOffset = 4;
constexpr std::size_t kFirstLineOffset = 5;

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The index of the first entry after the subtree of the entry at index: the next entry
// whose depth is not greater, or the terminator.
std::size_t SubtreeEnd(std::size_t index) {
  const std::int16_t depth = kNoteElementTable[index].depth;
  std::size_t next = index + 1;
  while (kNoteElementTable[next].id > 0 && kNoteElementTable[next].depth > depth) ++next;
  return next;
}

// The text after the first "<Line>" with every "</Line>" taken out, so that a line the
// editor saved with a stray closing tag in the middle still gives its whole text.
std::string LineValue(std::string_view line, std::size_t tag) {
  std::string value;
  std::string_view rest = line.substr(tag + kLineTag.size());
  for (std::size_t close; (close = rest.find(kLineClose)) != std::string_view::npos;
       rest.remove_prefix(close + kLineClose.size())) {
    value.append(rest.substr(0, close));
  }
  value.append(rest);
  return value;
}

// The room a Line value has at depth: the writer takes no line over 255 bytes with its tabs,
// "<Line>", "</Line>" and CR LF, and no escaped value over its own limit.
std::size_t LineValueRoom(int depth) {
  const std::size_t frame =
      static_cast<std::size_t>(depth) + kLineTag.size() + kLineClose.size() + 2;
  const std::size_t room = statements::XmlWriter::kMaxLineBytes > frame
                               ? statements::XmlWriter::kMaxLineBytes - frame
                               : 0;
  return std::min(room, statements::XmlWriter::kMaxEscapedBytes);
}

}  // namespace

NotesSection::NotesSection(
    const std::vector<std::string>& lines,
    std::span<const std::uint8_t, statements::kNoteDisplayFlagCount> display_flags,
    std::int32_t notes_flag)
    : lines_(lines), notes_flag_(notes_flag) {
  std::copy(display_flags.begin(), display_flags.end(), display_flags_);
}

bool NotesSection::Write(statements::XmlWriter& writer) {
  if (notes_flag_ != kNotesEnabled) return true;
  IndexRecords();
  if (!writer.OpenElement(kListElement, kListDepth)) return false;
  for (std::size_t index = 0; index < kNoteElementCount && kNoteElementTable[index].id > 0;
       index = SubtreeEnd(index)) {
    if (!WriteSubtree(index, writer)) return false;
  }
  return writer.CloseElement(kListElement, kListDepth);
}

std::string_view NotesSection::FitLineValue(std::string_view value, std::size_t max_escaped) {
  return statements::XmlWriter::FitEscaped(value, max_escaped);
}

void NotesSection::IndexRecords() {
  // Every element looks its record up twice; collecting the ID lines once keeps that to a
  // walk over the records instead of over the whole text.
  id_lines_.clear();
  for (std::size_t index = 0; index < lines_.size(); ++index) {
    const std::string_view line = lines_[index];
    const std::size_t tag = line.find(kIdTag);
    if (tag != std::string_view::npos)
      id_lines_.push_back({index, line.substr(tag + kIdTag.size())});
  }
}

bool NotesSection::WriteSubtree(std::size_t index, statements::XmlWriter& writer) const {
  const NoteElement& entry = kNoteElementTable[index];
  const std::size_t end = SubtreeEnd(index);
  const bool shown = IsShown(entry);
  if (shown) {
    if (!writer.OpenElement(entry.element, entry.depth)) return false;
    if (!WriteNoteLines(entry.id, entry.depth + 1, writer)) return false;
  }
  // A hidden element still lets its shown descendants through, each at its own depth.
  for (std::size_t child = index + 1; child < end; child = SubtreeEnd(child)) {
    if (!WriteSubtree(child, writer)) return false;
  }
  return !shown || writer.CloseElement(entry.element, entry.depth);
}

bool NotesSection::IsShown(const NoteElement& entry) const {
  return display_flags_[static_cast<std::size_t>(entry.group)] != 0 && IsNoteShown(entry.id);
}

bool NotesSection::IsNoteShown(std::int32_t id) const {
  // The ID only has to appear somewhere after "<ID>"; a record whose Disp line is missing is
  // passed over in favour of a later one of the same ID.
  const std::string key = std::to_string(id);
  for (const IdLine& id_line : id_lines_) {
    if (!Contains(id_line.after_id, key)) continue;
    const std::size_t disp_index = id_line.index + kDispOffset;
    if (disp_index >= lines_.size()) continue;
    const std::string_view disp_line = lines_[disp_index];
    const std::size_t tag = disp_line.find(kDispTag);
    if (tag == std::string_view::npos) continue;
    const std::size_t flag = tag + kDispTag.size();
    return flag < disp_line.size() && disp_line[flag] == '1';
  }
  return false;
}

bool NotesSection::WriteNoteLines(std::int32_t id, int depth, statements::XmlWriter& writer) const {
  const std::string key = std::to_string(id);
  const auto record = std::find_if(id_lines_.begin(), id_lines_.end(), [&](const IdLine& line) {
    return Contains(line.after_id, key);
  });
  if (record == id_lines_.end()) return true;
  const std::size_t value_index = record->index + kValueOffset;
  if (value_index >= lines_.size() || !Contains(lines_[value_index], kValueTag)) return true;

  const std::size_t room = LineValueRoom(depth);
  for (std::size_t index = record->index + kFirstLineOffset; index < lines_.size(); ++index) {
    const std::string_view line = lines_[index];
    const std::size_t tag = line.find(kLineTag);
    if (tag == std::string_view::npos) break;
    const std::string value = LineValue(line, tag);
    // A line too long for one element of the report goes on in the next Line elements,
    // each cut after a whole character, so the note keeps every word the user wrote.
    std::string_view rest = value;
    do {
      const std::string_view piece = FitLineValue(rest, room);
      if (!writer.Element(kLineElement, piece, depth)) return false;
      if (piece.empty()) break;  // no room for even one character: nothing more can go
      rest.remove_prefix(piece.size());
    } while (!rest.empty());
  }
  return true;
}

}  // namespace vintor::supplements
