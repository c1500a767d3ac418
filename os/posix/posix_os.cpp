// The Os of Linux. Paths arrive as CP932 and are converted to UTF-8 file names at the
// edge; names read back from the system are converted to CP932, and a name that has no
// CP932 form is a failure rather than a lossy approximation.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
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
#include <vector>

#include "os/file_rules.h"
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

// Why the last file operation of this thread failed, in the system's words.
thread_local std::string last_failure_reason;

void NoteFailure() {
  last_failure_reason = std::strerror(errno);
}

// A failure the program decided on itself, in its own words.
void NoteRefusal(std::string_view reason) {
  last_failure_reason = std::string(reason);
}

constexpr std::string_view kNotAFile = "通常のファイルではありません";
constexpr std::string_view kAFolder = "フォルダです";
constexpr std::string_view kOthersFile =
    "他の利用者も書き込めるフォルダにある、他の利用者のファイルです";
constexpr std::string_view kSwapped = "書き込み中の一時ファイルが別のファイルに置き換えられました";
constexpr std::string_view kLockBusy = "ほかの実行が使用中です";

// Writes all bytes, resuming after short writes and interrupted calls.
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

// True when gid is the user's own group: the primary group of the user, with no other
// member listed. Many systems give every user such a group and a umask of 002, so its
// write bit is no door for anyone else.
bool GroupIsUsersOwn(gid_t gid) {
  const uid_t user = ::geteuid();
  std::vector<char> buffer(16384);
  passwd account{};
  passwd* found_account = nullptr;
  if (::getpwuid_r(user, &account, buffer.data(), buffer.size(), &found_account) != 0 ||
      found_account == nullptr || account.pw_gid != gid) {
    return false;
  }
  const std::string user_name = account.pw_name;
  group entry{};
  group* found_group = nullptr;
  if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found_group) != 0 ||
      found_group == nullptr) {
    return false;
  }
  for (char** member = entry.gr_mem; *member != nullptr; ++member) {
    if (user_name != *member) return false;
  }
  return true;
}

EntryFacts FactsOf(const struct stat& status) {
  EntryFacts facts;
  if (S_ISREG(status.st_mode)) {
    facts.kind = EntryKind::kRegular;
  } else if (S_ISLNK(status.st_mode)) {
    facts.kind = EntryKind::kSymlink;
  } else if (S_ISDIR(status.st_mode)) {
    facts.kind = EntryKind::kFolder;
  } else {
    facts.kind = EntryKind::kOther;
  }
  facts.mode = status.st_mode & 07777;
  facts.owner = status.st_uid;
  facts.group_is_users_own = (status.st_mode & S_IWGRP) != 0 && GroupIsUsersOwn(status.st_gid);
  return facts;
}

// The facts of the folder that holds path ("" means the current folder); a folder that
// cannot be looked at counts as shared, so nothing in it is taken on trust.
EntryFacts FolderFactsOf(const std::string& path) {
  const std::string folder = FolderOf(path);
  struct stat status;
  if (::stat(folder.empty() ? "." : folder.c_str(), &status) != 0) {
    return EntryFacts{EntryKind::kFolder, 01777, 0xFFFFFFFFu, false};
  }
  return FactsOf(status);
}

// Follows path while it names a symbolic link and judges every step (JudgeReplacement):
// true with *file set to the file that a create-or-truncate write would reach; false,
// with the reason noted, when the destination is refused.
bool ResolveDestination(const std::string& path, std::string* file) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat status;
    if (::lstat(current.c_str(), &status) != 0) {
      if (errno != ENOENT) {
        NoteFailure();
        return false;
      }
      *file = current;  // a new file; its folder decides whether it can be created
      return true;
    }
    const EntryFacts facts = FactsOf(status);
    bool writable = false;
    if (facts.kind == EntryKind::kRegular) {
      // Opening without truncating asks the system itself (mode, ACLs, a read-only mount,
      // an immutable file, root's rights); nothing is changed.
      const int fd =
          ::open(current.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (fd >= 0) {
        writable = true;
        CloseDescriptor(fd);
      } else {
        NoteFailure();
      }
    }
    switch (JudgeReplacement(facts, FolderFactsOf(current), ::geteuid(), writable)) {
      case ReplaceVerdict::kAllowed:
        break;
      case ReplaceVerdict::kNotAFile:
        NoteRefusal(facts.kind == EntryKind::kFolder ? kAFolder : kNotAFile);
        return false;
      case ReplaceVerdict::kNotWritable:
        return false;  // the open above noted the system's reason
      case ReplaceVerdict::kOthersFileInShared:
        NoteRefusal(kOthersFile);
        return false;
    }
    if (facts.kind != EntryKind::kSymlink) {
      *file = current;
      return true;
    }
    std::string target(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1,
                       '\0');
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length == 0) errno = ENOENT;  // a link that leads nowhere
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
      NoteFailure();
      return false;
    }
    target.resize(static_cast<std::size_t>(length));
    // A relative link is taken from the link's own folder.
    current = target.front() == '/' ? target : FolderOf(current) + target;
  }
  errno = ELOOP;
  NoteFailure();
  return false;
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

