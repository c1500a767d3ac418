// The contract of the system's Os, checked on real files in a scratch folder. The same
// tests run on Linux and, cross-built, on Windows under Wine.
#include "os/os.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "os/fault_injection.h"
#include "os/scratch_folder.h"
#include "os/write_buffer.h"
#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vintor::os {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

using Names = std::vector<std::string>;

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// True when the scratch folder holds a file whose native name is 表.txt: UTF-8 bytes on
// Linux, UTF-16 on Windows.
bool NativeJapaneseNameExists(const std::string& folder) {
#ifdef _WIN32
  std::wstring native;
  return text::Cp932ToUtf16(folder, &native) &&
         ::GetFileAttributesW((native + L"\u8868.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  std::string native;
  struct stat status;
  return text::Cp932ToUtf8(folder, &native) &&
         ::stat((native + "\xE8\xA1\xA8.txt").c_str(), &status) == 0;
#endif
}

class SystemOsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.path().empty()); }

  std::string PathOf(std::string_view name) const { return scratch_.PathOf(name); }

  bool WriteFile(const std::string& path, std::string_view first, std::string_view second = {}) {
    std::unique_ptr<WritableFile> file = os_.OpenForWriting(path);
    return file != nullptr && file->Append(first) && file->Append(second) && file->Close();
  }

  std::string Read(const std::string& path) {
    std::string contents = "<unreadable>";
    os_.ReadWholeFile(path, &contents);
    return contents;
  }

  Os& os_ = SystemOs();
  ScratchFolder scratch_{os_};
};

TEST_F(SystemOsTest, WrittenBytesReadBackUnchanged) {
  struct Case {
    const char* name;
    std::string first, second;
  };
  const Case cases[] = {
      {"plain.txt", "line 1\r\n", "line 2\n\r"},
      {"表.txt", "\x95\x5C\r\n", "\x1A after a Ctrl-Z"},
      {"empty.txt", "", ""},
      {"large.bin", std::string("\0\xFF", 2), std::string(300000, '\x5C')},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFile(PathOf(c.name), c.first, c.second)) << c.name;
    EXPECT_TRUE(os_.FileExists(PathOf(c.name))) << c.name;
    EXPECT_EQ(Read(PathOf(c.name)), c.first + c.second) << c.name;
  }
  EXPECT_TRUE(NativeJapaneseNameExists(scratch_.path()));
}

TEST_F(SystemOsTest, OpenForWritingTruncates) {
  ASSERT_TRUE(WriteFile(PathOf("f.txt"), "a much longer old content"));
  ASSERT_TRUE(WriteFile(PathOf("f.txt"), "new"));
  EXPECT_EQ(Read(PathOf("f.txt")), "new");
}

TEST_F(SystemOsTest, MissingOrUnconvertiblePathsFail) {
  // "\x81" alone is a lead byte without its trail: no Unicode name exists for it.
  for (const std::string& path :
       {PathOf("missing.txt"), PathOf("bad\x81"), PathOf("nul") + std::string(1, '\0') + "x"}) {
    std::string contents = "kept";
    EXPECT_FALSE(os_.ReadWholeFile(path, &contents)) << path;
    EXPECT_EQ(contents, "kept");
    EXPECT_FALSE(os_.FileExists(path));
    EXPECT_FALSE(os_.RemoveFile(path));
  }
  EXPECT_EQ(os_.OpenForWriting(PathOf("bad\x81")), nullptr);
  EXPECT_EQ(os_.OpenReplacement(PathOf("bad\x81")), nullptr);
  EXPECT_FALSE(os_.CreateFolder(PathOf("bad\x81")));
  EXPECT_EQ(scratch_.Names(), Names{});
}

TEST_F(SystemOsTest, RemoveFileRemovesOnce) {
  ASSERT_TRUE(WriteFile(PathOf("f.txt"), "x"));
  EXPECT_TRUE(os_.RemoveFile(PathOf("f.txt")));
  EXPECT_FALSE(os_.FileExists(PathOf("f.txt")));
  EXPECT_FALSE(os_.RemoveFile(PathOf("f.txt")));
}

