// The seam to the operating system: files, folders, drives, profile strings and the
// program's standard folders. Everything outside the process that is not accounting data
// or user interface goes through this interface.
//
// Paths and texts are CP932 byte strings, as everywhere in the program. Implementations
// convert at the edge (POSIX: to UTF-8 file names; Win32: to UTF-16 for the W functions);
// a path that cannot be converted makes the operation fail, it is never approximated.
//
// Failure is reported through the result (false, empty, nullptr); no operation throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "os/file_rules.h"

namespace vintor::os {

// Drive classes as the Windows drive-type query reports them. POSIX classifies the file
// system that holds a path into the same classes.
enum class DriveType : int {
  kUnknown = 0,
  kNoRootDir = 1,
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,
  kCdRom = 5,
  kRamDisk = 6,
};

// Access modes of the access test, with the values of the C run-time's access function.
enum class AccessMode : int {
  kExists = 0,
  kWrite = 2,
  kRead = 4,
  kReadWrite = 6,
};

// A file open for streaming output. Bytes are written unchanged (no newline translation).
// Appends are buffered: a write error may show at a later Append or only at Close (or
// Commit), which then answer false. After a failed Append every later Append fails too.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Appends the bytes; false when they could not all be written.
  virtual bool Append(std::string_view bytes) = 0;
  // Flushes and closes; false when anything written could not be kept. Idempotent.
  virtual bool Close() = 0;
};

// A new file that replaces the file at a path only when committed. It is written to a
// temporary file in the same folder; Commit flushes it to disk and renames it over the
// target in one step, so a reader sees the old content or the new, never a mixture. A
// replacement destroyed without a successful Commit removes its temporary file and leaves
// the target as it was. Close only closes the temporary file (Commit may follow); once an
// Append has failed, Commit fails, so a partly written file never replaces the target.
// Nobody else can put a file of their own in the temporary file's place: on POSIX Commit
// checks that the name still holds the file written (before the rename and after it) and
// fails otherwise; on Windows the file stays open, shared with nobody, until it is moved.
class ReplacementFile : public WritableFile {
 public:
  // Flushes, syncs and renames the temporary file over the target. False when any step
  // failed; the target then keeps its old content (or stays absent).
  virtual bool Commit() = 0;
  // Reads back what was written, for a look at the complete file before Commit: up to
  // capacity bytes from offset, once Close has answered true. The count, 0 at the end, or -1
  // when the file cannot be read. What is read is the file this object wrote, whatever its
  // name may hold by now.
  virtual long ReadWritten(std::uint64_t offset, char* buffer, std::size_t capacity) = 0;
};

// An exclusive lock on a lock file, held until the object is destroyed. Other programs
// that take the same lock wait; nothing else is kept from the file.
class HeldLock {
 public:
  virtual ~HeldLock() = default;
};

class Os {
 public:
  virtual ~Os() = default;

  // True when a file or folder exists at the path.
  virtual bool FileExists(const std::string& path) = 0;
  // Reads the whole file into *contents; false (contents untouched) when it cannot, also
  // when the path names something other than a file (a FIFO or a device is never read,
  // so a read cannot hang).
  virtual bool ReadWholeFile(const std::string& path, std::string* contents) = 0;
  // Creates or truncates the file and opens it for writing; nullptr when it cannot.
  virtual std::unique_ptr<WritableFile> OpenForWriting(const std::string& path) = 0;
  // Opens a replacement for the file at path (see ReplacementFile); nullptr when the
  // temporary file cannot be created or the destination is refused, with
  // LastFailureReason saying why. Only what a create-or-truncate write could replace is
  // replaced (os/file_rules.h): a symbolic link is followed and its target replaced in the
  // target's folder; a folder, a device or a FIFO, a file the user could not open for
  // writing, and another user's file or link in a sticky or shared folder are refused.
  // The new file gets the old one's permission bits. On POSIX the user's own temporary
  // files that earlier runs left in the folder (killed before they could remove them) and
  // that nobody is writing any more are removed first.
  virtual std::unique_ptr<ReplacementFile> OpenReplacement(const std::string& path) = 0;
  // Removes a file; false when it does not exist or cannot be removed.
  virtual bool RemoveFile(const std::string& path) = 0;
  // Moves the file at from over the file at to in one step, replacing it when it exists.
  // Both must be in the same folder (a move across volumes is a copy, not one step). False
  // when the move failed; the file at to is then as it was.
  virtual bool MoveFileOver(const std::string& from, const std::string& to) = 0;

