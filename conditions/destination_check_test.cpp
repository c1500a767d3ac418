// The destination checks with every example path, on the in-memory Os in both styles, with
// a desktop that records the message boxes and answers questions from a script.
#include "conditions/destination_check.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "os/fake_os.h"

namespace vintor::conditions {
namespace {

using os::DriveType;
using os::FakeOs;
using Outcome = DestinationOutcome;
using Paths = std::vector<std::string>;

const std::string kNoDestination =
    "データ出力先が指定されていません。\n\n出力先を指定してください。";
const std::string kBadCharacters =
    "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
const std::string kBadDrive =
    "ドライブ名が有効でありません。\n\n有効なドライブを指定してください。";
const std::string kNoFileName = "ファイル名が指定されていません。";
const std::string kCreate = "指定されたフォルダは存在しません。\n\n作成してもよろしいですか？";
const std::string kCreateFailed = "フォルダの作成に失敗しました。\n\n出力先を再入力してください。";
const std::string kOverwrite = "同名のファイルが存在します。\n\n上書きしてもよろしいですか？";

constexpr ui::WindowHandle kDialog = 0x130;

// A message as the user saw it: the text with a marker for its style.
std::string Warning(const std::string& text) {
  return "!" + text;
}
std::string Question(const std::string& text) {
  return "?" + text;
}

class ScriptedDesktop : public ui::Desktop {
 public:
  explicit ScriptedDesktop(std::deque<int> answers) : answers_(std::move(answers)) {}

  int ShowMessage(ui::WindowHandle owner, const std::string& text, const std::string& caption,
                  unsigned style) override {
    EXPECT_EQ(owner, kDialog);
    EXPECT_EQ(caption, "決算書");
    if (style == ui::kWarning) {
      shown.push_back(Warning(text));
      return ui::kAnswerOk;
    }
    EXPECT_EQ(style, ui::kQuestion);
    shown.push_back(Question(text));
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected question";
      return ui::kAnswerNo;
    }
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  bool ChooseSaveFile(const ui::SaveFileRequest&, std::string*) override { return false; }
  void BeginWaitCursor() override {}
  void RestoreWaitCursor() override {}
  void EndWaitCursor() override {}

  std::vector<std::string> shown;

