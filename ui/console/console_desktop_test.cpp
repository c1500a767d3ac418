#include "ui/console/console_desktop.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vintor::ui::console {
namespace {

class ConsoleDesktopTest : public ::testing::Test {
 protected:
  // Raw charset: what the desktop writes is CP932, comparable with the literals here.
  ConsoleDesktop Desktop(AnswerPolicy answers, bool interactive, bool quiet = false) {
    return ConsoleDesktop(terminal_, {answers, interactive, quiet, "/home/u"});
  }
  void Input(const std::string& text) { in_.str(text); }

  std::istringstream in_;
  std::ostringstream out_;
  Terminal terminal_{in_, out_, TerminalCharset::kRaw};
};

TEST_F(ConsoleDesktopTest, MessagesShowTheirKind) {
  struct Case {
    unsigned style;
    const char* shown;
  };
  const Case cases[] = {
      {kWarning, "警告: 文\n次\n"},
      {kInformation, "情報: 文\n次\n"},
      {0x10, "エラー: 文\n次\n"},
      {kOk, "文\n次\n"},
  };
  for (const Case& c : cases) {
    out_.str("");
    ConsoleDesktop desktop = Desktop(AnswerPolicy::kAsk, false);
    EXPECT_EQ(desktop.ShowMessage(0, "文\n次", kCaption, c.style), kAnswerOk);
    EXPECT_EQ(out_.str(), c.shown);
  }
}

TEST_F(ConsoleDesktopTest, QuietDropsNoticesOnly) {
  ConsoleDesktop desktop = Desktop(AnswerPolicy::kAsk, false, true);
  desktop.ShowMessage(0, "お知らせ", kCaption, kInformation);
  desktop.ShowMessage(0, "注意", kCaption, kWarning);
  EXPECT_EQ(out_.str(), "警告: 注意\n");
}

TEST_F(ConsoleDesktopTest, QuestionsTakeTheConfiguredOrTypedAnswer) {
  struct Case {
    AnswerPolicy answers;
    bool interactive;
    const char* input;
    int expected;
  };
  const Case cases[] = {
      {AnswerPolicy::kYes, false, "", kAnswerYes},
      {AnswerPolicy::kNo, true, "y\n", kAnswerNo},
      {AnswerPolicy::kAsk, false, "y\n", kAnswerNo},  // nobody to ask: No
      {AnswerPolicy::kAsk, true, "y\n", kAnswerYes},
      {AnswerPolicy::kAsk, true, "maybe\nno\n", kAnswerNo},
      {AnswerPolicy::kAsk, true, "\nYes\n", kAnswerYes},
      {AnswerPolicy::kAsk, true, "", kAnswerNo},  // input ended
  };
  for (const Case& c : cases) {
    Input(c.input);
    in_.clear();
    out_.str("");
    ConsoleDesktop desktop = Desktop(c.answers, c.interactive);
    EXPECT_EQ(desktop.ShowMessage(0, "上書きしますか？", kCaption, kQuestion), c.expected)
        << c.input;
    EXPECT_EQ(out_.str().rfind("確認: 上書きしますか？\n", 0), 0u) << out_.str();
  }
}

TEST_F(ConsoleDesktopTest, SaveFileIsTypedInTheDialogsFolder) {
  struct Case {
    const char* folder;
    const char* input;
    bool chosen;
    const char* path;
  };
  const Case cases[] = {
      {"/data/", "kessan\n", true, "/data/kessan.XML"},
      {"/data/", "kessan.xml\n", true, "/data/kessan.xml"},
      {"/data/", "sub/a\n", true, "/data/sub/a.XML"},
      {"/data/", "/abs/b.xml\n", true, "/abs/b.xml"},
      {"/dir.d/", "c\n", true, "/dir.d/c.XML"},  // a dot in the folder is no extension
      {"", "d.xml\n", true, "/home/u/d.xml"},
      {"rel/", "e.xml\n", true, "/home/u/rel/e.xml"},
      {"/data/", "\n", false, ""},
      {"/data/", "", false, ""},
  };
  for (const Case& c : cases) {
    Input(c.input);
    in_.clear();
    ConsoleDesktop desktop = Desktop(AnswerPolicy::kAsk, true);
    SaveFileRequest request;
    request.title = "保存ファイルを指定";
    request.initial_folder = c.folder;
    request.initial_name = "*.xml";
    request.default_extension = "XML";
    std::string path;
    EXPECT_EQ(desktop.ChooseSaveFile(request, &path), c.chosen) << c.input;
    EXPECT_EQ(path, c.path) << c.input;
  }
}

TEST_F(ConsoleDesktopTest, SaveFileFailsWhenNobodyCanAnswer) {
  Input("kessan.xml\n");
  ConsoleDesktop desktop = Desktop(AnswerPolicy::kYes, false);
  std::string path;
  EXPECT_FALSE(desktop.ChooseSaveFile(SaveFileRequest(), &path));
}

}  // namespace
}  // namespace vintor::ui::console