TEST_F(SystemOsTest, MoveFileOverReplacesTheTargetOrLeavesItAlone) {
  ASSERT_TRUE(WriteFile(PathOf("new.tmp"), "new"));
  ASSERT_TRUE(WriteFile(PathOf("表.dat"), "old"));
  EXPECT_TRUE(os_.MoveFileOver(PathOf("new.tmp"), PathOf("表.dat")));
  EXPECT_EQ(Read(PathOf("表.dat")), "new");
  EXPECT_FALSE(os_.FileExists(PathOf("new.tmp")));
  // A missing source moves nothing and keeps the target.
  EXPECT_FALSE(os_.MoveFileOver(PathOf("new.tmp"), PathOf("表.dat")));
  EXPECT_EQ(Read(PathOf("表.dat")), "new");
  // A target that does not exist yet is created.
  ASSERT_TRUE(WriteFile(PathOf("a.tmp"), "a"));
  EXPECT_TRUE(os_.MoveFileOver(PathOf("a.tmp"), PathOf("b.dat")));
  EXPECT_EQ(Read(PathOf("b.dat")), "a");
}

enum class Fault { kNone, kCloseThenCommit, kOpen, kAppend, kCommit, kAbandon };

struct ReplacementCase {
  Fault fault;
  bool target_existed;
};

std::string CaseName(const ::testing::TestParamInfo<ReplacementCase>& info) {
  static constexpr const char* kFaults[] = {"None",         "CloseThenCommit", "FailedOpen",
                                            "FailedAppend", "FailedCommit",    "Abandoned"};
  return std::string(kFaults[static_cast<int>(info.param.fault)]) +
         (info.param.target_existed ? "_OverOldFile" : "_NoOldFile");
}

void PrintTo(const ReplacementCase& c, std::ostream* out) {
  *out << static_cast<int>(c.fault) << (c.target_existed ? " over an old file" : "");
}

class ReplacementTest : public SystemOsTest,
                        public ::testing::WithParamInterface<ReplacementCase> {};

TEST_P(ReplacementTest, TargetIsOldOrNewNeverMixedAndNoTemporaryRemains) {
  const ReplacementCase c = GetParam();
  const std::string target = PathOf("target.txt");
  const std::string old_content = "old\r\ncontent\r\n";
  const std::string new_content = "new\r\ncontent that is longer\r\n";
  if (c.target_existed) {
    ASSERT_TRUE(WriteFile(target, old_content));
  }

  FaultInjectingOs faulty(os_);
  bool replaced = false;
  switch (c.fault) {
    case Fault::kNone:
      replaced = faulty.ReplaceFileAtomically(target, new_content);
      break;
    case Fault::kCloseThenCommit: {
      std::unique_ptr<ReplacementFile> file = os_.OpenReplacement(target);
      ASSERT_NE(file, nullptr);
      replaced = file->Append(new_content) && file->Close() && file->Commit() && file->Commit();
      break;
    }
    case Fault::kOpen:
      faulty.FailOpenReplacement(target);
      replaced = faulty.ReplaceFileAtomically(target, new_content);
      break;
    case Fault::kAppend:
      faulty.FailWritesAfterBytes(target, 5);
      replaced = faulty.ReplaceFileAtomically(target, new_content);
      break;
    case Fault::kCommit:
      faulty.FailCommit(target);
      replaced = faulty.ReplaceFileAtomically(target, new_content);
      break;
    case Fault::kAbandon: {
      std::unique_ptr<ReplacementFile> file = os_.OpenReplacement(target);
      ASSERT_NE(file, nullptr);
      ASSERT_TRUE(file->Append(new_content));
      // While open, the new content sits in a second file beside the target.
      EXPECT_EQ(scratch_.Names().size(), c.target_existed ? 2u : 1u);
      break;
    }
  }

  const bool expect_new = c.fault == Fault::kNone || c.fault == Fault::kCloseThenCommit;
  EXPECT_EQ(replaced, expect_new);
  if (expect_new) {
    EXPECT_EQ(Read(target), new_content);
  } else if (c.target_existed) {
    EXPECT_EQ(Read(target), old_content);
  } else {
    EXPECT_FALSE(os_.FileExists(target));
  }
  EXPECT_EQ(scratch_.Names(), (expect_new || c.target_existed) ? Names{"target.txt"} : Names{});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReplacementTest,
    ::testing::Values(ReplacementCase{Fault::kNone, true}, ReplacementCase{Fault::kNone, false},
                      ReplacementCase{Fault::kCloseThenCommit, true},
                      ReplacementCase{Fault::kOpen, true}, ReplacementCase{Fault::kAppend, true},
                      ReplacementCase{Fault::kAppend, false}, ReplacementCase{Fault::kCommit, true},
                      ReplacementCase{Fault::kCommit, false},
                      ReplacementCase{Fault::kAbandon, true},
                      ReplacementCase{Fault::kAbandon, false}),
    CaseName);

