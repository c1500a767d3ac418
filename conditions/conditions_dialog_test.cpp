#include "conditions/conditions_dialog.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "conditions/fake_period_library.h"
#include "os/fake_os.h"

namespace vintor::conditions {
namespace {

namespace control = ui::control;
using ui::Key;

// The dialog's controls as plain values, and a record of what the presenter did to them.
class FakeView : public ui::ConditionsView {
 public:
  ui::WindowHandle Handle() override { return kHandle; }
  std::string GetText(int id) override { return texts[id]; }
  void SetText(int id, const std::string& text) override { texts[id] = text; }
  bool IsChecked(int id) override { return checked[id]; }
  void SetChecked(int id, bool value) override { checked[id] = value; }
  bool IsEnabled(int id) override { return !disabled[id]; }
  void Enable(int id, bool enabled) override { disabled[id] = !enabled; }
  void LimitText(int id, int characters) override { limits[id] = characters; }
  void Focus(int id, bool select_all) override { focus_calls.emplace_back(id, select_all); }
  void EndDialog(int result) override { results.push_back(result); }

  static constexpr ui::WindowHandle kHandle = 0x4711;
  std::map<int, std::string> texts;
  std::map<int, bool> checked;
  std::map<int, bool> disabled;
  std::map<int, int> limits;
  std::vector<std::pair<int, bool>> focus_calls;
  std::vector<int> results;
};

struct Message {
  ui::WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
};

class FakeDesktop : public ui::Desktop {
 public:
  int ShowMessage(ui::WindowHandle owner, const std::string& text, const std::string& caption,
                  unsigned style) override {
    messages.push_back({owner, text, caption, style});
    return ui::kAnswerOk;
  }
  bool ChooseSaveFile(const ui::SaveFileRequest& request, std::string* path) override {
    save_requests.push_back(request);
    if (!chosen_file) return false;
    *path = *chosen_file;
    return true;
  }
  void BeginWaitCursor() override {}
  void RestoreWaitCursor() override {}
  void EndWaitCursor() override {}

  std::vector<Message> messages;
  std::vector<ui::SaveFileRequest> save_requests;
  std::optional<std::string> chosen_file;
};

const char kRangeRefused[] = "集計期間に誤りがあります。\n\n集計期間を設定しなおしてください。";
const char kBeforeIntroduction[] = "集計期間には、導入開始月より前は指定できません。";

class ConditionsDialogTest : public ::testing::Test {
 protected:
  ConditionsDialogTest() : os_(os::FakeOs::PathRules::kWindows) {
    library_.files().SetFolder(platform::kFolderOutput, "C:\\Data\\");
    Reset();
  }

  // A fresh dialog, view and desktop, with the inputs of an April-to-March company.
  void Reset(std::int32_t first_day = 20020401, std::int32_t last_day = 20030331,
             const PathStyle& style = WindowsPathStyle()) {
    view_ = FakeView();
    desktop_ = FakeDesktop();
    checked_paths_.clear();
    checked_fixed_.clear();
    auto checker = [this](const std::string& path, const DestinationContext& context) {
      checked_paths_.push_back(path);
      checked_fixed_.push_back(context.fixed_destination);
      EXPECT_EQ(context.owner, FakeView::kHandle);
      return outcome_;
    };
    dialog_ =
        std::make_unique<ConditionsDialog>(library_, os_, desktop_, style, store_, checker, 0x99);
    dialog_->user_id = "admin";
    dialog_->selection_numbers = {1, 3};
    dialog_->company_law_flag = 1;
    dialog_->introduction_month = 1;
    dialog_->company_name_text = " 山田商店";
    dialog_->period_text = " 2002/04/01～2003/03/31";
    dialog_->period_start_date = first_day;
    dialog_->period_end_date = last_day;
  }

