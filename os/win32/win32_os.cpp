// The Os of Windows. Only the W entry points are used: paths are converted from CP932 to
// UTF-16 by the program itself, so the behaviour does not depend on the machine's ANSI
// code page, and a name that has no CP932 form fails instead of turning into '?'.

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "os/os.h"
#include "os/profile_file.h"
#include "os/write_buffer.h"
#include "text/encoding.h"

namespace vintor::os {
namespace {

// A CP932 path as UTF-16. A NUL inside the path would silently cut the name the system
// sees, so it makes the path unconvertible too.
bool ToWidePath(const std::string& cp932, std::wstring* wide) {
  if (cp932.find('\0') != std::string::npos) return false;
  return text::Cp932ToUtf16(cp932, wide);
}

std::string FromWideName(std::wstring_view wide) {
  std::string cp932;
  if (!text::Utf16ToCp932(wide, &cp932)) return {};
  return cp932;
}

// Calls a function with the contract of GetCurrentDirectoryW and GetTempPathW: given a
// buffer of size characters it returns the length written (without the NUL), or the size
// needed (with the NUL) when the buffer is too small, or 0 on failure.
template <typename Query>
std::wstring QueryString(Query query) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD got = query(static_cast<DWORD>(buffer.size()), buffer.data());
    if (got == 0) return {};
    if (got < buffer.size()) {
      buffer.resize(got);
      return buffer;
    }
    buffer.resize(static_cast<std::size_t>(got) + 1);
  }
  return {};
}

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// The folder part of a path, with its trailing separator, or "" for a bare name.
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// A file handle open for writing, shared by plain files and replacements.
class HandleWriter {
 public:
  HandleWriter(HANDLE handle, bool flush_on_close)
      : handle_(handle), flush_on_close_(flush_on_close) {}
  HandleWriter(const HandleWriter&) = delete;
  HandleWriter& operator=(const HandleWriter&) = delete;
  ~HandleWriter() { Close(); }

  bool Append(std::string_view bytes) {
    if (failed_ || close_result_.has_value()) return false;
    if (!buffer_.Append(bytes, [this](std::string_view b) { return WriteAll(b); })) failed_ = true;
    return !failed_;
  }

  bool Close() {
    if (!close_result_.has_value()) {
      bool kept = Flush();
      if (!::CloseHandle(handle_)) kept = false;
      close_result_ = kept;
    }
    return *close_result_;
  }

  // Writes what is buffered (and, when flushing on close, down to the disk) while keeping
  // the file open; false when anything written could not be kept.
  bool Flush() {
    if (close_result_.has_value()) return *close_result_;
    if (!failed_ && !buffer_.Flush([this](std::string_view b) { return WriteAll(b); }))
      failed_ = true;
    if (!failed_ && flush_on_close_ && !::FlushFileBuffers(handle_)) failed_ = true;
    return !failed_;
  }

  // The open file, until Close.
  HANDLE handle() const { return handle_; }

 private:
  bool WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
      // WriteFile takes a 32-bit count; large outputs go in slices.
      const DWORD slice = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(handle_, bytes.data(), slice, &written, nullptr) || written == 0) {
        return false;
      }
      bytes.remove_prefix(written);
    }
    return true;
  }

  HANDLE handle_;
  bool flush_on_close_;
  WriteBuffer buffer_;
  bool failed_ = false;
  std::optional<bool> close_result_;
};

class Win32WritableFile : public WritableFile {
 public:
  explicit Win32WritableFile(HANDLE handle) : writer_(handle, /*flush_on_close=*/false) {}
  bool Append(std::string_view bytes) override { return writer_.Append(bytes); }
  bool Close() override { return writer_.Close(); }

 private:
  HandleWriter writer_;
};

// Renames the open file to target (a full path in the same folder), replacing a file of
// that name. Done through the handle: the file is never closed between being written and
// being moved, so nobody can put another file in its place.
bool RenameOpenFile(HANDLE handle, const std::wstring& target) {
  const std::wstring name = QueryString([&](DWORD size, wchar_t* buffer) {
    return ::GetFullPathNameW(target.c_str(), size, buffer, nullptr);
  });
  if (name.empty()) return false;
  const std::size_t name_bytes = name.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + name_bytes);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(info->FileName, name.data(), name_bytes);
  return ::SetFileInformationByHandle(handle, FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size())) != 0;
}

