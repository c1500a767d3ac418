#include "statements/xml_writer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "checks/content_digest.h"
#include "text/cp932.h"
#include "text/xml_entities.h"

namespace vintor::statements {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsGiven(const XmlAttribute& attribute) {
  return attribute.name != nullptr && attribute.value != nullptr;
}

void DigestAttributes(checks::ContentDigest& digest, XmlAttribute first, XmlAttribute second) {
  for (const XmlAttribute& attribute : {first, second}) {
    if (!IsGiven(attribute)) return;
    digest.Attribute(attribute.name, attribute.value);
  }
}

}  // namespace

XmlWriter::XmlWriter(std::size_t block_bytes) : block_capacity_(block_bytes) {}

int XmlWriter::Open(os::WritableFile* file, std::string path) {
  if (file == nullptr || path.empty()) return -1;
  file_ = file;
  path_ = std::move(path);
  return 0;
}

bool XmlWriter::WriteRaw(std::string_view bytes) {
  if (file_ == nullptr) return false;
  if (block_capacity_ == 0) {
    if (!Hand(bytes)) return false;
  } else {
    if (block_size_ + bytes.size() > block_capacity_ && !Flush()) return false;
    if (bytes.size() >= block_capacity_) {
      if (!Hand(bytes)) return false;
    } else {
      if (!block_) block_ = std::make_unique<char[]>(block_capacity_);
      std::memcpy(block_.get() + block_size_, bytes.data(), bytes.size());
      block_size_ += bytes.size();
    }
  }
  bytes_written_ += bytes.size();
  return true;
}

bool XmlWriter::Hand(std::string_view bytes) {
  byte_digest_.Add(bytes);
  if (file_->Append(bytes)) return true;
  // A report with a hole in it is worthless: give the file up, so that every later line
  // fails too and the callers unwind at their next write.
  block_size_ = 0;
  file_->Close();
  file_ = nullptr;
  return false;
}

bool XmlWriter::Flush() {
  if (block_size_ == 0) return true;
  const std::size_t size = block_size_;
  block_size_ = 0;
  return Hand(std::string_view(block_.get(), size));
}

int XmlWriter::Close() {
  if (file_ == nullptr) return 0;
  if (!Flush()) return -1;
  const bool kept = file_->Close();
  file_ = nullptr;
  return kept ? 0 : -1;
}

void XmlWriter::Line::Start(int depth) {
  size_ = 0;
  writable_ = depth >= 0 && static_cast<std::size_t>(depth) <= sizeof bytes_;
  if (writable_) {
    std::memset(bytes_, '\t', static_cast<std::size_t>(depth));
    size_ = static_cast<std::size_t>(depth);
  }
}

void XmlWriter::Line::Put(std::string_view bytes) {
  if (!writable_ || bytes.size() > sizeof bytes_ - size_) {
    writable_ = false;
    return;
  }
  std::memcpy(bytes_ + size_, bytes.data(), bytes.size());
  size_ += bytes.size();
}

void XmlWriter::Line::PutEscaped(std::string_view text) {
  if (!writable_) return;
  // No escaped text may pass kMaxEscapedBytes; the line's own limit is never larger.
  static_assert(kMaxEscapedBytes >= kMaxLineBytes);
  const std::size_t written = text::EscapeXmlInto(text, bytes_ + size_, sizeof bytes_ - size_);
  if (written == text::kNoRoom || written == text::kUnwritable) {
    writable_ = false;
    return;
  }
  size_ += written;
}

void XmlWriter::Line::PutAttributes(XmlAttribute first, XmlAttribute second) {
  // A missing first attribute takes the second with it: callers pass optional pairs in order.
  for (const XmlAttribute& attribute : {first, second}) {
    if (!IsGiven(attribute)) return;
    // name="escaped value", preceded by a space.
    Put(" ");
    Put(attribute.name);
    Put("=\"");
    PutEscaped(attribute.value);
    Put("\"");
  }
}

bool XmlWriter::WriteLine(const Line& line) {
  // Report lines have always been held below 256 bytes. A longer line is refused whole rather
  // than cut, so no half tag and no half character ever reaches the file.
  if (!line.writable()) return false;
  return WriteRaw(line.bytes());
}

bool XmlWriter::OpenElement(std::string_view name, int depth, XmlAttribute first,
                            XmlAttribute second) {
  line_.Start(depth);
  line_.Put("<");
  line_.Put(name);
  line_.PutAttributes(first, second);
  line_.Put(">");
  line_.Put(kLineEnd);
  if (!WriteLine(line_)) return false;
  just_opened_ = true;
  if (!digesting_) return true;
  digest_.StartElement(name);
  DigestAttributes(digest_, first, second);
  return true;
}

bool XmlWriter::Element(std::string_view name, std::string_view text, int depth, XmlAttribute first,
                        XmlAttribute second) {
  line_.Start(depth);
  line_.Put("<");
  line_.Put(name);
  line_.PutAttributes(first, second);
  line_.Put(">");
  // A control character would make the whole file ill-formed; the line is refused instead.
  line_.PutEscaped(text);
  line_.Put("</");
  line_.Put(name);
  line_.Put(">");
  line_.Put(kLineEnd);
  if (!WriteLine(line_)) return false;
  just_opened_ = false;
  if (!digesting_) return true;
  digest_.StartElement(name);
  DigestAttributes(digest_, first, second);
  digest_.Text(text);
  digest_.EndElement();
  return true;
}

bool XmlWriter::CloseElement(std::string_view name, int depth) {
  line_.Start(depth);
  line_.Put("</");
  line_.Put(name);
  line_.Put(">");
  line_.Put(kLineEnd);
  if (!WriteLine(line_)) return false;
  if (!digesting_) {
    just_opened_ = false;
    return true;
  }
  if (just_opened_) {
    // An element opened and closed with nothing inside holds the layout between its tags as
    // its text: the line end (which a reader sees as LF) and the closing tag's indent.
    digest_.Text("\n" + std::string(static_cast<std::size_t>(depth), '\t'));
    just_opened_ = false;
  }
  digest_.EndElement();
  return true;
}

std::string XmlWriter::Escape(std::string_view text) {
  return text::EscapeXmlEntities(text);
}

std::string_view XmlWriter::FitEscaped(std::string_view text, std::size_t max_escaped) {
  if (text::EscapedXmlSize(text) <= max_escaped) return text;
  // Count the bytes whose escaped forms fit, then step back to a character boundary. The
  // bytes that are escaped are never halves of double-byte characters, so an entity is
  // always kept or dropped whole.
  std::size_t escaped = 0;
  std::size_t fitting = 0;
  for (; fitting < text.size(); ++fitting) {
    const std::size_t width = text::EscapedXmlSize(text.substr(fitting, 1));
    if (escaped + width > max_escaped) break;
    escaped += width;
  }
  return text::PrefixOnCharacterBoundary(text, fitting);
}

bool XmlWriter::ElementCutToFit(std::string_view name, std::string_view text, int depth) {
  // depth tabs, <name>, </name> and CR LF leave this much of the line for the text.
  const std::size_t frame = static_cast<std::size_t>(depth < 0 ? 0 : depth) + 2 * name.size() + 7;
  const std::size_t room =
      frame >= kMaxLineBytes ? 0 : std::min(kMaxLineBytes - frame, kMaxEscapedBytes);
  return Element(name, FitEscaped(text, room), depth);
}

}  // namespace vintor::statements