  ConditionsDialog& dialog() { return *dialog_; }
  SettingsKey UserKey() const { return {"admin", 1, 3}; }
  void Open() { dialog_->OnInitDialog(view_); }
  void Type(std::string start, std::string end) {
    view_.texts[control::kStartMonth] = std::move(start);
    view_.texts[control::kEndMonth] = std::move(end);
  }
  std::pair<int, bool> LastFocus() const {
    return view_.focus_calls.empty() ? std::pair<int, bool>{0, false} : view_.focus_calls.back();
  }
  void ExpectOneWarning(const char* text) {
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0].text, text);
    EXPECT_EQ(desktop_.messages[0].caption, "決算書");
    EXPECT_EQ(desktop_.messages[0].style, 0x30u);
    EXPECT_EQ(desktop_.messages[0].owner, FakeView::kHandle);
  }

  FakePeriodLibrary library_;
  os::FakeOs os_;
  FakeDesktop desktop_;
  MemorySettingsStore store_;
  DestinationOutcome outcome_ = DestinationOutcome::kAccepted;
  std::vector<std::string> checked_paths_;
  std::vector<bool> checked_fixed_;
  std::unique_ptr<ConditionsDialog> dialog_;
  FakeView view_;
};

TEST_F(ConditionsDialogTest, RefusesDataItCannotExport) {
  const char past[] =
      "過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。";
  const char companies_act[] =
      "選択された会計データは会社法(H18.5施行)に対応していないため、\n連携の対象として使用でき"
      "ません。\n(Tavrelを起動し、[事業所・消費税情報設定]にて会社法対応データへ   \n変換する"
      "ことで、連携ができます。)\n\nアプリケーションを終了します。";
  struct Case {
    std::int32_t past_results;
    std::int16_t company_law;
    const char* message;
  };
  const Case cases[] = {{1, 1, past}, {1, 0, past}, {0, 0, companies_act}, {0, 2, companies_act}};
  for (const Case& c : cases) {
    Reset();
    dialog().past_results_flag = c.past_results;
    dialog().company_law_flag = c.company_law;
    Open();
    ExpectOneWarning(c.message);
    EXPECT_EQ(view_.results, std::vector<int>{1003});
    // Refused before the proposals: the path edit is not even limited.
    EXPECT_EQ(view_.limits.count(control::kPath), 0u);
    EXPECT_EQ(view_.limits[control::kStartMonth], 2);
  }
}

TEST_F(ConditionsDialogTest, ProposesThePeriodAndTheLibraryFolderWithoutSavedSettings) {
  Open();
  EXPECT_TRUE(view_.results.empty());
  EXPECT_TRUE(desktop_.messages.empty());
  EXPECT_EQ(view_.texts[control::kStartMonth], "4");
  EXPECT_EQ(view_.texts[control::kEndMonth], "3");
  EXPECT_EQ(view_.texts[control::kPath], "C:\\Data\\*.xml");
  EXPECT_EQ(view_.texts[control::kCompanyName], " 山田商店");
  EXPECT_EQ(view_.texts[control::kPeriod], " 2002/04/01～2003/03/31");
  EXPECT_TRUE(view_.checked[control::kShareholdersEquity]);
  EXPECT_FALSE(view_.checked[control::kMembersEquity]);
  EXPECT_TRUE(view_.checked[control::kLedger]);
  EXPECT_EQ(view_.limits,
            (std::map<int, int>{
                {control::kEndMonth, 2}, {control::kPath, 255}, {control::kStartMonth, 2}}));
  EXPECT_TRUE(view_.IsEnabled(control::kBrowse) && view_.IsEnabled(control::kPath));
  EXPECT_EQ(dialog().equity_statement_kind, 1);
  EXPECT_EQ(dialog().ledger_requested, 1);
  EXPECT_EQ(dialog().fixed_destination_mode, 0);
  EXPECT_EQ(dialog().saved_output_path, "");
}

