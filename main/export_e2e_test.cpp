// The exporter end to end on Linux: the real programs on the sample books, as a user or a
// host starts them. The report of the sample company is compared byte for byte with the
// reviewed file main/testdata/VintorOak-sample.xml.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "books/books_data.h"
#include "books/books_store.h"
#include "main/program_runner.h"
#include "os/scratch_folder.h"
#include "text/encoding.h"

namespace vintor::main::testing {
namespace {

// The lines of a report that differ from another's.
std::vector<std::string> DifferingLines(const std::string& a, const std::string& b) {
  std::vector<std::string> differences;
  std::size_t pa = 0;
  std::size_t pb = 0;
  while (pa < a.size() || pb < b.size()) {
    const std::size_t ea = std::min(a.find('\n', pa), a.size());
    const std::size_t eb = std::min(b.find('\n', pb), b.size());
    const std::string la = a.substr(pa, ea - pa);
    const std::string lb = b.substr(pb, eb - pb);
    if (la != lb) differences.push_back(la + " | " + lb);
    pa = ea + 1;
    pb = eb + 1;
  }
  return differences;
}

// The content of the first element line that holds the text, e.g. the amount of an item.
std::string ElementText(const std::string& report, const std::string& tag_and_label) {
  const std::size_t at = report.find(tag_and_label);
  if (at == std::string::npos) return "(missing)";
  const std::size_t open_end = report.find('>', at);
  const std::size_t close = report.find('<', open_end);
  return report.substr(open_end + 1, close - open_end - 1);
}

std::string AttributeValue(const std::string& report, const std::string& element,
                           const std::string& attribute) {
  const std::size_t at = report.find("<" + element + " ");
  if (at == std::string::npos) return "(missing)";
  const std::size_t name = report.find(attribute + "=\"", at);
  const std::size_t start = name + attribute.size() + 2;
  return report.substr(start, report.find('"', start) - start);
}

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ProgramRun sample = RunProgram({VINTOR_TAVREL_PATH, "--books", books(), "sample"});
    ASSERT_EQ(sample.exit_status, 0) << sample.errors;
  }

  std::string books() const { return folder_.PathOf("books.db"); }
  std::string out() const { return folder_.PathOf("out.xml"); }
  std::string settings(const std::string& name) const {
    return folder_.PathOf("vintor-settings/" + name);
  }

  ProgramRun Export(const std::string& program, std::vector<std::string> options,
                    const ProgramOptions& run_options = {}) {
    std::vector<std::string> argv = {program, "--books", books()};
    argv.insert(argv.end(), options.begin(), options.end());
    return RunProgram(argv, run_options);
  }

  ProgramRun ExportYear(const std::string& program) {
    return Export(program, {"--from", "4", "--to", "3", "--equity", "1", "--ledger", "--out", out(),
                            "--yes"});
  }

  os::ScratchFolder folder_{os::SystemOs()};
};

TEST_F(ExportTest, TheSampleReportIsTheReviewedOne) {
  const ProgramRun run = ExportYear(VINTOR_OAK_PATH);
  ASSERT_EQ(run.exit_status, 0) << run.errors;
  const std::string report = ReadFileBytes(out());
  const std::string golden = ReadFileBytes(VINTOR_SOURCE_DIR "/main/testdata/VintorOak-sample.xml");
  ASSERT_FALSE(golden.empty());
  EXPECT_TRUE(report == golden) << "differing lines:\n"
                                << ::testing::PrintToString(DifferingLines(report, golden));
  EXPECT_EQ(report.substr(0, 40), "<?xml version=\"1.0\" encoding=\"Shift_JIS\"");
  EXPECT_NE(run.errors.find(Utf8("決算書情報の出力が終了しました。")), std::string::npos);
  // The sample displays the financial-instruments note, which the report cannot carry.
  EXPECT_NE(
      run.errors.find(Utf8("以下の注記は連動に対応していません。\nこれらの注記はCorvel上で手入力"
                           "してください。\n\n・金融商品に関する注記\n")),
      std::string::npos)
      << run.errors;

  const ProgramRun lint = RunProgram({"/usr/bin/xmllint", "--noout", out()});
  EXPECT_EQ(lint.exit_status, 0) << lint.errors;
  EXPECT_FALSE(ReadFileBytes(settings("VintorOak.env")).empty());
}

