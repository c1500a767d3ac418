#include "ui/console/console_dialog.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "conditions/fake_period_library.h"
#include "conditions/path_style.h"
#include "os/fake_os.h"

namespace vintor::ui::console {
namespace {

using conditions::DestinationContext;
using conditions::DestinationOutcome;

const char kRangeRefused[] =
    "警告: 集計期間に誤りがあります。\n\n集計期間を設定しなおしてください。\n";
const char kCancelNotice[] = "情報: ｢決算書｣の集計を中止します。\n";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ConsoleDialogTest : public ::testing::Test {
 protected:
  ConsoleDialogTest()
      : os_(os::FakeOs::PathRules::kPosix),
        desktop_(terminal_, {AnswerPolicy::kAsk, true, false, "/home/u"}),
        dialog_(
            library_, os_, desktop_, conditions::PosixPathStyle(), store_,
            [this](const std::string& path, const DestinationContext&) {
              checked_paths_.push_back(path);
              return outcomes_.empty() ? DestinationOutcome::kAccepted : Next();
            },
            0) {
    library_.files().SetFolder(platform::kFolderOutput, "/data/");
    dialog_.company_law_flag = 1;
    dialog_.introduction_month = 1;
    dialog_.period_start_date = 20020401;
    dialog_.period_end_date = 20030331;
    dialog_.company_name_text = " 山田商店";
    dialog_.period_text = " 2002/04/01～2003/03/31";
  }

  DestinationOutcome Next() {
    DestinationOutcome outcome = outcomes_.front();
    outcomes_.erase(outcomes_.begin());
    return outcome;
  }
  int Run(const ConsoleChoices& choices, bool interactive, const std::string& input = "") {
    in_.str(input);
    return RunConsoleDialog(dialog_, desktop_, choices, interactive);
  }
  std::string Shown() const { return out_.str(); }

  conditions::FakePeriodLibrary library_;
  os::FakeOs os_;
  conditions::MemorySettingsStore store_;
  std::istringstream in_;
  std::ostringstream out_;
  Terminal terminal_{in_, out_, TerminalCharset::kRaw};
  ConsoleDesktop desktop_;
  std::vector<DestinationOutcome> outcomes_;
  std::vector<std::string> checked_paths_;
  conditions::ConditionsDialog dialog_;
};

TEST_F(ConsoleDialogTest, WithoutAUserABadRangeIsShownAndCancels) {
  ConsoleChoices choices;
  choices.start_month = "5";
  choices.end_month = "4";
  EXPECT_EQ(Run(choices, false), kDialogCancelled);
  EXPECT_EQ(Shown(), std::string(kRangeRefused) + kCancelNotice);
  EXPECT_TRUE(checked_paths_.empty());
}

TEST_F(ConsoleDialogTest, WithoutAUserTheChoicesAndProposalsStand) {
  ConsoleChoices choices;
  choices.equity_statement_kind = 2;
  choices.ledger = false;
  choices.output_path = "/out/kessan.xml";
  EXPECT_EQ(Run(choices, false), kDialogExecuted);
  // One line says what the run will do and where each choice came from.
  EXPECT_EQ(Shown(), "条件:" + dialog_.company_name_text +
                         "、4月～3月（既定）、社員資本等変動計算書（オプション）、"
                         "総勘定元帳なし（オプション）、出力先 /out/kessan.xml（オプション）\n");
  EXPECT_EQ(dialog_.start_month_text, "4");
  EXPECT_EQ(dialog_.end_month_text, "3");
  EXPECT_EQ(dialog_.equity_statement_kind, 2);
  EXPECT_EQ(dialog_.ledger_requested, 0);
  EXPECT_EQ(checked_paths_, std::vector<std::string>{"/out/kessan.xml"});
}

TEST_F(ConsoleDialogTest, AsksForWhatIsOpenAndAgainForTheFieldToCorrect) {
  ConsoleChoices choices;
  choices.output_path = "/out/kessan.xml";
  // 5～4 crosses back into the start month: the end month is asked for again.
  EXPECT_EQ(Run(choices, true, "5\n4\n2\nn\n3\n"), kDialogExecuted);
  const std::string shown = Shown();
  EXPECT_TRUE(Contains(shown, "事業所名: 山田商店\n会計期間: 2002/04/01～2003/03/31\n"));
  EXPECT_TRUE(Contains(shown, "集計期間の開始月 [4]: "));
  EXPECT_TRUE(Contains(shown, "集計期間の終了月 [3]: "));
  EXPECT_TRUE(Contains(shown, kRangeRefused));
  EXPECT_TRUE(Contains(shown, "集計期間の終了月 [4]: "));
  EXPECT_FALSE(Contains(shown, "出力先 ["));
  EXPECT_EQ(dialog_.start_month_text, "5");
  EXPECT_EQ(dialog_.end_month_text, "3");
  EXPECT_EQ(dialog_.equity_statement_kind, 2);
  EXPECT_EQ(dialog_.ledger_requested, 0);
}

TEST_F(ConsoleDialogTest, EmptyAnswersKeepTheProposalsAndBadOnesAreAskedAgain) {
  EXPECT_EQ(Run({}, true, "123\nx\n\n\n3\n\nok\n\nout.xml\n"), kDialogExecuted);
  const std::string shown = Shown();
  EXPECT_TRUE(Contains(shown, "月は数字2桁までで入力してください。"));
  EXPECT_TRUE(Contains(shown, "1 か 2 を入力してください。"));
  EXPECT_TRUE(Contains(shown, "y か n を入力してください。"));
  // The console proposes a file, not the save dialog's filter (the test data has no data ID).
  EXPECT_TRUE(Contains(shown, "出力先 [/data/kessansho-20030331.xml]: "));
  EXPECT_EQ(dialog_.start_month_text, "4");
  EXPECT_EQ(dialog_.end_month_text, "3");
  EXPECT_EQ(dialog_.equity_statement_kind, 1);
  EXPECT_EQ(dialog_.ledger_requested, 1);
  // Relative paths are taken where the user started the program.
  EXPECT_EQ(dialog_.output_path, "/home/u/out.xml");
}

TEST_F(ConsoleDialogTest, EndOfInputCancels) {
  EXPECT_EQ(Run({}, true, "4\n"), kDialogCancelled);
  EXPECT_TRUE(Contains(Shown(), kCancelNotice));
  EXPECT_TRUE(checked_paths_.empty());
}

TEST_F(ConsoleDialogTest, RefusedDataEndsBeforeAnyQuestion) {
  dialog_.company_law_flag = 0;
  EXPECT_EQ(Run({}, true, "4\n3\n"), kDialogCancelled);
  EXPECT_FALSE(Contains(Shown(), "集計期間の開始月"));
  EXPECT_FALSE(Contains(Shown(), kCancelNotice));
}

TEST_F(ConsoleDialogTest, DestinationProblemsAskForThePathAgain) {
  ConsoleChoices choices;
  choices.start_month = "4";
  choices.end_month = "3";
  choices.equity_statement_kind = 1;
  choices.ledger = true;
  outcomes_ = {DestinationOutcome::kFocusPath};
  EXPECT_EQ(Run(choices, true, "\n/out/second.xml\n"), kDialogExecuted);
  EXPECT_EQ(checked_paths_,
            (std::vector<std::string>{"/data/kessansho-20030331.xml", "/out/second.xml"}));
}

TEST_F(ConsoleDialogTest, AFileChosenInTheSaveDialogIsCheckedAtOnce) {
  ConsoleChoices choices;
  choices.start_month = "4";
  choices.end_month = "3";
  choices.equity_statement_kind = 1;
  choices.ledger = true;
  outcomes_ = {DestinationOutcome::kBrowse};
  EXPECT_EQ(Run(choices, true, "\n/out/chosen\n"), kDialogExecuted);
  EXPECT_EQ(checked_paths_,
            (std::vector<std::string>{"/data/kessansho-20030331.xml", "/out/chosen.XML"}));
}

TEST_F(ConsoleDialogTest, HostGivenDestinationCannotBeChangedOrCorrected) {
  dialog_.fixed_output_path = "/host/a.xml";
  ConsoleChoices choices;
  choices.output_path = "/out/kessan.xml";
  outcomes_ = {DestinationOutcome::kFocusPath};
  EXPECT_EQ(Run(choices, true, "\n\n\n\n"), kDialogCancelled);
  const std::string shown = Shown();
  EXPECT_TRUE(Contains(shown, "--out は使われません"));
  EXPECT_FALSE(Contains(shown, "出力先 ["));
  EXPECT_TRUE(Contains(shown, kCancelNotice));
  EXPECT_EQ(checked_paths_, std::vector<std::string>{"/host/a.xml"});
}

}  // namespace
}  // namespace vintor::ui::console