TEST_F(ConditionsDialogTest, DefaultDestinationFallsBackToTheTemporaryFolder) {
  struct Case {
    const char* library_folder;
    std::string temporary_folder;
    std::string expected;
  };
  const Case cases[] = {
      {"C:\\Data\\", "C:\\Temp\\", "C:\\Data\\*.xml"},
      {"D:\\Out", "C:\\Temp\\", "D:\\Out*.xml"},  // the library's folder is taken as it is
      {"", "C:\\Temp\\", "C:\\Temp\\*.xml"},
      {"", "C:\\Temp", "C:\\Temp\\*.xml"},
      {"", "C:\\表", "C:\\表\\*.xml"},  // 95 5C: the trail byte is no separator
      {"", "", "*.xml"},
      // A 260-byte folder gets no separator; a 261-byte one does not fit a path buffer.
      {"", "C:\\" + std::string(257, 'a'), "C:\\" + std::string(257, 'a') + "*.xml"},
      {"", "C:\\" + std::string(256, 'a'), "C:\\" + std::string(256, 'a') + "\\*.xml"},
      {"", "C:\\" + std::string(257, 'a') + "\\", "*.xml"},
  };
  for (const Case& c : cases) {
    library_.files().SetFolder(platform::kFolderOutput, c.library_folder);
    os_.SetTemporaryFolder(c.temporary_folder);
    Reset();
    Open();
    EXPECT_EQ(view_.texts[control::kPath], c.expected) << c.temporary_folder;
  }
}

TEST_F(ConditionsDialogTest, ProposesTheSavedChoices) {
  store_.Put(UserKey(), {7, 9, 2, 0, "C:\\Out\\kessan.xml"});
  store_.Put({"admin", 1, 4}, {5, 5, 1, 1, "C:\\Other\\x.xml"});
  Open();
  EXPECT_EQ(view_.texts[control::kStartMonth], "7");
  EXPECT_EQ(view_.texts[control::kEndMonth], "9");
  EXPECT_EQ(view_.texts[control::kPath], "C:\\Out\\kessan.xml");
  EXPECT_TRUE(view_.checked[control::kMembersEquity]);
  EXPECT_FALSE(view_.checked[control::kShareholdersEquity]);
  EXPECT_FALSE(view_.checked[control::kLedger]);
  EXPECT_EQ(dialog().equity_statement_kind, 2);
  EXPECT_EQ(dialog().ledger_requested, 0);
  EXPECT_EQ(dialog().saved_output_path, "C:\\Out\\kessan.xml");
}

TEST_F(ConditionsDialogTest, SavedPathsKeepWhatTheStylesPathsMayHold) {
  // A POSIX path may be far longer than a Windows one: it is kept whole, so a host run,
  // which saves the path it read, never saves a cut one.
  const std::string deep = "/home/keiri/" + std::string(300, 'd') + "/kessan.xml";
  store_.Put(UserKey(), {4, 3, 1, 1, deep});
  Reset(20020401, 20030331, PosixPathStyle());
  Open();
  EXPECT_EQ(dialog().saved_output_path, deep);
  EXPECT_EQ(view_.texts[control::kPath], deep);

  // A Windows path of more than 260 bytes is cut after its last whole character: 表 would
  // take bytes 259 and 260.
  const std::string windows = "C:\\" + std::string(256, 'w') + "表\\x.xml";
  store_.Put(UserKey(), {4, 3, 1, 1, windows});
  Reset();
  Open();
  EXPECT_EQ(dialog().saved_output_path, windows.substr(0, 259));
}

