#include "books/books_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "books/books_codes.h"
#include "books/books_test_support.h"
#include "text/cp932.h"

namespace vintor::books {
namespace {

using testing::BooksFixture;

using BooksLibraryTest = BooksFixture;

TEST_F(BooksLibraryTest, InitiateRefusesWhatIsNotABooksFile) {
  struct Case {
    const char* name;
    std::string contents;  // empty: no file at all
    const char* message;
  };
  const Case cases[] = {
      {"missing", "", "見つかりません"},
      {"text", "this is not a database", "会計データのファイルではありません"},
  };
  for (const Case& c : cases) {
    messages_.clear();
    if (!c.contents.empty()) {
      ASSERT_TRUE(os_.ReplaceFileAtomically(books_path_, c.contents));
    }
    library_ = OpenLibrary();
    library_->Connection().SetTitle("決算書");
    EXPECT_NE(library_->Connection().Initiate(), 0) << c.name;
    ASSERT_EQ(messages_.size(), 1u) << c.name;
    EXPECT_NE(messages_[0].find(c.message), std::string::npos) << messages_[0];
    EXPECT_EQ(messages_[0].rfind("決算書:", 0), 0u) << messages_[0];
    EXPECT_NE(messages_[0].find(books_path_), std::string::npos) << messages_[0];
    EXPECT_EQ(library_->Connection().ExpSysLink(), 2) << c.name;
  }
}

TEST_F(BooksLibraryTest, ExpSysLinkFollowsTheUsersSelection) {
  struct Case {
    const char* user;
    std::int32_t data_number;
    int expected;
  };
  const Case cases[] = {
      {"", 0, 0},         // the books' current user, yamada, has data 1
      {"yamada", 2, 0},   // the option chooses data 2
      {"suzuki", 0, 1},   // nothing selected
      {"yamada", 99, 1},  // selected data that does not exist
      {"nobody", 0, 2},   // a user the books do not know
  };
  WriteBooks(testing::SampleBooks());
  for (const Case& c : cases) {
    messages_.clear();
    library_ = OpenLibrary(c.user, c.data_number);
    ASSERT_EQ(library_->Connection().Initiate(), 0);
    EXPECT_EQ(library_->Connection().ExpSysLink(), c.expected) << c.user << " " << c.data_number;
    EXPECT_EQ(messages_.size(), c.expected == 0 ? 0u : 1u) << c.user;
  }
}

TEST_F(BooksLibraryTest, UsersCompaniesAndTaxSettings) {
  BooksLibrary& library = Connect("", 0);
  platform::ClDataMgr& data = library.DataManager();
  char user[65] = {};
  ASSERT_EQ(data.GetSysUserObject()->GetCurUserID(user, sizeof user), 0);
  EXPECT_STREQ(user, "yamada");
  std::int32_t first = 0;
  std::int32_t second = 0;
  ASSERT_EQ(data.GetSysUserObject()->GetSelectedNo(user, &first, &second), 0);
  EXPECT_EQ(first, 7);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(data.GetSysUserObject()->GetSelectedNo("nobody", &first, &second), kCodeNotFound);

  auto* companies = data.GetSet<platform::ClSetData>(platform::kSetCompanyData, 1);
  ASSERT_NE(companies, nullptr);
  platform::SetCursor cursor = nullptr;
  ASSERT_EQ(companies->GetDatCursor(&cursor), 0);
  ASSERT_EQ(companies->ReadyDat(cursor, 0), 0);
  std::vector<platform::StDATAINFO> records;
  platform::StDATAINFO record;
  while (companies->WalkDat(&record, cursor) == 0) records.push_back(record);
  EXPECT_EQ(companies->ReleaseDatCursor(cursor), 0);
  EXPECT_EQ(companies->ReleaseDatCursor(cursor), kCodeBadCursor);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_STREQ(records[0].data_id, "C001");
  EXPECT_EQ(records[0].data_number, 1);
  EXPECT_EQ(text::FieldText(records[0].company_name), "テスト商事株式会社");
  EXPECT_EQ(records[0].first_day, 20240401);
  EXPECT_EQ(records[0].last_day, 20250331);
  EXPECT_EQ(records[0].has_cost_schedule, 1);
  EXPECT_EQ(records[0].interim_settlement, 1);
  EXPECT_EQ(records[0].introduction_month, 1);  // April, the first month of the period
  EXPECT_EQ(records[0].companies_act, 1);
  EXPECT_EQ(records[1].introduction_month, 99);
  EXPECT_EQ(records[1].companies_act, 0);
  // A copy: the second record's field is misaligned, and gtest would bind a reference to it.
  EXPECT_EQ(std::int32_t{records[1].interim_settlement}, 0);

  const platform::StDATAINFO* selected = companies->GetSelectedInfo();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(std::memcmp(selected, &records[0], sizeof record), 0);

  auto* tax = data.GetSet<platform::ClSetShohizei>(platform::kSetTax, 1);
  ASSERT_NE(tax, nullptr);
  platform::StSHOHIZEIINFO settings;
  ASSERT_EQ(tax->Get(&settings), 0);
  EXPECT_EQ(settings.tax_included, 0);
  ASSERT_EQ(tax->SetCurDataID("C002"), 0);
  ASSERT_EQ(tax->Get(&settings), 0);
  EXPECT_EQ(settings.tax_included, 1);
  EXPECT_EQ(tax->SetCurDataID("C999"), kCodeUnknownData);
}

// The books keep the calendar month; the record carries the fiscal month, in the walk and
// in the selected company's record alike.
TEST_F(BooksLibraryTest, TheIntroductionMonthReachesTheRecordAsAFiscalMonth) {
  struct Case {
    std::int32_t first_day, last_day;
    std::int16_t calendar_month, fiscal_month;
  };
  const Case cases[] = {
      {20250401, 20260331, 6, 3},   {20250401, 20260331, 3, 12}, {20251001, 20260930, 12, 3},
      {20251001, 20260930, 9, 12},  {20250101, 20251231, 5, 5},  {20250101, 20251231, 12, 12},
      {20250321, 20260320, 4, 1},   {20250401, 20250930, 9, 6},  {20251001, 20260930, 0, 0},
      {20251001, 20260930, 99, 99},
  };
  BooksData data = testing::SampleBooks();
  const std::size_t first = data.companies.size();
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    Company& company = data.companies.emplace_back().company;
    company.data_number = static_cast<std::int32_t>(100 + k);
    company.data_id = "INTRO" + std::to_string(k);
    company.name = "導入月";
    company.first_day = cases[k].first_day;
    company.last_day = cases[k].last_day;
    company.introduction_month = cases[k].calendar_month;
  }
  WriteBooks(data);
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    SCOPED_TRACE(std::to_string(c.first_day) + " month " + std::to_string(c.calendar_month));
    library_ = OpenLibrary("", static_cast<std::int32_t>(100 + k));
    ASSERT_EQ(library_->Connection().Initiate(), 0);
    auto* companies = library_->DataManager().GetSet<platform::ClSetData>(5, 1);
    const platform::StDATAINFO* selected = companies->GetSelectedInfo();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->introduction_month, c.fiscal_month);
    platform::SetCursor cursor = nullptr;
    ASSERT_EQ(companies->GetDatCursor(&cursor), 0);
    ASSERT_EQ(companies->ReadyDat(cursor, 0), 0);
    platform::StDATAINFO record;
    for (std::size_t n = 0; n <= first + k; ++n) ASSERT_EQ(companies->WalkDat(&record, cursor), 0);
    EXPECT_EQ(record.introduction_month, c.fiscal_month);
    EXPECT_EQ(companies->ReleaseDatCursor(cursor), 0);
  }
}

