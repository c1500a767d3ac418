// The run sequence in process, on the sample books, through recording seams: what the
// library connection is asked, what the host is told, and the result codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/export_app.h"
#include "books/books_library.h"
#include "main/program_runner.h"
#include "main/scripted_export.h"
#include "os/os.h"
#include "os/scratch_folder.h"
#include "ui/host_windows.h"

namespace vintor::main::testing {
namespace {

// Every call made to the host, one line each.
class RecordingHostWindows : public ui::HostWindows {
 public:
  void Enable(ui::WindowHandle window, bool enabled) override {
    calls.push_back((enabled ? "enable " : "disable ") + std::to_string(window));
  }
  void BringToForeground(ui::WindowHandle window) override {
    calls.push_back("foreground " + std::to_string(window));
  }
  void SetParent(ui::WindowHandle, ui::WindowHandle parent) override {
    calls.push_back("parent " + std::to_string(parent));
  }
  void PostToWindow(ui::WindowHandle window, std::uint32_t message, std::int32_t wparam,
                    std::int32_t lparam) override {
    calls.push_back("post " + std::to_string(window) + " " + std::to_string(message) + " " +
                    std::to_string(wparam) + " " + std::to_string(lparam));
  }
  std::vector<std::string> calls;
};

// The books library with its connection's calls recorded.
class RecordingConnection : public platform::ClAccConnect {
 public:
  explicit RecordingConnection(platform::ClAccConnect& real) : real_(real) {}
  void SetTitle(const std::string& title) override { real_.SetTitle(title); }
  void SetOwnerWindow(platform::WindowHandle owner) override {
    calls.push_back("owner " + std::to_string(owner));
    real_.SetOwnerWindow(owner);
  }
  int SetAppType(platform::AppType type) override {
    calls.push_back("app type " + std::to_string(static_cast<int>(type)));
    return real_.SetAppType(type);
  }
  int SetUseDataType(int type) override { return real_.SetUseDataType(type); }
  int Initiate() override { return Record("Initiate", real_.Initiate()); }
  int ExpSysLink() override { return Record("ExpSysLink", real_.ExpSysLink()); }
  int DispMsg(platform::WindowHandle owner, const std::string& text, const std::string& caption,
              unsigned style) override {
    return real_.DispMsg(owner, text, caption, style);
  }
  int LogOut() override { return Record("LogOut", real_.LogOut()); }
  int Terminate() override { return Record("Terminate", real_.Terminate()); }
  int Release() override { return Record("Release", real_.Release()); }
  std::vector<std::string> calls;

 private:
  int Record(const char* what, int result) {
    calls.push_back(std::string(what) + " " + std::to_string(result));
    return result;
  }
  platform::ClAccConnect& real_;
};

class RecordingLibrary : public platform::AccountingLibrary {
 public:
  explicit RecordingLibrary(books::BooksOptions options)
      : real_(std::move(options)), connection_(real_.Connection()) {}
  platform::ClAccConnect& Connection() override { return connection_; }
  platform::ClDataMgr& DataManager() override { return real_.DataManager(); }
  platform::ClLinkMgr& LinkManager() override { return real_.LinkManager(); }
  platform::ClMsgMgr& MessageManager() override { return real_.MessageManager(); }
  platform::ClFileMgr& FileManager() override { return real_.FileManager(); }
  std::unique_ptr<platform::ClAccPeriod> NewAccPeriod() override { return real_.NewAccPeriod(); }
  std::unique_ptr<platform::ClRuleKamoku> NewRuleKamoku() override { return real_.NewRuleKamoku(); }
  std::unique_ptr<platform::ClRuleMotocho> NewRuleMotocho() override {
    return real_.NewRuleMotocho();
  }
  std::unique_ptr<platform::ClRuleShiwake> NewRuleShiwake() override {
    return real_.NewRuleShiwake();
  }
  std::unique_ptr<platform::ClSaveKessansho> NewSaveKessansho() override {
    return real_.NewSaveKessansho();
  }
  void TaskMemFree(void* buffer) override { real_.TaskMemFree(buffer); }
  RecordingConnection& connection() { return connection_; }

 private:
  books::BooksLibrary real_;
  RecordingConnection connection_;
};

struct Outcome {
  bool started;
  int result;
  std::vector<std::string> connection;
  std::vector<std::string> host;
  std::string messages;
};

class ExportRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ProgramRun sample = RunProgram({VINTOR_TAVREL_PATH, "--books", books(), "sample"});
    ASSERT_EQ(sample.exit_status, 0) << sample.errors;
  }
  std::string books() const { return folder_.PathOf("books.db"); }