// Which file a descriptor or a name holds.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
};

bool SameFile(const struct stat& status, const FileIdentity& identity) {
  return status.st_dev == identity.device && status.st_ino == identity.inode;
}

// True when the name (not followed) holds the file.
bool NameHolds(const std::string& path, const FileIdentity& identity) {
  struct stat status;
  return ::lstat(path.c_str(), &status) == 0 && SameFile(status, identity);
}

class PosixReplacementFile : public ReplacementFile {
 public:
  // fd is the temporary file, lock_fd a second descriptor of it that keeps its lock (see
  // CreateSiblingTemporary) until the rename is done; pending_slot is the file's
  // registration for interrupts (RegisterPending), or -1.
  PosixReplacementFile(int fd, int lock_fd, FileIdentity identity, std::string temp_path,
                       std::string target_path, int pending_slot)
      : writer_(fd, /*sync_on_close=*/true),
        lock_fd_(lock_fd),
        identity_(identity),
        temp_path_(std::move(temp_path)),
        target_path_(std::move(target_path)),
        pending_slot_(pending_slot) {}

  ~PosixReplacementFile() override {
    if (!committed_) {
      writer_.Close();
      // A name that holds someone else's file now is not ours to remove.
      if (NameHolds(temp_path_, identity_)) ::unlink(temp_path_.c_str());
    }
    CloseDescriptor(lock_fd_);
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
    // In a folder others may write, another user can put a file of theirs in the
    // temporary file's place while it is written; that file must not become the report.
    if (!NameHolds(temp_path_, identity_)) {
      NoteRefusal(kSwapped);
      return false;
    }
    if (::rename(temp_path_.c_str(), target_path_.c_str()) != 0) {
      NoteFailure();
      return false;
    }
    UnregisterPending(pending_slot_);
    pending_slot_ = -1;
    committed_ = true;
    SyncFolder(FolderOf(target_path_));
    // A swap in the instant between the check and the rename shows here: the run must not
    // say it wrote a file that is not its own.
    if (!NameHolds(target_path_, identity_)) {
      NoteRefusal(kSwapped);
      return false;
    }
    return true;
  }

  // The second descriptor names the very file written, so a name swapped meanwhile cannot
  // put someone else's bytes in front of the check.
  long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) override {
    if (lock_fd_ < 0) return -1;
    for (;;) {
      const ssize_t got = ::pread(lock_fd_, buffer, capacity, static_cast<off_t>(offset));
      if (got >= 0) return static_cast<long>(got);
      if (errno != EINTR) {
        NoteFailure();
        return -1;
      }
    }
  }

 private:
  DescriptorWriter writer_;
  int lock_fd_;
  FileIdentity identity_;
  std::string temp_path_;
  std::string target_path_;
  int pending_slot_;
  bool committed_ = false;
};

constexpr std::string_view kTemporaryAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::string_view kTemporaryPrefix = ".~";
constexpr std::size_t kTemporaryRandomLength = 6;

// True for a name that CreateSiblingTemporary makes: ".~" and six characters of its
// alphabet.
bool IsTemporaryName(std::string_view name) {
  if (name.size() != kTemporaryPrefix.size() + kTemporaryRandomLength ||
      name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix) {
    return false;
  }
  return name.substr(kTemporaryPrefix.size()).find_first_not_of(kTemporaryAlphabet) ==
         std::string_view::npos;
}

// Removes the temporary files of the user that runs killed without a chance to clean up
// (kill -9, a power cut) left in folder. A writer holds a lock on its temporary file from
// just after creating it until it is renamed or removed, so a file whose lock can be had
// is provably abandoned; files of other users, links and anything else are left alone.
void RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  const uid_t user = ::geteuid();
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryName(entry->d_name)) continue;
    const std::string path = folder + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == user &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        NameHolds(path, FileIdentity{status.st_dev, status.st_ino})) {
      ::unlink(path.c_str());
    }
    CloseDescriptor(fd);
  }
  ::closedir(dir);
}