TEST_F(ConditionsDialogTest, UnusualSavedRecordsAreCompletedOrShownAsTheyAre) {
  // A start month of 0 takes the period's first month; the end month stays.
  store_.Put(UserKey(), {0, 9, 1, 1, "C:\\Out\\kessan.xml"});
  Open();
  EXPECT_EQ(view_.texts[control::kStartMonth], "4");
  EXPECT_EQ(view_.texts[control::kEndMonth], "9");

  // A kind other than 2 shows the shareholders' equity statement, but the value stays.
  store_.Put(UserKey(), {4, 3, 3, 5, "C:\\Out\\kessan.xml"});
  Reset();
  Open();
  EXPECT_TRUE(view_.checked[control::kShareholdersEquity]);
  EXPECT_FALSE(view_.checked[control::kMembersEquity]);
  EXPECT_TRUE(view_.checked[control::kLedger]);
  EXPECT_EQ(dialog().equity_statement_kind, 3);
  EXPECT_EQ(dialog().ledger_requested, 5);

  // A record without a path gets the default destination.
  store_.Put(UserKey(), {5, 6, 1, 1, ""});
  Reset();
  Open();
  EXPECT_EQ(view_.texts[control::kPath], "C:\\Data\\*.xml");
  EXPECT_EQ(view_.texts[control::kStartMonth], "5");
  EXPECT_EQ(dialog().saved_output_path, "");
}

TEST_F(ConditionsDialogTest, HostGivenPathIsFixed) {
  store_.Put(UserKey(), {4, 3, 1, 1, "C:\\Out\\kessan.xml"});
  dialog().fixed_output_path = "C:\\Host\\a.xml";
  Open();
  EXPECT_EQ(view_.texts[control::kPath], "C:\\Host\\a.xml");
  EXPECT_FALSE(view_.IsEnabled(control::kPath));
  EXPECT_FALSE(view_.IsEnabled(control::kBrowse));
  EXPECT_EQ(view_.texts[control::kOutputGroup], "出力先");
  EXPECT_EQ(dialog().fixed_destination_mode, 1);
  EXPECT_EQ(dialog().saved_output_path, "C:\\Out\\kessan.xml");

  EXPECT_TRUE(dialog().OnKeyDown(control::kEndMonth, Key::kEnter, false));
  EXPECT_EQ(LastFocus(), std::make_pair(control::kExecute, false));
  dialog().Execute();
  EXPECT_EQ(checked_paths_, std::vector<std::string>{"C:\\Host\\a.xml"});
  EXPECT_EQ(checked_fixed_, std::vector<bool>{true});
  EXPECT_EQ(view_.results, std::vector<int>{1002});
}

TEST_F(ConditionsDialogTest, KeysMoveTheFocusOrRunTheButtons) {
  enum Effect { kNone, kFocus, kBrowses, kExecutes };
  struct Case {
    int focused;
    Key key;
    bool modifier, browse_enabled, consumed;
    Effect effect;
    int focus_target;
    bool select_all;
  };
  const Case cases[] = {
      {control::kStartMonth, Key::kEnter, false, true, true, kFocus, control::kEndMonth, true},
      {control::kEndMonth, Key::kEnter, false, true, true, kFocus, control::kPath, true},
      {control::kEndMonth, Key::kEnter, false, false, true, kFocus, control::kExecute, false},
      {control::kPath, Key::kEnter, false, true, true, kFocus, control::kBrowse, false},
      {control::kPath, Key::kEnter, false, false, true, kFocus, control::kExecute, false},
      {control::kBrowse, Key::kEnter, false, true, true, kBrowses, control::kExecute, false},
      {control::kExecute, Key::kEnter, false, true, true, kExecutes, 0, false},
      {control::kCancel, Key::kF12, false, true, true, kExecutes, 0, false},
      {control::kLedger, Key::kF12, false, true, true, kExecutes, 0, false},
      {control::kStartMonth, Key::kF12, false, false, true, kExecutes, 0, false},
      {control::kLedger, Key::kEnter, false, true, false, kNone, 0, false},
      {control::kCancel, Key::kEnter, false, true, false, kNone, 0, false},
      {control::kMembersEquity, Key::kEnter, false, true, false, kNone, 0, false},
      {control::kStartMonth, Key::kEscape, false, true, false, kNone, 0, false},
      {control::kStartMonth, Key::kOther, false, true, false, kNone, 0, false},
      {control::kStartMonth, Key::kEnter, true, true, false, kNone, 0, false},
      {control::kExecute, Key::kEnter, true, true, false, kNone, 0, false},
      {control::kPath, Key::kF12, true, true, false, kNone, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "control " << c.focused << " key " << int(c.key) << " modifier " << c.modifier);
    Reset();
    Open();
    view_.disabled[control::kBrowse] = !c.browse_enabled;
    const std::size_t focus_before = view_.focus_calls.size();
    EXPECT_EQ(dialog().OnKeyDown(c.focused, c.key, c.modifier), c.consumed);
    EXPECT_EQ(desktop_.save_requests.size(), c.effect == kBrowses ? 1u : 0u);
    EXPECT_EQ(checked_paths_.size(), c.effect == kExecutes ? 1u : 0u);
    EXPECT_EQ(view_.results, c.effect == kExecutes ? std::vector<int>{1002} : std::vector<int>{});
    if (c.effect == kFocus || c.effect == kBrowses) {
      ASSERT_EQ(view_.focus_calls.size(), focus_before + 1);
      EXPECT_EQ(view_.focus_calls.back(), std::make_pair(c.focus_target, c.select_all));
    } else if (c.effect == kNone) {
      EXPECT_EQ(view_.focus_calls.size(), focus_before);
    }
  }
}

