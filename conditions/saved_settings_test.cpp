// The settings file on the in-memory Os in both styles, with injected faults, and once on
// the real disk.
#include "conditions/saved_settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "os/fake_os.h"
#include "os/fault_injection.h"
#include "os/scratch_folder.h"

namespace vintor::conditions {
namespace {

using os::FakeOs;

constexpr const char* kFolder = "C:\\Settings\\";
constexpr const char* kFile = "C:\\Settings\\VintorOak.env";

SavedSettings Settings(os::Os& os, const std::string& user = "admin", int second = 3,
                       const std::string& folder = kFolder) {
  return SavedSettings(os, WindowsPathStyle(), folder, "VintorOak.env", user, 1, second);
}

SavedConditions Conditions(std::int16_t start, std::int16_t end, std::int16_t kind,
                           std::int32_t ledger, const std::string& path) {
  return {start, end, kind, ledger, path};
}

void ExpectConditions(const SavedConditions& actual, const SavedConditions& expected) {
  EXPECT_EQ(actual.start_month, expected.start_month);
  EXPECT_EQ(actual.end_month, expected.end_month);
  EXPECT_EQ(actual.equity_statement_kind, expected.equity_statement_kind);
  EXPECT_EQ(actual.ledger_flag, expected.ledger_flag);
  EXPECT_EQ(actual.output_path, expected.output_path);
}

class SavedSettingsTest : public ::testing::Test {
 protected:
  SavedSettingsTest() { os_.AddFolder(kFolder); }
  FakeOs os_{FakeOs::PathRules::kWindows};
};

TEST_F(SavedSettingsTest, FirstExportCreatesOneLine) {
  EXPECT_EQ(Settings(os_).key(), "admin/1/3:");
  ASSERT_TRUE(Settings(os_).Write(Conditions(4, 3, 1, 1, "C:\\Out\\kessan.xml")));
  EXPECT_EQ(os_.FileContents(kFile), "admin/1/3:4/3/1/1/C:\\Out\\kessan.xml\n");
}

TEST_F(SavedSettingsTest, SameKeyMovesToTheEndAndOtherKeysKeepTheirOrder) {
  os_.AddFile(kFile, "admin/1/3:4/3/1/1/C:\\old.xml\nbob/1/3:1/12/2/0/C:\\b.xml\n");
  ASSERT_TRUE(Settings(os_, "carol").Write(Conditions(1, 6, 1, 1, "C:\\c.xml")));
  ASSERT_TRUE(Settings(os_).Write(Conditions(5, 4, 2, 0, "C:\\new.xml")));
  ASSERT_TRUE(Settings(os_, "admin", 4).Write(Conditions(4, 3, 1, 1, "C:\\other.xml")));
  EXPECT_EQ(os_.FileContents(kFile),
            "bob/1/3:1/12/2/0/C:\\b.xml\n"
            "carol/1/3:1/6/1/1/C:\\c.xml\n"
            "admin/1/3:5/4/2/0/C:\\new.xml\n"
            "admin/1/4:4/3/1/1/C:\\other.xml\n");
}

TEST_F(SavedSettingsTest, ReadsRecordsWithAndWithoutTheLedgerField) {
  struct Case {
    std::string contents;
    bool found;
    SavedConditions expected;
  };
  const SavedConditions untouched = Conditions(9, 9, 9, 9, "untouched");
  const Case cases[] = {
      {"admin/1/3:4/3/1/0/C:\\Out\\kessan.xml\n", true,
       Conditions(4, 3, 1, 0, "C:\\Out\\kessan.xml")},
      {"admin/1/3:4/3/2/C:\\Out\\old.xml\n", true, Conditions(4, 3, 2, 1, "C:\\Out\\old.xml")},
      {"x\nadmin/1/3: 7/x/-2/1/\n", true, Conditions(7, 0, -2, 1, "")},
      {"admin/1/3:4/3/1/1/C:\\売上表\\x.xml", true, Conditions(4, 3, 1, 1, "C:\\売上表\\x.xml")},
      {"admin/1/3:4/3/C:\\x.xml\n", false, untouched},
      {"admin/1/4:4/3/1/1/C:\\x.xml\n", false, untouched},
      {"", false, untouched},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    os_.AddFile(kFile, c.contents);
    SavedConditions read = untouched;
    EXPECT_EQ(Settings(os_).Read(&read), c.found);
    ExpectConditions(read, c.expected);
  }
}

TEST_F(SavedSettingsTest, KeyMatchesOnlyAtTheStartOfALine) {
  const std::string admin = "admin/1/3:4/3/1/1/C:\\admin.xml\n";
  os_.AddFile(kFile, admin);
  SavedConditions read;
  EXPECT_FALSE(Settings(os_, "min").Read(&read));
  ASSERT_TRUE(Settings(os_, "min").Write(Conditions(1, 2, 1, 0, "C:\\min.xml")));
  EXPECT_EQ(os_.FileContents(kFile), admin + "min/1/3:1/2/1/0/C:\\min.xml\n");
  ASSERT_TRUE(Settings(os_, "min").Read(&read));
  EXPECT_EQ(read.output_path, "C:\\min.xml");
}

TEST_F(SavedSettingsTest, HostRunKeepsTheSavedPath) {
  os_.AddFile(kFile, "admin/1/3:4/3/1/1/C:\\mine.xml\n");
  SavedConditions read;
  ASSERT_TRUE(Settings(os_).Read(&read));
  // The host's destination is not remembered: the path read at the start is written back.
  ASSERT_TRUE(Settings(os_).Write(Conditions(6, 8, 2, 0, read.output_path)));
  EXPECT_EQ(os_.FileContents(kFile), "admin/1/3:6/8/2/0/C:\\mine.xml\n");
}

TEST_F(SavedSettingsTest, LastLineWithoutLineFeedAndDuplicateKeysAreRepaired) {
  os_.AddFile(kFile, "admin/1/3:1/1/1/1/a\nadmin/1/3:2/2/1/1/b\nbob/1/3:1/1/1/1/c");
  ASSERT_TRUE(Settings(os_).Write(Conditions(3, 3, 1, 1, "d")));
  EXPECT_EQ(os_.FileContents(kFile), "bob/1/3:1/1/1/1/c\nadmin/1/3:3/3/1/1/d\n");
}

TEST_F(SavedSettingsTest, FailedReplacementLeavesTheOldFileByteIdentical) {
  const std::string old = "bob/1/3:1/1/1/1/c\nadmin/1/3:4/3/1/1/C:\\old.xml\n";
  os_.AddFile(kFile, old);
  for (int fault = 0; fault < 3; ++fault) {
    SCOPED_TRACE(fault);
    os::FaultInjectingOs failing(os_);
    if (fault == 0) failing.FailOpenReplacement(kFile);
    if (fault == 1) failing.FailWritesAfterBytes(kFile, 10);
    if (fault == 2) failing.FailCommit(kFile);
    EXPECT_FALSE(Settings(failing).Write(Conditions(5, 4, 2, 0, "C:\\new.xml")));
    EXPECT_EQ(os_.FileContents(kFile), old);
  }
}

TEST_F(SavedSettingsTest, FilesBeyond32KiBAreHandled) {
  std::string others;
  for (int user = 0; others.size() < 40000; ++user) {
    others += "user" + std::to_string(user) + "/1/3:4/3/1/1/C:\\Out\\u.xml\n";
  }
  const std::string half = others.substr(0, others.find('\n', 36000) + 1);
  const std::string rest = others.substr(half.size());
  os_.AddFile(kFile, half + "admin/1/3:4/3/1/1/C:\\far.xml\n" + rest);
  SavedConditions read;
  ASSERT_TRUE(Settings(os_).Read(&read));
  EXPECT_EQ(read.output_path, "C:\\far.xml");
  ASSERT_TRUE(Settings(os_).Write(Conditions(1, 2, 1, 1, "C:\\near.xml")));
  EXPECT_EQ(os_.FileContents(kFile), others + "admin/1/3:1/2/1/1/C:\\near.xml\n");
}

TEST_F(SavedSettingsTest, MissingFolderIsCreatedOrNothingIsSaved) {
  const std::string folder = "C:\\Data\\Vintor\\";
  ASSERT_TRUE(Settings(os_, "admin", 3, folder).Write(Conditions(4, 3, 1, 1, "x")));
  EXPECT_EQ(os_.created_folders(), (std::vector<std::string>{"C:\\Data\\", folder}));
  EXPECT_TRUE(os_.FileContents(folder + "VintorOak.env").has_value());

  FakeOs os(FakeOs::PathRules::kWindows);
  os.FailCreateFolder("C:\\Data\\Vintor");
  EXPECT_FALSE(Settings(os, "admin", 3, folder).Write(Conditions(4, 3, 1, 1, "x")));
  EXPECT_EQ(os.AllPaths(), std::vector<std::string>{"C:\\"});
}

TEST_F(SavedSettingsTest, EmptyFolderSavesNothingAndReadsFromTheCurrentFolder) {
  os_.SetCurrentFolder("C:\\Work");
  os_.AddFile("C:\\Work\\VintorOak.env", "admin/1/3:4/3/1/1/C:\\here.xml\n");
  const auto before = os_.AllPaths();
  SavedSettings settings = Settings(os_, "admin", 3, "");
  EXPECT_FALSE(settings.Write(Conditions(1, 1, 1, 1, "C:\\x.xml")));
  EXPECT_EQ(os_.AllPaths(), before);
  EXPECT_EQ(os_.FileContents("C:\\Work\\VintorOak.env"), "admin/1/3:4/3/1/1/C:\\here.xml\n");
  SavedConditions read;
  ASSERT_TRUE(settings.Read(&read));
  EXPECT_EQ(read.output_path, "C:\\here.xml");
}

TEST_F(SavedSettingsTest, FieldsThatWouldBreakTheLineAreRefused) {
  EXPECT_FALSE(Settings(os_).Write(Conditions(4, 3, 1, 1, "C:\\a\nb.xml")));
  EXPECT_FALSE(Settings(os_, std::string("ad\0min", 6)).Write(Conditions(4, 3, 1, 1, "x")));
  EXPECT_FALSE(os_.FileExists(kFile));
}

TEST(PosixSavedSettingsTest, PathIsTheTextAfterTheFourthSlash) {
  FakeOs os(FakeOs::PathRules::kPosix);
  os.AddFolder("/home/u/.vintor");
  SavedSettings settings(os, PosixPathStyle(), "/home/u/.vintor", "VintorOak.env", "admin", 1, 3);
  EXPECT_EQ(settings.FilePath(), "/home/u/.vintor/VintorOak.env");
  ASSERT_TRUE(settings.Write(Conditions(4, 3, 1, 0, "/home/u/out/kessan.xml")));
  EXPECT_EQ(os.FileContents(settings.FilePath()), "admin/1/3:4/3/1/0//home/u/out/kessan.xml\n");
  SavedConditions read;
  ASSERT_TRUE(settings.Read(&read));
  ExpectConditions(read, Conditions(4, 3, 1, 0, "/home/u/out/kessan.xml"));

  os.AddFile(settings.FilePath(), "admin/1/3:4/3/2/out.xml\n");
  ASSERT_TRUE(settings.Read(&read));
  ExpectConditions(read, Conditions(4, 3, 2, 1, "out.xml"));
}

TEST(RealDiskSavedSettingsTest, ReplacesOnDiskAndSurvivesAFailedCommit) {
  os::Os& system = os::SystemOs();
  os::ScratchFolder scratch(system);
  ASSERT_FALSE(scratch.path().empty());
  const SavedSettings settings(system, NativePathStyle(), scratch.path(), "VintorOak.env", "admin",
                               1, 3);
  ASSERT_TRUE(settings.Write(Conditions(4, 3, 1, 1, "a.xml")));
  ASSERT_TRUE(settings.Write(Conditions(5, 4, 1, 1, "b.xml")));
  std::string contents;
  ASSERT_TRUE(system.ReadWholeFile(settings.FilePath(), &contents));
  EXPECT_EQ(contents, "admin/1/3:5/4/1/1/b.xml\n");

  os::FaultInjectingOs failing(system);
  failing.FailCommit(settings.FilePath());
  EXPECT_FALSE(
      SavedSettings(failing, NativePathStyle(), scratch.path(), "VintorOak.env", "admin", 1, 3)
          .Write(Conditions(6, 5, 1, 1, "c.xml")));
  ASSERT_TRUE(system.ReadWholeFile(settings.FilePath(), &contents));
  EXPECT_EQ(contents, "admin/1/3:5/4/1/1/b.xml\n");
  EXPECT_EQ(scratch.Names(), (std::vector<std::string>{"VintorOak.env", "VintorOak.env.lock"}));
}

// A file other users can change is not believed; a save that cannot be made says why.
TEST_F(SavedSettingsTest, DistrustedFilesAreNotReadAndFailedSavesSayWhy) {
  os_.AddFile(kFile, "admin/1/3:4/3/1/1/C:\\Users\\admin\\kessan.xml\n");
  for (const os::TrustVerdict verdict :
       {os::TrustVerdict::kWritableByOthers, os::TrustVerdict::kOwnedByOthers,
        os::TrustVerdict::kFolderWritableByOthers, os::TrustVerdict::kTrusted}) {
    os_.SetTrust(kFile, verdict);
    SavedConditions read;
    os::TrustVerdict said = os::TrustVerdict::kTrusted;
    EXPECT_EQ(Settings(os_).Read(&read, &said), verdict == os::TrustVerdict::kTrusted);
    EXPECT_EQ(said, verdict);
  }

  struct Case {
    const char* what;
    std::function<void(os::FaultInjectingOs&)> fault;
    std::string folder;
  } const cases[] = {
      {"another run holds the lock",
       [](os::FaultInjectingOs& os) { os.FailLock(std::string(kFile) + ".lock"); }, kFolder},
      {"the file cannot be replaced",
       [](os::FaultInjectingOs& os) { os.FailOpenReplacement(kFile); }, kFolder},
      {"the books name no settings folder", [](os::FaultInjectingOs&) {}, ""},
  };
  for (const Case& c : cases) {
    os::FaultInjectingOs failing(os_);
    c.fault(failing);
    std::string failure;
    EXPECT_FALSE(
        Settings(failing, "admin", 3, c.folder).Write(Conditions(5, 4, 2, 0, "x"), &failure))
        << c.what;
    EXPECT_EQ(failure.rfind(c.folder + "VintorOak.env: ", 0), 0u) << c.what << ": " << failure;
    EXPECT_FALSE(os_.IsLocked(std::string(kFile) + ".lock")) << c.what;
  }
}

// Two savers at once, each adding records of its own: with the lock they take turns, so
// every record of both is in the file at the end (without it, one in a few rounds is lost).
TEST(RealDiskSavedSettingsTest, SaversAtTheSameTimeLoseNoRecord) {
  os::Os& system = os::SystemOs();
  os::ScratchFolder scratch(system);
  ASSERT_FALSE(scratch.path().empty());
  constexpr int kRounds = 100;
  const auto saver = [&](const std::string& user) {
    for (int round = 0; round < kRounds; ++round) {
      SavedSettings(system, NativePathStyle(), scratch.path(), "VintorOak.env", user, 1, round)
          .Write(Conditions(4, 3, 1, 1, user + ".xml"));
    }
  };
  std::thread first(saver, "a");
  std::thread second(saver, "b");
  first.join();
  second.join();
  for (const char* user : {"a", "b"}) {
    for (int round = 0; round < kRounds; ++round) {
      SavedConditions read;
      EXPECT_TRUE(
          SavedSettings(system, NativePathStyle(), scratch.path(), "VintorOak.env", user, 1, round)
              .Read(&read))
          << user << " " << round;
    }
  }
}

}  // namespace
}  // namespace vintor::conditions
