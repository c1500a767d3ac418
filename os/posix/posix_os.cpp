// The Os of Linux. Paths arrive as CP932 and are converted to UTF-8 file names at the
// edge; names read back from the system are converted to CP932, and a name that has no
// CP932 form is a failure rather than a lossy approximation.

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "os/os.h"
#include "os/profile_file.h"
#include "os/write_buffer.h"
#include "text/encoding.h"

namespace vintor::os {
namespace {

// A CP932 path as a UTF-8 file name. A NUL inside the path would silently cut the name
// the system sees, so it makes the path unconvertible too.
bool ToNativePath(const std::string& cp932, std::string* utf8) {
  if (cp932.find('\0') != std::string::npos) return false;
  return text::Cp932ToUtf8(cp932, utf8);
}

std::string FromNativeName(const std::string& utf8) {
  std::string cp932;
  if (!text::Utf8ToCp932(utf8, &cp932)) return {};
  return cp932;
}

// Writes all bytes, resuming after short writes and interrupted calls.
// Why the last file operation of this thread failed, in the system's words.
thread_local std::string last_failure_reason;

void NoteFailure() {
  last_failure_reason = std::strerror(errno);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      NoteFailure();
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Closes a descriptor. On Linux the descriptor is released even when close reports EINTR,
// so retrying could close a descriptor another thread has just been given.
bool CloseDescriptor(int fd) {
  return ::close(fd) == 0 || errno == EINTR;
}

// A descriptor open for writing, shared by plain files and replacements.
class DescriptorWriter {
 public:
  DescriptorWriter(int fd, bool sync_on_close) : fd_(fd), sync_on_close_(sync_on_close) {}
  DescriptorWriter(const DescriptorWriter&) = delete;
  DescriptorWriter& operator=(const DescriptorWriter&) = delete;
  ~DescriptorWriter() { Close(); }

  bool Append(std::string_view bytes) {
    if (failed_ || close_result_.has_value()) return false;
    if (!buffer_.Append(bytes, [this](std::string_view b) { return WriteAll(fd_, b); }))
      failed_ = true;
    return !failed_;
  }

  bool Close() {
    if (!close_result_.has_value()) {
      if (!failed_ && !buffer_.Flush([this](std::string_view b) { return WriteAll(fd_, b); }))
        failed_ = true;
      bool kept = !failed_;
      if (sync_on_close_ && ::fsync(fd_) != 0) {
        NoteFailure();
        kept = false;
      }
      if (!CloseDescriptor(fd_)) {
        NoteFailure();
        kept = false;
      }
      close_result_ = kept;
    }
    return *close_result_;
  }

 private:
  int fd_;
  bool sync_on_close_;
  WriteBuffer buffer_;
  bool failed_ = false;
  std::optional<bool> close_result_;
};

class PosixWritableFile : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : writer_(fd, /*sync_on_close=*/false) {}
  bool Append(std::string_view bytes) override { return writer_.Append(bytes); }
  bool Close() override { return writer_.Close(); }

 private:
  DescriptorWriter writer_;
};

// The folder part of a UTF-8 path, with its trailing '/', or "" for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Makes the rename durable: the new directory entry is only on disk once the folder has
// been synced. This is done after the rename, when the new content is already in place,
// so a failure here cannot be reported as "old content kept"; and some file systems
// refuse fsync on a folder altogether. It is therefore a best effort.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  CloseDescriptor(fd);
}

// The temporary files being written now, for a signal handler to remove: fixed slots, so
// the handler reads nothing but plain memory. A slot is claimed by writing its path and
// then marking it used; the handler only looks at slots marked used.
constexpr int kPendingSlots = 8;
constexpr std::size_t kPendingPathBytes = 4096;
char pending_paths[kPendingSlots][kPendingPathBytes];
volatile sig_atomic_t pending_used[kPendingSlots];

int RegisterPending(const std::string& path) {
  if (path.size() >= kPendingPathBytes) return -1;
  for (int slot = 0; slot < kPendingSlots; ++slot) {
    if (pending_used[slot]) continue;
    path.copy(pending_paths[slot], path.size());
    pending_paths[slot][path.size()] = '\0';
    pending_used[slot] = 1;
    return slot;
  }
  return -1;  // more files at once than slots: those are left to the destructor alone
}

void UnregisterPending(int slot) {
  if (slot >= 0) pending_used[slot] = 0;
}

extern "C" void RemovePendingAndDie(int signal_number) {
  for (int slot = 0; slot < kPendingSlots; ++slot) {
    if (pending_used[slot]) ::unlink(pending_paths[slot]);
  }
  // Ended by the signal itself, so the shell sees 128 + its number (130 for Ctrl-C).
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

class PosixReplacementFile : public ReplacementFile {
 public:
  // pending_slot is the file's registration for interrupts (RegisterPending), or -1.
  PosixReplacementFile(int fd, std::string temp_path, std::string target_path, int pending_slot)
      : writer_(fd, /*sync_on_close=*/true),
        temp_path_(std::move(temp_path)),
        target_path_(std::move(target_path)),
        pending_slot_(pending_slot) {}

  ~PosixReplacementFile() override {
    if (!committed_) {
      writer_.Close();
      ::unlink(temp_path_.c_str());
    }
    // Only now: an interrupt before this point finds the file registered.
    UnregisterPending(pending_slot_);
  }

  bool Append(std::string_view bytes) override { return writer_.Append(bytes); }
  bool Close() override { return writer_.Close(); }

  bool Commit() override {
    if (committed_) return true;
    // Close syncs the data before the rename; renaming first could leave a target that
    // names the new, still empty file after a power cut.
    if (!writer_.Close()) return false;
    if (::rename(temp_path_.c_str(), target_path_.c_str()) != 0) {
      NoteFailure();
      return false;
    }
    UnregisterPending(pending_slot_);
    pending_slot_ = -1;
    committed_ = true;
    SyncFolder(FolderOf(target_path_));
    return true;
  }

 private:
  DescriptorWriter writer_;
  std::string temp_path_;
  std::string target_path_;
  int pending_slot_;
  bool committed_ = false;
};

// Creates a new file beside target, named ".~XXXXXX" with six random characters, the way
// mkstemp does; unlike mkstemp it lets the umask decide the permissions, so the replaced
// file ends up with the permissions of any newly created file. The name is short and does
// not grow with the target's, so any name the file system takes for the target works.
int CreateSiblingTemporary(const std::string& target, std::string* temp_path) {
  static constexpr std::string_view kAlphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = folder + ".~";
    for (int k = 0; k < 6; ++k) candidate += kAlphabet[random() % kAlphabet.size()];
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      *temp_path = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST && errno != EINTR) return -1;
  }
  return -1;
}