TEST_F(ConditionsDialogTest, ExecuteChecksTheMonthRangeAgainstThePeriod) {
  enum Expect { kAccepted, kFocusStart, kFocusEnd };
  struct Case {
    std::int32_t first_day, last_day;
    const char *start, *end;
    Expect expect;
  };
  const Case cases[] = {
      {20020401, 20030331, "4", "3", kAccepted},    {20020401, 20030331, "4", "12", kAccepted},
      {20020401, 20030331, "1", "3", kAccepted},    {20020401, 20030331, "10", "2", kAccepted},
      {20020401, 20030331, "5", "4", kFocusEnd},    {20020401, 20030331, "2", "1", kFocusEnd},
      {20020401, 20030331, "3", "4", kFocusEnd},    {20020401, 20030131, "2", "12", kFocusStart},
      {20020401, 20030131, "5", "3", kFocusStart},  {20020101, 20021231, "1", "12", kAccepted},
      {20020101, 20021231, "6", "6", kAccepted},    {20020101, 20021231, "7", "6", kFocusStart},
      {20020101, 20021231, "0", "12", kFocusStart}, {20020101, 20021231, "1", "13", kFocusEnd},
      {20020101, 20021231, "", "", kFocusStart},    {20020101, 20021231, "1", "", kFocusEnd},
      {20020101, 20021231, "01", "09", kAccepted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first_day << " " << c.start << "-" << c.end);
    Reset(c.first_day, c.last_day);
    Open();
    Type(c.start, c.end);
    dialog().Execute();
    if (c.expect == kAccepted) {
      EXPECT_TRUE(desktop_.messages.empty());
      EXPECT_EQ(view_.results, std::vector<int>{1002});
      continue;
    }
    ExpectOneWarning(kRangeRefused);
    EXPECT_TRUE(view_.results.empty());
    EXPECT_TRUE(checked_paths_.empty());
    const int focus = c.expect == kFocusStart ? control::kStartMonth : control::kEndMonth;
    EXPECT_EQ(LastFocus(), std::make_pair(focus, true));
  }
}

TEST_F(ConditionsDialogTest, EndMonthMustReachTheIntroductionMonth) {
  dialog().introduction_month = 7;
  Open();
  Type("4", "9");
  dialog().Execute();
  ExpectOneWarning(kBeforeIntroduction);
  EXPECT_EQ(LastFocus(), std::make_pair(control::kEndMonth, true));
  EXPECT_TRUE(checked_paths_.empty());

  // The range may start before the introduction month as long as it reaches it.
  Type("4", "10");
  dialog().Execute();
  EXPECT_EQ(desktop_.messages.size(), 1u);
  EXPECT_EQ(view_.results, std::vector<int>{1002});
}