TEST_F(BooksLibraryTest, TheOptionsChooseUserAndCompany) {
  BooksLibrary& library = Connect("suzuki", 2);
  char user[65] = {};
  ASSERT_EQ(library.DataManager().GetSysUserObject()->GetCurUserID(user, sizeof user), 0);
  EXPECT_STREQ(user, "suzuki");
  auto* companies = library.DataManager().GetSet<platform::ClSetData>(5, 1);
  const platform::StDATAINFO* selected = companies->GetSelectedInfo();
  ASSERT_NE(selected, nullptr);
  EXPECT_STREQ(selected->data_id, "C002");
}

TEST_F(BooksLibraryTest, PeriodOfTheSelectedCompany) {
  BooksLibrary& library = Connect("", 2);  // closing on the 20th
  std::unique_ptr<platform::ClAccPeriod> period = library.NewAccPeriod();
  ASSERT_EQ(library.DataManager().GetSet<platform::ClSetData>(5, 1)->GetAccPeriod(period.get()), 0);
  struct Case {
    int kind;
    std::int32_t first, last;
  };
  const Case cases[] = {{1, 20240321, 20240420},
                        {12, 20250221, 20250320},
                        {15, 20240920, 20240920},
                        {18, 20250320, 20250320}};
  for (const Case& c : cases) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    ASSERT_EQ(period->GetPeriodByMonthKind(c.kind, &first, &last), 0) << c.kind;
    EXPECT_EQ(first, c.first) << c.kind;
    EXPECT_EQ(last, c.last) << c.kind;
  }
  std::int32_t month = 0;
  ASSERT_EQ(period->GetAMonthByDate(20240321, &month, 0), 0);
  EXPECT_EQ(month, 4);
  std::int32_t closing_day = -1;
  ASSERT_EQ(period->GetClosingDayByEndDate(20250331, 0, &closing_day), 0);
  EXPECT_EQ(closing_day, 0);
  std::int32_t first = 0;
  EXPECT_EQ(period->GetPeriodByMonthKind(13, &first, &first), kCodeBadArgument);
  EXPECT_EQ(library.NewAccPeriod()->GetPeriodByMonthKind(1, &first, &first), kCodeNotReady);
}

