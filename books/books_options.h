// How a caller points the books library at a books file, a user and a company.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/library.h"

namespace vintor::books {

// Shows a message box (text and caption in CP932, a platform::kStyle... style) and answers
// the button pressed, as the desktop's message box does.
using DisplayFunction = std::function<int(platform::WindowHandle owner, const std::string& text,
                                          const std::string& caption, unsigned style)>;

struct BooksOptions {
  std::string books_path;        // the books file (CP932 path)
  std::string user_id;           // empty: the books' current user
  std::int32_t data_number = 0;  // 0: the company data the user has selected
  DisplayFunction display;       // empty: messages are not shown
};

}  // namespace vintor::books