// The companies that exercise what company 1 does not, each with its reviewed report.
TEST_F(ExportTest, EverySampleCompanysReportIsTheReviewedOne) {
  struct Case {
    const char* what;
    std::vector<std::string> options;
    const char* golden;
  } const cases[] = {
      {"calendar year, tax included, bookkeeping begun in April, no cost schedule, notes off",
       {"--data", "4", "--from", "1", "--to", "12", "--equity", "1"},
       "VintorOak-company4.xml"},
      {"closing on the 20th across the calendar year, members' equity, notes on",
       {"--data", "5", "--from", "4", "--to", "3", "--equity", "2"},
       "VintorOak-company5.xml"},
      {"six-month year with interim and year-end closing periods",
       {"--data", "6", "--from", "4", "--to", "9", "--equity", "1"},
       "VintorOak-company6.xml"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> options = c.options;
    options.insert(options.end(), {"--ledger", "--out", out(), "--yes"});
    const ProgramRun run = Export(VINTOR_OAK_PATH, options);
    ASSERT_EQ(run.exit_status, 0) << run.errors;
    const std::string report = ReadFileBytes(out());
    const std::string golden =
        ReadFileBytes(std::string(VINTOR_SOURCE_DIR "/main/testdata/") + c.golden);
    ASSERT_FALSE(golden.empty());
    EXPECT_TRUE(report == golden) << "differing lines:\n"
                                  << ::testing::PrintToString(DifferingLines(report, golden));
    const ProgramRun lint = RunProgram({"/usr/bin/xmllint", "--noout", out()});
    EXPECT_EQ(lint.exit_status, 0) << lint.errors;
  }
}

TEST_F(ExportTest, TheEditionsDifferOnlyInTheirProgramName) {
  const ProgramRun oak = ExportYear(VINTOR_OAK_PATH);
  ASSERT_EQ(oak.exit_status, 0) << oak.errors;
  const std::string oak_report = ReadFileBytes(out());
  struct Case {
    const char* program;
    const char* settings;
    const char* name;
  } const cases[] = {{VINTOR_ASH_PATH, "VintorAsh.env", "Tavrel２１"},
                     {VINTOR_ELM_PATH, "VintorElm.env", "Tavrel２１ Elm"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    const ProgramRun run = ExportYear(c.program);
    ASSERT_EQ(run.exit_status, 0) << run.errors;
    const std::vector<std::string> differences = DifferingLines(ReadFileBytes(out()), oak_report);
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0],
              "\t\t<PROGRAMNAME>" + std::string(c.name) +
                  "</PROGRAMNAME>\r | \t\t<PROGRAMNAME>Tavrel２１ Oak</PROGRAMNAME>\r");
    EXPECT_FALSE(ReadFileBytes(settings(c.settings)).empty());
  }
}