// Marks the open file for deletion when its handle closes.
void DeleteOnClose(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// Replaces *path, a symbolic link, by the path of the file it finally names. False when the
// link leads nowhere (the system's last error says why).
bool FollowLink(std::wstring* path) {
  const HANDLE handle =
      ::CreateFileW(path->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  std::wstring final_path(MAX_PATH, L'\0');
  DWORD length =
      ::GetFinalPathNameByHandleW(handle, final_path.data(), static_cast<DWORD>(final_path.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length >= final_path.size()) {
    final_path.assign(length + 1, L'\0');
    length = ::GetFinalPathNameByHandleW(handle, final_path.data(),
                                         static_cast<DWORD>(final_path.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= final_path.size()) return false;
  final_path.resize(length);
  *path = std::move(final_path);
  return true;
}

class Win32ReplacementFile : public ReplacementFile {
 public:
  Win32ReplacementFile(HANDLE handle, std::wstring target_path)
      : writer_(handle, /*flush_on_close=*/true), target_path_(std::move(target_path)) {}

  ~Win32ReplacementFile() override {
    if (!committed_ && !closed_) DeleteOnClose(writer_.handle());
    writer_.Close();
  }

  bool Append(std::string_view bytes) override { return writer_.Append(bytes); }
  // The temporary file stays open until Commit or destruction: closing it would open the
  // door to a swap. Close only writes what is buffered.
  bool Close() override { return writer_.Flush(); }

  // Read through the handle still open (not by name), so what is read is what was written.
  long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
    if (closed_) return -1;
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
    if (!::ReadFile(writer_.handle(), buffer, wanted, &got, &at)) {
      return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return static_cast<long>(got);
  }

  bool Commit() override {
    if (committed_) return true;
    // The data is flushed before the move, so the target never names a file whose content
    // is still only in the cache.
    if (!writer_.Flush()) return false;
    if (!RenameOpenFile(writer_.handle(), target_path_)) return false;
    committed_ = true;
    writer_.Close();
    closed_ = true;
    return true;
  }

 private:
  HandleWriter writer_;
  std::wstring target_path_;
  bool committed_ = false;
  bool closed_ = false;
};

// Creates a new file beside target named ".~XXXXXX" with six random characters. It must be
// in the same folder: a move across volumes is a copy, not one step. The name is short and
// does not grow with the target's, so a target near the path-length limit still works.
// The file is shared with nobody, and opened with the right to move and delete it through
// its handle and to read it back before it is moved.
HANDLE CreateSiblingTemporary(const std::wstring& target) {
  static constexpr std::wstring_view kAlphabet =
      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  const std::wstring folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring candidate = folder + L".~";
    for (int k = 0; k < 6; ++k) candidate += kAlphabet[random() % kAlphabet.size()];
    const HANDLE handle = ::CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return handle;
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

// The lock is the handle's: closing it lets go.
class Win32Lock : public HeldLock {
 public:
  explicit Win32Lock(HANDLE handle) : handle_(handle) {}
  ~Win32Lock() override { ::CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

// The root of an absolute path as the drive-type query wants it: "C:\" for a drive
// letter, "\\server\share\" for a UNC path.
std::wstring RootOf(const std::wstring& full) {
  if (full.size() >= 2 && full[1] == L':') return full.substr(0, 2) + L"\\";
  if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) {
    std::size_t end = 2;
    for (int part = 0; part < 2; ++part) {
      while (end < full.size() && !IsSeparator(full[end])) ++end;
      if (part == 0 && end < full.size()) ++end;
    }
    return full.substr(0, end) + L"\\";
  }
  return full;
}

class Win32Os : public Os {
 public:
  bool FileExists(const std::string& path) override {
    std::wstring wide;
    return ToWidePath(path, &wide) && ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool ReadWholeFile(const std::string& path, std::string* contents) override {
    std::wstring wide;
    if (!ToWidePath(path, &wide)) return false;
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    LARGE_INTEGER size;
    if (::GetFileSizeEx(handle, &size) && size.QuadPart > 0) {
      bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) {
        ok = false;
        break;
      }
      if (got == 0) break;
      bytes.append(buffer, got);
    }
    ::CloseHandle(handle);
    if (!ok) return false;
    *contents = std::move(bytes);
    return true;
  }

  std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) override {
    std::wstring wide;
    if (!ToWidePath(path, &wide)) return nullptr;
    const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32WritableFile>(handle);
  }

  std::unique_ptr<ReplacementFile> OpenReplacement(const std::string& path) override {
    std::wstring wide;
    if (!ToWidePath(path, &wide)) return nullptr;
    // A folder (or a device) at the destination is not replaced; the rename would fail
    // on it anyway, but only after the whole report had been written.
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      return nullptr;
    // A symbolic link is followed: the file it names is replaced, in that file's folder, and
    // the link stays, as a create-or-truncate write would have done.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        !FollowLink(&wide)) {
      return nullptr;
    }
    // A read-only file could not have been written either; it is refused now rather than
    // after the whole report has been written beside it.
    attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      ::SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    const HANDLE handle = CreateSiblingTemporary(wide);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32ReplacementFile>(handle, std::move(wide));
  }

  bool RemoveFile(const std::string& path) override {
    std::wstring wide;
    return ToWidePath(path, &wide) && ::DeleteFileW(wide.c_str());
  }

  bool MoveFileOver(const std::string& from, const std::string& to) override {
    std::wstring wide_from;
    std::wstring wide_to;
    // Written through: the move is on disk when the call returns, as a rename followed by
    // a folder sync is on POSIX.
    return ToWidePath(from, &wide_from) && ToWidePath(to, &wide_to) &&
           ::MoveFileExW(wide_from.c_str(), wide_to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }

  bool CreateFolder(const std::string& path) override {
    std::wstring wide;
    return ToWidePath(path, &wide) && ::CreateDirectoryW(wide.c_str(), nullptr);
  }

  bool RemoveFolder(const std::string& path) override {
    std::wstring wide;
    return ToWidePath(path, &wide) && ::RemoveDirectoryW(wide.c_str());
  }

  bool IsFolder(const std::string& path) override {
    std::wstring wide;
    if (!ToWidePath(path, &wide)) return false;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool HasAccess(const std::string& path, AccessMode mode) override {
    switch (mode) {
      case AccessMode::kExists:
      case AccessMode::kWrite:
      case AccessMode::kRead:
      case AccessMode::kReadWrite:
        break;
      default:
        // The run-time treats an unknown mode as an invalid parameter and may abort.
        return false;
    }
    std::wstring wide;
    return ToWidePath(path, &wide) && ::_waccess(wide.c_str(), static_cast<int>(mode)) == 0;
  }

  DriveType ClassifyDrive(const std::string& path) override {
    std::wstring wide;
    if (!ToWidePath(path, &wide) || wide.empty()) return DriveType::kUnknown;
    // A relative path is classified by the drive it resolves to.
    const std::wstring full = QueryString([&](DWORD size, wchar_t* buffer) {
      return ::GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    });
    if (full.empty()) return DriveType::kUnknown;
    const UINT type = ::GetDriveTypeW(RootOf(full).c_str());
    // The DRIVE_* values are those of DriveType.
    return type <= static_cast<UINT>(DriveType::kRamDisk) ? static_cast<DriveType>(type)
                                                          : DriveType::kUnknown;
  }

  std::string CurrentFolder() override {
    const std::wstring folder = QueryString(
        [](DWORD size, wchar_t* buffer) { return ::GetCurrentDirectoryW(size, buffer); });
    return folder.empty() ? std::string() : FromWideName(folder);
  }

  bool ChangeCurrentFolder(const std::string& path) override {
    std::wstring wide;
    return ToWidePath(path, &wide) && ::SetCurrentDirectoryW(wide.c_str());
  }

  std::string TemporaryFolder() override {
    const std::wstring folder =
        QueryString([](DWORD size, wchar_t* buffer) { return ::GetTempPathW(size, buffer); });
    return folder.empty() ? std::string() : FromWideName(folder);
  }

  std::string ProgramFolder() override {
    // GetModuleFileNameW does not report the size it needs: a result that fills the
    // buffer may be cut, so the buffer grows until the name fits with room to spare.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
      const DWORD got = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
      if (got == 0) return {};
      if (got < name.size()) {
        name.resize(got);
        break;
      }
      if (name.size() >= 32768) return {};
      name.resize(name.size() * 2);
    }
    const std::size_t backslash = name.rfind(L'\\');
    if (backslash == std::wstring::npos) return {};
    return FromWideName(std::wstring_view(name).substr(0, backslash + 1));
  }

  std::string ReadProfileString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& default_value) override {
    std::string contents;
    if (!ReadWholeFile(file, &contents)) return default_value;
    return LookUpProfileString(contents, section, key, default_value);
  }

  std::unique_ptr<HeldLock> LockFile(const std::string& path, int wait_milliseconds) override {
    std::wstring wide;
    if (!ToWidePath(path, &wide)) return nullptr;
    const HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
      ::CloseHandle(handle);
      return nullptr;
    }
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(wait_milliseconds);
    for (;;) {
      OVERLAPPED whole_file{};
      if (::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &whole_file)) {
        return std::make_unique<Win32Lock>(handle);
      }
      if (::GetLastError() != ERROR_LOCK_VIOLATION || ::GetTickCount64() >= deadline) {
        ::CloseHandle(handle);
        return nullptr;
      }
      ::Sleep(20);
    }
  }

  TrustVerdict TrustOf(const std::string&) override {
    // Who may write a file is a matter of its access list on Windows; the settings folder
    // lies in the user's own profile.
    return TrustVerdict::kTrusted;
  }
};

}  // namespace

std::string LastFailureReason() {
  // Windows messages are shown by the message boxes of the run; no reason is kept.
  return {};
}

void RemoveTemporariesOnInterrupt() {
  // A Windows program is not interrupted by signals; closing it ends it through the run.
}

std::int64_t MonotonicMilliseconds() {
  return static_cast<std::int64_t>(GetTickCount64());
}

Os& SystemOs() {
  static Win32Os os;
  return os;
}

}  // namespace vintor::os