 private:
  std::deque<int> answers_;
};

struct Case {
  std::string path;
  std::deque<int> answers;
  Outcome outcome;
  std::vector<std::string> shown;
  Paths created = {};
  bool fixed = false;
};

constexpr int kYes = ui::kAnswerYes;
constexpr int kNo = ui::kAnswerNo;

void CheckCase(const Case& c, const PathStyle& style, FakeOs& os) {
  SCOPED_TRACE(c.path);
  ScriptedDesktop desktop(c.answers);
  const DestinationContext context{style, os, desktop, kDialog, c.fixed};
  EXPECT_EQ(CheckDestination(c.path, context), c.outcome);
  EXPECT_EQ(desktop.shown, c.shown);
  EXPECT_EQ(os.created_folders(), c.created);
}

// C:\ fixed with C:\Windows, C:\a, C:\売上表 and the file C:\out.xml; D:\ a CD-ROM; the
// share \\server\share; the current folder C:\work.
FakeOs WindowsMachine() {
  FakeOs os(FakeOs::PathRules::kWindows);
  os.AddFolder("C:\\Windows");
  os.AddFolder("C:\\a");
  os.AddFolder("C:\\売上表");
  os.AddFile("C:\\out.xml", "old");
  os.SetDriveType("D:\\", DriveType::kCdRom);
  os.AddFolder("\\\\server\\share");
  os.SetCurrentFolder("C:\\work");
  return os;
}

TEST(DestinationCheckTest, WindowsExamples) {
  const Case cases[] = {
      {"", {}, Outcome::kBrowse, {Warning(kNoDestination)}},
      {"C:\\a\\\\b.xml", {}, Outcome::kFocusPath, {Warning(kBadCharacters)}},
      {"out,1.xml", {}, Outcome::kFocusPath, {Warning(kBadCharacters)}},
      {"a;b.xml", {}, Outcome::kFocusPath, {Warning(kBadCharacters)}},
      {"C::x.xml", {}, Outcome::kFocusPath, {Warning(kBadCharacters)}},
      {"*.xml", {}, Outcome::kFocusPath, {Warning(kBadCharacters)}},
      {"D:\\out.xml", {}, Outcome::kFocusPath, {Warning(kBadDrive)}},
      {"1.xml", {}, Outcome::kFocusPath, {Warning(kBadDrive)}},
      {"\\dir\\out.xml", {}, Outcome::kFocusPath, {Warning(kBadDrive)}},
      {"\\\\server\\out.xml", {}, Outcome::kFocusPath, {Warning(kBadDrive)}},
      {"C:\\dir\\", {}, Outcome::kFocusPath, {Warning(kNoFileName)}},
      {"C:\\Windows", {}, Outcome::kFocusPath, {Warning(kNoFileName)}},
      {"C:\\a\\b\\c\\out.xml", {kNo}, Outcome::kFocusPath, {Question(kCreate)}},
      {"C:\\a\\b\\c\\out.xml",
       {kYes},
       Outcome::kAccepted,
       {Question(kCreate)},
       {"C:\\a\\b\\", "C:\\a\\b\\c\\"}},
      {"C:\\売上表\\x.xml", {}, Outcome::kAccepted, {}},
      {"C:\\ポ.xml", {}, Outcome::kAccepted, {}},
      {"C:\\新表\\x.xml", {kYes}, Outcome::kAccepted, {Question(kCreate)}, {"C:\\新表\\"}},
      {"\\\\server\\share\\out.xml", {}, Outcome::kAccepted, {}},
      {"C:\\out.xml", {kYes}, Outcome::kAccepted, {Question(kOverwrite)}},
      {"C:\\out.xml", {kNo}, Outcome::kFocusPath, {Question(kOverwrite)}},
      {"C:\\out.xml", {}, Outcome::kAccepted, {}, {}, /*fixed=*/true},
      {"out.xml", {}, Outcome::kAccepted, {}},  // drive O: has no volume: type 1
  };
  for (const Case& c : cases) {
    FakeOs os = WindowsMachine();
    CheckCase(c, WindowsPathStyle(), os);
  }
}

TEST(DestinationCheckTest, RelativeNameMeetsAFileInTheCurrentFolder) {
  FakeOs os = WindowsMachine();
  os.AddFile("C:\\work\\out.xml", "");
  CheckCase({"out.xml", {kNo}, Outcome::kFocusPath, {Question(kOverwrite)}}, WindowsPathStyle(),
            os);
}

TEST(DestinationCheckTest, FailedFolderCreationIsReportedAndUndone) {
  FakeOs os = WindowsMachine();
  os.FailCreateFolder("C:\\a\\b\\c");
  CheckCase({"C:\\a\\b\\c\\out.xml",
             {kYes},
             Outcome::kFocusPath,
             {Question(kCreate), Warning(kCreateFailed)},
             {"C:\\a\\b\\"}},
            WindowsPathStyle(), os);
  EXPECT_EQ(os.removed_folders(), Paths{"C:\\a\\b\\"});
  EXPECT_TRUE(os.IsFolder("C:\\a"));
}

TEST(DestinationCheckTest, PosixExamples) {
  const Case cases[] = {
      {"", {}, Outcome::kBrowse, {Warning(kNoDestination)}},
      {"/home//u.xml", {}, Outcome::kFocusPath, {Warning(kBadCharacters)}},
      {"/home/u/a:b.xml", {}, Outcome::kFocusPath, {Warning(kBadCharacters)}},
      {"/media/cd/out.xml", {}, Outcome::kFocusPath, {Warning(kBadDrive)}},
      {"/home/u/", {}, Outcome::kFocusPath, {Warning(kNoFileName)}},
      {"/home/u", {}, Outcome::kFocusPath, {Warning(kNoFileName)}},
      {"/home/u/out.xml", {}, Outcome::kAccepted, {}},
      {"out.xml", {}, Outcome::kAccepted, {}},
      {"/home/u/report.xml", {kYes}, Outcome::kAccepted, {Question(kOverwrite)}},
      {"/home/u/report.xml", {kNo}, Outcome::kFocusPath, {Question(kOverwrite)}},
      {"/home/u/report.xml", {}, Outcome::kAccepted, {}, {}, /*fixed=*/true},
      {"/home/u/new/out.xml", {kYes}, Outcome::kAccepted, {Question(kCreate)}, {"/home/u/new/"}},
      {"/home/u/new/out.xml", {kNo}, Outcome::kFocusPath, {Question(kCreate)}},
  };
  for (const Case& c : cases) {
    FakeOs os(FakeOs::PathRules::kPosix);
    os.AddFile("/home/u/report.xml", "old");
    os.AddFolder("/media/cd");
    os.SetDriveType("/media/cd", DriveType::kCdRom);
    os.SetCurrentFolder("/home/u");
    CheckCase(c, PosixPathStyle(), os);
  }
}

}  // namespace
}  // namespace vintor::conditions
