// The accounting library's records, byte for byte as the library fills and reads them.
//
// Every record is a standard-layout struct without padding of its own (packed to one
// byte), with named fields at the offsets the exporter reads and reserved bytes in between;
// static_asserts pin every offset and size. Integers are little-endian; texts are CP932,
// NUL-terminated within their field; dates are YYYYMMDD integers; amounts are signed
// 64-bit yen x 10 000 ("scaled amounts").
//
// Read texts with text::FieldText so a field without a terminator is still bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vintor::platform {

#pragma pack(push, 1)

// The company data record of the selected company (1506 bytes).
struct StDATAINFO {
  char data_id[16];          // identifies the company data to every set and cursor
  std::int32_t data_number;  // matched against the user's selection
  std::uint8_t reserved_20[4];
  char company_name[260];  // the company's name
  std::int32_t first_day;  // first day of the accounting period
  std::int32_t last_day;   // last day of the accounting period
  std::uint8_t reserved_292[8];
  std::int32_t has_cost_schedule;   // non-zero: the company keeps a cost-of-goods schedule
  std::int32_t interim_settlement;  // 1: the company closes an interim period
  std::uint8_t reserved_308[18];
  std::int16_t introduction_month;  // month bookkeeping began in this data; 99 = past results
  std::uint8_t reserved_328[548];
  std::uint8_t companies_act;  // 1: converted for the Companies Act
  std::uint8_t reserved_877[629];
};

// Consumption-tax settings (12 bytes).
struct StSHOHIZEIINFO {
  std::uint8_t reserved_0[5];
  std::uint8_t tax_included;  // non-zero: amounts are totalled including consumption tax
  std::uint8_t reserved_6[6];
};

// One block of a search condition (34 bytes).
struct StFINDBLOCK {
  std::int32_t item;  // what is compared: kFindItem...
  std::uint8_t reserved_4[2];
  std::int16_t op;  // kFindOp...
  std::uint8_t reserved_8[2];
  std::int16_t value_type;
  std::uint8_t reserved_12[6];
  std::int32_t operand;  // read as 16 bits by some callers; the high half stays zero
  std::uint8_t reserved_22[8];
  std::int16_t link;  // kFindLink...: how the next block joins, 0 after the last block
  std::uint8_t reserved_32[2];
};

// A search condition: up to four blocks, unused blocks zero (136 bytes).
struct StFINDINFO {
  StFINDBLOCK blocks[4];
};

inline constexpr std::int32_t kFindItemAccount = 2;  // account key of the chart
inline constexpr std::int32_t kFindItemVoucher = 6;  // journal key of a voucher
inline constexpr std::int32_t kFindItemMonth = 17;   // fiscal month slot of the totals
inline constexpr std::int16_t kFindOpEqual = 1;
inline constexpr std::int16_t kFindOpRange = 2;  // the ledger's period selection
inline constexpr std::int16_t kFindOpFrom = 4;
inline constexpr std::int16_t kFindOpTo = 6;
inline constexpr std::int16_t kFindLinkLast = 0;
inline constexpr std::int16_t kFindLinkAnd = 1;
inline constexpr std::int16_t kFindLinkOr = 2;

// Month slots of the totals arrays.
inline constexpr int kSlotOpening = 0;   // opening balances
inline constexpr int kSlotYearEnd = 13;  // year-end closing period (month kind 18)
inline constexpr int kSlotInterim = 14;  // interim closing period (month kind 15)
inline constexpr int kMonthSlots = 15;
inline constexpr int kMonthKindInterim = 15;
inline constexpr int kMonthKindYearEnd = 18;

// The totals of one account, per month slot, in two sets: set 1 without consumption tax
// (the tax parts are on the two tax accounts), set 2 with it (636 bytes).
struct StKAMOKUSUMINFO {
  std::uint8_t reserved_0[32];
  std::int32_t key;  // main account code x 10 000 + sub-account number
  std::uint8_t reserved_36[2];
  char formal_name[31];
  std::uint8_t reserved_69[38];
  char statement_name[19];     // at most 18 bytes of text: the flags follow at 0x7E
  std::uint8_t ledger_flag_1;  // 1: the account has no ledger of its own
  std::uint8_t ledger_flag_2;  // 1: the account has no ledger of its own
  std::int8_t kind;            // 0 posting account, 1 no line, 2 total, 3 other
  std::uint8_t reserved_129;
  std::uint8_t debit_nature;  // 1: balance = debit - credit; else credit - debit
  std::uint8_t reserved_131[5];
  std::uint32_t character;  // account character
  std::uint8_t reserved_140[12];
  std::int64_t debit_1[kMonthSlots];
  std::int64_t debit_2[kMonthSlots];
  std::int64_t credit_1[kMonthSlots];
  std::int64_t credit_2[kMonthSlots];
  std::uint8_t reserved_632[4];
};

// Sides of a ledger line as seen from the extracted account.
inline constexpr std::uint8_t kSideCredit = 1;
inline constexpr std::uint8_t kSideDebit = 2;

