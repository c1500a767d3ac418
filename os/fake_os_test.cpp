// The in-memory Os must keep the contract of the real ones closely enough that code tested
// on it behaves the same on disk: parents before children, no silent success on an
// existing folder, replacements that leave the old file until committed.
#include "os/fake_os.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vintor::os {
namespace {

using Paths = std::vector<std::string>;

TEST(FakeOsTest, WindowsRulesIgnoreAsciiCaseAndAcceptBothSeparators) {
  FakeOs os(FakeOs::PathRules::kWindows);
  os.AddFolder("C:\\Data\\Sub");
  EXPECT_TRUE(os.IsFolder("c:/data/SUB/"));
  EXPECT_TRUE(os.IsFolder("C:\\Data\\.\\x\\..\\Sub"));
  os.SetCurrentFolder("C:\\Data");
  EXPECT_TRUE(os.IsFolder("sub"));
  EXPECT_TRUE(os.IsFolder("\\data"));
  EXPECT_EQ(os.CurrentFolder(), "C:\\Data");
  EXPECT_EQ(os.AllPaths(), (Paths{"C:\\", "C:\\Data", "C:\\Data\\Sub"}));
}

TEST(FakeOsTest, TrailByteOfADoubleByteCharacterIsNoSeparator) {
  FakeOs os(FakeOs::PathRules::kWindows);
  os.AddFolder("C:\\\x94\x84\x8F\xE3\x95\x5C");  // C:\売上表
  EXPECT_EQ(os.AllPaths(), (Paths{"C:\\", "C:\\\x94\x84\x8F\xE3\x95\x5C"}));
  // The second byte of ポ (0x7C) is not folded or split either.
  os.AddFile("C:\\\x83\x7C.txt", "x");
  EXPECT_TRUE(os.FileContents("c:\\\x83\x7C.TXT").has_value());
}

TEST(FakeOsTest, PosixRulesKeepCaseAndResolveRelativePaths) {
  FakeOs os(FakeOs::PathRules::kPosix);
  os.SetCurrentFolder("/home/u");
  os.AddFile("notes.txt", "n");
  EXPECT_EQ(os.FileContents("/home/u/notes.txt"), "n");
  EXPECT_FALSE(os.FileExists("/home/U/notes.txt"));
  EXPECT_TRUE(os.IsFolder("../u//"));
  EXPECT_TRUE(os.IsFolder("/../.."));
}

TEST(FakeOsTest, FoldersAreCreatedAndRemovedOneLevelAtATime) {
  FakeOs os(FakeOs::PathRules::kWindows);
  os.FailCreateFolder("c:\\bad");
  EXPECT_FALSE(os.CreateFolder("C:\\a\\b"));  // no parent
  EXPECT_TRUE(os.CreateFolder("C:\\a\\"));
  EXPECT_FALSE(os.CreateFolder("C:\\A"));  // exists
  EXPECT_TRUE(os.CreateFolder("C:\\a\\b"));
  EXPECT_FALSE(os.CreateFolder("C:\\Bad\\"));
  EXPECT_FALSE(os.RemoveFolder("C:\\a"));  // not empty
  EXPECT_FALSE(os.RemoveFolder("C:\\"));   // a root
  EXPECT_TRUE(os.RemoveFolder("C:\\a\\b\\"));
  os.AddFile("C:\\a\\f", "");
  EXPECT_FALSE(os.RemoveFolder("C:\\a"));
  EXPECT_EQ(os.created_folders(), (Paths{"C:\\a\\", "C:\\a\\b"}));
  EXPECT_EQ(os.removed_folders(), (Paths{"C:\\a\\b\\"}));
}

TEST(FakeOsTest, ReplacementKeepsTheOldFileUntilCommitted) {
  FakeOs os(FakeOs::PathRules::kPosix);
  os.AddFile("/f", "old");
  {
    auto replacement = os.OpenReplacement("/f");
    ASSERT_NE(replacement, nullptr);
    EXPECT_TRUE(replacement->Append("new"));
    EXPECT_EQ(os.FileContents("/f"), "old");
  }
  EXPECT_EQ(os.FileContents("/f"), "old");
  EXPECT_TRUE(os.ReplaceFileAtomically("/f", "new"));
  EXPECT_EQ(os.FileContents("/f"), "new");
  EXPECT_EQ(os.OpenReplacement("/missing/f"), nullptr);
  os.AddFile("/t", "moved");
  EXPECT_TRUE(os.MoveFileOver("/t", "/f"));
  EXPECT_EQ(os.FileContents("/f"), "moved");
  EXPECT_FALSE(os.MoveFileOver("/t", "/f"));
  EXPECT_EQ(os.FileContents("/f"), "moved");

  auto file = os.OpenForWriting("/g");
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->Append("ab"));
  EXPECT_EQ(os.FileContents("/g"), "ab");
  EXPECT_TRUE(os.RemoveFile("/g"));
  EXPECT_FALSE(file->Append("c"));
}

TEST(FakeOsTest, DriveTypesApplyBelowWhereTheyAreSetAndAccessIsPerPath) {
  FakeOs windows(FakeOs::PathRules::kWindows);
  windows.SetDriveType("D:\\", DriveType::kCdRom);
  EXPECT_EQ(windows.ClassifyDrive("C:\\"), DriveType::kFixed);
  EXPECT_EQ(windows.ClassifyDrive("d:\\x\\y"), DriveType::kCdRom);
  EXPECT_EQ(windows.ClassifyDrive("Q:\\"), DriveType::kNoRootDir);

  FakeOs posix(FakeOs::PathRules::kPosix);
  posix.AddFolder("/media/cd/sub");
  posix.SetDriveType("/media/cd", DriveType::kCdRom);
  posix.SetAccess("/media/cd", AccessMode::kRead);
  EXPECT_EQ(posix.ClassifyDrive("/media/cd/sub"), DriveType::kCdRom);
  EXPECT_EQ(posix.ClassifyDrive("/media"), DriveType::kFixed);
  EXPECT_TRUE(posix.HasAccess("/media/cd", AccessMode::kRead));
  EXPECT_FALSE(posix.HasAccess("/media/cd", AccessMode::kReadWrite));
  EXPECT_TRUE(posix.HasAccess("/media/cd/sub", AccessMode::kReadWrite));
  EXPECT_FALSE(posix.HasAccess("/nothing", AccessMode::kExists));
}

}  // namespace
}  // namespace vintor::os
