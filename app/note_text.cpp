#include "app/note_text.h"

namespace vintor::app {

namespace {

void ReplaceAll(std::string* text, std::string_view from, std::string_view to) {
  std::string result;
  result.reserve(text->size());
  std::size_t start = 0;
  for (std::size_t found; (found = text->find(from, start)) != std::string::npos;
       start = found + from.size()) {
    result.append(*text, start, found - start);
    result.append(to);
  }
  result.append(*text, start, std::string::npos);
  *text = std::move(result);
}

}  // namespace

std::vector<std::string> SplitNoteText(std::string_view saved) {
  std::string text(saved);
  // Each entity is replaced over the whole text before the next, in this order; the
  // saved-statement store writes them so, and "&amp;lt;" is meant to end as "<".
  ReplaceAll(&text, "&amp;", "&");
  ReplaceAll(&text, "&lt;", "<");
  ReplaceAll(&text, "&gt;", ">");
  ReplaceAll(&text, "&apos;", "'");
  ReplaceAll(&text, "&quot;", "\"");

  std::vector<std::string> lines;
  if (text.find("\r\n") == std::string::npos) {
    if (!text.empty()) lines.push_back(text);
    return lines;
  }
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) text += "\r\n";
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

}  // namespace vintor::app