#ifndef _WIN32
// A real write fault, not an injected one: a file-size limit makes write(2) stop short and
// then fail with EFBIG, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit saved_;
  sighandler_t old_handler_;
};

TEST_F(SystemOsTest, RealWriteFaultFailsTheFileAndKeepsTheReplacedContent) {
  ASSERT_TRUE(WriteFile(PathOf("target.txt"), "old"));
  FileSizeLimit limit(10);
  std::unique_ptr<WritableFile> file = os_.OpenForWriting(PathOf("plain.txt"));
  ASSERT_NE(file, nullptr);
  // Small appends are buffered: the fault shows when the buffer is written, at Close.
  EXPECT_TRUE(file->Append("1234"));
  EXPECT_TRUE(file->Append("56789abcdef"));
  EXPECT_FALSE(file->Close());
  EXPECT_EQ(Read(PathOf("plain.txt")), "123456789a");

  // An append of a writer's block is written at once and fails there, and so does every
  // later one.
  std::unique_ptr<WritableFile> large = os_.OpenForWriting(PathOf("large.txt"));
  ASSERT_NE(large, nullptr);
  EXPECT_FALSE(large->Append(std::string(WriteBuffer::kDirectBytes, 'x')));
  EXPECT_FALSE(large->Append("x"));
  EXPECT_FALSE(large->Close());
  ASSERT_TRUE(os_.RemoveFile(PathOf("large.txt")));

  EXPECT_FALSE(os_.ReplaceFileAtomically(PathOf("target.txt"), "new content past the limit"));
  EXPECT_EQ(Read(PathOf("target.txt")), "old");
  EXPECT_EQ(scratch_.Names(), (Names{"plain.txt", "target.txt"}));
}

// Another user who can write the folder puts a file of theirs in the temporary file's place
// while the report is written (done here between the calls, by a rename as they would): it
// must not become the report, and it is not removed either, being theirs.
TEST_F(SystemOsTest, ASwappedTemporaryFileIsNotCommitted) {
  ASSERT_TRUE(WriteFile(PathOf("target.txt"), "old"));
  ASSERT_TRUE(WriteFile(PathOf("theirs"), "their bytes"));
  {
    std::unique_ptr<ReplacementFile> file = os_.OpenReplacement(PathOf("target.txt"));
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->Append("our report"));
    const Names names = scratch_.Names();
    ASSERT_EQ(names.size(), 3u);
    const std::string temporary = PathOf(names[0]);  // ".~" sorts first
    ASSERT_EQ(::rename(PathOf("theirs").c_str(), temporary.c_str()), 0);
    EXPECT_FALSE(file->Commit());
    EXPECT_EQ(LastFailureReason(), "書き込み中の一時ファイルが別のファイルに置き換えられました");
  }
  EXPECT_EQ(Read(PathOf("target.txt")), "old");
  EXPECT_EQ(scratch_.Names().size(), 2u);
}

// Reading never waits for a FIFO, and a lock that is held is not had twice.
TEST_F(SystemOsTest, AFifoIsNotReadAndAHeldLockIsNotHadTwice) {
  ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0644), 0);
  std::string contents = "kept";
  EXPECT_FALSE(os_.ReadWholeFile(PathOf("fifo"), &contents));
  EXPECT_EQ(contents, "kept");
  EXPECT_EQ(os_.LockFile(PathOf("fifo"), 0), nullptr);

  std::unique_ptr<HeldLock> held = os_.LockFile(PathOf("a.lock"), 0);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(os_.LockFile(PathOf("a.lock"), 0), nullptr);
  EXPECT_EQ(LastFailureReason(), "ほかの実行が使用中です");
  held.reset();
  EXPECT_NE(os_.LockFile(PathOf("a.lock"), 0), nullptr);
}
#endif

#ifdef _WIN32
// The temporary file is shared with nobody until it has been moved: nobody can rename it
// away or open it to put other bytes in the report's place.
TEST_F(SystemOsTest, NobodyCanTakeTheTemporaryFileWhileItIsWritten) {
  std::unique_ptr<ReplacementFile> file = os_.OpenReplacement(PathOf("target.txt"));
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->Append("our report") && file->Close());
  const Names names = scratch_.Names();
  ASSERT_EQ(names.size(), 1u);
  std::wstring temporary;
  ASSERT_TRUE(text::Cp932ToUtf16(PathOf(names[0]), &temporary));
  const HANDLE other = ::CreateFileW(temporary.c_str(), DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(os_.MoveFileOver(PathOf(names[0]), PathOf("elsewhere.txt")));
  EXPECT_TRUE(file->Commit());
  EXPECT_EQ(Read(PathOf("target.txt")), "our report");
  EXPECT_EQ(scratch_.Names(), Names{"target.txt"});
}
#endif