TEST_F(BooksLibraryTest, AccountLookupByMainOrFullKey) {
  BooksLibrary& library = Connect();
  auto* accounts = library.DataManager().GetSet<platform::ClSetKamoku>(platform::kSetAccounts, 1);
  ASSERT_NE(accounts, nullptr);
  platform::SetCursor cursor = nullptr;
  ASSERT_EQ(accounts->GetCursor(&cursor), 0);
  ASSERT_EQ(accounts->ReadyCursor(cursor), 0);
  struct Case {
    std::int32_t key;
    int status;
    const char* name;
    std::uint32_t character;
  };
  const Case cases[] = {
      {1350000, 0, "普通預金", 0x80100020},      {1350002, 0, "Ｂ銀行", 0x80100020},
      {3350000, 0, "仮受消費税", 0x80484010},    {9000000, 0, "売上総利益", 0x40900000},
      {1350003, platform::kEndOfRecords, "", 0}, {135, platform::kEndOfRecords, "", 0},
  };
  for (const Case& c : cases) {
    platform::StFINDINFO find{};
    find.blocks[0].item = platform::kFindItemAccount;
    find.blocks[0].op = platform::kFindOpEqual;
    find.blocks[0].value_type = 3;
    find.blocks[0].operand = c.key;
    platform::StKAMOKUINFO account{};
    ASSERT_EQ(accounts->WalkFind(cursor, &find, &account), c.status) << c.key;
    if (c.status != 0) continue;
    EXPECT_EQ(account.key, c.key);
    EXPECT_EQ(text::FieldText(account.name), c.name);
    EXPECT_EQ(account.character, c.character);
  }
  platform::StFINDINFO by_voucher{};
  by_voucher.blocks[0].item = platform::kFindItemVoucher;
  by_voucher.blocks[0].op = platform::kFindOpEqual;
  platform::StKAMOKUINFO account{};
  EXPECT_EQ(accounts->WalkFind(cursor, &by_voucher, &account), kCodeBadCondition);
  EXPECT_EQ(accounts->ReleaseCursor(cursor), 0);
  EXPECT_EQ(accounts->WalkFind(cursor, &by_voucher, &account), kCodeBadCursor);
}

TEST_F(BooksLibraryTest, ErasWalkInAscendingOrder) {
  BooksLibrary& library = Connect();
  auto* eras = dynamic_cast<platform::ClSetGengo*>(
      library.DataManager().GetSetMgr()->GetSetObject(platform::kSetEras, 0));
  ASSERT_NE(eras, nullptr);
  platform::SetCursor cursor = nullptr;
  ASSERT_EQ(eras->GetCursor(&cursor), 0);
  platform::StGENGOINFO era{};
  EXPECT_EQ(eras->Walk(&era, cursor), kCodeNotReady);
  ASSERT_EQ(eras->Ready(cursor), 0);
  std::vector<std::string> names;
  std::vector<std::int32_t> first_days;
  while (eras->Walk(&era, cursor) == 0) {
    names.emplace_back(text::FieldText(era.name));
    first_days.push_back(era.first_day);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"平成", "令和"}));
  EXPECT_EQ(first_days, (std::vector<std::int32_t>{19890108, 20190501}));
  EXPECT_EQ(eras->Walk(&era, cursor), platform::kEndOfRecords);
  EXPECT_EQ(eras->ReleaseCursor(cursor), 0);
}

