#include "report/report_reader.h"

#include <expat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "report/cp932_table.h"
#include "supplements/note_element_table.h"
#include "text/control_escapes.h"

namespace vintor::report {

namespace {

// What an open element is; it decides which children and which text it may hold.
enum class Kind {
  kDocument,  // before the root
  kReport,
  kSystem,
  kBasic,
  kPattern,  // the fixed presentation patterns: kept as they are, not looked into
  kData,
  kField,  // a leaf holding text: SYSTEM and BASIC fields and the leaves below
  kStatement,
  kStatementSection,
  kItem,
  kEquity,
  kEquitySelect,
  kEquityColumn,
  kEquityAccount,
  kEquityPrevious,
  kEquityChanges,
  kEquityChangeTotal,
  kEquityChangeItem,
  kEquityReason,
  kEquityAmount,
  kEquityCurrent,
  kNotes,
  kNoteElement,
  kNoteLine,
  kLedger,
  kLedgerAccount,
  kLedgerAccountField,
  kLedgerLine,
  kLedgerLineField,
};

constexpr bool HoldsText(Kind kind) {
  switch (kind) {
    case Kind::kField:
    case Kind::kItem:
    case Kind::kEquitySelect:
    case Kind::kEquityAccount:
    case Kind::kEquityPrevious:
    case Kind::kEquityChangeTotal:
    case Kind::kEquityReason:
    case Kind::kEquityAmount:
    case Kind::kEquityCurrent:
    case Kind::kNoteLine:
    case Kind::kLedgerAccountField:
    case Kind::kLedgerLineField:
      return true;
    default:
      return false;
  }
}

constexpr std::string_view kBalanceSheetSections[] = {"Assets",
                                                      "CurrentAssets",
                                                      "NoncurrentAssets",
                                                      "PropertyPlantAndEquipment",
                                                      "IntangibleAssets",
                                                      "InvestmentsAndOtherAssets",
                                                      "DeferredAssets",
                                                      "Liabilities",
                                                      "CurrentLiabilities",
                                                      "NoncurrentLiabilities",
                                                      "NetAssets"};
constexpr std::string_view kIncomeStatementSections[] = {"NetSales",
                                                         "CostOfSales",
                                                         "GrossProfit",
                                                         "SellingGeneralAndAdministrativeExpenses",
                                                         "OperatingIncome",
                                                         "NonOperatingIncome",
                                                         "NonOperatingExpenses",
                                                         "OrdinaryIncome",
                                                         "ExtraordinaryIncome",
                                                         "ExtraordinaryLoss",
                                                         "IncomeBeforeIncomeTaxes",
                                                         "IncomeTaxes",
                                                         "NetIncome"};
constexpr std::string_view kCostReportSections[] = {"MaterialCost",
                                                    "LaborCost",
                                                    "SubcontractCost",
                                                    "OverheadExpenses",
                                                    "TotalProductionCostUtilized",
                                                    "WorkProcessBeginningInventories",
                                                    "SubtotalScheduleCostGoodsManufactured",
                                                    "WorkProcessClosingInventories",
                                                    "CostFinishedGoods"};

struct StatementKind {
  std::string_view element;
  std::span<const std::string_view> sections;
};
constexpr StatementKind kStatements[] = {
    {"BalanceSheet", kBalanceSheetSections},
    {"IncomeStatement", kIncomeStatementSections},
    {"ScheduleCostGoodsManufactured", kCostReportSections},
};

constexpr std::string_view kSystemFields[] = {"GYOUMUPREFIX",        "VERSION",     "FUNCTIONID",
                                              "CONNECTEDPROGRAMVER", "PROGRAMNAME", "PROGRAMVER"};
constexpr std::string_view kBasicFields[] = {"KOMONSAKINAME", "JIGYOUNENDOFROM", "JIGYOUNENDOTO"};

bool Contains(std::span<const std::string_view> names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// A plain decimal: an optional minus sign and at most 18 digits, nothing else. The report
// writes amounts so; anything else is a damaged report, not a number to guess at.
bool ParseAmount(std::string_view text, std::int64_t* amount) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 18) return false;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  *amount = negative ? -value : value;
  return true;
}

// The text as it is kept in ReportContents: control characters escaped (report_contents.h).
std::string Kept(std::string_view text) {
  return text::EscapeControls(text);
}

bool IsXmlSpace(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    char x = a[k], y = b[k];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

const std::unordered_set<std::string_view>& NoteElementNames() {
  static const std::unordered_set<std::string_view> names = [] {
    std::unordered_set<std::string_view> set;
    for (const supplements::NoteElement& entry : supplements::kNoteElementTable) {
      if (entry.element != nullptr) set.insert(entry.element);
    }
    return set;
  }();
  return names;
}

// expat's view of CP932: one byte, or a lead byte and a trail byte resolved by Convert.
int XMLCALL Convert(void* data, const char* bytes) {
  const auto* table = static_cast<const Cp932Table*>(data);
  return table->DoubleByte(static_cast<unsigned char>(bytes[0]),
                           static_cast<unsigned char>(bytes[1]));
}

int XMLCALL UnknownEncoding(void* /*handler_data*/, const XML_Char* name, XML_Encoding* info) {
  // Only the report's own encoding name is taught; any other unknown name stays unknown and
  // expat refuses the document.
  if (!SameLetters(name, "Shift_JIS") && !SameLetters(name, "CP932") &&
      !SameLetters(name, "Windows-31J")) {
    return XML_STATUS_ERROR;
  }
  const Cp932Table& table = Cp932Table::Get();
  for (int byte = 0; byte < 256; ++byte) info->map[byte] = table.SingleByte(byte);
  info->data = const_cast<Cp932Table*>(&table);
  info->convert = Convert;
  info->release = nullptr;
  return XML_STATUS_OK;
}

// The bytes behind text that expat read as ISO-8859-1 and delivered as UTF-8 (U+0000 to
// U+00FF), appended to *bytes. False for a character beyond U+00FF, which only a character
// reference can give.
bool AppendLatin1Bytes(std::string_view utf8, std::string* bytes) {
  for (std::size_t k = 0; k < utf8.size(); ++k) {
    const auto b0 = static_cast<unsigned char>(utf8[k]);
    if (b0 < 0x80) {
      bytes->push_back(static_cast<char>(b0));
      continue;
    }
    if ((b0 != 0xC2 && b0 != 0xC3) || k + 1 == utf8.size()) return false;
    const auto b1 = static_cast<unsigned char>(utf8[++k]);
    bytes->push_back(static_cast<char>(((b0 & 0x03) << 6) | (b1 & 0x3F)));
  }
  return true;
}

// Watches the raw bytes of a document, piece by piece, for character references other than
// the ones the exporter writes. '&' and '#' are never a CP932 trail byte, so a match in the
// bytes is a reference in the text (or in a comment, which the exporter never writes either).
class ReferenceGuard {
 public:
  // False at the first reference that is not allowed; a reference cut by the end of the
  // piece is decided with the next one.
  bool Take(std::string_view piece) {
    std::size_t at = 0;
    while (!open_.empty() && at < piece.size()) {
      open_.push_back(piece[at++]);
      const Verdict verdict = Decide(open_);
      if (verdict == Verdict::kRefused) return Refuse(open_);
      if (verdict == Verdict::kAllowed) {
        open_.clear();
        --at;  // the byte that decided may start the next reference
      }
    }
    for (at = piece.find('&', at); at != std::string_view::npos; at = piece.find('&', at + 1)) {
      const std::string_view candidate = piece.substr(at, kLongest);
      const Verdict verdict = Decide(candidate);
      if (verdict == Verdict::kRefused) return Refuse(candidate);
      if (verdict == Verdict::kOpen) {
        open_.assign(candidate);
        return true;
      }
    }
    return true;
  }

  // The start of the reference refused, for a message.
  const std::string& refused() const { return refused_; }

 private:
  enum class Verdict { kAllowed, kRefused, kOpen };
  static constexpr std::string_view kWritten[] = {"&#9;", "&#10;", "&#13;"};
  static constexpr std::size_t kLongest = 5;

  // text starts with '&': an entity ("&amp;") or one of kWritten is allowed, the start of one
  // of kWritten is open, any other character reference is refused.
  static Verdict Decide(std::string_view text) {
    if (text.size() < 2) return Verdict::kOpen;
    if (text[1] != '#') return Verdict::kAllowed;
    for (std::string_view written : kWritten) {
      if (text.starts_with(written)) return Verdict::kAllowed;
    }
    for (std::string_view written : kWritten) {
      if (written.starts_with(text)) return Verdict::kOpen;
    }
    return Verdict::kRefused;
  }

  bool Refuse(std::string_view reference) {
    refused_ = text::EscapeControls(reference);
    return false;
  }

  std::string open_;  // a reference begun at the end of the last piece
  std::string refused_;
};

// One walk over one document: the state the expat callbacks share.
class Walk {
 public:
  Walk(XML_Parser parser, ReportContents* contents, const ReportReader::LedgerLineHandler& handler,
       checks::ContentDigest* digest, bool exact_bytes, bool stop_at_ledger)
      : parser_(parser),
        contents_(contents),
        handler_(handler),
        digest_(digest),
        exact_bytes_(exact_bytes),
        stop_at_ledger_(stop_at_ledger) {}

  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }
  bool saw_declaration() const { return saw_declaration_; }
  bool saw_basic() const { return saw_basic_; }
  bool saw_data() const { return saw_data_; }
  bool stopped_at_ledger() const { return stopped_at_ledger_; }

  void Fail(std::string what) {
    if (failed()) return;
    error_ = Position() + what;
    XML_StopParser(parser_, XML_FALSE);
  }

  std::string Position() const {
    return std::to_string(XML_GetCurrentLineNumber(parser_)) + " 行 " +
           std::to_string(XML_GetCurrentColumnNumber(parser_) + 1) + " 列: ";
  }

  void Declaration(const XML_Char* encoding) {
    saw_declaration_ = true;
    if (encoding == nullptr ||
        (!SameLetters(encoding, "Shift_JIS") && !SameLetters(encoding, "CP932") &&
         !SameLetters(encoding, "Windows-31J"))) {
      Fail("符号化方式が Shift_JIS と宣言されていません（" +
           std::string(encoding == nullptr ? "宣言なし" : encoding) + "）");
    }
  }

  void Start(std::string_view name, const XML_Char** attributes);
  void End();
  void Text(std::string_view utf8);

 private:
  struct Open {
    Kind kind;
    std::string name;
    bool has_child = false;
  };

  // The CP932 form of text expat delivered; false (the walk failed) when it has none.
  bool ToCp932(std::string_view utf8, std::string* cp932) {
    cp932->clear();
    if (exact_bytes_ ? AppendLatin1Bytes(utf8, cp932)
                     : Cp932Table::Get().AppendFromUtf8(utf8, cp932)) {
      return true;
    }
    Fail("CP932 で表せない文字があります");
    return false;
  }
  bool Amount(std::string_view cp932, std::int64_t* amount) {
    if (ParseAmount(cp932, amount)) return true;
    Fail("<" + stack_.back().name + "> の金額 \"" + std::string(cp932) + "\" は数値ではありません");
    return false;
  }
  void Unknown(std::string_view name) {
    Fail("<" + Shown(name) + "> はここに置けない要素です（<" + stack_.back().name + "> の中）");
  }
  // A name from the document for a message: names are ASCII in a report, but a damaged one
  // may hold anything, and the message must stay CP932.
  static std::string Shown(std::string_view utf8) {
    std::string cp932;
    if (!Cp932Table::Get().AppendFromUtf8(utf8, &cp932)) cp932 += "…";
    return cp932;
  }
  // The kind of a child named name of the innermost open element, or false.
  bool ChildKind(std::string_view name, Kind* kind);
  bool StatementChild(std::string_view name, Kind* kind);
  void StartStatementSection(std::string_view name, const XML_Char** attributes);
  void EndLeaf(const Open& leaf, std::string_view value);

  XML_Parser parser_;
  ReportContents* contents_;
  const ReportReader::LedgerLineHandler& handler_;
  checks::ContentDigest* digest_;
  bool exact_bytes_;
  bool stop_at_ledger_;
  bool stopped_at_ledger_ = false;
  std::vector<Open> stack_{{Kind::kDocument, "(文書)"}};
  std::string text_;  // UTF-8 text of the innermost element
  std::string error_;
  bool saw_declaration_ = false;
  bool saw_basic_ = false;
  bool saw_data_ = false;
  std::span<const std::string_view> sections_;  // of the statement being read
  std::string pending_label_;                   // the Label of the Item being read
  LedgerLine line_;
};

bool Walk::StatementChild(std::string_view name, Kind* kind) {
  if (Contains(sections_, name)) {
    *kind = Kind::kStatementSection;
    return true;
  }
  if (name == "Item" && stack_.back().kind == Kind::kStatementSection) {
    *kind = Kind::kItem;
    return true;
  }
  return false;
}

bool Walk::ChildKind(std::string_view name, Kind* kind) {
  auto is = [&](Kind k) {
    *kind = k;
    return true;
  };
  const Kind parent = stack_.back().kind;
  switch (parent) {
    case Kind::kDocument:
      return name == "REPORT" && is(Kind::kReport);
    case Kind::kReport:
      if (name == "SYSTEM") return is(Kind::kSystem);
      if (name == "BASIC") return is(Kind::kBasic);
      if (name == "DATA") return is(Kind::kData);
      return false;
    case Kind::kSystem:
      return Contains(kSystemFields, name) && is(Kind::kField);
    case Kind::kBasic:
      if (name == "PATTERN") return is(Kind::kPattern);
      return Contains(kBasicFields, name) && is(Kind::kField);
    case Kind::kPattern:
      return is(Kind::kPattern);
    case Kind::kData:
      for (const StatementKind& statement : kStatements) {
        if (name == statement.element) return is(Kind::kStatement);
      }
      if (name == "StatementChangesNetAssets") return is(Kind::kEquity);
      if (name == "ListNotesNonConsolidated") return is(Kind::kNotes);
      if (name == "QZ00780S") return is(Kind::kLedger);
      return false;
    case Kind::kStatement:
    case Kind::kStatementSection:
      return StatementChild(name, kind);
    case Kind::kEquity:
      if (name == "Select") return is(Kind::kEquitySelect);
      return name == "ChangesNetAssetsItem" && is(Kind::kEquityColumn);
    case Kind::kEquityColumn:
      if (name == "AccountList") return is(Kind::kEquityAccount);
      if (name == "BalanceEndPreviousPeriod") return is(Kind::kEquityPrevious);
      if (name == "ChangesItemsDuringPeriod") return is(Kind::kEquityChanges);
      return name == "BalanceEndCurrentPeriod" && is(Kind::kEquityCurrent);
    case Kind::kEquityChanges:
      if (name == "TotalChangesItemsDuringPeriod") return is(Kind::kEquityChangeTotal);
      return name == "ChangesItem" && is(Kind::kEquityChangeItem);
    case Kind::kEquityChangeItem:
      if (name == "Reason") return is(Kind::kEquityReason);
      return name == "Amount" && is(Kind::kEquityAmount);
    case Kind::kNotes:
    case Kind::kNoteElement:
      // A shown note may sit under any other note when the ones between are hidden, so a
      // note's place is not checked, only that it is one of the notes the format has.
      if (name == "Line" && parent == Kind::kNoteElement) return is(Kind::kNoteLine);
      return NoteElementNames().contains(name) && is(Kind::kNoteElement);
    case Kind::kLedger:
      return name == "QZ00780S01" && is(Kind::kLedgerAccount);
    case Kind::kLedgerAccount:
      if (name == "QZ00780S02") return is(Kind::kLedgerLine);
      return (name == "QZ00780S0010" || name == "QZ00780S0020" || name == "QZ00780S0030" ||
              name == "QZ00780S0040") &&
             is(Kind::kLedgerAccountField);
    case Kind::kLedgerLine:
      return name.size() == 12 && name.starts_with("QZ00780S0") && name >= "QZ00780S0050" &&
             name <= "QZ00780S0120" && name.ends_with("0") && is(Kind::kLedgerLineField);
    default:
      return false;  // leaves hold no elements
  }
}

void Walk::StartStatementSection(std::string_view name, const XML_Char** attributes) {
  StatementEntry entry;
  entry.element = std::string(name);
  // Open are the document, REPORT, DATA, the statement and this element: depth 0.
  entry.depth = static_cast<int>(stack_.size()) - 5;
  for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
    std::string value;
    if (!ToCp932(a[1], &value)) return;
    if (std::strcmp(a[0], "Label") == 0) {
      entry.label = Kept(value);
    } else if (std::strcmp(a[0], "Amount") == 0) {
      if (!value.empty()) {
        std::int64_t amount = 0;
        if (!Amount(value, &amount)) return;
        entry.amount = amount;
      }
    } else {
      Fail("<" + entry.element + "> に知らない属性 " + Shown(a[0]) + " があります");
      return;
    }
  }
  contents_->statements.back().entries.push_back(std::move(entry));
}

