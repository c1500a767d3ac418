// vintor_ui_driver: runs the Windows exporter through its real windows, the way a user and a
// host program do, and checks what it shows, what it tells the host and what it writes.
//
//   vintor_ui_driver --source DIR [--bin DIR] [--work DIR] [--screenshot DIR] [--verbose]
//                    [--scenario NAME]...
//
// --source is the source tree (for the reviewed report main\testdata\VintorOak-sample.xml);
// --bin holds VintorOak.exe, CorvelDef.ini and tavrel.exe (default: the driver's own
// folder); every scenario works in its own folder under --work (default %TEMP%\vintor-ui),
// emptied first, with fresh sample books made by tavrel. The exporter finds the books
// through TAVREL_BOOKS. The driver's own window plays the host: the hand-shake names it,
// and it records the completion message and every change of its enabled state.
//
// The driver finds the conditions dialog, the message boxes and the save-file dialog by
// caption among the exporter's top-level windows, types with WM_SETTEXT, posts key presses
// to the control that has the focus and BM_CLICK to buttons. --screenshot saves the
// conditions dialog and the progress window as conditions-dialog.bmp and
// progress-window.bmp. Unix paths in the options are taken on drive Z:, as Wine maps them.
//
// One line per scenario: its name, PASS or FAIL, what differed, seconds. Exit status 0 when
// every scenario passed, 1 when one failed, 2 for a usage error.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr UINT kHostMessage = WM_APP + 1;
constexpr int kHostFunction = 9;
constexpr int kStandAloneFunction = 3;
constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kRunTimeoutMs = 90000;
constexpr DWORD kControlTimeoutMs = 3000;

const wchar_t kDialogClass[] = L"#32770";
const wchar_t kConditionsCaption[] = L"決算書 - 集計条件";
const wchar_t kBoxCaption[] = L"決算書";
const wchar_t kSaveCaption[] = L"保存ファイルを指定";
const wchar_t kProgressCaption[] = L"集計中";

const wchar_t kCancelNotice[] = L"｢決算書｣の集計を中止します。";
const wchar_t kBadRange[] = L"集計期間に誤りがあります。\n\n集計期間を設定しなおしてください。";
const wchar_t kPastResults[] =
    L"過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。";
const wchar_t kCompleted[] = L"決算書情報の出力が終了しました。\n\nアプリケーションを終了します。";
const wchar_t kFileExists[] = L"存在します";
// Warnings the sample company raises on every export; each is answered OK.
const wchar_t* const kSampleWarnings[] = {
    L"以下の注記は連動に対応していません。",
    L"以下の科目は、正しい分類に出力することができません。",
};

// Controls of the conditions dialog.
enum Control : int {
  kEndMonth = 1000,
  kBrowse = 1001,
  kExecute = 1002,
  kCancel = 1003,
  kCompanyName = 1006,
  kPeriod = 1008,
  kOutputGroup = 1014,
  kPath = 1015,
  kStartMonth = 1016,
  kShareholdersEquity = 1019,
  kMembersEquity = 1020,
  kLedger = 1021,
};

// The file name box of the save-file dialog: a combo box (cmb13) or an edit (edt1).
constexpr int kFileNameCombo = 1148;
constexpr int kFileNameEdit = 1152;

// ---------------------------------------------------------------------------------------
// Text

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

std::wstring FromCp932(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size =
      MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
  return text;
}

std::wstring WithoutCr(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c != L'\r') out += c;
  }
  return out;
}

