// The note elements the report can carry, in the order and at the depths of the notes
// section of the tax application's import.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vintor::supplements {

// One element of the notes section.
struct NoteElement {
  // Index into the 50 display flags of the saved note sections: the note this element
  // belongs to is written only when that flag is non-zero.
  std::int16_t group;
  // The key of the element's record in the saved note text: 1000000 + 10000 x note number
  // + 10 x position within the note. 0 marks the end of the table.
  std::int32_t id;
  // The XML depth of the element (3 to 8). An element's descendants are the entries that
  // follow it with a greater depth, up to the next entry whose depth is not greater.
  std::int16_t depth;
  // The element name; null only in the terminator.
  const char* element;
};

// Entries in use and the table's size with its terminator.
inline constexpr std::size_t kNoteElementCount = 177;
inline constexpr std::size_t kNoteElementCapacity = kNoteElementCount + 1;

// The whole table: kNoteElementCount elements, then the terminator {0, 0, 0, nullptr}.
// Static storage; never changes.
extern const NoteElement kNoteElementTable[kNoteElementCapacity];

}  // namespace vintor::supplements