// Compound-entry markers of a line of a voucher that has several lines on one side.
inline constexpr std::uint8_t kMarkerSeveralCredits = 18;  // several credit lines, one debit
inline constexpr std::uint8_t kMarkerSeveralDebits = 33;   // several debit lines, one credit
inline constexpr std::uint8_t kMarkerSeveralBoth = 34;     // several lines on both sides

// One ledger line of an account (620 bytes).
struct StMOTOCHOINFO {
  std::uint8_t reserved_0[4];
  std::int32_t journal_key;  // the voucher
  std::int32_t number;       // the voucher number shown to users
  std::int32_t line_number;  // 1-based within the voucher
  std::int32_t date;
  std::uint8_t reserved_20[66];
  std::uint8_t compound_marker;  // kMarker... or 0
  std::uint8_t reserved_87;
  std::int32_t debit_key;
  std::uint8_t reserved_92[4];
  std::int64_t debit_amount;  // excluding tax
  std::int64_t debit_tax;
  std::uint8_t reserved_112[17];
  std::int32_t credit_key;
  std::uint8_t reserved_133[4];
  std::int64_t credit_amount;  // excluding tax
  std::int64_t credit_tax;
  std::uint8_t reserved_153[17];
  char description[60];  // NUL-terminated unless all 60 bytes are text
  std::uint8_t reserved_230[382];
  std::uint8_t side;  // kSideCredit, kSideDebit, other: both sides
  std::uint8_t reserved_613[7];
};

// One journal line of a voucher (596 bytes); same offsets as the ledger line where shared.
struct StSWKTINFO {
  std::uint8_t reserved_0[4];
  std::int32_t journal_key;
  std::int32_t number;
  std::int32_t line_number;
  std::int32_t date;
  std::uint8_t reserved_20[66];
  std::uint8_t compound_marker;
  std::uint8_t reserved_87;
  std::int32_t debit_key;
  std::uint8_t reserved_92[4];
  std::int64_t debit_amount;
  std::int64_t debit_tax;
  std::uint8_t reserved_112[17];
  std::int32_t credit_key;
  std::uint8_t reserved_133[4];
  std::int64_t credit_amount;
  std::int64_t credit_tax;
  std::uint8_t reserved_153[17];
  char description[60];
  std::uint8_t reserved_230[366];
};

// One account of the chart (217 bytes).
struct StKAMOKUINFO {
  std::int32_t key;
  std::uint8_t reserved_4[18];
  char name[31];
  std::uint8_t reserved_53[91];
  std::uint32_t character;
  std::uint8_t reserved_148[69];
};

// One sort key of a ledger or journal cursor (8 bytes).
struct StORDERKEY {
  std::uint8_t flag_1;
  std::uint8_t flag_2;
  std::int32_t key;
  std::int16_t value;
};

struct StORDERINFO {
  StORDERKEY keys[6];
};

// What a ledger cursor shows: one account between two dates (80 bytes).
struct StMOTOCHOHYOJIINFO {
  std::int32_t account_key;
  std::uint8_t reserved_4[44];
  std::int32_t interim_period;  // 1: the range ends with the interim closing period
  std::int32_t first_date;
  std::int32_t last_date;
  std::uint8_t reserved_60[8];
  std::int32_t display_kind;
  std::uint8_t reserved_72[8];
};

// One era (24 bytes).
struct StGENGOINFO {
  std::int32_t id;
  std::int32_t first_day;  // YYYYMMDD
  char name[16];
};

#pragma pack(pop)