// File system magic numbers of statfs(2). Optical media and RAM disks get their own
// classes; network file systems are remote; everything else, including tmpfs (which
// behaves as local storage for the program), counts as a fixed disk.
DriveType ClassifyFileSystem(std::uint64_t type) {
  switch (type) {
    case 0x9660:      // iso9660
    case 0x15013346:  // udf
      return DriveType::kCdRom;
    case 0x858458f6:  // ramfs
      return DriveType::kRamDisk;
    case 0x6969:      // nfs
    case 0x517B:      // smb
    case 0xFF534D42:  // cifs
    case 0xFE534D42:  // smb2
    case 0x01021997:  // 9p
    case 0x00C36400:  // ceph
    case 0x5346414F:  // afs
    case 0x6B414653:  // kafs
      return DriveType::kRemote;
    default:
      return DriveType::kFixed;
  }
}

// The path one level up: "a/b/c" -> "a/b", "/a" -> "/", "a" -> ".". Empty when there is
// nothing above.
std::string ParentOf(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path == "/" || path == ".") return {};
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

class PosixOs : public Os {
 public:
  bool FileExists(const std::string& path) override {
    std::string native;
    struct stat status;
    return ToNativePath(path, &native) && ::stat(native.c_str(), &status) == 0;
  }

  bool ReadWholeFile(const std::string& path, std::string* contents) override {
    std::string native;
    if (!ToNativePath(path, &native)) return false;
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string bytes;
    struct stat status;
    if (::fstat(fd, &status) == 0 && status.st_size > 0) {
      bytes.reserve(static_cast<std::size_t>(status.st_size));
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      bytes.append(buffer, static_cast<std::size_t>(got));
    }
    CloseDescriptor(fd);
    if (!ok) return false;
    *contents = std::move(bytes);
    return true;
  }

