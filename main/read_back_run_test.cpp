// The read-back through the run: when the file on the disk is not what the run wrote (an Os
// that alters bytes on their way, as a faulty disk or driver would), the run fails as a
// failed write (result 2, the failure message and what the read-back found) and the
// destination keeps its previous content.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/export_app.h"
#include "books/books_library.h"
#include "main/program_runner.h"
#include "main/scripted_export.h"
#include "os/fault_injection.h"
#include "os/scratch_folder.h"
#include "text/encoding.h"

namespace vintor::main::testing {
namespace {

TEST(ReadBackRunTest, AFileThatDiffersFromWhatWasWrittenFailsTheRunAndKeepsTheOldOne) {
  os::ScratchFolder folder(os::SystemOs());
  const std::string books_path = folder.PathOf("books.db");
  const std::string out = folder.PathOf("out.xml");
  ASSERT_EQ(RunProgram({VINTOR_TAVREL_PATH, "--books", books_path, "sample"}).exit_status, 0);

  const struct {
    const char* name;
    const char* from;   // what the disk is given
    const char* to;     // what it keeps instead
    const char* found;  // what the run says it found
  } cases[] = {
      {"nothing altered", "", "", nullptr},
      {"an amount of a statement", "Amount=\"1", "Amount=\"2", "書いた内容と一致しません"},
      {"a label", "Label=\"", "Label=\"X", "書いた内容と一致しません"},
      {"a closing tag", "</Item>", "</Itex>", "正しい XML ではありません"},
      // 現 is the bytes 8C BB: as references to those byte values it must not pass for them.
      {"a character as references to its bytes", "Label=\"現", "Label=\"&#140;&#187;",
       "正しい XML ではありません"},
      // The ledger is compared by its bytes.
      {"an amount of the ledger", "<QZ00780S0110>1", "<QZ00780S0110>2",
       "書いたバイト列と一致しません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(out, std::ios::binary | std::ios::trunc) << "the previous report";
    ScriptedDesktop desktop;
    books::BooksOptions options;
    options.books_path = books_path;
    options.display = desktop.Display();
    books::BooksLibrary library(options);
    os::FaultInjectingOs os(os::SystemOs());
    os.AlterWrites(out, c.from, c.to);
    NoHostWindows host;
    ui::console::ConsoleChoices choices;
    choices.start_month = "4";
    choices.end_month = "3";
    choices.ledger = true;
    choices.output_path = out;
    app::ExportApp run(ScriptedEnvironment(library, desktop, host, choices, nullptr, &os),
                       {platform::AppType::kOak, "Tavrel２１ Oak", "VintorOak.env"});
    run.Start("");
    run.Exit();
    if (c.found == nullptr) {
      EXPECT_EQ(run.result_code(), 0) << desktop.messages();
      EXPECT_NE(ReadFileBytes(out), "the previous report");
      continue;
    }
    EXPECT_EQ(run.result_code(), 2) << desktop.messages();
    EXPECT_NE(desktop.messages().find(Utf8("XMLファイルの出力に失敗しました。")), std::string::npos)
        << desktop.messages();
    EXPECT_NE(desktop.messages().find(Utf8(c.found)), std::string::npos) << desktop.messages();
    EXPECT_EQ(ReadFileBytes(out), "the previous report");
  }
}

}  // namespace
}  // namespace vintor::main::testing
