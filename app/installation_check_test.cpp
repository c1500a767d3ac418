#include "app/installation_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conditions/path_style.h"
#include "os/fake_os.h"

namespace vintor::app {
namespace {

const char kInvalid[] =
    "動作環境が不正です。\nES_APRPACKAGENAMEが正しくインストールされているか確認してください。";
const char kTaxApplicationOld[] =
    "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
    "ES_APRPACKAGENAMEの最新版を入手してインストールしてからご利用ください。";
const char kExporterOld[] =
    "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
    "連動コンポーネントの最新版を入手してインストールしてからご利用ください。";

struct Shown {
  platform::WindowHandle owner;
  std::string text, caption;
  unsigned style;
};

class RecordingConnection : public platform::ClAccConnect {
 public:
  void SetTitle(const std::string&) override {}
  void SetOwnerWindow(platform::WindowHandle) override {}
  int SetAppType(platform::AppType) override { return 0; }
  int SetUseDataType(int) override { return 0; }
  int Initiate() override { return 0; }
  int ExpSysLink() override { return 0; }
  int DispMsg(platform::WindowHandle owner, const std::string& text, const std::string& caption,
              unsigned style) override {
    shown.push_back({owner, text, caption, style});
    return 0;
  }
  int LogOut() override { return 0; }
  int Terminate() override { return 0; }
  int Release() override { return 0; }

  std::vector<Shown> shown;
};

class InstallationCheckTest : public ::testing::Test {
 protected:
  InstallationCheckTest() : os_(os::FakeOs::PathRules::kWindows) {
    os_.SetCurrentFolder("C:\\Tax");
  }
  int Check(bool show_messages = true) {
    return CheckInstallation(show_messages, os_, conditions::WindowsPathStyle(), connection_, 0x2A);
  }

  os::FakeOs os_;
  RecordingConnection connection_;
};

TEST_F(InstallationCheckTest, LevelDecidesTheMessage) {
  struct Case {
    const char* file;  // nullptr: no definition file at all
    InstallationLevel level;
    const char* message;  // nullptr: compatible, nothing shown
  };
  const Case cases[] = {
      {nullptr, InstallationLevel::kInvalid, kInvalid},
      {"[ProgramLevel]\r\nQZ21=3\r\n", InstallationLevel::kCompatible, nullptr},
      {"[Other]\r\nQZ21=3\r\n", InstallationLevel::kTaxApplicationOld, kTaxApplicationOld},
      {"[ProgramLevel]\r\nQZ22=3\r\n", InstallationLevel::kTaxApplicationOld, kTaxApplicationOld},
      {"", InstallationLevel::kTaxApplicationOld, kTaxApplicationOld},
      {"[ProgramLevel]\r\nQZ21=\r\n", InstallationLevel::kInvalid, kInvalid},
      {"[ProgramLevel]\r\nQZ21=\" 3\"\r\n", InstallationLevel::kCompatible, nullptr},
      {"[ProgramLevel]\r\nQZ21=03\r\n", InstallationLevel::kCompatible, nullptr},
      {"[ProgramLevel]\r\nQZ21=3abc\r\n", InstallationLevel::kCompatible, nullptr},
      {"[ProgramLevel]\r\nQZ21=abc\r\n", InstallationLevel::kTaxApplicationOld, kTaxApplicationOld},
      {"[ProgramLevel]\r\nQZ21=2\r\n", InstallationLevel::kTaxApplicationOld, kTaxApplicationOld},
      {"[ProgramLevel]\r\nQZ21=-3\r\n", InstallationLevel::kTaxApplicationOld, kTaxApplicationOld},
      {"[ProgramLevel]\r\nQZ21=4\r\n", InstallationLevel::kExporterOld, kExporterOld},
      // The level is read into 16 bytes: 15 characters count, the 16th is cut off.
      {"[ProgramLevel]\r\nQZ21=000000000000003\r\n", InstallationLevel::kCompatible, nullptr},
      {"[ProgramLevel]\r\nQZ21=0000000000000003\r\n", InstallationLevel::kTaxApplicationOld,
       kTaxApplicationOld},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file == nullptr ? "(no file)" : c.file);
    os::FakeOs os(os::FakeOs::PathRules::kWindows);
    os.SetCurrentFolder("C:\\Tax");
    if (c.file != nullptr) os.AddFile("C:\\Tax\\CorvelDef.ini", c.file);
    RecordingConnection connection;
    EXPECT_EQ(ReadInstallationLevel(os, conditions::WindowsPathStyle()), c.level);
    const int result =
        CheckInstallation(true, os, conditions::WindowsPathStyle(), connection, 0x2A);
    if (c.message == nullptr) {
      EXPECT_EQ(result, 1);
      EXPECT_TRUE(connection.shown.empty());
      continue;
    }
    EXPECT_EQ(result, 0);
    ASSERT_EQ(connection.shown.size(), 1u);
    EXPECT_EQ(connection.shown[0].text, c.message);
    EXPECT_EQ(connection.shown[0].caption, "決算書");
    EXPECT_EQ(connection.shown[0].style, 0x30u);
    EXPECT_EQ(connection.shown[0].owner, 0x2Au);
  }
}

TEST_F(InstallationCheckTest, RefusesSilentlyWhenMessagesAreOff) {
  EXPECT_EQ(Check(false), 0);
  EXPECT_TRUE(connection_.shown.empty());
}

TEST_F(InstallationCheckTest, FolderEndingInATrailByteLikeABackslashGetsASeparator) {
  // 表 is 95 5C: its second byte is not a separator, so one is still added.
  os_.SetCurrentFolder("C:\\Tax\\表");
  os_.AddFile("C:\\Tax\\表\\CorvelDef.ini", "[ProgramLevel]\r\nQZ21=3\r\n");
  EXPECT_EQ(Check(), 1);
  EXPECT_TRUE(connection_.shown.empty());
}

TEST_F(InstallationCheckTest, RootFolderKeepsItsOwnSeparator) {
  os_.SetCurrentFolder("C:\\");
  os_.AddFile("C:\\CorvelDef.ini", "[ProgramLevel]\r\nQZ21=3\r\n");
  EXPECT_EQ(Check(), 1);
}

TEST_F(InstallationCheckTest, PosixFolderUsesTheSlash) {
  os::FakeOs os(os::FakeOs::PathRules::kPosix);
  os.SetCurrentFolder("/opt/tax");
  os.AddFile("/opt/tax/CorvelDef.ini", "[ProgramLevel]\r\nQZ21=3\r\n");
  EXPECT_EQ(ReadInstallationLevel(os, conditions::PosixPathStyle()),
            InstallationLevel::kCompatible);
}

}  // namespace
}  // namespace vintor::app