void Walk::Start(std::string_view name, const XML_Char** attributes) {
  if (failed()) return;
  if (HoldsText(stack_.back().kind)) {
    Fail("<" + stack_.back().name + "> の中に要素 <" + Shown(name) + "> は置けません");
    return;
  }
  Kind kind;
  if (!ChildKind(name, &kind)) {
    if (stack_.back().kind == Kind::kDocument) {
      Fail("ルート要素が <" + Shown(name) + "> です。レポートは <REPORT> で始まります");
    } else {
      Unknown(name);
    }
    return;
  }
  if (kind == Kind::kLedger && stop_at_ledger_) {
    // Nothing of the ledger is read or digested: its start tag is where the caller's
    // comparison by bytes alone takes over.
    stopped_at_ledger_ = true;
    XML_StopParser(parser_, XML_FALSE);
    return;
  }
  stack_.back().has_child = true;
  stack_.push_back({kind, std::string(name)});
  text_.clear();
  if (digest_ != nullptr) {
    digest_->StartElement(name);
    std::string value;
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
      if (!ToCp932(a[1], &value)) return;
      digest_->Attribute(a[0], value);
    }
  }
  switch (kind) {
    case Kind::kBasic:
      saw_basic_ = true;
      break;
    case Kind::kData:
      saw_data_ = true;
      break;
    case Kind::kStatement:
      for (const StatementKind& statement : kStatements) {
        if (name == statement.element) sections_ = statement.sections;
      }
      contents_->section_order.push_back(SectionKind::kStatement);
      contents_->statements.push_back({std::string(name), {}});
      break;
    case Kind::kStatementSection:
      StartStatementSection(name, attributes);
      break;
    case Kind::kItem:
      pending_label_.clear();
      for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
        if (std::strcmp(a[0], "Label") != 0) {
          Fail("<Item> に知らない属性 " + Shown(a[0]) + " があります");
          return;
        }
        std::string label;
        if (!ToCp932(a[1], &label)) return;
        pending_label_ = Kept(label);
      }
      break;
    case Kind::kEquity:
      contents_->section_order.push_back(SectionKind::kEquity);
      contents_->equity.emplace();
      break;
    case Kind::kEquityColumn:
      contents_->equity->columns.emplace_back();
      break;
    case Kind::kEquityChangeItem:
      contents_->equity->columns.back().reasons.emplace_back();
      break;
    case Kind::kNotes:
      contents_->section_order.push_back(SectionKind::kNotes);
      contents_->notes.emplace();
      break;
    case Kind::kNoteElement:
      contents_->notes->push_back({std::string(name), static_cast<int>(stack_.size()) - 2, {}});
      break;
    case Kind::kLedger:
      contents_->section_order.push_back(SectionKind::kLedger);
      contents_->ledger.emplace();
      break;
    case Kind::kLedgerAccount:
      contents_->ledger->emplace_back();
      break;
    case Kind::kLedgerLine:
      line_ = LedgerLine{};
      break;
    default:
      break;
  }
  // Only statement headings and items carry attributes; anywhere else one is a stranger.
  if (!failed() && kind != Kind::kStatementSection && kind != Kind::kItem &&
      kind != Kind::kPattern && attributes[0] != nullptr) {
    Fail("<" + std::string(name) + "> に知らない属性 " + Shown(attributes[0]) + " があります");
  }
}