  // Creates one folder (its parent must exist); false when it cannot, also when it exists.
  virtual bool CreateFolder(const std::string& path) = 0;
  // Removes one empty folder; false when it cannot.
  virtual bool RemoveFolder(const std::string& path) = 0;
  // True when the path names an existing folder. A trailing separator is allowed.
  virtual bool IsFolder(const std::string& path) = 0;
  // The access test of the C run-time: does the path exist with the given permissions.
  virtual bool HasAccess(const std::string& path, AccessMode mode) = 0;
  // The class of the drive or file system that holds the path. Win32 asks for the root
  // given (for example "C:\"); POSIX classifies the file system of the nearest existing
  // folder of the path.
  virtual DriveType ClassifyDrive(const std::string& path) = 0;

  // The current folder, without a trailing separator unless it is a root; empty on failure.
  virtual std::string CurrentFolder() = 0;
  // Makes the folder current; false when it cannot.
  virtual bool ChangeCurrentFolder(const std::string& path) = 0;
  // The folder for temporary files, ending with the platform's separator.
  virtual std::string TemporaryFolder() = 0;
  // The folder that holds the running program file, ending with the platform's separator.
  virtual std::string ProgramFolder() = 0;

  // Reads a profile (INI) string with the Windows rules: section and key are matched
  // without regard to ASCII case, blanks around keys and values are ignored, a value in
  // matching quotes loses them, and default_value is the answer when the file, the section
  // or the key is absent.
  virtual std::string ReadProfileString(const std::string& file, const std::string& section,
                                        const std::string& key,
                                        const std::string& default_value) = 0;

  // Takes the exclusive lock of the lock file at path (created empty when missing, never
  // removed, so that every program locks the same file), waiting up to wait_milliseconds
  // for another holder to let go. nullptr when the lock could not be had in that time or
  // the file cannot be opened (LastFailureReason says why). A lock file that is not a
  // plain file is refused without waiting.
  virtual std::unique_ptr<HeldLock> LockFile(const std::string& path, int wait_milliseconds) = 0;
  // Whether the content of the file at path may be believed (see JudgeTrust): on POSIX
  // by its owner and mode and those of its folder; Windows answers kTrusted.
  virtual TrustVerdict TrustOf(const std::string& path) = 0;

  // Replaces the file at path with the given contents atomically (see ReplacementFile).
  bool ReplaceFileAtomically(const std::string& path, std::string_view contents);
};

// The real operating system of the build: POSIX on Linux, Win32 on Windows. The object
// lives for the whole program.
Os& SystemOs();

// Why the last file operation of this thread that failed did so, in the system's words
// ("Permission denied", "No space left on device") or, for a destination the program
// refused or a temporary file that was swapped, in the program's own; empty when none is
// known. For a line that tells a user what to fix, never for decisions.
std::string LastFailureReason();

// From now on an interrupt (SIGINT, SIGTERM, SIGHUP on POSIX) removes the temporary files
// that replacement files are writing, then ends the program by the signal as before (exit
// status 130, 143, 129 in a shell), so the destination keeps its old content and no hidden
// file is left. Only a kill that cannot be caught leaves one. Does nothing on Windows.
void RemoveTemporariesOnInterrupt();

// Milliseconds on a clock that never goes back (its start is arbitrary), for throttling
// what is drawn; not for dates.
std::int64_t MonotonicMilliseconds();

}  // namespace vintor::os