// Creates a new file beside target, named ".~XXXXXX" with six random characters, the way
// mkstemp does; unlike mkstemp it lets the umask decide the permissions, so the replaced
// file ends up with the permissions of any newly created file. The name is short and does
// not grow with the target's, so any name the file system takes for the target works.
// The file is locked (see RemoveStaleTemporaries) before it is handed out; a file that
// another run's clean-up locked or removed in the moment between is given up for a new
// name.
int CreateSiblingTemporary(const std::string& target, std::string* temp_path,
                           FileIdentity* identity) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = folder + std::string(kTemporaryPrefix);
    for (std::size_t k = 0; k < kTemporaryRandomLength; ++k)
      candidate += kTemporaryAlphabet[random() % kTemporaryAlphabet.size()];
    // Open for reading too: the report is read back through this file before it is moved.
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno != EEXIST && errno != EINTR) return -1;
      continue;
    }
    struct stat status;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &status) == 0 &&
        NameHolds(candidate, FileIdentity{status.st_dev, status.st_ino})) {
      *temp_path = std::move(candidate);
      *identity = FileIdentity{status.st_dev, status.st_ino};
      return fd;
    }
    CloseDescriptor(fd);
  }
  errno = EEXIST;
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

// The lock is the descriptor's: closing it lets go.
class PosixLock : public HeldLock {
 public:
  explicit PosixLock(int fd) : fd_(fd) {}
  ~PosixLock() override { CloseDescriptor(fd_); }

 private:
  int fd_;
};

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
    // Opened without waiting and looked at before reading: a FIFO would block the open
    // and the read until some other program wrote to it, a device would never end.
    const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      NoteFailure();
      return false;
    }
    struct stat status;
    const bool looked = ::fstat(fd, &status) == 0;
    if (!looked) NoteFailure();
    if (looked && !S_ISREG(status.st_mode))
      NoteRefusal(S_ISDIR(status.st_mode) ? kAFolder : kNotAFile);
    if (!looked || !S_ISREG(status.st_mode)) {
      CloseDescriptor(fd);
      return false;
    }
    std::string bytes;
    if (status.st_size > 0) bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    bool ok = true;
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got == 0) break;
      if (got < 0) {
        if (errno == EINTR) continue;
        NoteFailure();
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
    // A reason left from an earlier, unrelated failure must not be given for this file.
    last_failure_reason.clear();
    std::string target;
    if (!ResolveDestination(native, &target)) return nullptr;
    RemoveStaleTemporaries(FolderOf(target));
    std::string temp_path;
    FileIdentity identity;
    // Interrupts wait while the file is created and registered, so none can come between
    // the two and leave the file behind.
    sigset_t interrupts, before;
    sigemptyset(&interrupts);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal_number);
    ::sigprocmask(SIG_BLOCK, &interrupts, &before);
    const int fd = CreateSiblingTemporary(target, &temp_path, &identity);
    if (fd < 0) NoteFailure();
    const int pending_slot = fd >= 0 ? RegisterPending(temp_path) : -1;
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    if (fd < 0) return nullptr;
    // The writer closes fd before the rename; this second descriptor keeps the lock, so a
    // clean-up never takes the finished file for an abandoned one.
    const int lock_fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    // A replaced file keeps its permissions (a settings file made read-only for others
    // stays so); a new file gets the umask's.
    struct stat status;
    if (::stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
      ::fchmod(fd, status.st_mode & 07777);
    }
    return std::make_unique<PosixReplacementFile>(fd, lock_fd, identity, std::move(temp_path),
                                                  std::move(target), pending_slot);
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

  std::unique_ptr<HeldLock> LockFile(const std::string& path, int wait_milliseconds) override {
    std::string native;
    if (!ToNativePath(path, &native)) return nullptr;
    // Never through a link, never blocking on a FIFO; the lock file is shared by every
    // user who saves into the folder, so it gets the umask's permissions.
    const int fd = ::open(native.c_str(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
      NoteFailure();
      return nullptr;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
      NoteRefusal(kNotAFile);
      CloseDescriptor(fd);
      return nullptr;
    }
    const std::int64_t deadline = MonotonicMilliseconds() + wait_milliseconds;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if ((errno != EWOULDBLOCK && errno != EINTR) || MonotonicMilliseconds() >= deadline) {
        if (errno == EWOULDBLOCK) {
          NoteRefusal(kLockBusy);
        } else {
          NoteFailure();
        }
        CloseDescriptor(fd);
        return nullptr;
      }
      const timespec pause{0, 20'000'000};
      ::nanosleep(&pause, nullptr);
    }
    return std::make_unique<PosixLock>(fd);
  }

  TrustVerdict TrustOf(const std::string& path) override {
    std::string native;
    if (!ToNativePath(path, &native)) return TrustVerdict::kTrusted;
    struct stat status;
    // The file a link leads to is what is read; its owner and mode are what count.
    if (::stat(native.c_str(), &status) != 0) return TrustVerdict::kTrusted;
    return JudgeTrust(FactsOf(status), FolderFactsOf(native), ::geteuid());
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
  // The coarse clock is enough for milliseconds and costs a fraction of the precise one,
  // which matters to a progress view asked for a repaint per ledger line.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

Os& SystemOs() {
  static PosixOs os;
  return os;
}

}  // namespace vintor::os