  std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) override {
    std::string native;
    if (!ToNativePath(path, &native)) return nullptr;
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixWritableFile>(fd);
  }

  std::unique_ptr<ReplacementFile> OpenReplacement(const std::string& path) override {
    std::string native;
    if (!ToNativePath(path, &native)) return nullptr;
    std::string temp_path;
    // Interrupts wait while the file is created and registered, so none can come between
    // the two and leave the file behind.
    sigset_t interrupts, before;
    sigemptyset(&interrupts);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal_number);
    ::sigprocmask(SIG_BLOCK, &interrupts, &before);
    const int fd = CreateSiblingTemporary(native, &temp_path);
    if (fd < 0) NoteFailure();
    const int pending_slot = fd >= 0 ? RegisterPending(temp_path) : -1;
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    if (fd < 0) return nullptr;
    // A replaced file keeps its permissions (a settings file made read-only for others
    // stays so); a new file gets the umask's.
    struct stat status;
    if (::stat(native.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
      ::fchmod(fd, status.st_mode & 07777);
    }
    return std::make_unique<PosixReplacementFile>(fd, std::move(temp_path), std::move(native),
                                                  pending_slot);
  }

  bool RemoveFile(const std::string& path) override {
    std::string native;
    return ToNativePath(path, &native) && ::unlink(native.c_str()) == 0;
  }

  bool MoveFileOver(const std::string& from, const std::string& to) override {
    std::string native_from;
    std::string native_to;
    if (!ToNativePath(from, &native_from) || !ToNativePath(to, &native_to)) return false;
    if (::rename(native_from.c_str(), native_to.c_str()) != 0) return false;
    SyncFolder(FolderOf(native_to));
    return true;
  }

  bool CreateFolder(const std::string& path) override {
    std::string native;
    return ToNativePath(path, &native) && ::mkdir(native.c_str(), 0777) == 0;
  }

  bool RemoveFolder(const std::string& path) override {
    std::string native;
    return ToNativePath(path, &native) && ::rmdir(native.c_str()) == 0;
  }

  bool IsFolder(const std::string& path) override {
    std::string native;
    struct stat status;
    return ToNativePath(path, &native) && ::stat(native.c_str(), &status) == 0 &&
           S_ISDIR(status.st_mode);
  }

  bool HasAccess(const std::string& path, AccessMode mode) override {
    int how;
    switch (mode) {
      case AccessMode::kExists:
        how = F_OK;
        break;
      case AccessMode::kWrite:
        how = W_OK;
        break;
      case AccessMode::kRead:
        how = R_OK;
        break;
      case AccessMode::kReadWrite:
        how = R_OK | W_OK;
        break;
      default:
        return false;
    }
    std::string native;
    return ToNativePath(path, &native) && ::access(native.c_str(), how) == 0;
  }

  DriveType ClassifyDrive(const std::string& path) override {
    std::string native;
    if (!ToNativePath(path, &native)) return DriveType::kUnknown;
    // A path the program is about to create (an output file, a settings folder) does not
    // exist yet; the file system it will land on is that of its nearest existing folder.
    std::string candidate = native.empty() ? std::string(".") : native;
    while (!candidate.empty()) {
      struct statfs info;
      if (::statfs(candidate.c_str(), &info) == 0) {
        return ClassifyFileSystem(static_cast<std::uint64_t>(info.f_type));
      }
      if (errno != ENOENT && errno != ENOTDIR) return DriveType::kUnknown;
      candidate = ParentOf(candidate);
    }
    return DriveType::kUnknown;
  }

  std::string CurrentFolder() override {
    char* folder = ::getcwd(nullptr, 0);
    if (folder == nullptr) return {};
    const std::string utf8 = folder;
    ::free(folder);
    return FromNativeName(utf8);
  }

  bool ChangeCurrentFolder(const std::string& path) override {
    std::string native;
    return ToNativePath(path, &native) && ::chdir(native.c_str()) == 0;
  }

  std::string TemporaryFolder() override {
    const char* tmpdir = ::getenv("TMPDIR");
    std::string folder = (tmpdir != nullptr && *tmpdir != '\0') ? tmpdir : "/tmp";
    if (folder.back() != '/') folder += '/';
    return FromNativeName(folder);
  }

  std::string ProgramFolder() override {
    std::string target(256, '\0');
    for (;;) {
      const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
      if (length < 0) return {};
      if (static_cast<std::size_t>(length) < target.size()) {
        target.resize(static_cast<std::size_t>(length));
        break;
      }
      // The link may have been cut to the buffer; try again with room to spare.
      target.resize(target.size() * 2);
    }
    const std::string folder = FolderOf(target);
    if (folder.empty()) return {};
    return FromNativeName(folder);
  }

  std::string ReadProfileString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& default_value) override {
    std::string contents;
    if (!ReadWholeFile(file, &contents)) return default_value;
    return LookUpProfileString(contents, section, key, default_value);
  }
};

}  // namespace

std::string LastFailureReason() {
  return last_failure_reason;
}

void RemoveTemporariesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = RemovePendingAndDie;
  sigemptyset(&action.sa_mask);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the caller's parent chose to ignore stays ignored.
    struct sigaction before {};
    if (::sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    ::sigaction(signal_number, &action, nullptr);
  }
}

std::int64_t MonotonicMilliseconds() {
  // <chrono> does not compile with the CP932 execution charset, so the clock is read directly.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

Os& SystemOs() {
  static PosixOs os;
  return os;
}

}  // namespace vintor::os