TEST_F(ExportTest, RangesTotalWhatTheMonthsHold) {
  struct Case {
    const char* from;
    const char* to;
    std::vector<std::pair<std::string, std::string>> items;  // item label, amount
    std::vector<std::pair<std::string, std::string>> headings;
  } const cases[] = {
      // Inside the year, ending with the interim closing period.
      {"4",
       "9",
       {{"当座預金", "1250000"}, {"仮払金", "(missing)"}, {"売掛金", "6809000"}},
       {{"Assets", "56239253"}, {"OperatingIncome", "1559049"}, {"OrdinaryIncome", "1498533"}}},
      // Ending with the year: the year-end closing block counts.
      {"10",
       "3",
       {{"当座預金", "-450000"}, {"普通預金", "14209825"}},
       {{"NetSales", "36260000"},
        {"OrdinaryIncome", "3239105"},
        {"ExtraordinaryIncome", "-50000"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + "-" + c.to);
    const ProgramRun run = Export(
        VINTOR_OAK_PATH, {"--from", c.from, "--to", c.to, "--no-ledger", "--out", out(), "--yes"});
    ASSERT_EQ(run.exit_status, 0) << run.errors;
    const std::string report = ReadFileBytes(out());
    for (const auto& [label, amount] : c.items) {
      EXPECT_EQ(ElementText(report, "<Item Label=\"" + label + "\">"), amount) << Utf8(label);
    }
    for (const auto& [element, amount] : c.headings) {
      EXPECT_EQ(AttributeValue(report, element, "Amount"), amount) << element;
    }
  }
}

// UTF-8 text in another codeset (for a locale's arguments and messages); empty when it
// does not convert.
std::string InCodeset(const std::string& utf8, const char* codeset) {
  iconv_t converter = iconv_open(codeset, "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out(utf8.size() * 2 + 8, '\0');
  char* in_at = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size();
  char* out_at = out.data();
  std::size_t out_left = out.size();
  const bool converted = iconv(converter, &in_at, &in_left, &out_at, &out_left) != (size_t)-1;
  iconv_close(converter);
  if (!converted) return {};
  out.resize(out.size() - out_left);
  return out;
}

// File names, arguments and messages come out right whatever the locale: the C locale
// counts as UTF-8 (file names on Linux are), others convert with their own codeset.
TEST_F(ExportTest, FileNamesAndMessagesAreRightInEveryLocale) {
  // An EUC-JP locale of our own, when the machine can build one.
  const std::string locales = folder_.PathOf("locales");
  const bool euc =
      RunProgram({"/usr/bin/mkdir", "-p", locales}).exit_status == 0 &&
      RunProgram({"/usr/bin/localedef", "-i", "ja_JP", "-f", "EUC-JP", locales + "/ja_JP.eucJP"})
              .exit_status == 0;
  struct Case {
    const char* locale;
    const char* codeset;  // of arguments and messages
  } const cases[] = {{"C", "UTF-8"},
                     {"POSIX", "UTF-8"},
                     {"C.UTF-8", "UTF-8"},
                     {"ja_JP.UTF-8", "UTF-8"},
                     {"ja_JP.eucJP", "EUC-JP"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locale);
    if (std::string(c.codeset) == "EUC-JP" && !euc) continue;
    const std::string name = Utf8("名前.xml");
    const std::string finished = Utf8("決算書情報の出力が終了しました。");
    ProgramOptions in_locale;
    in_locale.environment = {std::string("LANG=") + c.locale, std::string("LC_ALL=") + c.locale,
                             "LOCPATH=" + locales};
    const ProgramRun run = Export(VINTOR_OAK_PATH,
                                  {"--from", "4", "--to", "3", "--no-ledger", "--out",
                                   InCodeset(folder_.PathOf(name), c.codeset), "--yes"},
                                  in_locale);
    EXPECT_EQ(run.exit_status, 0) << run.errors;
    struct stat written {};
    EXPECT_EQ(stat(folder_.PathOf(name).c_str(), &written), 0) << "the file has its UTF-8 name";
    EXPECT_NE(run.errors.find(InCodeset(finished, c.codeset)), std::string::npos) << run.errors;
    std::remove(folder_.PathOf(name).c_str());
  }
}

// The hidden temporary files (".~XXXXXX") in a folder.
int TemporaryFilesIn(const std::string& folder) {
  int count = 0;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir))
      count += std::string(entry->d_name).rfind(".~", 0) == 0;
    closedir(dir);
  }
  return count;
}

// An interrupt while the report is being written removes the temporary file and keeps the
// old report; the program ends by the signal, as a shell expects.
TEST_F(ExportTest, AnInterruptDuringTheWriteLeavesTheOldReportAndNoTemporaryFile) {
  const std::string big = folder_.PathOf("big.db");
  ASSERT_EQ(RunProgram({VINTOR_TAVREL_PATH, "--books", big, "generate", "--accounts", "300",
                        "--lines", "100000"})
                .exit_status,
            0);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    std::ofstream(out(), std::ios::binary | std::ios::trunc) << "the old report";
    const std::vector<std::string> argv = {VINTOR_OAK_PATH, "--books", big,        "--from", "4",
                                           "--to",          "3",       "--ledger", "--out",  out(),
                                           "--yes",         "--quiet"};
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    char lang[] = "LC_ALL=C.UTF-8";
    char* env[] = {lang, nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), env), 0);
    // Interrupt once the report is being written, not before.
    for (int waited = 0; waited < 20'000 && TemporaryFilesIn(folder_.path()) == 0; ++waited)
      usleep(500);
    kill(pid, signal_number);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_EQ(TemporaryFilesIn(folder_.path()), 0);
    EXPECT_EQ(ReadFileBytes(out()), "the old report");
  }
}