void Walk::Text(std::string_view utf8) {
  if (failed()) return;
  const Open& open = stack_.back();
  if (HoldsText(open.kind)) {
    text_.append(utf8);
  } else if (open.kind != Kind::kPattern && !IsXmlSpace(utf8)) {
    Fail("<" + open.name + "> の中に文字列は置けません");
  } else if (digest_ != nullptr && !open.has_child) {
    // What an element without children holds is its text for the digest, layout or not.
    text_.append(utf8);
  }
}

void Walk::EndLeaf(const Open& leaf, std::string_view value) {
  std::int64_t amount = 0;
  switch (leaf.kind) {
    case Kind::kField:
      if (leaf.name == "PROGRAMNAME") contents_->program_name = Kept(value);
      if (leaf.name == "KOMONSAKINAME") contents_->company = Kept(value);
      if (leaf.name == "JIGYOUNENDOFROM") contents_->period_from = Kept(value);
      if (leaf.name == "JIGYOUNENDOTO") contents_->period_to = Kept(value);
      break;
    case Kind::kItem: {
      if (!Amount(value, &amount)) return;
      StatementEntry entry{"Item", pending_label_, amount, static_cast<int>(stack_.size()) - 5};
      contents_->statements.back().entries.push_back(std::move(entry));
      break;
    }
    case Kind::kEquitySelect:
      if (!Amount(value, &amount)) return;
      contents_->equity->select = static_cast<int>(amount);
      break;
    case Kind::kEquityAccount:
      contents_->equity->columns.back().account = Kept(value);
      break;
    case Kind::kEquityPrevious:
      if (!Amount(value, &amount)) return;
      contents_->equity->columns.back().previous = amount;
      break;
    case Kind::kEquityChangeTotal:
      if (!Amount(value, &amount)) return;
      contents_->equity->columns.back().change = amount;
      break;
    case Kind::kEquityCurrent:
      if (!Amount(value, &amount)) return;
      contents_->equity->columns.back().current = amount;
      break;
    case Kind::kEquityReason:
      contents_->equity->columns.back().reasons.back().reason = Kept(value);
      break;
    case Kind::kEquityAmount:
      if (!Amount(value, &amount)) return;
      contents_->equity->columns.back().reasons.back().amount = amount;
      break;
    case Kind::kNoteLine:
      contents_->notes->back().lines.push_back(Kept(value));
      break;
    case Kind::kLedgerAccountField: {
      LedgerAccount& account = contents_->ledger->back();
      if (leaf.name == "QZ00780S0010") account.name = Kept(value);
      if (leaf.name == "QZ00780S0020") account.section = Kept(value);
      if (leaf.name == "QZ00780S0030" && !Amount(value, &account.opening)) return;
      if (leaf.name == "QZ00780S0040" && !Amount(value, &account.closing)) return;
      break;
    }
    case Kind::kLedgerLineField: {
      const std::string_view n = std::string_view(leaf.name).substr(8);  // "0050" to "0120"
      if (n == "0110" && !Amount(value, &line_.amount)) return;
      if (n == "0120" && !Amount(value, &line_.balance)) return;
      // A line's texts go only to the handler: without one (the read-back, which compares
      // them through the digest) the millions of them are not kept.
      if (!handler_) break;
      if (n == "0050") line_.voucher = Kept(value);
      if (n == "0060") line_.date = Kept(value);
      if (n == "0070") line_.sub_account = Kept(value);
      if (n == "0080") line_.counter_account = Kept(value);
      if (n == "0090") line_.counter_sub_account = Kept(value);
      if (n == "0100") line_.description = Kept(value);
      break;
    }
    default:
      break;
  }
}