// A text as one line of the report: in quotes, line breaks and tabs shown as \n and \t.
std::wstring Shown(std::wstring_view text) {
  std::wstring out = L"\"";
  for (wchar_t c : text) {
    if (c == L'\n') {
      out += L"\\n";
    } else if (c == L'\t') {
      out += L"\\t";
    } else if (c != L'\r') {
      out += c;
    }
  }
  return out + L"\"";
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool Contains(std::wstring_view text, std::wstring_view part) {
  return text.find(part) != std::wstring_view::npos;
}

void WriteLine(HANDLE stream, const std::wstring& line) {
  DWORD mode = 0;
  DWORD written = 0;
  const std::wstring text = line + L"\n";
  if (GetConsoleMode(stream, &mode)) {
    WriteConsoleW(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    const std::string utf8 = Utf8(text);
    WriteFile(stream, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

// ---------------------------------------------------------------------------------------
// Files

// A Unix path (as CMake passes it) on drive Z:, separators the Windows way.
std::wstring WindowsPath(std::wstring path) {
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

bool ReadBytes(const std::wstring& path, std::string* bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) {
    bytes->append(buffer, got);
  }
  CloseHandle(file);
  return ok;
}

bool WriteBytes(const std::wstring& path, std::string_view bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  return CloseHandle(file) && ok;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

bool MakeFolders(const std::wstring& folder) {
  for (std::size_t at = folder.find(L'\\', 3); at != std::wstring::npos;
       at = folder.find(L'\\', at + 1)) {
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
  }
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::vector<std::wstring> XmlFilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  const HANDLE search = FindFirstFileW((folder + L"\\*.xml").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(entry.cFileName);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return names;
}

// Where two reports first differ, line by line (CP932 shown as text).
std::wstring FirstDifference(const std::string& actual, const std::string& expected) {
  std::size_t pa = 0;
  std::size_t pe = 0;
  for (int line = 1; pa < actual.size() || pe < expected.size(); ++line) {
    const std::size_t ea = std::min(actual.find('\n', pa), actual.size());
    const std::size_t ee = std::min(expected.find('\n', pe), expected.size());
    const std::string_view la = std::string_view(actual).substr(pa, ea - pa);
    const std::string_view le = std::string_view(expected).substr(pe, ee - pe);
    if (la != le) {
      return L"line " + std::to_wstring(line) + L" is " + Shown(FromCp932(la)) + L" instead of " +
             Shown(FromCp932(le)) + L" (" + std::to_wstring(actual.size()) + L" bytes, " +
             std::to_wstring(expected.size()) + L" expected)";
    }
    pa = ea + 1;
    pe = ee + 1;
  }
  return L"same lines, different bytes";
}

// ---------------------------------------------------------------------------------------
// Waiting while the driver's own window keeps answering: the exporter sends it messages
// (EnableWindow) and would hang on a host that does not read them.

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

template <class Condition>
bool WaitUntil(Condition done, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    PumpMessages();
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
}

void Idle(DWORD ms) {
  WaitUntil([] { return false; }, ms);
}

// ---------------------------------------------------------------------------------------
// Another process's windows

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!window ||
      !SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

bool SetTextOf(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return window &&
         SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, 5000, &result) &&
         result;
}

DWORD_PTR Ask(HWND window, UINT message) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  return result;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring CaptionOf(HWND window) {
  wchar_t caption[256] = {};
  GetWindowTextW(window, caption, 256);
  return caption;
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

std::vector<HWND> VisibleTopWindowsOf(DWORD process) {
  struct Search {
    DWORD process;
    std::vector<HWND> found;
  } search{process, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (ProcessOf(window) == s->process && IsWindowVisible(window)) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND DialogOf(DWORD process, std::wstring_view caption) {
  for (HWND window : VisibleTopWindowsOf(process)) {
    if (ClassOf(window) == kDialogClass && CaptionOf(window) == caption) return window;
  }
  return nullptr;
}

// The exporter's progress window, shown or not.
HWND ProgressWindowOf(DWORD process) {
  struct Search {
    DWORD process;
    HWND found;
  } search{process, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (ProcessOf(window) != s->process || !StartsWith(CaptionOf(window), kProgressCaption)) {
          return TRUE;
        }
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// N of the caption "集計中 N％"; 0 for "集計中" alone, -1 for any other caption.
int ProgressPercent(std::wstring_view caption) {
  // A batch puts its company counter "(i/N) " before the percentage.
  if (StartsWith(caption, L"(")) {
    const std::size_t close = caption.find(L") ");
    if (close != std::wstring_view::npos) caption.remove_prefix(close + 2);
  }
  if (caption == kProgressCaption) return 0;
  const std::wstring_view prefix = L"集計中 ";
  if (!StartsWith(caption, prefix) || caption.size() < prefix.size() + 2) return -1;
  const std::wstring_view number =
      caption.substr(prefix.size(), caption.size() - prefix.size() - 1);
  if (caption.back() != L'％' || number.size() > 3) return -1;
  int percent = 0;
  for (wchar_t c : number) {
    if (c < L'0' || c > L'9') return -1;
    percent = percent * 10 + (c - L'0');
  }
  return percent <= 100 ? percent : -1;
}

// Where a window lies on the screen, as "(left,top)-(right,bottom)".
std::wstring Where(const RECT& r) {
  return L"(" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L")-(" +
         std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom) + L")";
}

// Empty when the whole window can be seen: it lies on the screen and inside the client
// area of every window it is a child of. Else what hides it.
std::wstring WhatHides(HWND window) {
  RECT area;
  GetWindowRect(window, &area);
  RECT seen;
  for (HWND parent = GetAncestor(window, GA_PARENT); parent && parent != GetDesktopWindow();
       parent = GetAncestor(parent, GA_PARENT)) {
    RECT client;
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (!IntersectRect(&seen, &area, &client) || !EqualRect(&seen, &area)) {
      return L"it lies at " + Where(area) + L" inside the window " + Shown(CaptionOf(parent)) +
             L", whose client area " + Where(client) + L" shows " +
             (IsRectEmpty(&seen) ? L"none of it" : L"only " + Where(seen));
    }
  }
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (!IntersectRect(&seen, &area, &screen) || !EqualRect(&seen, &area)) {
    return L"it lies at " + Where(area) + L", off the screen " + Where(screen);
  }
  return {};
}

// The message box's text: the static control 0xFFFF, else its longest static text.
std::wstring BoxText(HWND box) {
  if (HWND text = GetDlgItem(box, 0xFFFF)) return TextOf(text);
  std::wstring longest;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) continue;
    std::wstring text = TextOf(child);
    if (text.size() > longest.size()) longest = std::move(text);
  }
  return longest;
}

// The window that has the keyboard focus in the thread of window.
HWND FocusIn(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// The id of the dialog's control that has the focus (an edit inside a combo box counts as
// the combo box); 0 when the dialog itself or nothing has it, -1 when another window has it.
int FocusedControl(HWND dialog) {
  HWND focus = FocusIn(dialog);
  if (!focus || focus == dialog) return 0;
  if (!IsChild(dialog, focus)) return -1;
  while (GetParent(focus) != dialog) focus = GetParent(focus);
  return GetDlgCtrlID(focus);
}

std::wstring ControlName(int id) {
  struct Name {
    int id;
    const wchar_t* name;
  };
  static const Name kNames[] = {
      {kStartMonth, L"start month edit"},
      {kEndMonth, L"end month edit"},
      {kPath, L"path edit"},
      {kBrowse, L"browse button"},
      {kExecute, L"execute button"},
      {kCancel, L"cancel button"},
      {kLedger, L"ledger check box"},
      {kShareholdersEquity, L"shareholders' equity radio"},
      {kMembersEquity, L"members' equity radio"},
  };
  if (id == 0) return L"no window";
  if (id == -1) return L"a window outside the dialog";
  for (const Name& n : kNames) {
    if (n.id == id) return std::wstring(n.name) + L" (" + std::to_wstring(id) + L")";
  }
  return L"control " + std::to_wstring(id);
}

void PostKey(HWND target, UINT key) {
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, key, static_cast<LPARAM>(1u | scan << 16));
  PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u | scan << 16));
}

// The window as the screen shows it, as a 24-bit BMP file.
bool SaveWindowImage(HWND window, const std::wstring& path) {
  RECT area;
  if (!GetWindowRect(window, &area)) return false;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  const HDC screen = GetWindowDC(window);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT);
  SelectObject(memory, previous);

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  std::string pixels(stride * static_cast<std::size_t>(height), '\0');
  const int rows =
      GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  if (rows != height) return false;

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  return WriteBytes(path, bytes + pixels);
}

// ---------------------------------------------------------------------------------------
// The host: a window of the driver's that the hand-shake names.

class HostWindow {
 public:
  struct Posted {
    UINT message;
    WPARAM function;
    LPARAM result;
  };

  HostWindow() {
    static const wchar_t kClass[] = L"VintorUiDriverHost";
    static const ATOM registered = [] {
      WNDCLASSW window_class = {};
      window_class.lpfnWndProc = Procedure;
      window_class.hInstance = GetModuleHandleW(nullptr);
      window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      window_class.lpszClassName = kClass;
      return RegisterClassW(&window_class);
    }();
    (void)registered;
    // In the middle of the screen: the exporter centres its windows on the host's. As large
    // as a host's main window is, so the progress window, made its child, fits inside.
    const int width = 640;
    const int height = 480;
    window_ = CreateWindowExW(0, kClass, L"ホスト", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
  }
  ~HostWindow() { DestroyWindow(window_); }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND handle() const { return window_; }
  const std::vector<Posted>& posted() const { return posted_; }
  // Every WM_ENABLE, in order: false when the window was disabled, true when enabled.
  const std::vector<bool>& enable_changes() const { return enable_changes_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(l);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (host && message == kHostMessage) {
      host->posted_.push_back({message, w, l});
      return 0;
    }
    if (host && message == WM_ENABLE) host->enable_changes_.push_back(w != 0);
    return DefWindowProcW(window, message, w, l);
  }

  HWND window_ = nullptr;
  std::vector<Posted> posted_;
  std::vector<bool> enable_changes_;
};

// ---------------------------------------------------------------------------------------
// The progress window shows for a fraction of a second on the sample books. A thread of its
// own watches it: one that handles no messages is never held up by the exporter's windows.

class ProgressWatcher {
 public:
  // host is the window the exporter was told about, or null. screenshot is the file for
  // the window's picture, or empty.
  ProgressWatcher(HANDLE process, DWORD process_id, HWND host, std::wstring screenshot)
      : process_(process),
        process_id_(process_id),
        host_(host),
        screenshot_(std::move(screenshot)),
        thread_([this] { Watch(); }) {}
  ~ProgressWatcher() { Stop(); }
  ProgressWatcher(const ProgressWatcher&) = delete;
  ProgressWatcher& operator=(const ProgressWatcher&) = delete;

  // Ends the watch; the results below are read after it.
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // The captions the window showed while visible, each change once.
  const std::vector<std::wstring>& captions() const { return captions_; }
  bool host_enabled_meanwhile() const { return host_enabled_meanwhile_; }
  // Empty when the user could see the whole window each time it changed; else what hid it.
  const std::wstring& hidden() const { return hidden_; }
  bool screenshot_taken() const { return screenshot_taken_; }

 private:
  void Watch() {
    HWND progress = nullptr;
    while (!stop_ && WaitForSingleObject(process_, 1) == WAIT_TIMEOUT) {
      // The window is made hidden when the run starts and shown while it works.
      if (!progress || !IsWindow(progress)) progress = ProgressWindowOf(process_id_);
      if (!progress || !IsWindowVisible(progress)) continue;
      const std::wstring caption = CaptionOf(progress);
      if (!captions_.empty() && captions_.back() == caption) continue;
      captions_.push_back(caption);
      if (host_ && IsWindowEnabled(host_)) host_enabled_meanwhile_ = true;
      const std::wstring hides = WhatHides(progress);
      if (hidden_.empty()) hidden_ = hides;
      // A picture with some progress on it, taken once the window has drawn it.
      if (!screenshot_.empty() && !screenshot_taken_ && hides.empty() &&
          ProgressPercent(caption) > 0) {
        Sleep(20);
        screenshot_taken_ = SaveWindowImage(progress, screenshot_) && IsWindowVisible(progress);
      }
    }
  }

  const HANDLE process_;
  const DWORD process_id_;
  const HWND host_;
  const std::wstring screenshot_;
  std::atomic<bool> stop_ = false;
  std::vector<std::wstring> captions_;
  bool host_enabled_meanwhile_ = false;
  std::wstring hidden_;
  bool screenshot_taken_ = false;
  std::thread thread_;  // last: starts once the members above are ready
};

// ---------------------------------------------------------------------------------------
// Processes the driver starts; one still running at the end is ended.

class Process {
 public:
  Process() = default;
  ~Process() {
    if (!info_.hProcess) return;
    if (!Ended()) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // output, when given, receives the program's standard output and error.
  bool Start(std::wstring command_line, const std::wstring& folder, HANDLE output) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (output) {
      startup.dwFlags = STARTF_USESTDHANDLES;
      startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
      startup.hStdOutput = output;
      startup.hStdError = output;
    }
    // Under Wine on a loaded machine, starting a process now and then fails once with no
    // fault of the program's (seen in CI as a setup step that could not start tavrel.exe);
    // a second try a moment later succeeds. The error of the last try is kept for the report.
    for (int attempt = 1;; ++attempt) {
      if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, output != nullptr, 0,
                         nullptr, folder.c_str(), &startup, &info_)) {
        return true;
      }
      last_error_ = GetLastError();
      if (attempt == 3) return false;
      Sleep(500 * attempt);
    }
  }
  DWORD last_error() const { return last_error_; }

  bool Ended() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }
  bool WaitForEnd(DWORD timeout_ms) const {
    return WaitUntil([this] { return Ended(); }, timeout_ms);
  }
  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_ = {};
  DWORD last_error_ = 0;
};

std::wstring Quoted(const std::wstring& argument) {
  return argument.find(L' ') == std::wstring::npos ? argument : L"\"" + argument + L"\"";
}

// ---------------------------------------------------------------------------------------
// One scenario's run: its folder and books, the exporter, the host, what differed.

struct Options {
  std::wstring bin;
  std::wstring source;
  std::wstring work;
  std::wstring screenshots;
  bool verbose = false;
  std::vector<std::wstring> scenarios;
};

struct Screenshots {
  std::wstring folder;  // empty: none wanted
  bool dialog_taken = false;
  bool progress_taken = false;
};

class Session {
 public:
  struct Box {
    HWND window = nullptr;
    std::wstring text;
  };

  Session(const Options& options, const std::wstring& name, Screenshots& shots)
      : options_(options), folder_(options.work + L"\\" + name), shots_(shots) {}

  const std::vector<std::wstring>& failures() const { return failures_; }
  void Fail(const std::wstring& what) { failures_.push_back(what); }
  bool Expect(bool ok, const std::wstring& what) {
    if (!ok) Fail(what);
    return ok;
  }
  void ExpectText(const std::wstring& what, const std::wstring& actual,
                  const std::wstring& expected) {
    Expect(WithoutCr(actual) == WithoutCr(expected),
           what + L" is " + Shown(actual) + L" instead of " + Shown(expected));
  }
  void Note(const std::wstring& what) const {
    if (options_.verbose) WriteLine(GetStdHandle(STD_ERROR_HANDLE), L"  " + what);
  }

  std::wstring PathOf(const std::wstring& name) const { return folder_ + L"\\" + name; }

  // An empty folder with the sample books in it.
  bool MakeBooks() {
    RemoveTree(folder_);
    if (!Expect(MakeFolders(folder_), L"cannot create the folder " + folder_)) return false;
    bin_reports_ = XmlFilesIn(options_.bin);
    return Tavrel(L"sample");
  }

  bool Tavrel(const std::wstring& arguments) {
    const std::wstring log_path = PathOf(L"tavrel.log");
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const HANDLE log = CreateFileW(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, &inherit,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!Expect(log != INVALID_HANDLE_VALUE, L"cannot write " + log_path)) return false;
    Process tavrel;
    const std::wstring command = Quoted(options_.bin + L"\\tavrel.exe") + L" --books " +
                                 Quoted(PathOf(L"books.db")) + L" " + arguments;
    const bool started = tavrel.Start(command, folder_, log);
    CloseHandle(log);
    if (!Expect(started, L"cannot start " + command + L" (error " +
                             std::to_wstring(tavrel.last_error()) + L")")) {
      return false;
    }
    if (!Expect(tavrel.WaitForEnd(60000), L"tavrel " + arguments + L" did not end")) return false;
    std::string said;
    ReadBytes(log_path, &said);
    return Expect(tavrel.ExitCode() == 0, L"tavrel " + arguments + L" exited " +
                                              std::to_wstring(tavrel.ExitCode()) + L": " +
                                              Shown(FromCp932(said)));
  }

  // The exporter with the hand-shake "host,message,function,path".
  bool StartWithHost(const std::wstring& path) {
    told_host_ = true;
    const std::wstring handshake =
        std::to_wstring(reinterpret_cast<std::uintptr_t>(host_.handle())) + L"," +
        std::to_wstring(kHostMessage) + L"," + std::to_wstring(kHostFunction) + L"," + path;
    return Start(L" " + Quoted(handshake));
  }
  bool StartAlone() { return Start(L""); }
  // The exporter with these words after its name (each preceded by a space).
  bool StartWithArguments(const std::wstring& arguments) { return Start(arguments); }
  DWORD ExitCode() const { return exporter_.ExitCode(); }

  // The conditions dialog, once it shows; the host is its owner and disabled meanwhile.
  HWND WaitForConditions() {
    HWND dialog = WaitForDialog(kConditionsCaption);
    if (!dialog) return nullptr;
    if (told_host_) {
      Expect(GetWindow(dialog, GW_OWNER) == host_.handle(),
             L"the conditions dialog is not owned by the host window");
      Expect(!IsWindowEnabled(host_.handle()), L"the host is enabled while the dialog shows");
    } else {
      Expect(IsWindowEnabled(host_.handle()), L"a host nobody named was disabled");
    }
    WaitUntil([&] { return FocusedControl(dialog) > 0; }, kControlTimeoutMs);
    Note(L"the dialog opens with the focus on " + ControlName(FocusedControl(dialog)));
    if (!shots_.folder.empty() && !shots_.dialog_taken) {
      Idle(500);  // painted
      shots_.dialog_taken =
          Expect(SaveWindowImage(dialog, shots_.folder + L"\\conditions-dialog.bmp"),
                 L"cannot save the screenshot of the conditions dialog");
    }
    return dialog;
  }

  HWND WaitForDialog(const std::wstring& caption) {
    HWND dialog = nullptr;
    if (!WaitForWindow([&] { return (dialog = DialogOf(exporter_.id(), caption)) != nullptr; },
                       L"the dialog " + Shown(caption))) {
      return nullptr;
    }
    return dialog;
  }

  bool WaitForBox(Box* box) {
    if (!WaitForWindow([&] { return FindBox(box); }, L"a message box")) return false;
    Note(L"message box " + Shown(box->text));
    return true;
  }

  // Waits for the box, compares its text and answers it.
  bool ExpectBox(const std::wstring& text, int button) {
    Box box;
    if (!WaitForBox(&box)) return false;
    ExpectText(L"the message box", box.text, text);
    return Answer(box, button);
  }

  bool Answer(const Box& box, int button) {
    HWND control = GetDlgItem(box.window, button);
    if (!Expect(control != nullptr, L"the message box " + Shown(box.text) + L" has no button " +
                                        std::to_wstring(button))) {
      return false;
    }
    PostMessageW(control, BM_CLICK, 0, 0);
    return Expect(WaitUntil([&] { return !IsWindowVisible(box.window); }, kControlTimeoutMs),
                  L"the message box " + Shown(box.text) + L" stays after its answer");
  }

  HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
  std::wstring ControlText(HWND dialog, int id) { return TextOf(Item(dialog, id)); }
  bool IsChecked(HWND dialog, int id) { return Ask(Item(dialog, id), BM_GETCHECK) == BST_CHECKED; }
  bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(Item(dialog, id)); }

  bool Type(HWND dialog, int id, const std::wstring& text) {
    return Expect(SetTextOf(Item(dialog, id), text), L"cannot type into " + ControlName(id));
  }

  // A key press for the control that has the focus. A window that has just closed may
  // still hold it for a moment; the press waits until the dialog has it back.
  void Press(HWND dialog, UINT key) {
    WaitUntil([&] { return FocusedControl(dialog) >= 0; }, kControlTimeoutMs);
    HWND focus = FocusIn(dialog);
    PostKey(focus && IsChild(dialog, focus) ? focus : dialog, key);
  }

  void Click(HWND dialog, int id) { PostMessageW(Item(dialog, id), BM_CLICK, 0, 0); }

  // Puts the focus on an edit as a mouse click does.
  bool FocusOn(HWND dialog, int id) {
    if (FocusedControl(dialog) == id) return true;
    PostMessageW(Item(dialog, id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(Item(dialog, id), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    return WaitForFocus(dialog, id);
  }

  bool WaitForFocus(HWND dialog, int id) {
    if (WaitUntil([&] { return FocusedControl(dialog) == id; }, kControlTimeoutMs)) return true;
    Fail(L"the focus is on " + ControlName(FocusedControl(dialog)) + L" instead of the " +
         ControlName(id));
    return false;
  }

  void ExpectWholeTextSelected(HWND dialog, int id) {
    const std::wstring text = ControlText(dialog, id);
    const DWORD_PTR selection = Ask(Item(dialog, id), EM_GETSEL);
    const unsigned start = LOWORD(selection);
    const unsigned end = HIWORD(selection);
    Expect(start == 0 && end == text.size(), ControlName(id) + L" selects " +
                                                 std::to_wstring(start) + L" to " +
                                                 std::to_wstring(end) + L" of " + Shown(text));
  }

  // Types the path into the save-file dialog's file name box and confirms it.
  bool ChooseFile(HWND save, const std::wstring& path) {
    HWND name = nullptr;
    for (int id : {kFileNameCombo, kFileNameEdit}) {
      HWND control = GetDlgItem(save, id);
      if (control && IsWindowVisible(control)) {
        name = control;
        break;
      }
    }
    if (!Expect(name != nullptr, L"the save-file dialog has no file name box")) return false;
    Note(L"file name box: " + ClassOf(name) + L" " + std::to_wstring(GetDlgCtrlID(name)));
    if (!Expect(SetTextOf(name, path), L"cannot type the file name")) return false;
    Click(save, IDOK);
    return Expect(WaitUntil([&] { return !IsWindowVisible(save); }, kWindowTimeoutMs),
                  L"the save-file dialog stays after OK");
  }

  // After Execute: answers the sample's warnings and the completion notice, watches the
  // progress window, and waits for the exporter to end.
  bool FinishRun() {
    bool completed = false;
    const ULONGLONG deadline = GetTickCount64() + kRunTimeoutMs;
    while (!exporter_.Ended()) {
      if (!Expect(GetTickCount64() < deadline, L"the run did not end")) return false;
      Box box;
      if (FindBox(&box)) {
        Note(L"message box " + Shown(box.text));
        bool warning = false;
        for (const wchar_t* text : kSampleWarnings) warning = warning || StartsWith(box.text, text);
        if (!warning && WithoutCr(box.text) != kCompleted) {
          Fail(L"unexpected message box " + Shown(box.text));
          return false;
        }
        completed = completed || !warning;
        if (!Answer(box, IDOK)) return false;
      }
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
      PumpMessages();
    }
    AfterEnd();
    return Expect(completed, L"no completion notice " + Shown(kCompleted));
  }

  bool WaitForEnd() {
    if (!Expect(exporter_.WaitForEnd(kRunTimeoutMs), L"the exporter did not end")) return false;
    AfterEnd();
    return true;
  }

  // The progress window showed where the user sees it.
  void ExpectProgressShown() {
    if (!Expect(!progress_->captions().empty(), L"no progress window was seen")) return;
    Expect(progress_->hidden().empty(),
           L"the progress window cannot be seen: " + progress_->hidden());
  }

  void ExpectHostTold(LPARAM result) {
    std::wstring told;
    for (const HostWindow::Posted& p : host_.posted()) {
      told += L" (" + std::to_wstring(p.message) + L"," + std::to_wstring(p.function) + L"," +
              std::to_wstring(p.result) + L")";
    }
    const auto& posted = host_.posted();
    Expect(posted.size() == 1 && posted[0].message == kHostMessage &&
               posted[0].function == kHostFunction && posted[0].result == result,
           L"the host was told" + (told.empty() ? L" nothing" : told) + L" instead of (" +
               std::to_wstring(kHostMessage) + L"," + std::to_wstring(kHostFunction) + L"," +
               std::to_wstring(result) + L")");
    const auto& changes = host_.enable_changes();
    Expect(!changes.empty() && !changes.front() && changes.back(),
           L"the host's enabled state changed " + EnableChanges() +
               L" instead of disabled, then enabled");
    Expect(IsWindowEnabled(host_.handle()), L"the host stays disabled");
  }

  void ExpectHostNotTold() {
    Expect(host_.posted().empty(), L"a host nobody named was posted a message");
    Expect(host_.enable_changes().empty() && IsWindowEnabled(host_.handle()),
           L"a host nobody named changed " + EnableChanges());
  }

  // The report is the reviewed one, with the function number the run had.
  void ExpectReviewedReport(const std::wstring& path, int function) {
    std::string golden;
    const std::wstring golden_path = options_.source + L"\\main\\testdata\\VintorOak-sample.xml";
    if (!Expect(ReadBytes(golden_path, &golden), L"cannot read " + golden_path)) return;
    const std::string standing = "<FUNCTIONID>3</FUNCTIONID>";
    const std::size_t at = golden.find(standing);
    if (at != std::string::npos) {
      golden.replace(at, standing.size(),
                     "<FUNCTIONID>" + std::to_string(function) + "</FUNCTIONID>");
    }
    std::string report;
    if (!Expect(ReadBytes(path, &report), L"no report at " + path)) return;
    Expect(report == golden,
           L"the report differs from the reviewed one: " + FirstDifference(report, golden));
  }

  void ExpectNoReport() {
    Expect(XmlFilesIn(folder_).empty(), L"a report was written in " + folder_);
    Expect(XmlFilesIn(options_.bin) == bin_reports_, L"a report was written beside the exporter");
  }

  std::wstring SettingsPath() const { return PathOf(L"vintor-settings\\VintorOak.env"); }

  void ExpectSettings(const std::wstring& expected) {
    std::string saved;
    if (!Expect(ReadBytes(SettingsPath(), &saved), L"no settings file " + SettingsPath())) return;
    ExpectText(L"the settings file", FromCp932(saved), expected);
  }

  void ExpectNoSettings() {
    std::string saved;
    Expect(!ReadBytes(SettingsPath(), &saved), L"settings were saved: " + Shown(FromCp932(saved)));
  }

 private:
  bool Start(const std::wstring& arguments) {
    if (!Expect(host_.handle() != nullptr,
                L"cannot create the host window (a Wine session without a display?)")) {
      return false;
    }
    const std::wstring program = options_.bin + L"\\VintorOak.exe";
    if (!Expect(GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES,
                L"no exporter at " + program)) {
      return false;
    }
    SetEnvironmentVariableW(L"TAVREL_BOOKS", PathOf(L"books.db").c_str());
    if (!Expect(exporter_.Start(Quoted(program) + arguments, folder_, nullptr),
                L"cannot start " + program + L" (error " + std::to_wstring(exporter_.last_error()) +
                    L")")) {
      return false;
    }
    const bool shot = !shots_.folder.empty() && !shots_.progress_taken;
    progress_ = std::make_unique<ProgressWatcher>(
        exporter_.handle(), exporter_.id(), told_host_ ? host_.handle() : nullptr,
        shot ? shots_.folder + L"\\progress-window.bmp" : L"");
    return true;
  }

  // Waits for a window of the exporter's; fails when it ended or showed something else.
  template <class Found>
  bool WaitForWindow(Found found, const std::wstring& what) {
    if (WaitUntil([&] { return found() || exporter_.Ended(); }, kWindowTimeoutMs) && found()) {
      return true;
    }
    std::wstring shown;
    for (HWND window : VisibleTopWindowsOf(exporter_.id())) {
      shown += L" " + Shown(CaptionOf(window));
      if (ClassOf(window) == kDialogClass && CaptionOf(window) == kBoxCaption) {
        shown += L":" + Shown(BoxText(window));
      }
    }
    Fail(what + L" did not appear; " +
         (exporter_.Ended() ? L"the exporter ended with " + std::to_wstring(exporter_.ExitCode())
                            : L"the exporter shows" + (shown.empty() ? L" nothing" : shown)));
    return false;
  }

  bool FindBox(Box* box) {
    HWND window = DialogOf(exporter_.id(), kBoxCaption);
    if (!window) return false;
    box->window = window;
    box->text = BoxText(window);
    return true;
  }

  void AfterEnd() {
    Idle(100);  // the completion message posted just before the end
    Note(L"the exporter ended with " + std::to_wstring(exporter_.ExitCode()));
    progress_->Stop();
    std::wstring captions;
    for (const std::wstring& caption : progress_->captions()) {
      captions += L" " + Shown(caption);
      Expect(ProgressPercent(caption) >= 0, L"the progress window's caption is " + Shown(caption));
    }
    if (!captions.empty()) Note(L"progress captions" + captions);
    Expect(!progress_->host_enabled_meanwhile(), L"the host is enabled during the run");
    if (progress_->screenshot_taken()) shots_.progress_taken = true;
  }

  std::wstring EnableChanges() const {
    std::wstring changes;
    for (bool enabled : host_.enable_changes()) changes += enabled ? L" enabled" : L" disabled";
    return changes.empty() ? L" never" : changes;
  }

  const Options& options_;
  const std::wstring folder_;
  Screenshots& shots_;
  HostWindow host_;
  Process exporter_;
  bool told_host_ = false;
  std::vector<std::wstring> bin_reports_;
  std::unique_ptr<ProgressWatcher> progress_;  // after exporter_: stops before it ends
  std::vector<std::wstring> failures_;
};

// ---------------------------------------------------------------------------------------
// Scenarios. The sample's current user admin selects company 1 (April to March, notes and
// a ledger); without saved settings the dialog proposes months 4 to 3, shareholders'
// equity and the ledger, the run the reviewed report.

const wchar_t kAdminFirstYear[] = L"admin/1/1:4/3/1/";

// A host gives the destination; the proposals run with F12.
void ExportWithHost(Session& s) {
  const std::wstring report = s.PathOf(L"report.xml");
  if (!s.StartWithHost(report)) return;
  HWND dialog = s.WaitForConditions();
  if (!dialog) return;
  s.ExpectText(L"the company name", s.ControlText(dialog, kCompanyName),
               L" 株式会社ｻﾝﾌﾟﾙ製作所 Sample Works Co., Ltd.");
  s.ExpectText(L"the period", s.ControlText(dialog, kPeriod), L" 2025/04/01\uFF5E2026/03/31");
  s.ExpectText(L"the start month", s.ControlText(dialog, kStartMonth), L"4");
  s.ExpectText(L"the end month", s.ControlText(dialog, kEndMonth), L"3");
  s.Expect(s.IsChecked(dialog, kShareholdersEquity) && !s.IsChecked(dialog, kMembersEquity),
           L"shareholders' equity is not the proposal");
  s.Expect(s.IsChecked(dialog, kLedger), L"the ledger is not proposed");
  s.Press(dialog, VK_F12);
  if (!s.FinishRun()) return;
  s.ExpectProgressShown();
  s.ExpectHostTold(0);
  s.ExpectReviewedReport(report, kHostFunction);
  s.ExpectSettings(std::wstring(kAdminFirstYear) + L"1/\n");
}

// The user gives up, by Esc or by the cancel button.
void Cancel(Session& s, bool by_key) {
  if (!s.StartWithHost(L"")) return;
  HWND dialog = s.WaitForConditions();
  if (!dialog) return;
  if (by_key) {
    s.Press(dialog, VK_ESCAPE);
  } else {
    s.Click(dialog, kCancel);
  }
  if (!s.ExpectBox(kCancelNotice, IDOK) || !s.WaitForEnd()) return;
  s.ExpectHostTold(1);
  s.ExpectNoReport();
  s.ExpectNoSettings();
}

void EscapeCancels(Session& s) {
  Cancel(s, true);
}
void CancelButton(Session& s) {
  Cancel(s, false);
}

// Each refused range puts the focus on the month to correct, its text selected; the
// corrected range runs.
void BadMonthRange(Session& s) {
  struct Range {
    const wchar_t* start;
    const wchar_t* end;
    int to_correct;
  };
  // Each case moves the focus away from where the one before left it.
  static const Range kRefused[] = {
      {L"4", L"0", kEndMonth},     // no month
      {L"13", L"3", kStartMonth},  // no month
      {L"5", L"4", kEndMonth},     // backwards: the end falls before the start
  };
  const std::wstring report = s.PathOf(L"report.xml");
  if (!s.StartWithHost(report)) return;
  HWND dialog = s.WaitForConditions();
  if (!dialog) return;
  for (const Range& range : kRefused) {
    if (!s.Type(dialog, kStartMonth, range.start) || !s.Type(dialog, kEndMonth, range.end)) return;
    s.Press(dialog, VK_F12);
    if (!s.ExpectBox(kBadRange, IDOK)) return;
    if (s.WaitForFocus(dialog, range.to_correct)) {
      s.ExpectWholeTextSelected(dialog, range.to_correct);
    }
  }
  if (!s.Type(dialog, kStartMonth, L"4") || !s.Type(dialog, kEndMonth, L"3")) return;
  s.Press(dialog, VK_F12);
  if (!s.FinishRun()) return;
  s.ExpectHostTold(0);
  s.ExpectReviewedReport(report, kHostFunction);
}

// Stand-alone, the path typed in: No keeps the dialog and the file, Yes replaces it.
void ReplaceExistingFile(Session& s) {
  const std::wstring report = s.PathOf(L"report.xml");
  const std::string old_report = "an earlier report\r\n";
  if (!s.Expect(WriteBytes(report, old_report), L"cannot write " + report)) return;
  if (!s.StartAlone()) return;
  HWND dialog = s.WaitForConditions();
  if (!dialog || !s.Type(dialog, kPath, report)) return;
  for (int answer : {IDNO, IDYES}) {
    s.Press(dialog, VK_F12);
    Session::Box box;
    if (!s.WaitForBox(&box)) return;
    s.Expect(Contains(box.text, kFileExists),
             L"the question " + Shown(box.text) + L" does not say the file exists");
    if (!s.Answer(box, answer)) return;
    if (answer == IDNO) {
      Idle(300);
      s.Expect(IsWindowVisible(dialog), L"the dialog closed after No");
      std::string kept;
      s.Expect(ReadBytes(report, &kept) && kept == old_report, L"No did not keep the file");
    }
  }
  if (!s.FinishRun()) return;
  s.ExpectHostNotTold();
  s.ExpectReviewedReport(report, kStandAloneFunction);
}

// The host leaves the destination open; the user picks it in the save-file dialog.
void BrowseForFile(Session& s) {
  const std::wstring chosen = s.PathOf(L"chosen.xml");
  if (!s.StartWithHost(L"")) return;
  HWND dialog = s.WaitForConditions();
  if (!dialog) return;
  s.Click(dialog, kBrowse);
  HWND save = s.WaitForDialog(kSaveCaption);
  if (!save || !s.ChooseFile(save, chosen)) return;
  s.ExpectText(L"the path after browsing", s.ControlText(dialog, kPath), chosen);
  s.Click(dialog, kExecute);
  if (!s.FinishRun()) return;
  s.ExpectHostTold(0);
  s.ExpectReviewedReport(chosen, kHostFunction);
  // Any run a host started keeps the path the user chose last, none here.
  s.ExpectSettings(std::wstring(kAdminFirstYear) + L"1/\n");
}

// The host fixes the destination: it cannot be changed, an existing file is replaced
// without a question and the path is not remembered. Enter walks start month, end month,
// Execute, and runs it there; the ledger is left out this time.
void HostGivenPath(Session& s) {
  const std::wstring report = s.PathOf(L"report.xml");
  if (!s.Expect(WriteBytes(report, "an earlier report\r\n"), L"cannot write " + report)) return;
  if (!s.StartWithHost(report)) return;
  HWND dialog = s.WaitForConditions();
  if (!dialog) return;
  s.Expect(!s.IsEnabled(dialog, kPath), L"the path edit is enabled");
  s.Expect(!s.IsEnabled(dialog, kBrowse), L"the browse button is enabled");
  s.ExpectText(L"the destination group", s.ControlText(dialog, kOutputGroup), L"出力先");
  s.ExpectText(L"the path", s.ControlText(dialog, kPath), report);
  s.Click(dialog, kLedger);
  if (!s.Expect(WaitUntil([&] { return !s.IsChecked(dialog, kLedger); }, kControlTimeoutMs),
                L"the ledger check box stays checked")) {
    return;
  }
  if (!s.FocusOn(dialog, kStartMonth)) return;
  s.Press(dialog, VK_RETURN);
  if (!s.WaitForFocus(dialog, kEndMonth)) return;
  s.Press(dialog, VK_RETURN);
  if (!s.WaitForFocus(dialog, kExecute)) return;
  s.Press(dialog, VK_RETURN);
  if (!s.FinishRun()) return;
  s.ExpectHostTold(0);
  std::string written;
  if (s.Expect(ReadBytes(report, &written), L"no report")) {
    s.Expect(written.rfind("<?xml", 0) == 0, L"the earlier file was not replaced");
    s.Expect(written.find("QZ00780S") == std::string::npos, L"the report holds a ledger");
  }
  s.ExpectSettings(std::wstring(kAdminFirstYear) + L"0/\n");
}

void PastResultsRefused(Session& s) {
  if (!s.Tavrel(L"select --user admin --data 2") || !s.StartWithHost(L"")) return;
  Session::Box box;
  if (!s.WaitForBox(&box)) return;
  s.ExpectText(L"the message box", box.text, kPastResults);
  if (!s.Answer(box, IDOK) || !s.WaitForEnd()) return;
  s.ExpectHostTold(1);
  s.ExpectNoReport();
}

// Stand-alone, so browsing is possible: Enter walks start month, end month, path, browse
// button, and opens the save-file dialog there.
void EnterMovesFocus(Session& s) {
  if (!s.StartAlone()) return;
  HWND dialog = s.WaitForConditions();
  if (!dialog || !s.FocusOn(dialog, kStartMonth)) return;
  s.Press(dialog, VK_RETURN);
  if (!s.WaitForFocus(dialog, kEndMonth)) return;
  s.ExpectWholeTextSelected(dialog, kEndMonth);
  for (int next : {kPath, kBrowse}) {
    s.Press(dialog, VK_RETURN);
    if (!s.WaitForFocus(dialog, next)) return;
  }
  s.Press(dialog, VK_RETURN);
  HWND save = s.WaitForDialog(kSaveCaption);
  if (!save) return;
  s.Click(save, IDCANCEL);
  if (!s.Expect(WaitUntil([&] { return !IsWindowVisible(save); }, kControlTimeoutMs),
                L"the save-file dialog stays after Cancel")) {
    return;
  }
  s.Press(dialog, VK_ESCAPE);
  if (!s.ExpectBox(kCancelNotice, IDOK) || !s.WaitForEnd()) return;
  s.ExpectHostNotTold();
  s.ExpectNoReport();
}

// A batch: no dialog, the progress window counting the companies, a report per exportable
// company and summary.csv, one information box at the end, and the worst company's exit code
// (company 2 holds past results and is skipped: 1).
void Batch(Session& s) {
  const std::wstring folder = s.PathOf(L"batch");
  if (!s.StartWithArguments(L" --batch --out-dir " + Quoted(folder) +
                            L" --data 4,5,2 --name {data}.xml")) {
    return;
  }
  Session::Box box;
  if (!s.WaitForBox(&box)) return;
  s.Expect(Contains(box.text, L"決算書情報の一括出力が終了しました。"),
           L"the last box says " + Shown(box.text));
  s.Expect(Contains(box.text, L"3 社: 出力 2、警告あり 0、スキップ 1、失敗 0"),
           L"the last box counts " + Shown(box.text));
  if (!s.Answer(box, IDOK) || !s.WaitForEnd()) return;
  s.Expect(s.ExitCode() == 1, L"the batch ended with " + std::to_wstring(s.ExitCode()));
  s.ExpectProgressShown();
  s.ExpectHostNotTold();
  for (const wchar_t* name : {L"4.xml", L"5.xml", L"summary.csv"}) {
    s.Expect(GetFileAttributesW((folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES,
             std::wstring(L"no ") + name + L" in " + folder);
  }
  s.Expect(GetFileAttributesW((folder + L"\\2.xml").c_str()) == INVALID_FILE_ATTRIBUTES,
           L"the skipped company has a report");
}

// Without a host: the destination can be chosen and is remembered.
void StandAlone(Session& s) {
  const std::wstring report = s.PathOf(L"alone.xml");
  if (!s.StartAlone()) return;
  HWND dialog = s.WaitForConditions();
  if (!dialog) return;
  s.Expect(s.IsEnabled(dialog, kPath) && s.IsEnabled(dialog, kBrowse),
           L"the destination cannot be chosen");
  s.ExpectText(L"the destination group", s.ControlText(dialog, kOutputGroup), L"出力先(&O)");
  if (!s.Type(dialog, kPath, report)) return;
  s.Click(dialog, kExecute);
  if (!s.FinishRun()) return;
  s.ExpectProgressShown();
  s.ExpectHostNotTold();
  s.ExpectReviewedReport(report, kStandAloneFunction);
  s.ExpectSettings(std::wstring(kAdminFirstYear) + L"1/" + report + L"\n");
}

struct Scenario {
  const wchar_t* name;
  void (*run)(Session&);
};

const Scenario kScenarios[] = {
    {L"export_with_host", ExportWithHost},
    {L"escape_cancels", EscapeCancels},
    {L"cancel_button", CancelButton},
    {L"bad_month_range", BadMonthRange},
    {L"replace_existing_file", ReplaceExistingFile},
    {L"browse_for_file", BrowseForFile},
    {L"host_given_path", HostGivenPath},
    {L"past_results_refused", PastResultsRefused},
    {L"enter_moves_focus", EnterMovesFocus},
    {L"stand_alone", StandAlone},
    {L"batch", Batch},
};

// ---------------------------------------------------------------------------------------

bool ParseOptions(int argc, wchar_t** argv, Options* options, std::wstring* why) {
  for (int k = 1; k < argc; ++k) {
    const std::wstring name = argv[k];
    if (name == L"--verbose") {
      options->verbose = true;
      continue;
    }
    if (k + 1 >= argc) {
      *why = name + L" lacks its value";
      return false;
    }
    const std::wstring value = argv[++k];
    if (name == L"--source") {
      options->source = WindowsPath(value);
    } else if (name == L"--bin") {
      options->bin = WindowsPath(value);
    } else if (name == L"--work") {
      options->work = WindowsPath(value);
    } else if (name == L"--screenshot") {
      options->screenshots = WindowsPath(value);
    } else if (name == L"--scenario") {
      options->scenarios.push_back(value);
    } else {
      *why = L"unknown option " + name;
      return false;
    }
  }
  if (options->source.empty()) {
    *why = L"--source is needed";
    return false;
  }
  if (options->bin.empty()) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    options->bin = self;
    options->bin.resize(options->bin.rfind(L'\\'));
  }
  if (options->work.empty()) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    options->work = WindowsPath(std::wstring(temp) + L"vintor-ui");
  }
  for (const std::wstring& wanted : options->scenarios) {
    bool known = false;
    for (const Scenario& scenario : kScenarios) known = known || wanted == scenario.name;
    if (!known) {
      *why = L"unknown scenario " + wanted;
      return false;
    }
  }
  return true;
}

// Under Wine on a display without a window manager (Xvfb), every window that a manager
// would look after waits two seconds in vain for it when it is hidden. The exporter's and
// the driver's windows are left unmanaged: a setting per program that only Wine reads,
// kept in the Wine prefix.
void LeaveWindowsUnmanagedUnderWine() {
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return;
  static const wchar_t kManaged[] = L"N";
  for (const wchar_t* program : {L"VintorOak.exe", L"vintor_ui_driver.exe"}) {
    const std::wstring path =
        std::wstring(L"Software\\Wine\\AppDefaults\\") + program + L"\\X11 Driver";
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kManaged),
                   sizeof kManaged);
    RegCloseKey(key);
  }
}

int Run(const Options& options) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  Screenshots shots{options.screenshots};
  if (!shots.folder.empty()) MakeFolders(shots.folder);
  int failed = 0;
  for (const Scenario& scenario : kScenarios) {
    bool wanted = options.scenarios.empty();
    for (const std::wstring& name : options.scenarios) wanted = wanted || name == scenario.name;
    if (!wanted) continue;
    const ULONGLONG start = GetTickCount64();
    std::vector<std::wstring> failures;
    {
      Session session(options, scenario.name, shots);
      if (session.MakeBooks()) scenario.run(session);
      failures = session.failures();
    }
    wchar_t seconds[32];
    swprintf(seconds, 32, L"%.1f s", static_cast<double>(GetTickCount64() - start) / 1000.0);
    std::wstring line = scenario.name;
    line.resize(std::max<std::size_t>(line.size() + 1, 24), L' ');
    if (failures.empty()) {
      line += L"PASS  ";
    } else {
      ++failed;
      line += L"FAIL  ";
      for (std::size_t k = 0; k < failures.size(); ++k) line += (k ? L"; " : L"") + failures[k];
      line += L"  ";
    }
    WriteLine(out, line + seconds);
  }
  if (!shots.folder.empty()) {
    if (!shots.dialog_taken) WriteLine(out, L"no screenshot of the conditions dialog was taken");
    if (!shots.progress_taken) WriteLine(out, L"no screenshot of the progress window was taken");
  }
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Options options;
  std::wstring why;
  if (!argv || !ParseOptions(argc, argv, &options, &why)) {
    WriteLine(GetStdHandle(STD_ERROR_HANDLE),
              L"vintor_ui_driver: " + why +
                  L"\nusage: vintor_ui_driver --source DIR [--bin DIR] [--work DIR]"
                  L" [--screenshot DIR] [--verbose] [--scenario NAME]...");
    return 2;
  }
  LocalFree(argv);
  LeaveWindowsUnmanagedUnderWine();
  return Run(options);
}