// A run says what it is about to do, where each choice came from, and what it wrote.
TEST_F(ExportTest, EachRunSaysWhatItDidAndWhereItsChoicesCameFrom) {
  struct Case {
    std::vector<std::string> options;
    const char* conditions;  // part of the conditions line
  } const cases[] = {
      {{"--from", "4", "--to", "4", "--no-ledger"}, "4月～4月（オプション）"},
      {{}, "4月～4月（保存された設定）"},
      {{"--no-saved-settings"}, "4月～3月（既定）"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> options = c.options;
    options.insert(options.end(), {"--out", out(), "--yes"});
    const ProgramRun run = Export(VINTOR_OAK_PATH, options);
    ASSERT_EQ(run.exit_status, 0) << run.errors;
    EXPECT_NE(run.errors.find(Utf8(c.conditions)), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find(Utf8("出力: ") + out() + Utf8("（")), std::string::npos)
        << run.errors;
  }
  const ProgramRun quiet =
      Export(VINTOR_OAK_PATH, {"--out", out(), "--yes", "--quiet", "--from", "4", "--to", "3"});
  EXPECT_EQ(quiet.errors.find(Utf8("条件:")), std::string::npos) << quiet.errors;
  EXPECT_EQ(quiet.errors.find(Utf8("出力: ")), std::string::npos) << quiet.errors;
}

// Messages that send a user to the product's screens, or to books that are not there, get a
// hint in our own terms on the line after them.
TEST_F(ExportTest, RefusalsAndMissingBooksComeWithAHintForLinux) {
  struct Case {
    std::vector<std::string> options;
    int status;
    const char* hint;
  } const cases[] = {
      {{"--books", folder_.PathOf("none.db")}, 2, "ヒント: tavrel sample"},
      {{"--books", books(), "--data", "2"}, 1, "ヒント: 過去実績データ"},
      {{"--books", books(), "--data", "3"},
       1,
       "ヒント: 会計データの companies.csv で companies_act"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = {VINTOR_OAK_PATH};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.insert(argv.end(), {"--out", out(), "--yes"});
    const ProgramRun run = RunProgram(argv);
    EXPECT_EQ(run.exit_status, c.status) << run.errors;
    EXPECT_NE(run.errors.find(Utf8(c.hint)), std::string::npos) << run.errors;
  }
}

// Under --strict a report written with warnings (the sample's unclassified fixed asset and
// unsupported note) ends with 3; without warnings, or without --strict, with 0.
TEST_F(ExportTest, StrictRunsTellAReportWrittenWithWarnings) {
  struct Case {
    std::vector<std::string> options;
    int status;
  } const cases[] = {
      {{"--strict"}, 3},
      {{}, 0},
      {{"--strict", "--data", "4", "--from", "1", "--to", "12"}, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> options = c.options;
    options.insert(options.end(), {"--out", out(), "--yes"});
    const ProgramRun run = Export(VINTOR_OAK_PATH, options);
    EXPECT_EQ(run.exit_status, c.status) << run.errors;
    EXPECT_FALSE(ReadFileBytes(out()).empty());
  }
}

TEST_F(ExportTest, RefusedAndCancelledRunsWriteNothing) {
  struct Case {
    const char* what;
    std::vector<std::string> options;
    std::string message;
  } const cases[] = {
      {"past results", {"--data", "2"}, "過去実績データは、連携の対象として使用できません。"},
      {"not converted for the Companies Act", {"--data", "3"}, "会社法(H18.5施行)に対応していない"},
      {"a month range running backwards",
       {"--from", "5", "--to", "4"},
       "集計期間に誤りがあります。"},
      {"a company that does not exist", {"--data", "9"}, "選択された会計データ(9)がありません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> options = c.options;
    options.insert(options.end(), {"--out", out(), "--yes"});
    const ProgramRun run = Export(VINTOR_OAK_PATH, options);
    EXPECT_EQ(run.exit_status, 1) << run.errors;
    EXPECT_NE(run.errors.find(Utf8(c.message)), std::string::npos) << run.errors;
    EXPECT_EQ(ReadFileBytes(out()), "");
    EXPECT_EQ(ReadFileBytes(settings("VintorOak.env")), "");
  }
}

TEST_F(ExportTest, AFailedWriteLeavesTheDestinationAsItWas) {
  const std::string before = "the report of last year\r\n";
  {
    std::FILE* file = std::fopen(out().c_str(), "wb");
    std::fwrite(before.data(), 1, before.size(), file);
    std::fclose(file);
  }
  ProgramOptions limited;
  limited.file_size_limit = 4096;  // the report is larger: its writing fails part way
  const ProgramRun run = Export(
      VINTOR_OAK_PATH, {"--from", "4", "--to", "3", "--ledger", "--out", out(), "--yes"}, limited);
  EXPECT_EQ(run.exit_status, 2) << run.errors;
  EXPECT_NE(run.errors.find(Utf8("XMLファイルの出力に失敗しました。")), std::string::npos);
  // A line after it says where, and the system's reason.
  EXPECT_NE(run.errors.find(Utf8("詳細: 出力先 ") + out() + ": File too large"), std::string::npos)
      << run.errors;
  EXPECT_EQ(ReadFileBytes(out()), before);
  EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"books.db", "out.xml"}));
  EXPECT_EQ(ReadFileBytes(settings("VintorOak.env")), "");
}

// The kind of file at path as lstat sees it, with its content when it is a plain file.
std::string WhatStandsAt(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return "nothing";
  if (S_ISLNK(status.st_mode)) return "link";
  if (S_ISFIFO(status.st_mode)) return "fifo";
  if (S_ISCHR(status.st_mode)) return "device";
  if (S_ISDIR(status.st_mode)) return "folder";
  const std::string content = ReadFileBytes(path);
  return content.rfind("<?xml", 0) == 0 ? "report" : "file: " + content;
}

// Only what a create-or-truncate write could have replaced is replaced; anything else is
// refused with the failure message and a line that says why, and stays as it was.
TEST_F(ExportTest, OnlyWhatATruncatingWriteCouldReplaceIsReplaced) {
  const bool root = geteuid() == 0;  // root may write a write-protected file
  const std::string elsewhere = folder_.PathOf("elsewhere");
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0755), 0);
  struct Case {
    const char* what;
    std::function<void(const std::string& path)> prepare;
    std::string destination;  // out() when empty
    bool hosted;              // the destination comes in the hand-shake
    const char* reason;       // null: the report is written
    const char* after;        // what stands at the destination afterwards
    std::string followed;     // a link's target, and what it holds afterwards
    // A user other than root may not write /dev: the dialog's drive check refuses first.
    bool dialog_refuses_unless_root = false;
  } const cases[] = {
      {"a link to a report elsewhere",
       [&](const std::string& path) {
         std::ofstream(elsewhere + "/old.xml") << "old";
         ASSERT_EQ(symlink("elsewhere/old.xml", path.c_str()), 0);
       },
       "", false, nullptr, "link", elsewhere + "/old.xml"},
      {"a link to a report not yet written",
       [&](const std::string& path) { ASSERT_EQ(symlink("elsewhere/new.xml", path.c_str()), 0); },
       "", false, nullptr, "link", elsewhere + "/new.xml"},
      {"a write-protected file",
       [](const std::string& path) {
         std::ofstream(path) << "old";
         ASSERT_EQ(chmod(path.c_str(), 0444), 0);
       },
       "", false, root ? nullptr : "Permission denied", root ? "report" : "file: old", ""},
      {"a FIFO", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0644), 0); }, "",
       false, "通常のファイルではありません", "fifo", ""},
      {"/dev/null", [](const std::string&) {}, "/dev/null", false, "通常のファイルではありません",
       "device", "", true},
      {"/dev/null in the hand-shake", [](const std::string&) {}, "/dev/null", true,
       "通常のファイルではありません", "device", "", true},
      {"a folder in the hand-shake",
       [](const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0755), 0); }, "", true,
       "フォルダです", "folder", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string destination = c.destination.empty() ? out() : c.destination;
    std::filesystem::remove_all(out());
    std::filesystem::remove(elsewhere + "/new.xml");
    c.prepare(destination);
    std::vector<std::string> options = {"--from", "4", "--to", "3", "--yes"};
    if (c.hosted) {
      options.push_back("1,1025,7," + destination);  // no host listens: the run is alone
    } else {
      options.insert(options.end(), {"--out", destination});
    }
    const ProgramRun run = Export(VINTOR_OAK_PATH, options);
    if (c.dialog_refuses_unless_root && !root) {
      EXPECT_EQ(run.exit_status, 1) << run.errors;
      EXPECT_NE(run.errors.find(Utf8("ドライブ名が有効でありません。")), std::string::npos);
    } else if (c.reason == nullptr) {
      EXPECT_EQ(run.exit_status, 0) << run.errors;
    } else {
      EXPECT_EQ(run.exit_status, 2) << run.errors;
      EXPECT_NE(run.errors.find(Utf8("XMLファイルの出力に失敗しました。")), std::string::npos);
      EXPECT_NE(run.errors.find(Utf8("詳細: 出力先 ") + destination + ": " + Utf8(c.reason)),
                std::string::npos)
          << run.errors;
    }
    EXPECT_EQ(WhatStandsAt(destination), c.after);
    if (!c.followed.empty()) {
      EXPECT_EQ(WhatStandsAt(c.followed), "report");
    }
    EXPECT_EQ(TemporaryFilesIn(folder_.path()), 0);
  }
}

