#include "books/books_test_support.h"

#include <sstream>

#include "books/books_store.h"

namespace vintor::books::testing {
namespace {

Account MakeAccount(std::int32_t key, std::string name, std::uint32_t character, std::int8_t kind,
                    bool debit_nature, std::string formula = "") {
  Account account;
  account.key = key;
  account.formal_name = std::move(name);
  account.statement_name = account.formal_name;
  account.character = character;
  account.kind = kind;
  account.debit_nature = debit_nature;
  account.formula = std::move(formula);
  return account;
}

JournalLine MakeLine(std::int32_t line_number, std::int32_t debit_key, std::int64_t debit,
                     std::int64_t debit_tax, std::int32_t credit_key, std::int64_t credit,
                     std::int64_t credit_tax, std::string description) {
  JournalLine line;
  line.line_number = line_number;
  line.debit_key = debit_key;
  line.debit_amount = Yen(debit);
  line.debit_tax = Yen(debit_tax);
  line.credit_key = credit_key;
  line.credit_amount = Yen(credit);
  line.credit_tax = Yen(credit_tax);
  line.description = std::move(description);
  return line;
}

Voucher MakeVoucher(std::int32_t journal_key, std::int32_t date, std::int16_t period_kind,
                    std::vector<JournalLine> lines) {
  Voucher voucher;
  voucher.journal_key = journal_key;
  voucher.number = journal_key + 100;
  voucher.date = date;
  voucher.period_kind = period_kind;
  voucher.lines = std::move(lines);
  return voucher;
}

CompanyBooks FirstCompany() {
  CompanyBooks books;
  Company& c = books.company;
  c.data_number = 1;
  c.data_id = "C001";
  c.name = "テスト商事株式会社";
  c.first_day = 20240401;
  c.last_day = 20250331;
  c.interim_settlement = true;
  c.has_cost_schedule = true;
  c.introduction_month = 4;
  c.companies_act = true;
  c.tax_included = false;

  books.accounts = {
      MakeAccount(1110000, "現金", 0x80100010, kKindPosting, true),
      MakeAccount(1350000, "普通預金", 0x80100020, kKindPosting, true),
      MakeAccount(1350001, "Ａ銀行", 0x80100020, kKindSubAccount, true),
      MakeAccount(1350002, "Ｂ銀行", 0x80100020, kKindSubAccount, true),
      MakeAccount(1900000, "仮払消費税", 0x80880810, kKindPosting, true),
      MakeAccount(3350000, "仮受消費税", 0x80484010, kKindPosting, false),
      MakeAccount(5110000, "売上高", 0x40100010, kKindPosting, false),
      MakeAccount(6110000, "仕入高", 0x40200010, kKindPosting, true),
      MakeAccount(7110000, "給料手当", 0x40400010, kKindPosting, true),
      MakeAccount(7990000, "雑費", 0x40400020, kKindNoLedger, true),
      MakeAccount(9000000, "売上総利益", 0x40900000, kKindTotal, false, "+0x40100000 -0x40200000"),
      MakeAccount(9100000, "その他経費", 0x40910000, kKindTotal, true, "+0x40400000  -#7110000"),
  };
  books.accounts[8].no_ledger_1 = true;
  books.accounts[9].no_ledger_2 = true;
  books.accounts[0].statement_name = "現金及び預金";

  books.openings = {{1110000, Yen(100)}, {1350001, Yen(50)}, {3350000, Yen(20)}};

  // Written out of date order: the ledger orders by date, then journal key, then line.
  books.vouchers = {
      // Month 1: cash sale with 100 of tax received. One line each side: marker 0.
      MakeVoucher(1, 20240405, kPeriodMonth,
                  {MakeLine(1, 1110000, 1100, 0, 5110000, 1000, 100, "売上 現金")}),
      // Month 3, journal key 3: one debit, two credits (marker 18).
      MakeVoucher(3, 20240610, kPeriodMonth,
                  {MakeLine(1, 1110000, 300, 0, 5110000, 200, 0, "複合売上"),
                   MakeLine(2, 0, 0, 0, 1350002, 100, 0, "Ｂ銀行より")}),
      // Month 2: purchase paid from bank A, 50 of tax paid, one line each side on separate
      // lines (marker 0; each line shows the other line's account).
      MakeVoucher(2, 20240520, kPeriodMonth,
                  {MakeLine(1, 6110000, 500, 50, 0, 0, 0, "仕入"),
                   MakeLine(2, 0, 0, 0, 1350001, 550, 0, "支払")}),
      // Month 3, journal key 4: two debits, one credit (marker 33); lines stored out of
      // line order.
      MakeVoucher(4, 20240610, kPeriodMonth,
                  {MakeLine(3, 0, 0, 0, 1110000, 300, 0, "現金払"),
                   MakeLine(1, 6110000, 100, 0, 0, 0, 0, "仕入"),
                   MakeLine(2, 7110000, 200, 0, 0, 0, 0, "給料")}),
      // Month 4: several lines on both sides (marker 34).
      MakeVoucher(5, 20240701, kPeriodMonth,
                  {MakeLine(1, 7110000, 100, 0, 1110000, 100, 0, "給料"),
                   MakeLine(2, 7990000, 50, 0, 1350001, 50, 0, "雑費")}),
      // The year-end closing period (slot 13) and the interim closing period (slot 14).
      MakeVoucher(6, 20250331, kPeriodYearEnd,
                  {MakeLine(1, 1110000, 10, 0, 5110000, 10, 0, "決算")}),
      MakeVoucher(7, 20240930, kPeriodInterim,
                  {MakeLine(1, 1110000, 20, 0, 5110000, 20, 0, "中間決算")}),
      // Month 12: between two sub-accounts of one main account (both sides of its ledger).
      MakeVoucher(8, 20250331, kPeriodMonth, {MakeLine(1, 1350001, 30, 0, 1350002, 30, 0, "振替")}),
  };
  books.saved_texts = {{0, "[Notes]\r\nNote=1\r\n"},
                       {100, "InputMode=1\r\n"},
                       {1000, "注記の本文&amp;\r\n二行目\r\n"}};
  return books;
}

CompanyBooks SecondCompany() {
  CompanyBooks books;
  Company& c = books.company;
  c.data_number = 2;
  c.data_id = "C002";
  c.name = "二十日締株式会社";
  c.first_day = 20240321;
  c.last_day = 20250320;
  c.tax_included = true;
  c.companies_act = false;
  c.introduction_month = 99;
  books.accounts = {
      MakeAccount(1110000, "現金", 0x80100010, kKindPosting, true),
      MakeAccount(5110000, "売上高", 0x40100010, kKindPosting, false),
  };
  books.vouchers = {
      MakeVoucher(1, 20240420, kPeriodMonth, {MakeLine(1, 1110000, 1, 0, 5110000, 1, 0, "")}),
      MakeVoucher(2, 20240421, kPeriodMonth, {MakeLine(1, 1110000, 2, 0, 5110000, 2, 0, "")}),
      MakeVoucher(3, 20250320, kPeriodMonth, {MakeLine(1, 1110000, 4, 0, 5110000, 4, 0, "")}),
  };
  return books;
}

}  // namespace

BooksData SampleBooks() {
  BooksData data;
  data.current_user = "yamada";
  User yamada;
  yamada.user_id = "yamada";
  yamada.name = "山田太郎";
  yamada.selected_first = 7;
  yamada.selected_data = 1;
  User suzuki;
  suzuki.user_id = "suzuki";
  suzuki.name = "鈴木花子";
  data.users = {yamada, suzuki};
  data.eras = {{5, 20190501, "令和"}, {4, 19890108, "平成"}};
#ifdef _WIN32
  data.folders = {{0, "C:\\出力\\"}, {1, "C:\\設定\\"}};
#else
  data.folders = {{0, "/srv/出力/"}, {1, "/srv/設定/"}};
#endif
  data.companies = {FirstCompany(), SecondCompany()};
  return data;
}

std::string Describe(const BooksData& data) {
  std::ostringstream out;
  out << "current " << data.current_user << "\n";
  for (const User& u : data.users) {
    out << "user " << u.user_id << "|" << u.name << "|" << u.selected_first << "|"
        << u.selected_data << "\n";
  }
  for (const Era& e : data.eras)
    out << "era " << e.id << "|" << e.first_day << "|" << e.name << "\n";
  for (const Folder& f : data.folders) out << "folder " << f.type << "|" << f.path << "\n";
  for (const CompanyBooks& b : data.companies) {
    const Company& c = b.company;
    out << "company " << c.data_number << "|" << c.data_id << "|" << c.name << "|" << c.first_day
        << "|" << c.last_day << "|" << c.has_cost_schedule << c.interim_settlement
        << c.companies_act << c.tax_included << "|" << c.introduction_month << "\n";
    for (const Account& a : b.accounts) {
      out << " account " << a.key << "|" << a.formal_name << "|" << a.statement_name << "|"
          << a.character << "|" << int{a.kind} << a.debit_nature << a.no_ledger_1 << a.no_ledger_2
          << "|" << a.formula << "\n";
    }
    for (const OpeningBalance& o : b.openings)
      out << " opening " << o.key << "|" << o.amount << "\n";
    for (const Voucher& v : b.vouchers) {
      out << " voucher " << v.journal_key << "|" << v.number << "|" << v.date << "|"
          << v.period_kind << "\n";
      for (const JournalLine& l : v.lines) {
        out << "  line " << l.line_number << "|" << l.debit_key << "|" << l.debit_amount << "|"
            << l.debit_tax << "|" << l.credit_key << "|" << l.credit_amount << "|" << l.credit_tax
            << "|" << l.description << "\n";
      }
    }
    for (const auto& [kind, text] : b.saved_texts) out << " saved " << kind << "|" << text << "\n";
  }
  return out.str();
}

std::unique_ptr<BooksLibrary> BooksFixture::OpenLibrary(std::string user_id,
                                                        std::int32_t data_number) {
  BooksOptions options;
  options.books_path = books_path_;
  options.user_id = std::move(user_id);
  options.data_number = data_number;
  options.display = [this](platform::WindowHandle, const std::string& text,
                           const std::string& caption, unsigned) {
    messages_.push_back(caption + ":" + text);
    return 1;
  };
  return std::make_unique<BooksLibrary>(std::move(options));
}

BooksLibrary& BooksFixture::Connect(std::string user_id, std::int32_t data_number) {
  WriteBooks(SampleBooks());
  library_ = OpenLibrary(std::move(user_id), data_number);
  EXPECT_EQ(library_->Connection().Initiate(), 0);
  return *library_;
}

}  // namespace vintor::books::testing