void Walk::End() {
  if (failed()) return;
  const Open leaf = std::move(stack_.back());
  if (HoldsText(leaf.kind)) {
    std::string value;
    if (!ToCp932(text_, &value)) return;
    if (digest_ != nullptr) digest_->Text(value);
    EndLeaf(leaf, value);
    if (failed()) return;
  } else if (digest_ != nullptr && !leaf.has_child) {
    std::string value;
    if (!ToCp932(text_, &value)) return;
    digest_->Text(value);
  }
  if (digest_ != nullptr) digest_->EndElement();
  if (leaf.kind == Kind::kLedgerLine) {
    LedgerAccount& account = contents_->ledger->back();
    ++account.line_count;
    account.last_balance = line_.balance;
    if (handler_) handler_(account, contents_->ledger->size() - 1, line_);
  }
  stack_.pop_back();
  text_.clear();
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  static_cast<Walk*>(data)->Start(name, attributes);
}
void XMLCALL OnEnd(void* data, const XML_Char* /*name*/) {
  static_cast<Walk*>(data)->End();
}
void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  static_cast<Walk*>(data)->Text(std::string_view(text, static_cast<std::size_t>(length)));
}
void XMLCALL OnDeclaration(void* data, const XML_Char* /*version*/, const XML_Char* encoding,
                           int /*standalone*/) {
  static_cast<Walk*>(data)->Declaration(encoding);
}
// A report never has a document type: refusing one also keeps entity expansion (and its
// billion laughs) out of reach of whatever file is opened.
void XMLCALL OnDoctype(void* data, const XML_Char* /*name*/, const XML_Char* /*system*/,
                       const XML_Char* /*public_id*/, int /*has_internal*/) {
  static_cast<Walk*>(data)->Fail("文書型宣言（DOCTYPE）はレポートにはありません");
}

