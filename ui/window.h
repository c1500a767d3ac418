// The desktop's windows and message boxes as every layer names them: a window handle and
// the message box styles and answers. The accounting library's interface uses them too
// (its connection shows messages owned by a window), so they live in this one small header.
#pragma once

#include <cstdint>

namespace vintor::ui {

// A window of the desktop, 0 for none. On Windows it is the window handle's value; on
// Linux the number of a host channel (the console has no windows of its own).
using WindowHandle = std::uintptr_t;

// Message box styles and answers, with the values of the Win32 message box.
inline constexpr unsigned kOk = 0x00;
inline constexpr unsigned kYesNo = 0x04;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconExclamation = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kWarning = kIconExclamation | kOk;      // 0x30
inline constexpr unsigned kInformation = kIconInformation | kOk;  // 0x40
inline constexpr unsigned kQuestion = kIconQuestion | kYesNo;     // 0x24
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

}  // namespace vintor::ui