TEST_F(ConditionsDialogTest, ExecuteReadsEveryChoiceFromTheControls) {
  Open();
  Type("5", "8");
  view_.texts[control::kPath] = "C:\\Out\\new.xml";
  view_.checked[control::kShareholdersEquity] = false;
  view_.checked[control::kMembersEquity] = true;
  view_.checked[control::kLedger] = false;
  dialog().Execute();
  EXPECT_EQ(view_.results, std::vector<int>{1002});
  EXPECT_EQ(dialog().start_month_text, "5");
  EXPECT_EQ(dialog().end_month_text, "8");
  EXPECT_EQ(dialog().output_path, "C:\\Out\\new.xml");
  EXPECT_EQ(dialog().equity_statement_kind, 2);
  EXPECT_EQ(dialog().ledger_requested, 0);
  EXPECT_EQ(checked_paths_, std::vector<std::string>{"C:\\Out\\new.xml"});
  EXPECT_EQ(checked_fixed_, std::vector<bool>{false});
}

TEST_F(ConditionsDialogTest, DestinationOutcomeDecidesWhereTheDialogGoes) {
  Open();
  outcome_ = DestinationOutcome::kFocusPath;
  dialog().Execute();
  EXPECT_TRUE(view_.results.empty());
  EXPECT_EQ(LastFocus(), std::make_pair(control::kPath, true));
  EXPECT_TRUE(desktop_.save_requests.empty());

  outcome_ = DestinationOutcome::kBrowse;
  dialog().Execute();
  EXPECT_TRUE(view_.results.empty());
  EXPECT_EQ(desktop_.save_requests.size(), 1u);
  EXPECT_EQ(LastFocus(), std::make_pair(control::kExecute, false));
}

TEST_F(ConditionsDialogTest, BrowseOpensInThePathsFolderAndTakesTheChosenFile) {
  struct Case {
    const char *path, *folder, *name;
  };
  const Case cases[] = {
      {"C:\\Out\\kessan.xml", "C:\\Out\\", "kessan.xml"},
      {"D:kessan.xml", "D:", "kessan.xml"},
      {"kessan.xml", "", "kessan.xml"},
      {"C:\\表.xml", "C:\\", "表.xml"},
  };
  Open();
  for (const Case& c : cases) {
    desktop_.save_requests.clear();
    view_.texts[control::kPath] = c.path;
    dialog().Browse();
    ASSERT_EQ(desktop_.save_requests.size(), 1u);
    const ui::SaveFileRequest& request = desktop_.save_requests[0];
    EXPECT_EQ(request.initial_folder, c.folder);
    EXPECT_EQ(request.initial_name, c.name);
    EXPECT_EQ(request.owner, FakeView::kHandle);
    EXPECT_EQ(request.title, "保存ファイルを指定");
    EXPECT_EQ(request.default_extension, "XML");
    EXPECT_EQ(request.filter, "Xml Files (*.xml)|*.xml||");
    EXPECT_EQ(request.options, 0x180Cu);
    EXPECT_EQ(view_.texts[control::kPath], c.path);  // declined: unchanged
    EXPECT_EQ(LastFocus(), std::make_pair(control::kExecute, false));
  }

  desktop_.chosen_file = "E:\\Chosen\\b.XML";
  Type("6", "7");
  dialog().Browse();
  EXPECT_EQ(dialog().output_path, "E:\\Chosen\\b.XML");
  EXPECT_EQ(view_.texts[control::kPath], "E:\\Chosen\\b.XML");
  EXPECT_EQ(view_.texts[control::kStartMonth], "6");
  EXPECT_EQ(LastFocus(), std::make_pair(control::kExecute, false));
}