// Settings that cannot be saved are said to be lost; settings other users can change are
// not used. Neither stops the report, and a FIFO never stops the run.
TEST_F(ExportTest, SettingsThatCannotBeSavedOrTrustedAreToldAndTheReportIsWritten) {
  const bool root = geteuid() == 0;  // root may write into a read-only folder
  const std::string folder = settings("");
  const std::string file = settings("VintorOak.env");
  struct Case {
    const char* what;
    std::function<void()> prepare;
    const char* warning;  // part of the warning line, or null when the run says nothing more
  } const cases[] = {
      {"a FIFO as the settings file", [&] { ASSERT_EQ(mkfifo(file.c_str(), 0644), 0); },
       "詳細: 設定ファイル "},
      {"a folder as the settings file", [&] { ASSERT_EQ(mkdir(file.c_str(), 0755), 0); },
       "フォルダです"},
      {"a read-only settings folder", [&] { ASSERT_EQ(chmod(folder.c_str(), 0555), 0); },
       root ? nullptr : "Permission denied"},
      {"a settings file anyone can write",
       [&] {
         std::ofstream(file) << "admin/1/1:4/4/1/1//somewhere/else.xml\n";
         ASSERT_EQ(chmod(file.c_str(), 0666), 0);
       },
       "は他の利用者も書き換えられます。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder);
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    c.prepare();
    const ProgramRun run = Export(VINTOR_OAK_PATH, {"--out", out(), "--yes"});
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(run.exit_status, 0) << run.errors;
    EXPECT_EQ(WhatStandsAt(out()), "report");
    if (c.warning == nullptr) {
      EXPECT_EQ(run.errors.find(Utf8("警告: 今回の条件")), std::string::npos) << run.errors;
    } else {
      EXPECT_NE(run.errors.find(Utf8(c.warning)), std::string::npos) << run.errors;
    }
    EXPECT_EQ(run.errors.find(Utf8("（保存された設定）")), std::string::npos) << run.errors;
  }
  // A file only its owner can write is believed again.
  ASSERT_EQ(chmod(file.c_str(), 0644), 0);
  const ProgramRun run = Export(VINTOR_OAK_PATH, {"--out", out(), "--yes"});
  EXPECT_NE(run.errors.find(Utf8("（保存された設定）")), std::string::npos) << run.errors;
}

// A run removes the temporary files that runs killed with kill -9 left beside its
// destination, and only those: one that another run still writes (it holds the lock) and
// names that are not of the program's making stay.
TEST_F(ExportTest, AbandonedTemporaryFilesBesideTheDestinationAreRemoved) {
  for (const char* name : {".~Abc123", ".~Held12", ".~ab-c12", "x.~Abc123"})
    std::ofstream(folder_.PathOf(name)) << "partial report";
  const int held = open(folder_.PathOf(".~Held12").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  const ProgramRun run = ExportYear(VINTOR_OAK_PATH);
  close(held);
  EXPECT_EQ(run.exit_status, 0) << run.errors;
  EXPECT_EQ(folder_.Names(), (std::vector<std::string>{".~Held12", ".~ab-c12", "books.db",
                                                       "out.xml", "vintor-settings", "x.~Abc123"}));
}

// Books whose cash account ends at 10^14 yen, an amount too large to total.
books::BooksData BooksBeyondTheLimit() {
  books::BooksData data;
  data.current_user = "admin";
  books::User admin;
  admin.user_id = "admin";
  admin.selected_data = 1;
  data.users.push_back(admin);
  books::CompanyBooks company;
  company.company.data_number = 1;
  company.company.data_id = "BIG";
  company.company.name = "大口商事";
  company.company.first_day = 20250401;
  company.company.last_day = 20260331;
  books::Account cash;
  cash.key = 1110000;
  cash.formal_name = "現金";
  cash.character = 0x80880001;
  books::Account sales;
  sales.key = 4110000;
  sales.formal_name = "売上高";
  sales.character = 0x40888001;
  sales.debit_nature = false;
  company.accounts = {cash, sales};
  const std::int64_t largest = 999'999'999'999'999;  // 99 999 999 999.9999 yen
  for (int k = 1; k <= 1001; ++k) {
    books::Voucher voucher;
    voucher.journal_key = k;
    voucher.number = k;
    voucher.date = 20250410;
    books::JournalLine line;
    line.line_number = 1;
    line.debit_key = cash.key;
    line.debit_amount = largest;
    line.credit_key = sales.key;
    line.credit_amount = largest;
    voucher.lines.push_back(line);
    company.vouchers.push_back(voucher);
  }
  data.companies.push_back(company);
  return data;
}

TEST_F(ExportTest, AnAmountTooLargeToTotalFailsTheRunWithoutAReport) {
  std::string error;
  ASSERT_TRUE(books::WriteBooksFile(books(), BooksBeyondTheLimit(), &error)) << error;
  const ProgramRun run =
      Export(VINTOR_OAK_PATH, {"--from", "4", "--to", "3", "--out", out(), "--yes"});
  EXPECT_EQ(run.exit_status, 2) << run.errors;
  EXPECT_NE(run.errors.find(Utf8("XMLファイルの出力に失敗しました。")), std::string::npos);
  EXPECT_EQ(ReadFileBytes(out()), "");
}

// The host's side of a hand-shake, as the test host records it.
class HandshakeTest : public ExportTest {
 protected:
  // Runs the exporter under the test host with the hand-shake text; answers what the host
  // received, one datagram per line, and the exit line.
  std::string RunHosted(const std::string& handshake, std::vector<std::string> options,
                        const ProgramOptions& run_options = {}) {
    const std::string record = folder_.PathOf("host.txt");
    std::vector<std::string> argv = {VINTOR_TEST_HOST_PATH,
                                     "--window",
                                     "4242",
                                     "--raw-handshake",
                                     handshake,
                                     "--record",
                                     record,
                                     "--",
                                     VINTOR_OAK_PATH,
                                     "--books",
                                     books()};
    argv.insert(argv.end(), options.begin(), options.end());
    // Each test's host sockets live in its own folder, so tests may run side by side.
    ProgramOptions hosted = run_options;
    hosted.environment.push_back("XDG_RUNTIME_DIR=" + folder_.path());
    last_run_ = RunProgram(argv, hosted);
    return ReadFileBytes(record);
  }

  std::string Report() { return ReadFileBytes(out()); }

  ProgramRun last_run_;
};

// A run that got past the dialog makes its progress window a child of the host's.
std::string Expected(int lparam, int wparam) {
  const bool totalled = lparam != 1;
  return std::string("disable\n") + (totalled ? "parent PID\n" : "") +
         "foreground\nenable\npost 1024 " + std::to_string(wparam) + " " + std::to_string(lparam) +
         "\nenable\nexit " + std::to_string(lparam) + "\n";
}

// The pid in "parent <pid>" differs from run to run.
std::string WithoutPid(std::string record) {
  const std::size_t at = record.find("parent ");
  if (at != std::string::npos) record.replace(at + 7, record.find('\n', at) - at - 7, "PID");
  return record;
}

TEST_F(HandshakeTest, TheHostIsToldTheOutcome) {
  struct Case {
    const char* what;
    std::string handshake;
    std::vector<std::string> options;
    int result;
    int wparam;
    const char* function_id;  // written into the report, or null when none is written
  } const cases[] = {
      {"valid, the user chooses the path",
       "4242,1024,7,",
       {"--out", "OUT", "--from", "4", "--to", "3"},
       0,
       7,
       "7"},
      {"the host dictates the path", "4242,1024,7,OUT", {"--from", "4", "--to", "3"}, 0, 7, "7"},
      {"a function number above 16 bits",
       "4242,1024,70000,OUT",
       {"--from", "4", "--to", "3"},
       0,
       4464,
       "4464"},
      {"a function number read as negative",
       "4242,1024,40000,OUT",
       {"--from", "4", "--to", "3"},
       0,
       -25536,
       "-25536"},
      {"a cancelled run", "4242,1024,7,OUT", {"--from", "5", "--to", "4"}, 1, 7, nullptr},
      {"a path with commas is refused",
       "4242,1024,7,OUT,b.xml",
       {"--from", "4", "--to", "3"},
       1,
       7,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(out().c_str());
    std::string handshake = c.handshake;
    if (const std::size_t at = handshake.find("OUT"); at != std::string::npos)
      handshake.replace(at, 3, out());
    std::vector<std::string> options = c.options;
    for (std::string& option : options)
      if (option == "OUT") option = out();
    options.push_back("--yes");
    const std::string record = WithoutPid(RunHosted(handshake, options));
    EXPECT_EQ(record, Expected(c.result, c.wparam)) << last_run_.errors;
    if (c.function_id) {
      EXPECT_NE(Report().find("<FUNCTIONID>" + std::string(c.function_id) + "</FUNCTIONID>"),
                std::string::npos);
    } else {
      EXPECT_EQ(Report(), "");
    }
  }
}

TEST_F(HandshakeTest, AFailedRunTellsTheHostTwo) {
  ProgramOptions limited;
  limited.file_size_limit = 4096;
  const std::string record =
      WithoutPid(RunHosted("4242,1024,7," + out(), {"--from", "4", "--to", "3", "--yes"}, limited));
  EXPECT_EQ(record, Expected(2, 7));
}

// A hand-shake no host would write is refused before the run starts, never run without:
// a host whose window and message are exact still hears that it failed.
TEST_F(HandshakeTest, AHandshakeNoHostWouldWriteIsRefused) {
  struct Case {
    std::string handshake;
    const char* record;
  } const cases[] = {
      {"4242,1024,7", "enable\npost 1024 3 2\nexit 2\n"},
      {"4242,1024,7,/tmp/a\x1B[2J.xml", "enable\npost 1024 7 2\nexit 2\n"},
      {"4242x,1024,7,", "exit 2\n"},
  };
  for (const Case& c : cases) {
    const std::string record =
        RunHosted(c.handshake, {"--from", "4", "--to", "3", "--out", out(), "--yes"});
    EXPECT_EQ(record, c.record) << last_run_.errors;
    EXPECT_NE(last_run_.errors.find(Utf8("呼び出し元の引数を読めません")), std::string::npos);
    EXPECT_EQ(last_run_.errors.find('\x1B'), std::string::npos) << last_run_.errors;
    EXPECT_EQ(Report(), "");
  }
}

// A command line that cannot be read is a failure (2), not a cancellation; a host it names
// still hears back.
TEST_F(HandshakeTest, AnUnreadableCommandLineFailsAndStillTellsTheHost) {
  const std::string record = RunHosted("4242,1024,7,", {"--frob"});
  EXPECT_EQ(record, "enable\npost 1024 7 2\nexit 2\n") << last_run_.errors;
  EXPECT_NE(last_run_.errors.find("--frob"), std::string::npos);
  // An option that would act on the terminal is shown, not passed on.
  const ProgramRun escaped = RunProgram({VINTOR_OAK_PATH, "--\x1B]0;owned\x07\x1B[2J"});
  EXPECT_EQ(escaped.exit_status, 2);
  EXPECT_NE(escaped.errors.find(Utf8("不明なオプションです: ") + "--\\x1B]0;owned\\x07\\x1B[2J\n"),
            std::string::npos)
      << escaped.errors;

  struct Case {
    std::vector<std::string> argv;
    int status;
    const char* output;  // the start of what goes to standard output
  } const cases[] = {
      {{VINTOR_OAK_PATH, "--frob"}, 2, ""},
      {{VINTOR_OAK_PATH, "--from"}, 2, ""},
      {{VINTOR_OAK_PATH, "--version"}, 0, "VintorOak 21.00.03"},
      {{VINTOR_OAK_PATH, "--help"}, 0, "\xE4\xBD\xBF"},  // 使い方, in UTF-8
  };
  for (const Case& c : cases) {
    const ProgramRun run = RunProgram(c.argv);
    EXPECT_EQ(run.exit_status, c.status) << c.argv.back() << run.errors;
    EXPECT_EQ(run.output.rfind(c.output, 0), 0u) << run.output;
  }
}

}  // namespace
}  // namespace vintor::main::testing
