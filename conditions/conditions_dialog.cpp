#include "conditions/conditions_dialog.h"

#include <utility>

#include "conditions/period_months.h"
#include "text/cp932.h"
#include "text/decimal.h"

namespace vintor::conditions {
namespace {

namespace control = ui::control;

constexpr const char* kPastResultsRefused =
    "過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。";
constexpr const char* kCompanyLawRefused =
    "選択された会計データは会社法(H18.5施行)に対応していないため、\n"
    "連携の対象として使用できません。\n"
    "(Tavrelを起動し、[事業所・消費税情報設定]にて会社法対応データへ   \n"
    "変換することで、連携ができます。)\n\nアプリケーションを終了します。";
constexpr const char* kRangeRefused =
    "集計期間に誤りがあります。\n\n集計期間を設定しなおしてください。";
constexpr const char* kBeforeIntroduction = "集計期間には、導入開始月より前は指定できません。";
constexpr const char* kCancelNotice = "｢決算書｣の集計を中止します。";
constexpr const char* kFixedGroupTitle = "出力先";
constexpr const char* kSaveFileTitle = "保存ファイルを指定";
constexpr const char* kXmlFilter = "Xml Files (*.xml)|*.xml||";
constexpr const char* kAnyXmlFile = "*.xml";

// OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST.
constexpr unsigned kSaveFileOptions = 0x180C;

constexpr int kPathEditLimit = 255;
constexpr int kMonthEditLimit = 2;

std::string Bounded(const std::string& text, std::size_t buffer_size) {
  return std::string(text::PrefixOnCharacterBoundary(text, buffer_size - 1));
}

}  // namespace

ConditionsDialog::ConditionsDialog(platform::AccountingLibrary& library, os::Os& os,
                                   ui::Desktop& desktop, const PathStyle& path_style,
                                   std::string settings_file_name, ui::WindowHandle parent)
    : library_(library),
      os_(os),
      desktop_(desktop),
      path_style_(path_style),
      owned_settings_(std::make_unique<FileSettingsStore>(library, os, path_style,
                                                          std::move(settings_file_name), &desktop)),
      settings_(owned_settings_.get()),
      check_destination_(CheckDestination),
      parent_(parent) {}

ConditionsDialog::ConditionsDialog(platform::AccountingLibrary& library, os::Os& os,
                                   ui::Desktop& desktop, const PathStyle& path_style,
                                   SettingsStore& settings, DestinationChecker check_destination,
                                   ui::WindowHandle parent)
    : library_(library),
      os_(os),
      desktop_(desktop),
      path_style_(path_style),
      settings_(&settings),
      check_destination_(std::move(check_destination)),
      parent_(parent) {}

ConditionsDialog::~ConditionsDialog() = default;

void ConditionsDialog::OnInitDialog(ui::ConditionsView& view) {
  view_ = &view;
  WriteControls();
  view.LimitText(control::kEndMonth, kMonthEditLimit);
  view.LimitText(control::kStartMonth, kMonthEditLimit);

  if (past_results_flag == 1) {
    Warn(kPastResultsRefused);
    view.EndDialog(ui::kDialogCancelled);
    return;
  }
  if (company_law_flag != 1) {
    Warn(kCompanyLawRefused);
    view.EndDialog(ui::kDialogCancelled);
    return;
  }
  view.LimitText(control::kPath, kPathEditLimit);

  SavedConditions working;
  saved_output_path.clear();
  proposed_from_saved_settings = false;
  if (!ignore_saved_settings && settings_->Read(Key(), &working)) {
    proposed_from_saved_settings = true;
    working.output_path = Bounded(working.output_path, path_style_.PathBufferSize());
    saved_output_path = working.output_path;
  } else {
    std::int32_t start = working.start_month;
    std::int32_t end = working.end_month;
    PeriodMonths(period_start_date, period_end_date, &start, &end);
    if (LibraryFailed()) return;
    // The edits show calendar months; the marker of a year end crossing is not one.
    working.start_month = static_cast<std::int16_t>(start);
    working.end_month = static_cast<std::int16_t>(end % 100);
  }
  if (working.output_path.empty()) working.output_path = DefaultDestination();

  if (!fixed_output_path.empty()) {
    // A host dictates the destination: the user sees it but cannot change it.
    output_path = fixed_output_path;
    view.Enable(control::kBrowse, false);
    view.Enable(control::kPath, false);
    view.SetText(control::kOutputGroup, kFixedGroupTitle);
    fixed_destination_mode = 1;
  } else {
    output_path = working.output_path;
    fixed_destination_mode = 0;
  }

  // A record without a start month still proposes its end month.
  if (working.start_month == 0) {
    std::int32_t start = working.start_month;
    PeriodMonths(period_start_date, period_end_date, &start, nullptr);
    if (LibraryFailed()) return;
    working.start_month = static_cast<std::int16_t>(start);
  }
  start_month_text = std::to_string(working.start_month);
  end_month_text = std::to_string(working.end_month);

  view.SetChecked(control::kMembersEquity, working.equity_statement_kind == 2);
  view.SetChecked(control::kShareholdersEquity, working.equity_statement_kind != 2);
  equity_statement_kind = working.equity_statement_kind;
  view.SetChecked(control::kLedger, working.ledger_flag != 0);
  ledger_requested = working.ledger_flag;
  WriteControls();
}

bool ConditionsDialog::OnKeyDown(int focused_control, ui::Key key, bool modifier_held) {
  if (modifier_held) return false;
  if (key == ui::Key::kF12) {
    Execute();
    return true;
  }
  if (key != ui::Key::kEnter) return false;
  // Enter walks the edits in the order the user fills them and presses the buttons; the
  // dialog has no default button that could take it.
  switch (focused_control) {
    case control::kStartMonth:
      view_->Focus(control::kEndMonth, true);
      return true;
    case control::kEndMonth:
      if (view_->IsEnabled(control::kBrowse)) {
        view_->Focus(control::kPath, true);
      } else {
        view_->Focus(control::kExecute, false);
      }
      return true;
    case control::kPath:
      view_->Focus(view_->IsEnabled(control::kBrowse) ? control::kBrowse : control::kExecute,
                   false);
      return true;
    case control::kBrowse:
      Browse();
      return true;
    case control::kExecute:
      Execute();
      return true;
    default:
      return false;
  }
}

void ConditionsDialog::Execute() {
  ReadControls();
  equity_statement_kind = view_->IsChecked(control::kMembersEquity) ? 2 : 1;
  ledger_requested = view_->IsChecked(control::kLedger) ? 1 : 0;
  const auto start = static_cast<std::int16_t>(text::ParseDecimal(start_month_text));
  const auto end = static_cast<std::int16_t>(text::ParseDecimal(end_month_text));

  // Months outside 1 to 12 are refused before the period is even looked at.
  std::int32_t period_start = 0;
  std::int32_t period_end = 0;
  MonthRangeVerdict verdict = CheckMonthBounds(start, end);
  if (verdict.accepted()) {
    PeriodMonths(period_start_date, period_end_date, &period_start, &period_end);
    // Months checked against a period the library could not give would be refused or
    // passed wrongly; the dialog ends and the run reports the library's failure.
    if (LibraryFailed()) return;
    verdict = CheckMonthRange(start, end, period_start, period_end);
  }
  if (!verdict.accepted()) {
    Warn(kRangeRefused);
    view_->Focus(verdict.focus_code == 1 ? control::kStartMonth : control::kEndMonth, true);
    return;
  }

  // Months before the introduction month hold no data of this system. Only the end is
  // checked: a range may begin earlier as long as it reaches the introduction month.
  std::int32_t start_index = 0;
  std::int32_t end_index = 0;
  FiscalMonthIndexes(period_start, period_end, start, end, &start_index, &end_index);
  if (end_index < introduction_month) {
    Warn(kBeforeIntroduction);
    view_->Focus(control::kEndMonth, true);
    return;
  }

  const DestinationContext context{path_style_, os_, desktop_, view_->Handle(),
                                   fixed_destination_mode != 0};
  switch (check_destination_(output_path, context)) {
    case DestinationOutcome::kBrowse:
      Browse();
      break;
    case DestinationOutcome::kFocusPath:
      view_->Focus(control::kPath, true);
      break;
    case DestinationOutcome::kAccepted:
      view_->EndDialog(ui::kDialogExecuted);
      break;
  }
}

void ConditionsDialog::Browse() {
  ReadControls();
  // The save-file dialog opens in the path's folder with its file name; a path without a
  // separator may still name a drive ("D:kessan.xml").
  std::string folder = path_style_.FolderPart(output_path);
  std::string name = path_style_.FileNamePart(output_path);
  if (folder.empty()) {
    folder = path_style_.DrivePrefixPart(output_path);
    name = path_style_.AfterDrivePart(output_path);
  }
  ui::SaveFileRequest request;
  request.owner = view_->Handle();
  request.title = kSaveFileTitle;
  request.initial_folder = folder;
  request.initial_name = name;
  request.default_extension = "XML";
  request.filter = kXmlFilter;
  request.options = kSaveFileOptions;
  std::string chosen;
  if (desktop_.ChooseSaveFile(request, &chosen)) {
    output_path = chosen;
    WriteControls();
  }
  view_->Focus(control::kExecute, false);
}

bool ConditionsDialog::LibraryFailed() {
  if (failures_ == nullptr || !failures_->failed()) return false;
  view_->EndDialog(ui::kDialogCancelled);
  return true;
}

void ConditionsDialog::Cancel() {
  desktop_.ShowMessage(view_->Handle(), kCancelNotice, ui::kCaption, ui::kInformation);
  view_->EndDialog(ui::kDialogCancelled);
}

void ConditionsDialog::PeriodMonths(std::int32_t start_date, std::int32_t end_date,
                                    std::int32_t* start_month, std::int32_t* end_month) {
  conditions::PeriodMonths(library_, start_date, end_date, start_month, end_month, failures_);
}

void ConditionsDialog::FiscalMonthIndexes(std::int32_t period_start_month,
                                          std::int32_t period_end_month, std::int32_t start_month,
                                          std::int32_t end_month, std::int32_t* start_index,
                                          std::int32_t* end_index) {
  conditions::FiscalMonthIndexes(period_start_month, period_end_month, start_month, end_month,
                                 start_index, end_index);
}

bool ConditionsDialog::WriteSavedSettings(std::int16_t start_month, std::int16_t end_month,
                                          std::int16_t equity_statement_kind,
                                          std::int32_t ledger_flag,
                                          const std::optional<std::string>& output_path) {
  SavedConditions record;
  record.start_month = start_month;
  record.end_month = end_month;
  record.equity_statement_kind = equity_statement_kind;
  record.ledger_flag = ledger_flag;
  // A host-started run used the host's destination; the user's own choice stays saved.
  record.output_path = output_path.has_value() ? *output_path : saved_output_path;
  return settings_->Write(Key(), record);
}

SettingsKey ConditionsDialog::Key() const {
  return SettingsKey{user_id, selection_numbers.first, selection_numbers.second};
}

std::string ConditionsDialog::DefaultDestination() {
  std::string folder = library_.FileManager().GetAppFolderPath(platform::kFolderOutput);
  if (!folder.empty()) return folder + kAnyXmlFile;
  // The temporary folder must fit a path buffer; one that does not counts as none.
  std::string temporary = os_.TemporaryFolder();
  const std::size_t buffer_size = path_style_.PathBufferSize();
  if (temporary.size() >= buffer_size) temporary.clear();
  if (temporary.empty()) return kAnyXmlFile;
  path_style_.EnsureTrailingSeparator(&temporary, buffer_size);
  return temporary + kAnyXmlFile;
}

void ConditionsDialog::ReadControls() {
  period_text = view_->GetText(control::kPeriod);
  company_name_text = view_->GetText(control::kCompanyName);
  output_path = view_->GetText(control::kPath);
  end_month_text = view_->GetText(control::kEndMonth);
  start_month_text = view_->GetText(control::kStartMonth);
}

void ConditionsDialog::WriteControls() {
  view_->SetText(control::kPeriod, period_text);
  view_->SetText(control::kCompanyName, company_name_text);
  view_->SetText(control::kPath, output_path);
  view_->SetText(control::kEndMonth, end_month_text);
  view_->SetText(control::kStartMonth, start_month_text);
}

void ConditionsDialog::Warn(const char* text) {
  desktop_.ShowMessage(view_->Handle(), text, ui::kCaption, ui::kWarning);
}

}  // namespace vintor::conditions