// A replacement through a symbolic link replaces the file the link names and keeps the link;
// on Windows a read-only destination is refused before anything is written (on Linux the
// permission bits decide, and root may write anything).
TEST_F(SystemOsTest, ALinkIsFollowedAndAReadOnlyFileRefused) {
  ASSERT_TRUE(WriteFile(PathOf("target.xml"), "old"));
  const std::filesystem::path target(PathOf("target.xml"));
  const std::filesystem::path link(PathOf("link.xml"));
#ifdef _WIN32
  std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(os_.OpenReplacement(PathOf("target.xml")), nullptr);
  std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
#endif
  std::error_code made;
#ifdef _WIN32
  // The standard library of the cross-build makes no links; the system call does, where the
  // system lets an unprivileged user.
  if (!::CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(),
                             SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)) {
    made = std::error_code(static_cast<int>(::GetLastError()), std::system_category());
  }
  // Wine makes a link that it then shows as no file at all: nothing to follow there.
  const DWORD attributes = ::GetFileAttributesW(link.wstring().c_str());
  if (!made &&
      (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)) {
    made = std::make_error_code(std::errc::function_not_supported);
  }
#else
  std::filesystem::create_symlink(target, link, made);
#endif
  if (made) GTEST_SKIP() << "no symbolic links here: " << made.message();
  std::unique_ptr<ReplacementFile> file = os_.OpenReplacement(PathOf("link.xml"));
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->Append("new") && file->Close() && file->Commit());
  EXPECT_EQ(Read(PathOf("target.xml")), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST_F(SystemOsTest, FoldersAreCreatedAndRemovedOnce) {
  const std::string folder = PathOf("表");
  EXPECT_TRUE(os_.CreateFolder(folder));
  EXPECT_FALSE(os_.CreateFolder(folder));
  EXPECT_FALSE(os_.CreateFolder(folder + kSeparator + "a" + kSeparator + "b"));
  ASSERT_TRUE(WriteFile(folder + kSeparator + "f.txt", "x"));
  EXPECT_FALSE(os_.RemoveFolder(folder));  // not empty
  ASSERT_TRUE(os_.RemoveFile(folder + kSeparator + "f.txt"));
  EXPECT_TRUE(os_.RemoveFolder(folder));
  EXPECT_FALSE(os_.RemoveFolder(folder));
  EXPECT_FALSE(os_.FileExists(folder));
}

TEST_F(SystemOsTest, IsFolderAcceptsATrailingSeparator) {
  ASSERT_TRUE(os_.CreateFolder(PathOf("表")));
  ASSERT_TRUE(WriteFile(PathOf("f.txt"), "x"));
  const struct {
    std::string path;
    bool is_folder;
  } cases[] = {
      {PathOf("表"), true},     {PathOf("表") + kSeparator, true},     {scratch_.path(), true},
      {PathOf("f.txt"), false}, {PathOf("f.txt") + kSeparator, false}, {PathOf("missing"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(os_.IsFolder(c.path), c.is_folder) << c.path;
}

// Makes a file read-only; false when the platform would still grant writing (the
// superuser on POSIX), so the write checks are meaningless.
bool MakeReadOnly(const std::string& path) {
#ifdef _WIN32
  std::wstring native;
  return text::Cp932ToUtf16(path, &native) &&
         ::SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  std::string native;
  return text::Cp932ToUtf8(path, &native) && ::chmod(native.c_str(), 0444) == 0 && ::geteuid() != 0;
#endif
}

TEST_F(SystemOsTest, HasAccessTestsEachMode) {
  ASSERT_TRUE(WriteFile(PathOf("rw.txt"), "x"));
  ASSERT_TRUE(WriteFile(PathOf("ro.txt"), "x"));
  const bool read_only_effective = MakeReadOnly(PathOf("ro.txt"));
#ifdef _WIN32
  ASSERT_TRUE(read_only_effective);
#endif
  const struct {
    const char* name;
    AccessMode mode;
    bool granted;
  } cases[] = {
      {"rw.txt", AccessMode::kExists, true},   {"rw.txt", AccessMode::kRead, true},
      {"rw.txt", AccessMode::kWrite, true},    {"rw.txt", AccessMode::kReadWrite, true},
      {"ro.txt", AccessMode::kExists, true},   {"ro.txt", AccessMode::kRead, true},
      {"ro.txt", AccessMode::kWrite, false},   {"ro.txt", AccessMode::kReadWrite, false},
      {"missing", AccessMode::kExists, false}, {"missing", AccessMode::kRead, false},
      {"missing", AccessMode::kWrite, false},  {"missing", AccessMode::kReadWrite, false},
  };
  for (const auto& c : cases) {
    if (!c.granted && std::string(c.name) == "ro.txt" && !read_only_effective) continue;
    EXPECT_EQ(os_.HasAccess(PathOf(c.name), c.mode), c.granted)
        << c.name << " mode " << static_cast<int>(c.mode);
  }
#ifdef _WIN32
  // The scratch folder's removal cannot delete a read-only file.
  std::wstring native;
  text::Cp932ToUtf16(PathOf("ro.txt"), &native);
  ::SetFileAttributesW(native.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

TEST_F(SystemOsTest, TemporaryFolderIsOnAFixedDrive) {
  EXPECT_EQ(os_.ClassifyDrive(os_.TemporaryFolder()), DriveType::kFixed);
#ifndef _WIN32
  // A path about to be created is classified by the folder it will be created in.
  EXPECT_EQ(os_.ClassifyDrive(PathOf("not/yet/there.xml")), DriveType::kFixed);
#endif
}

TEST_F(SystemOsTest, ChangeCurrentFolderRoundTrip) {
  const std::string old_folder = os_.CurrentFolder();
  ASSERT_FALSE(old_folder.empty());
  const std::string folder = PathOf("表");
  ASSERT_TRUE(os_.CreateFolder(folder));
  ASSERT_TRUE(os_.ChangeCurrentFolder(folder));
  const std::string current = os_.CurrentFolder();
  // A relative path now lands in the new folder, and a replacement of a bare name keeps
  // its temporary file there too.
  const bool replaced = os_.ReplaceFileAtomically("marker.txt", "m");
  ASSERT_TRUE(os_.ChangeCurrentFolder(old_folder));
  EXPECT_EQ(os_.CurrentFolder(), old_folder);
  EXPECT_TRUE(EndsWith(current, std::string(1, kSeparator) + "表")) << current;
  EXPECT_TRUE(replaced);
  EXPECT_EQ(Read(folder + kSeparator + "marker.txt"), "m");
  EXPECT_FALSE(os_.ChangeCurrentFolder(PathOf("missing")));
}

TEST_F(SystemOsTest, CurrentFolderWithoutACp932NameIsEmpty) {
  // U+1F600 has no CP932 form: the folder name must fail, not become "?".
  const std::filesystem::path old_folder = std::filesystem::current_path();
#ifdef _WIN32
  std::wstring scratch_native;
  ASSERT_TRUE(text::Cp932ToUtf16(scratch_.path(), &scratch_native));
  const std::filesystem::path folder = scratch_native + L"\U0001F600";
#else
  std::string scratch_native;
  ASSERT_TRUE(text::Cp932ToUtf8(scratch_.path(), &scratch_native));
  const std::filesystem::path folder = scratch_native + "\xF0\x9F\x98\x80";
#endif
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  std::filesystem::current_path(folder);
  const std::string current = os_.CurrentFolder();
  std::filesystem::current_path(old_folder);
  EXPECT_EQ(current, "");
}

TEST_F(SystemOsTest, StandardFoldersEndWithTheSeparatorAndExist) {
  for (const std::string& folder : {os_.TemporaryFolder(), os_.ProgramFolder()}) {
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), kSeparator) << folder;
    EXPECT_TRUE(os_.IsFolder(folder)) << folder;
  }
}

TEST_F(SystemOsTest, ReadProfileStringReadsTheFile) {
  ASSERT_TRUE(WriteFile(PathOf("設定.ini"), "[Folders]\r\nOutput = \"C:\\表\" \r\n"));
  EXPECT_EQ(os_.ReadProfileString(PathOf("設定.ini"), "folders", "OUTPUT", "d"), "C:\\表");
  EXPECT_EQ(os_.ReadProfileString(PathOf("設定.ini"), "Folders", "Missing", "d"), "d");
  EXPECT_EQ(os_.ReadProfileString(PathOf("missing.ini"), "Folders", "Output", "d"), "d");
}

}  // namespace
}  // namespace vintor::os