  Outcome Run(const std::string& books_path, const std::string& user, const std::string& handshake,
              const char* from = "4", const char* to = "3") {
    ScriptedDesktop desktop;
    books::BooksOptions options;
    options.books_path = books_path;
    options.user_id = user;
    options.display = desktop.Display();
    RecordingLibrary library(options);
    RecordingHostWindows hosts;
    ui::console::ConsoleChoices choices;
    choices.start_month = from;
    choices.end_month = to;
    choices.ledger = false;
    choices.output_path = folder_.PathOf("out.xml");
    app::ExportApp run(ScriptedEnvironment(library, desktop, hosts, choices),
                       {platform::AppType::kElm, "Tavrel２１ Elm", "VintorElm.env"});
    Outcome outcome;
    outcome.started = run.Start(handshake);
    run.Exit();
    outcome.result = run.result_code();
    outcome.connection = library.connection().calls;
    outcome.host = hosts.calls;
    outcome.messages = desktop.messages();
    return outcome;
  }

  os::ScratchFolder folder_{os::SystemOs()};
};

using Calls = std::vector<std::string>;

TEST_F(ExportRunTest, ResultsAndWhatTheHostIsTold) {
  const Calls closing = {"LogOut 0", "Terminate 0", "Release 0"};
  struct Case {
    const char* what;
    std::string books;
    std::string user;
    std::string handshake;
    const char* from;
    int result;
    Calls connection;
    Calls host;
  } const cases[] = {
      {"a finished run with a host",
       books(),
       "",
       "77,1025,9,",
       "4",
       0,
       {"app type 3", "Initiate 0", "owner 77", "ExpSysLink 0", "LogOut 0", "Terminate 0",
        "Release 0"},
       {"disable 77", "parent 77", "foreground 77", "enable 77", "post 77 1025 9 0", "enable 77"}},
      {"books that do not open: the host is told, the connection is still closed",
       folder_.PathOf("missing.db"),
       "",
       "77,1025,9,",
       "4",
       2,
       {"app type 3", "Initiate 7001", "LogOut 0", "Terminate 0", "Release 0"},
       {"foreground 77", "enable 77", "post 77 1025 9 2", "enable 77"}},
      {"a user without a selected company",
       books(),
       "guest",
       "77,1025,9,",
       "4",
       1,
       {"app type 3", "Initiate 0", "owner 77", "ExpSysLink 1", "LogOut 0", "Terminate 0",
        "Release 0"},
       {"disable 77", "foreground 77", "enable 77", "post 77 1025 9 1", "enable 77"}},
      {"an unknown user",
       books(),
       "nobody",
       "77,1025,9,",
       "4",
       2,
       {"app type 3", "Initiate 0", "owner 77", "ExpSysLink 2", "LogOut 0", "Terminate 0",
        "Release 0"},
       {"disable 77", "foreground 77", "enable 77", "post 77 1025 9 2", "enable 77"}},
      {"a cancelled dialog",
       books(),
       "",
       "77,1025,9,",
       "5",
       1,
       {"app type 3", "Initiate 0", "owner 77", "ExpSysLink 0", "LogOut 0", "Terminate 0",
        "Release 0"},
       {"disable 77", "foreground 77", "enable 77", "post 77 1025 9 1", "enable 77"}},
      {"stand-alone",
       books(),
       "",
       "",
       "4",
       0,
       {"app type 3", "Initiate 0", "ExpSysLink 0", "LogOut 0", "Terminate 0", "Release 0"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome outcome = Run(c.books, c.user, c.handshake, c.from, c.from[0] == '5' ? "4" : "3");
    EXPECT_EQ(outcome.started, c.result == 0) << outcome.messages;
    EXPECT_EQ(outcome.result, c.result) << outcome.messages;
    EXPECT_EQ(outcome.connection, c.connection);
    EXPECT_EQ(outcome.host, c.host);
  }
}

TEST(UnsupportedNotesWarningTest, ListsTheDisplayedNotesInTableOrder) {
  std::uint8_t flags[50] = {};
  EXPECT_EQ(app::UnsupportedNotesWarning(flags), "");
  flags[33] = 1;
  flags[16] = 2;
  flags[15] = 1;  // any other flag never warns
  EXPECT_EQ(
      app::UnsupportedNotesWarning(flags),
      "以下の注記は連動に対応していません。\nこれらの注記はCorvel上で手入力してください。\n\n"
      "・金融商品に関する注記\n・収益認識に関する注記\n\nこれらの注記を除いて処理を続行します。");
}

}  // namespace
}  // namespace vintor::main::testing
