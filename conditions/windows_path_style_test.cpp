// The Windows rules, run on every platform through the in-memory Os. 表 ends in 0x5C and
// ポ in 0x7C, the byte values of a backslash and of '|': every case with them checks that
// a trail byte is never taken for a separator or a refused character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conditions/path_style.h"
#include "conditions/separator_path_style.h"
#include "os/fake_os.h"

namespace vintor::conditions {
namespace {

using os::AccessMode;
using os::DriveType;
using os::FakeOs;
using Paths = std::vector<std::string>;

const PathStyle& style = WindowsPathStyle();

TEST(WindowsPathStyleTest, LiteralsAreCp932) {
  ASSERT_EQ(std::string("表"), "\x95\x5C");
  ASSERT_EQ(std::string("ポ"), "\x83\x7C");
}

TEST(WindowsPathStyleTest, SplitsAtTheLastRealBackslashAndColon) {
  struct Case {
    std::string path, folder, name, drive, after_drive;
  };
  const Case cases[] = {
      {"C:\\dir\\out.xml", "C:\\dir\\", "out.xml", "C:", "\\dir\\out.xml"},
      {"C:\\dir\\", "C:\\dir\\", "", "C:", "\\dir\\"},
      {"out.xml", "", "out.xml", "", "out.xml"},
      {"C:out.xml", "", "C:out.xml", "C:", "out.xml"},
      {"C:\\売上表\\x.xml", "C:\\売上表\\", "x.xml", "C:", "\\売上表\\x.xml"},
      {"C:\\売上表", "C:\\", "売上表", "C:", "\\売上表"},
      {"\\\\server\\share\\out.xml", "\\\\server\\share\\", "out.xml", "",
       "\\\\server\\share\\out.xml"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(style.FolderPart(c.path), c.folder);
    EXPECT_EQ(style.FileNamePart(c.path), c.name);
    EXPECT_EQ(style.DrivePrefixPart(c.path), c.drive);
    EXPECT_EQ(style.AfterDrivePart(c.path), c.after_drive);
  }
}

TEST(WindowsPathStyleTest, TrailingBackslashRespectsDoubleByteEndsAndTheLimit) {
  struct Case {
    std::string text;
    bool ok;
    std::string result;
  };
  const std::string long_name(258, 'a');  // "C:" + 258 = 260 bytes
  const Case cases[] = {
      {"", false, ""},
      {"C:\\a\\", true, "C:\\a\\"},
      {"C:\\a", true, "C:\\a\\"},
      {"C:\\売上表", true, "C:\\売上表\\"},
      {"C:" + long_name.substr(1), true, "C:" + long_name.substr(1) + "\\"},
      {"C:" + long_name, false, "C:" + long_name},
      {"C:" + long_name.substr(1) + "\\", true, "C:" + long_name.substr(1) + "\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string text = c.text;
    EXPECT_EQ(style.EnsureTrailingSeparator(&text, 261), c.ok);
    EXPECT_EQ(text, c.result);
  }
}

TEST(WindowsPathStyleTest, ReducesToDriveAndFolder) {
  struct Case {
    std::string path;
    bool ok;
    std::string result;
  };
  const Case cases[] = {
      {"", false, ""},
      {"out.xml", false, "out.xml"},
      {"C:\\a\\b.xml", true, "C:\\a\\"},
      {"C:\\a\\b\\", true, "C:\\a\\b\\"},
      {"C:out.xml", true, "C:\\"},
      {"C:\\売上表\\x.xml", true, "C:\\売上表\\"},
      {"\\\\server\\share\\x.xml", true, "\\\\server\\share\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string path = c.path;
    EXPECT_EQ(style.ReduceToFolder(&path), c.ok);
    EXPECT_EQ(path, c.result);
  }
}

TEST(WindowsPathStyleTest, RefusesDoubledBackslashesAndTheTenCharacters) {
  const std::string accepted[] = {"C:\\out.xml", "C:\\売上表\\x.xml",
                                  "C:\\ポ.xml",  "\\\\server\\share\\out.xml",
                                  "out.xml",     "C:\\a b\\(1).xml"};
  const std::string refused[] = {"C:\\a\\\\b.xml",
                                 "out,1.xml",
                                 "a;b.xml",
                                 "C::x.xml",
                                 "*.xml",
                                 "C:\\Data\\*.xml",
                                 "C:/a.xml",
                                 "a?.xml",
                                 "a|b.xml",
                                 "a\"b.xml",
                                 "a<b.xml",
                                 "a>b.xml",
                                 "\\\\server\\\\share\\x.xml"};
  for (const std::string& path : accepted) EXPECT_TRUE(style.HasOnlyValidCharacters(path)) << path;
  for (const std::string& path : refused) EXPECT_FALSE(style.HasOnlyValidCharacters(path)) << path;
}

TEST(WindowsPathStyleTest, DriveTestFollowsTheDriveTypeTable) {
  FakeOs os(FakeOs::PathRules::kWindows);  // C:\ is a fixed drive
  os.SetDriveType("D:\\", DriveType::kCdRom);
  os.AddFolder("E:\\");
  os.SetDriveType("E:\\", DriveType::kRemovable);
  os.SetAccess("E:\\", AccessMode::kRead);
  os.AddFolder("N:\\");
  os.SetDriveType("N:\\", DriveType::kRemote);
  os.SetDriveType("R:\\", DriveType::kRamDisk);
  os.SetDriveType("U:\\", DriveType::kUnknown);
  os.SetDriveType("X:\\", static_cast<DriveType>(9));
  os.SetDriveType("F:\\", DriveType::kFixed);  // no folder there: no access
  os.AddFolder("\\\\server\\share");
  os.AddFolder("\\\\server\\readonly");
  os.SetAccess("\\\\server\\readonly", AccessMode::kRead);

  const std::string valid[] = {"C:\\out.xml",
                               "c:\\out.xml",
                               "N:\\x.xml",
                               "O:\\x.xml",
                               "out.xml",
                               "X:\\x.xml",
                               "\\\\server\\share\\out.xml"};
  const std::string invalid[] = {"",
                                 "D:\\out.xml",
                                 "E:\\x.xml",
                                 "R:\\x.xml",
                                 "U:\\x.xml",
                                 "F:\\x.xml",
                                 "1:\\x.xml",
                                 "1out.xml",
                                 "\\dir\\out.xml",
                                 "表.xml",
                                 "C:\\a\\\\b.xml",
                                 "\\\\server\\out.xml",
                                 "\\\\server\\share",
                                 "\\\\server\\readonly\\x.xml",
                                 "\\\\other\\share\\x.xml"};
  for (const std::string& path : valid) EXPECT_TRUE(style.IsDriveValid(path, os)) << path;
  for (const std::string& path : invalid) EXPECT_FALSE(style.IsDriveValid(path, os)) << path;
}

TEST(WindowsPathStyleTest, CreatesTheMissingLevelsOfAChain) {
  struct Case {
    std::string folder;
    Paths created;
  };
  const Case cases[] = {
      {"C:\\a\\b\\c\\", {"C:\\a\\b\\", "C:\\a\\b\\c\\"}},
      {"c:\\A\\b\\out.xml", {"c:\\A\\b\\"}},  // C:\a exists in another case
      {"C:\\a\\", {}},
      {"C:\\売上表\\x\\", {"C:\\売上表\\", "C:\\売上表\\x\\"}},
      {"C:\\売上表", {}},  // the last name of a path without a final backslash is a file
      {"\\\\server\\share\\new\\", {"\\\\server\\share\\new\\"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    FakeOs os(FakeOs::PathRules::kWindows);
    os.AddFolder("C:\\a");
    os.AddFolder("\\\\server\\share");
    EXPECT_TRUE(style.CreateFolderChain(c.folder, os));
    EXPECT_EQ(os.created_folders(), c.created);
    for (const std::string& folder : c.created) EXPECT_TRUE(os.IsFolder(folder));
  }
}

TEST(WindowsPathStyleTest, RefusesChainsWithoutARootOrTooLong) {
  const std::string refused[] = {"", "a\\b\\", "\\dir\\", "\\\\server\\",
                                 "C:\\" + std::string(260, 'x') + "\\"};
  for (const std::string& folder : refused) {
    FakeOs os(FakeOs::PathRules::kWindows);
    EXPECT_FALSE(style.CreateFolderChain(folder, os)) << folder;
    EXPECT_TRUE(os.created_folders().empty()) << folder;
  }
}

TEST(WindowsPathStyleTest, FailedCreationRemovesExactlyWhatWasCreated) {
  struct Case {
    std::string failing;
    Paths created, removed;
  };
  const Case cases[] = {
      {"C:\\a\\b\\c\\", {"C:\\a\\b\\"}, {"C:\\a\\b\\"}},
      {"C:\\a\\b\\", {}, {}},
      {"C:\\a\\b\\c\\d\\", {"C:\\a\\b\\", "C:\\a\\b\\c\\"}, {"C:\\a\\b\\c\\", "C:\\a\\b\\"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failing);
    FakeOs os(FakeOs::PathRules::kWindows);
    os.AddFolder("C:\\a");
    os.FailCreateFolder(c.failing);
    EXPECT_FALSE(style.CreateFolderChain("C:\\a\\b\\c\\d\\", os));
    EXPECT_EQ(os.created_folders(), c.created);
    EXPECT_EQ(os.removed_folders(), c.removed);
    EXPECT_EQ(os.AllPaths(), (Paths{"C:\\", "C:\\a"}));
  }
}

TEST(WindowsPathStyleTest, RemovalGoesDeepestFirstAndStopsAtTheStopFolder) {
  const auto& remover = dynamic_cast<const SeparatorPathStyle&>(style);
  FakeOs os(FakeOs::PathRules::kWindows);
  os.AddFolder("C:\\a\\b\\c\\d");
  const std::string stop = "c:\\A\\";
  EXPECT_FALSE(remover.RemoveCreatedFolders("C:\\x\\y\\", &stop, os));  // not inside stop
  EXPECT_TRUE(remover.RemoveCreatedFolders("C:\\A\\B\\C\\D\\x.xml", &stop, os));
  EXPECT_EQ(os.removed_folders(), (Paths{"C:\\A\\B\\C\\D\\", "C:\\A\\B\\C\\", "C:\\A\\B\\"}));
  EXPECT_EQ(os.AllPaths(), (Paths{"C:\\", "C:\\a"}));
}

TEST(WindowsPathStyleTest, RemovalWithoutStopFolderTakesOnlyTheDeepestExistingLevel) {
  const auto& remover = dynamic_cast<const SeparatorPathStyle&>(style);
  FakeOs os(FakeOs::PathRules::kWindows);
  os.AddFolder("C:\\a\\b");
  EXPECT_TRUE(remover.RemoveCreatedFolders("C:\\a\\b\\x\\y\\", nullptr, os));
  EXPECT_EQ(os.removed_folders(), Paths{"C:\\a\\b\\"});
  EXPECT_TRUE(os.IsFolder("C:\\a"));
}

TEST(WindowsPathStyleTest, FailedRemovalKeepsEverythingAboveIt) {
  const auto& remover = dynamic_cast<const SeparatorPathStyle&>(style);
  FakeOs os(FakeOs::PathRules::kWindows);
  os.AddFolder("C:\\a\\b\\c");
  os.FailRemoveFolder("C:\\a\\b\\c");
  const std::string stop = "C:\\";
  EXPECT_FALSE(remover.RemoveCreatedFolders("C:\\a\\b\\c\\", &stop, os));
  EXPECT_EQ(os.removed_folders(), Paths{});
}

}  // namespace
}  // namespace vintor::conditions
