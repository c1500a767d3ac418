// Line-oriented XML output of the report: every element is written as whole lines, indented
// with tabs and ended with CR LF. No document tree is built; a line is composed in place and
// handed to the file in one Append, or collected with the next ones into a block (see the
// constructor). Text is CP932 and is not converted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "checks/byte_digest.h"
#include "checks/content_digest.h"
#include "os/os.h"

namespace vintor::statements {

// An attribute of an element. A null name or value means the attribute is missing; an
// empty value is written as name="".
struct XmlAttribute {
  const char* name = nullptr;
  const char* value = nullptr;
};

// Writes the lines of one report into a file that the report writer creates, owns and
// destroys; the XmlWriter only refers to it between Open and Close and never deletes it.
// Destroying the writer does not close the file.
//
// Every line operation answers true when its line was written (or, with blocks, taken into
// the block). False means either
//  - the file is gone: no file was opened, or an Append failed, upon which the writer has
//    closed the file and forgotten it, so every later write fails as well (with blocks, the
//    line that finds a block's Append failed fails, and Close reports a last one); or
//  - the line was refused and nothing was written, the file staying open: the line would be
//    longer than kMaxLineBytes, an escaped value longer than kMaxEscapedBytes, a text or
//    attribute value holds a control character XML cannot hold (anything below 0x20 but
//    TAB, LF and CR, and DEL; those three are written as character references), or the
//    depth is negative.
// Callers stop at the first false either way.
class XmlWriter {
 public:
  // A line, tabs and CR LF included, must stay below 256 bytes.
  static constexpr std::size_t kMaxLineBytes = 255;
  // An escaped text or attribute value must stay below 256 bytes.
  static constexpr std::size_t kMaxEscapedBytes = 255;

  // The block a report's writer uses: os::WriteBuffer hands appends this large straight to
  // the system, so a line is copied once, into the block.
  static constexpr std::size_t kReportBlockBytes = 256 * 1024;

  // With block_bytes 0 each line is handed to the file in an Append of its own. Otherwise
  // lines are collected and handed over block_bytes at a time: a ledger of millions of lines
  // then costs one Append, and one pass of the byte digest, per block instead of per line.
  explicit XmlWriter(std::size_t block_bytes = 0);
  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

  // Remembers the file and its path; -1 (nothing remembered) when file is null or the path
  // empty, else 0. A file remembered earlier is forgotten, not closed.
  int Open(os::WritableFile* file, std::string path);
  // Writes the bytes unchanged. False when no file is open or the Append failed; after a
  // failed Append the file is closed and forgotten.
  bool WriteRaw(std::string_view bytes);
  // Hands the file the block, closes the file, if one is open, and forgets it. 0, or -1 when
  // the last block's Append failed or the file reported that it could not keep everything
  // written (a failed final flush): such a report is not whole. An Append that failed
  // earlier was answered by the line that met it, and the file is gone: Close then answers 0.
  int Close();

  // depth tabs, "<name", the attributes, ">" CR LF. The first attribute is written when both
  // its name and value are given; the second only when the first was written and both of its
  // own are given.
  bool OpenElement(std::string_view name, int depth, XmlAttribute first = {},
                   XmlAttribute second = {});
  // depth tabs, "<name", the attributes as for OpenElement, ">", the escaped text, "</name>"
  // CR LF. An empty text gives an element with nothing between its tags.
  bool Element(std::string_view name, std::string_view text, int depth, XmlAttribute first = {},
               XmlAttribute second = {});
  // depth tabs, "</name>" CR LF.
  bool CloseElement(std::string_view name, int depth);

  // Replaces " & ' < > by their entities and TAB, LF, CR by character references;
  // double-byte text passes unchanged.
  static std::string Escape(std::string_view text);

  // The longest start of text, ending on a whole character, whose escaped form is at most
  // max_escaped bytes. No character and no entity is ever cut in half.
  static std::string_view FitEscaped(std::string_view text, std::size_t max_escaped);
  // Element with a free text (a note line, a ledger description) cut after its last whole
  // character that keeps the line within the limit, instead of refusing the line.
  bool ElementCutToFit(std::string_view name, std::string_view text, int depth);

  bool is_open() const { return file_ != nullptr; }
  // What the elements written so far say (see checks::ContentDigest); a refused line adds
  // nothing. The XML declaration and bytes given to WriteRaw are not part of it, nor are the
  // elements written after StopContentDigest.
  const checks::ContentDigest& digest() const { return digest_; }
  // The elements written from now on are left out of digest(); byte_digest() still takes
  // them. For a part of the report too large to be parsed again at a reasonable cost.
  void StopContentDigest() { digesting_ = false; }
  // Every byte handed to the file so far, the declaration included.
  const checks::ByteDigest& byte_digest() const { return byte_digest_; }
  // Bytes written so far (with blocks, those waiting in the block included).
  std::uint64_t bytes_written() const { return bytes_written_; }
  const std::string& path() const { return path_; }

 private:
  // The line being composed, in place: it can never grow past what a line may hold, so a
  // line costs no allocation and whatever would lengthen it further marks it too long.
  class Line {
   public:
    // Begins the line with depth tabs; too long when the depth is negative or leaves no room.
    void Start(int depth);
    void Put(std::string_view bytes);
    // The escaped text; a control character XML cannot hold makes the line unwritable.
    void PutEscaped(std::string_view text);
    // The used attributes (see OpenElement).
    void PutAttributes(XmlAttribute first, XmlAttribute second);
    bool writable() const { return writable_; }
    std::string_view bytes() const { return {bytes_, size_}; }

   private:
    char bytes_[kMaxLineBytes];
    std::size_t size_ = 0;
    bool writable_ = true;
  };

  // Writes a composed line, refusing it when it is too long or unwritable.
  bool WriteLine(const Line& line);
  // Hands the bytes to the file, taking them into the byte digest; a failed Append closes
  // and forgets the file.
  bool Hand(std::string_view bytes);
  // Hands the file what the block holds.
  bool Flush();

  os::WritableFile* file_ = nullptr;
  std::string path_;
  Line line_;
  const std::size_t block_capacity_;
  std::unique_ptr<char[]> block_;  // made on the first write
  std::size_t block_size_ = 0;
  checks::ContentDigest digest_;
  bool digesting_ = true;
  checks::ByteDigest byte_digest_;
  bool just_opened_ = false;  // the last line written opened an element
  std::uint64_t bytes_written_ = 0;
};

}  // namespace vintor::statements
