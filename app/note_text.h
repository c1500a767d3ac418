// The saved note records as lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vintor::app {

// Decodes the five XML entities of the saved text ("&amp;" first, so "&amp;lt;" ends as a
// single "<") and cuts it at every CR LF into lines, empty lines included. A text without
// any CR LF is one line, or none when it is empty.
std::vector<std::string> SplitNoteText(std::string_view text);

}  // namespace vintor::app