class BytesSource : public ByteSource {
 public:
  explicit BytesSource(std::string_view bytes) : rest_(bytes) {}
  long Read(char* buffer, std::size_t capacity, std::string*) override {
    const std::size_t n = std::min(capacity, rest_.size());
    std::memcpy(buffer, rest_.data(), n);
    rest_.remove_prefix(n);
    return static_cast<long>(n);
  }

 private:
  std::string_view rest_;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  long Read(char* buffer, std::size_t capacity, std::string* error) override {
    const std::size_t n = std::fread(buffer, 1, capacity, file_);
    if (n == 0 && std::ferror(file_)) {
      *error = "ファイルを読めません";
      return -1;
    }
    return static_cast<long>(n);
  }

 private:
  std::FILE* file_;
};

struct ParserDeleter {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

}  // namespace

bool ReportReader::Read(ByteSource& source, ReportContents* contents, std::string* error) {
  *contents = ReportContents{};
  std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter> parser(
      XML_ParserCreate(exact_bytes_ ? "ISO-8859-1" : nullptr));
  if (!parser) {
    *error = "XML パーサーを作れません";
    return false;
  }
  Walk walk(parser.get(), contents, handler_, digest_, exact_bytes_, stop_at_ledger_);
  XML_SetUserData(parser.get(), &walk);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetXmlDeclHandler(parser.get(), OnDeclaration);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
  XML_SetUnknownEncodingHandler(parser.get(), UnknownEncoding, nullptr);
  ReferenceGuard references;

  constexpr std::size_t kChunk = 1 << 16;
  for (;;) {
    void* buffer = XML_GetBuffer(parser.get(), static_cast<int>(kChunk));
    if (buffer == nullptr) {
      *error = "メモリが足りません";
      return false;
    }
    std::string read_error;
    const long got = source.Read(static_cast<char*>(buffer), kChunk, &read_error);
    if (got < 0) {
      *error = read_error;
      return false;
    }
    if (exact_bytes_ && !references.Take(std::string_view(static_cast<char*>(buffer),
                                                          static_cast<std::size_t>(got)))) {
      *error = "文字参照 " + references.refused() + "… はこのプログラムが書かないものです";
      return false;
    }
    const bool last = got == 0;
    if (XML_ParseBuffer(parser.get(), static_cast<int>(got), last) == XML_STATUS_ERROR) {
      if (walk.stopped_at_ledger()) break;
      if (walk.failed()) {
        *error = walk.error();
      } else {
        *error = std::to_string(XML_GetCurrentLineNumber(parser.get())) + " 行 " +
                 std::to_string(XML_GetCurrentColumnNumber(parser.get()) + 1) +
                 " 列: XML として正しくありません（" +
                 XML_ErrorString(XML_GetErrorCode(parser.get())) + "）";
      }
      return false;
    }
    if (last) break;
  }
  // An XML declaration naming the encoding is what tells a report from UTF-8 text that
  // happens to use ASCII only; the report always writes one.
  if (!walk.saw_declaration()) {
    *error = "1 行 1 列: XML 宣言（encoding=\"Shift_JIS\"）がありません";
    return false;
  }
  if (!walk.saw_basic() || !walk.saw_data()) {
    *error = std::string("レポートに <") + (walk.saw_basic() ? "DATA" : "BASIC") + "> がありません";
    return false;
  }
  return true;
}

bool ReportReader::ReadBytes(std::string_view bytes, ReportContents* contents, std::string* error) {
  BytesSource source(bytes);
  return Read(source, contents, error);
}

bool ReportReader::ReadFile(const std::string& path, ReportContents* contents, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *contents = ReportContents{};
    *error = path + ": ファイルを開けません";
    return false;
  }
  FileSource source(file);
  const bool read = Read(source, contents, error);
  std::fclose(file);
  if (!read) *error = path + ": " + *error;
  return read;
}

}  // namespace vintor::report