TEST_F(BooksLibraryTest, SavedStatementsByKind) {
  BooksLibrary& library = Connect();
  std::unique_ptr<platform::ClSaveKessansho> saved = library.NewSaveKessansho();
  struct Case {
    const char* data_id;  // nullptr: the selected company
    int kind;
    int status;
    std::string text;
  };
  const Case cases[] = {
      {nullptr, 0, 0, "[Notes]\r\nNote=1\r\n"},
      {nullptr, 100, 0, "InputMode=1\r\n"},
      {nullptr, 1000, 0, "注記の本文&amp;\r\n二行目\r\n"},
      {nullptr, 5, platform::kEndOfRecords, ""},
      {"C002", 0, platform::kEndOfRecords, ""},
  };
  for (const Case& c : cases) {
    if (c.data_id != nullptr) {
      ASSERT_EQ(saved->SetCurDataID(c.data_id), 0);
    }
    char* buffer = reinterpret_cast<char*>(1);
    std::int32_t length = -1;
    ASSERT_EQ(saved->GetDataType02(c.kind, &buffer, &length), c.status) << c.kind;
    if (c.status != 0) {
      EXPECT_EQ(buffer, nullptr);
      EXPECT_EQ(length, 0);
      continue;
    }
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(length)), c.text) << c.kind;
    EXPECT_EQ(buffer[length], '\0');
    library.TaskMemFree(buffer);
  }
}

TEST_F(BooksLibraryTest, FoldersMessagesAndErrors) {
  BooksLibrary& library = Connect();
#ifdef _WIN32
  EXPECT_EQ(library.FileManager().GetAppFolderPath(platform::kFolderOutput), "C:\\出力\\");
#else
  EXPECT_EQ(library.FileManager().GetAppFolderPath(platform::kFolderSettings), "/srv/設定/");
#endif
  EXPECT_EQ(library.FileManager().GetAppFolderPath(7), "");

  library.Connection().SetTitle("決算書");
  messages_.clear();
  EXPECT_EQ(library.Connection().DispMsg(0, "ES_APRPACKAGENAMEを確認。ES_APRPACKAGENAME", "題",
                                         ui::kOk),
            1);
  EXPECT_EQ(messages_, std::vector<std::string>{"題:Corvelを確認。Corvel"});

  platform::ClMsgMgr& messages = library.MessageManager();
  messages_.clear();
  EXPECT_FALSE(messages.CheckFatalErrorWithMsg(0, 0, 1, 0));
  EXPECT_FALSE(messages.CheckFatalErrorWithMsg(platform::kEndOfRecords, 0, 1, 0));
  EXPECT_TRUE(messages.CheckFatalErrorWithMsg(kCodeQueryFailed, 0, 0, 0));
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(messages.CheckFatalErrorWithMsg(kCodeQueryFailed, 0, 1, 0));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find(std::to_string(kCodeQueryFailed)), std::string::npos);
  messages.SetLastError(kCodeBadCursor, "CmnProcHpr", 42);
  EXPECT_EQ(library.last_error().code, kCodeBadCursor);
  EXPECT_EQ(library.last_error().unit, "CmnProcHpr");
  EXPECT_EQ(library.last_error().location, 42);

  // Once closed, nothing is served.
  EXPECT_EQ(library.Connection().Terminate(), 0);
  char user[65];
  EXPECT_EQ(library.DataManager().GetSysUserObject()->GetCurUserID(user, sizeof user),
            kCodeNotOpen);
  EXPECT_EQ(library.NewRuleKamoku()->MoveReady(1, 0, 0, nullptr, nullptr, 0), kCodeNotOpen);
}

}  // namespace
}  // namespace vintor::books
