// The POSIX rules, run on every platform through the in-memory Os.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conditions/path_style.h"
#include "os/fake_os.h"

namespace vintor::conditions {
namespace {

using os::AccessMode;
using os::DriveType;
using os::FakeOs;
using Paths = std::vector<std::string>;

const PathStyle& style = PosixPathStyle();

TEST(PosixPathStyleTest, SplitsAtTheLastSlashAndHasNoDrives) {
  struct Case {
    std::string path, folder, name;
  };
  const Case cases[] = {
      {"/home/u/out.xml", "/home/u/", "out.xml"},
      {"/home/u/", "/home/u/", ""},
      {"out.xml", "", "out.xml"},
      {"C:\\a\\b.xml", "", "C:\\a\\b.xml"},
      {"/売上表/x.xml", "/売上表/", "x.xml"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(style.FolderPart(c.path), c.folder);
    EXPECT_EQ(style.FileNamePart(c.path), c.name);
    EXPECT_EQ(style.DrivePrefixPart(c.path), "");
    EXPECT_EQ(style.AfterDrivePart(c.path), c.path);
  }
}

TEST(PosixPathStyleTest, TrailingSlashAndReduction) {
  struct Case {
    std::string text;
    bool ensured;
    std::string with_slash;
    bool reduced;
    std::string folder;
  };
  const Case cases[] = {
      {"", false, "", false, ""},
      {"/", true, "/", true, "/"},
      {"/a", true, "/a/", true, "/"},
      {"/a/b.xml", true, "/a/b.xml/", true, "/a/"},
      {"/売上表", true, "/売上表/", true, "/"},
      {"out.xml", true, "out.xml/", false, "out.xml"},
      {"a/b", true, "a/b/", true, "a/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string text = c.text;
    EXPECT_EQ(style.EnsureTrailingSeparator(&text, 4096), c.ensured);
    EXPECT_EQ(text, c.with_slash);
    text = c.text;
    EXPECT_EQ(style.ReduceToFolder(&text), c.reduced);
    EXPECT_EQ(text, c.folder);
  }
}

TEST(PosixPathStyleTest, RefusesDoubledSlashesNineCharactersAndControls) {
  const std::string accepted[] = {"/home/u/out.xml", "out.xml",       "/home/u/売上表/x.xml",
                                  "/tmp/ポ.xml",     "/tmp/a\\b.xml", "../x.xml",
                                  "/tmp/a b.xml"};
  const std::string refused[] = {"/home//u.xml", "//x.xml",  "/a:b.xml", "out,1.xml", "a;b.xml",
                                 "*.xml",        "a?.xml",   "a\"b.xml", "a>b.xml",   "a<b.xml",
                                 "a|b.xml",      "a\tb.xml", "a\nb.xml", "a\x7F.xml", "a\x01.xml"};
  for (const std::string& path : accepted) EXPECT_TRUE(style.HasOnlyValidCharacters(path)) << path;
  for (const std::string& path : refused) EXPECT_FALSE(style.HasOnlyValidCharacters(path)) << path;
}

TEST(PosixPathStyleTest, FileSystemOfTheNearestExistingFolderDecides) {
  FakeOs os(FakeOs::PathRules::kPosix);
  os.SetAccess("/", AccessMode::kRead);
  os.AddFolder("/home/u");
  os.AddFile("/home/u/report.xml", "");
  os.AddFolder("/media/cd");
  os.SetDriveType("/media/cd", DriveType::kCdRom);
  os.AddFolder("/mnt/ram");
  os.SetDriveType("/mnt/ram", DriveType::kRamDisk);
  os.AddFolder("/mnt/usb");
  os.SetDriveType("/mnt/usb", DriveType::kRemovable);
  os.SetAccess("/mnt/usb", AccessMode::kRead);
  os.AddFolder("/net/share");
  os.SetDriveType("/net/share", DriveType::kRemote);
  os.AddFolder("/odd");
  os.SetDriveType("/odd", DriveType::kUnknown);
  os.AddFolder("/bare");
  os.SetDriveType("/bare", DriveType::kNoRootDir);
  os.SetAccess("/bare", AccessMode::kRead);
  os.SetCurrentFolder("/home/u");

  const std::string valid[] = {"/home/u/out.xml",
                               "/home/u/new/deeper/out.xml",
                               "/home/u/report.xml",
                               "/home/u",
                               "/net/share/x.xml",
                               "/bare/x.xml",
                               "out.xml",
                               "sub/out.xml"};
  const std::string invalid[] = {"",
                                 "/nowhere/out.xml",
                                 "/media/cd/x.xml",
                                 "/media/cd/sub/x.xml",
                                 "/mnt/ram/x.xml",
                                 "/mnt/usb/x.xml",
                                 "/odd/x.xml"};
  for (const std::string& path : valid) EXPECT_TRUE(style.IsDriveValid(path, os)) << path;
  for (const std::string& path : invalid) EXPECT_FALSE(style.IsDriveValid(path, os)) << path;

  os.SetCurrentFolder("/media/cd");
  EXPECT_FALSE(style.IsDriveValid("out.xml", os));
}

TEST(PosixPathStyleTest, CreatesChainsFromTheRootOrTheCurrentFolder) {
  struct Case {
    std::string folder;
    Paths created;
  };
  const Case cases[] = {
      {"/home/u/a/b/", {"/home/u/a/", "/home/u/a/b/"}},
      {"/home/u/a/out.xml", {"/home/u/a/"}},
      {"a/b/", {"/home/u/a/", "/home/u/a/b/"}},
      {"/home/u/", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    FakeOs os(FakeOs::PathRules::kPosix);
    os.SetCurrentFolder("/home/u");
    EXPECT_TRUE(style.CreateFolderChain(c.folder, os));
    EXPECT_EQ(os.created_folders(), c.created);
  }
  FakeOs os(FakeOs::PathRules::kPosix);
  EXPECT_FALSE(style.CreateFolderChain("", os));
}

TEST(PosixPathStyleTest, FailedCreationRemovesExactlyWhatWasCreated) {
  FakeOs os(FakeOs::PathRules::kPosix);
  os.AddFolder("/home/u");
  os.FailCreateFolder("/home/u/a/b/c");
  EXPECT_FALSE(style.CreateFolderChain("/home/u/a/b/c/", os));
  EXPECT_EQ(os.created_folders(), (Paths{"/home/u/a/", "/home/u/a/b/"}));
  EXPECT_EQ(os.removed_folders(), (Paths{"/home/u/a/b/", "/home/u/a/"}));
  EXPECT_EQ(os.AllPaths(), (Paths{"/", "/home", "/home/u"}));
}

}  // namespace
}  // namespace vintor::conditions