#define VINTOR_PIN(record, field, offset) \
  static_assert(offsetof(record, field) == (offset), #record "::" #field " offset")
#define VINTOR_PIN_SIZE(record, size)                                           \
  static_assert(sizeof(record) == (size), #record " size");                     \
  static_assert(std::is_standard_layout_v<record>, #record " standard layout"); \
  static_assert(std::is_trivially_copyable_v<record>, #record " trivially copyable")

VINTOR_PIN_SIZE(StDATAINFO, 1506);
VINTOR_PIN(StDATAINFO, data_id, 0);
VINTOR_PIN(StDATAINFO, data_number, 16);
VINTOR_PIN(StDATAINFO, company_name, 24);
VINTOR_PIN(StDATAINFO, first_day, 284);
VINTOR_PIN(StDATAINFO, last_day, 288);
VINTOR_PIN(StDATAINFO, has_cost_schedule, 300);
VINTOR_PIN(StDATAINFO, interim_settlement, 304);
VINTOR_PIN(StDATAINFO, introduction_month, 326);
VINTOR_PIN(StDATAINFO, companies_act, 876);

VINTOR_PIN_SIZE(StSHOHIZEIINFO, 12);
VINTOR_PIN(StSHOHIZEIINFO, tax_included, 5);

VINTOR_PIN_SIZE(StFINDBLOCK, 34);
VINTOR_PIN(StFINDBLOCK, item, 0);
VINTOR_PIN(StFINDBLOCK, op, 6);
VINTOR_PIN(StFINDBLOCK, value_type, 10);
VINTOR_PIN(StFINDBLOCK, operand, 18);
VINTOR_PIN(StFINDBLOCK, link, 30);
VINTOR_PIN_SIZE(StFINDINFO, 136);
// The aggregator reads the range straight from these offsets.
static_assert(offsetof(StFINDINFO, blocks) + 0 * sizeof(StFINDBLOCK) + 18 == 0x12);
static_assert(offsetof(StFINDINFO, blocks) + 1 * sizeof(StFINDBLOCK) + 18 == 0x34);
static_assert(offsetof(StFINDINFO, blocks) + 1 * sizeof(StFINDBLOCK) + 30 == 0x40);
static_assert(offsetof(StFINDINFO, blocks) + 2 * sizeof(StFINDBLOCK) + 18 == 0x56);

VINTOR_PIN_SIZE(StKAMOKUSUMINFO, 636);
VINTOR_PIN(StKAMOKUSUMINFO, key, 0x20);
VINTOR_PIN(StKAMOKUSUMINFO, formal_name, 0x26);
VINTOR_PIN(StKAMOKUSUMINFO, statement_name, 0x6B);
VINTOR_PIN(StKAMOKUSUMINFO, ledger_flag_1, 0x7E);
VINTOR_PIN(StKAMOKUSUMINFO, ledger_flag_2, 0x7F);
VINTOR_PIN(StKAMOKUSUMINFO, kind, 0x80);
VINTOR_PIN(StKAMOKUSUMINFO, debit_nature, 0x82);
VINTOR_PIN(StKAMOKUSUMINFO, character, 0x88);
VINTOR_PIN(StKAMOKUSUMINFO, debit_1, 0x98);
VINTOR_PIN(StKAMOKUSUMINFO, debit_2, 0x110);
VINTOR_PIN(StKAMOKUSUMINFO, credit_1, 0x188);
VINTOR_PIN(StKAMOKUSUMINFO, credit_2, 0x200);

VINTOR_PIN_SIZE(StMOTOCHOINFO, 620);
VINTOR_PIN(StMOTOCHOINFO, journal_key, 4);
VINTOR_PIN(StMOTOCHOINFO, number, 8);
VINTOR_PIN(StMOTOCHOINFO, line_number, 12);
VINTOR_PIN(StMOTOCHOINFO, date, 16);
VINTOR_PIN(StMOTOCHOINFO, compound_marker, 86);
VINTOR_PIN(StMOTOCHOINFO, debit_key, 88);
VINTOR_PIN(StMOTOCHOINFO, debit_amount, 96);
VINTOR_PIN(StMOTOCHOINFO, debit_tax, 104);
VINTOR_PIN(StMOTOCHOINFO, credit_key, 129);
VINTOR_PIN(StMOTOCHOINFO, credit_amount, 137);
VINTOR_PIN(StMOTOCHOINFO, credit_tax, 145);
VINTOR_PIN(StMOTOCHOINFO, description, 170);
VINTOR_PIN(StMOTOCHOINFO, side, 612);

VINTOR_PIN_SIZE(StSWKTINFO, 596);
VINTOR_PIN(StSWKTINFO, line_number, 12);
VINTOR_PIN(StSWKTINFO, debit_amount, 96);
VINTOR_PIN(StSWKTINFO, debit_tax, 104);
VINTOR_PIN(StSWKTINFO, credit_amount, 137);
VINTOR_PIN(StSWKTINFO, credit_tax, 145);

VINTOR_PIN_SIZE(StKAMOKUINFO, 217);
VINTOR_PIN(StKAMOKUINFO, name, 22);
VINTOR_PIN(StKAMOKUINFO, character, 144);

VINTOR_PIN_SIZE(StORDERKEY, 8);
VINTOR_PIN(StORDERKEY, key, 2);
VINTOR_PIN(StORDERKEY, value, 6);
VINTOR_PIN_SIZE(StORDERINFO, 48);

VINTOR_PIN_SIZE(StMOTOCHOHYOJIINFO, 80);
VINTOR_PIN(StMOTOCHOHYOJIINFO, account_key, 0);
VINTOR_PIN(StMOTOCHOHYOJIINFO, interim_period, 48);
VINTOR_PIN(StMOTOCHOHYOJIINFO, first_date, 52);
VINTOR_PIN(StMOTOCHOHYOJIINFO, last_date, 56);
VINTOR_PIN(StMOTOCHOHYOJIINFO, display_kind, 68);

VINTOR_PIN_SIZE(StGENGOINFO, 24);
VINTOR_PIN(StGENGOINFO, first_day, 4);
VINTOR_PIN(StGENGOINFO, name, 8);

#undef VINTOR_PIN
#undef VINTOR_PIN_SIZE

}  // namespace vintor::platform