TEST_F(ConditionsDialogTest, CancelIsANoticeNotAQuestion) {
  Open();
  dialog().Cancel();
  ASSERT_EQ(desktop_.messages.size(), 1u);
  EXPECT_EQ(desktop_.messages[0].text, "｢決算書｣の集計を中止します。");
  EXPECT_EQ(desktop_.messages[0].caption, "決算書");
  EXPECT_EQ(desktop_.messages[0].style, 0x40u);
  EXPECT_EQ(view_.results, std::vector<int>{1003});
}

TEST_F(ConditionsDialogTest, WithoutAPeriodObjectNothingIsProposedAndNoRangePasses) {
  library_.set_period_available(false);
  Open();
  EXPECT_EQ(view_.texts[control::kStartMonth], "0");
  EXPECT_EQ(view_.texts[control::kEndMonth], "0");
  Type("4", "3");
  dialog().Execute();
  ExpectOneWarning(kRangeRefused);
  EXPECT_TRUE(view_.results.empty());
}

TEST_F(ConditionsDialogTest, SavesUnderTheUsersKeyKeepingTheSavedPathForHostRuns) {
  store_.Put(UserKey(), {4, 3, 1, 1, "C:\\Out\\old.xml"});
  dialog().fixed_output_path = "C:\\Host\\a.xml";
  Open();
  EXPECT_TRUE(dialog().WriteSavedSettings(5, 6, 2, 0, std::nullopt));
  const SavedConditions* saved = store_.Find(UserKey());
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->start_month, 5);
  EXPECT_EQ(saved->end_month, 6);
  EXPECT_EQ(saved->equity_statement_kind, 2);
  EXPECT_EQ(saved->ledger_flag, 0);
  EXPECT_EQ(saved->output_path, "C:\\Out\\old.xml");

  EXPECT_TRUE(dialog().WriteSavedSettings(5, 6, 2, 0, std::string("C:\\Out\\new.xml")));
  EXPECT_EQ(store_.Find(UserKey())->output_path, "C:\\Out\\new.xml");
  EXPECT_EQ(store_.writes(), 2);
}

// The production dialog: its settings live in the edition's file in the settings folder,
// and Execute ends with the real destination checks.
TEST(ConditionsDialogWiringTest, RemembersChoicesInTheSettingsFileAndChecksTheDestination) {
  FakePeriodLibrary library;
  library.files().SetFolder(platform::kFolderOutput, "C:\\Data\\");
  library.files().SetFolder(platform::kFolderSettings, "C:\\Settings\\");
  os::FakeOs os(os::FakeOs::PathRules::kWindows);
  FakeDesktop desktop;
  auto open = [&](FakeView* view) {
    auto dialog = std::make_unique<ConditionsDialog>(library, os, desktop, WindowsPathStyle(),
                                                     "VintorOak.env", 0);
    dialog->user_id = "admin";
    dialog->selection_numbers = {1, 3};
    dialog->company_law_flag = 1;
    dialog->period_start_date = 20020401;
    dialog->period_end_date = 20030331;
    dialog->OnInitDialog(*view);
    return dialog;
  };

  FakeView first;
  auto dialog = open(&first);
  // The proposal names no file: the character check refuses it.
  dialog->Execute();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。");
  EXPECT_EQ(first.focus_calls.back(), std::make_pair(control::kPath, true));
  EXPECT_TRUE(dialog->WriteSavedSettings(5, 6, 2, 0, std::string("C:\\Out\\k.xml")));
  EXPECT_EQ(os.FileContents("C:\\Settings\\VintorOak.env"), "admin/1/3:5/6/2/0/C:\\Out\\k.xml\n");

  FakeView second;
  dialog = open(&second);
  EXPECT_EQ(second.texts[control::kStartMonth], "5");
  EXPECT_EQ(second.texts[control::kEndMonth], "6");
  EXPECT_EQ(second.texts[control::kPath], "C:\\Out\\k.xml");
  EXPECT_TRUE(second.checked[control::kMembersEquity]);
  EXPECT_FALSE(second.checked[control::kLedger]);
}

}  // namespace
}  // namespace vintor::conditions
