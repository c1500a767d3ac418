#include "statements/xml_writer.h"

#include <algorithm>
#include <utility>

#include "text/cp932.h"
#include "text/xml_entities.h"

namespace vintor::statements {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsGiven(const XmlAttribute& attribute) {
  return attribute.name != nullptr && attribute.value != nullptr;
}

// name="escaped value", preceded by a space. False when the escaped value is too long or
// the value holds a control character no XML text can hold.
bool AppendAttribute(const XmlAttribute& attribute, std::string* line) {
  line->push_back(' ');
  line->append(attribute.name);
  line->append("=\"");
  const std::size_t value_at = line->size();
  if (!text::AppendEscapedXml(attribute.value, line)) return false;
  if (line->size() - value_at > XmlWriter::kMaxEscapedBytes) return false;
  line->push_back('"');
  return true;
}

}  // namespace

int XmlWriter::Open(os::WritableFile* file, std::string path) {
  if (file == nullptr || path.empty()) return -1;
  file_ = file;
  path_ = std::move(path);
  return 0;
}

bool XmlWriter::WriteRaw(std::string_view bytes) {
  if (file_ == nullptr) return false;
  if (!file_->Append(bytes)) {
    // A report with a hole in it is worthless: give the file up, so that every later line
    // fails too and the callers unwind at their next write.
    Close();
    return false;
  }
  return true;
}

int XmlWriter::Close() {
  if (file_ == nullptr) return 0;
  const bool kept = file_->Close();
  file_ = nullptr;
  return kept ? 0 : -1;
}

bool XmlWriter::StartLine(int depth, std::string* line) {
  // Checked before the tabs are made so that a silly depth cannot build a huge string.
  if (depth < 0 || static_cast<std::size_t>(depth) > kMaxLineBytes) return false;
  line->assign(static_cast<std::size_t>(depth), '\t');
  return true;
}

bool XmlWriter::AppendAttributes(XmlAttribute first, XmlAttribute second, std::string* line) {
  // A missing first attribute takes the second with it: callers pass optional pairs in order.
  if (!IsGiven(first)) return true;
  if (!AppendAttribute(first, line)) return false;
  if (!IsGiven(second)) return true;
  return AppendAttribute(second, line);
}

bool XmlWriter::WriteLine(const std::string& line) {
  // Report lines have always been held below 256 bytes. A longer line is refused whole rather
  // than cut, so no half tag and no half character ever reaches the file.
  if (line.size() > kMaxLineBytes) return false;
  return WriteRaw(line);
}

bool XmlWriter::OpenElement(std::string_view name, int depth, XmlAttribute first,
                            XmlAttribute second) {
  std::string& line = line_;
  if (!StartLine(depth, &line)) return false;
  line.push_back('<');
  line.append(name);
  if (!AppendAttributes(first, second, &line)) return false;
  line.push_back('>');
  line.append(kLineEnd);
  return WriteLine(line);
}

bool XmlWriter::Element(std::string_view name, std::string_view text, int depth, XmlAttribute first,
                        XmlAttribute second) {
  std::string& line = line_;
  if (!StartLine(depth, &line)) return false;
  line.push_back('<');
  line.append(name);
  if (!AppendAttributes(first, second, &line)) return false;
  line.push_back('>');
  // A control character would make the whole file ill-formed; the line is refused instead.
  const std::size_t text_at = line.size();
  if (!text::AppendEscapedXml(text, &line)) return false;
  if (line.size() - text_at > kMaxEscapedBytes) return false;
  line.append("</");
  line.append(name);
  line.push_back('>');
  line.append(kLineEnd);
  return WriteLine(line);
}

bool XmlWriter::CloseElement(std::string_view name, int depth) {
  std::string& line = line_;
  if (!StartLine(depth, &line)) return false;
  line.append("</");
  line.append(name);
  line.push_back('>');
  line.append(kLineEnd);
  return WriteLine(line);
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
