#include "conditions/destination_check.h"

namespace vintor::conditions {
namespace {

constexpr const char* kNoDestination =
    "データ出力先が指定されていません。\n\n出力先を指定してください。";
constexpr const char* kInvalidCharacters =
    "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
constexpr const char* kInvalidDrive =
    "ドライブ名が有効でありません。\n\n有効なドライブを指定してください。";
constexpr const char* kNoFileName = "ファイル名が指定されていません。";
constexpr const char* kCreateFolder =
    "指定されたフォルダは存在しません。\n\n作成してもよろしいですか？";
constexpr const char* kFolderCreationFailed =
    "フォルダの作成に失敗しました。\n\n出力先を再入力してください。";
constexpr const char* kOverwrite = "同名のファイルが存在します。\n\n上書きしてもよろしいですか？";

int Show(const DestinationContext& context, const char* text, unsigned style) {
  return context.desktop.ShowMessage(context.owner, text, ui::kCaption, style);
}

DestinationOutcome Refuse(const DestinationContext& context, const char* text) {
  Show(context, text, ui::kWarning);
  return DestinationOutcome::kFocusPath;
}

bool UserAgrees(const DestinationContext& context, const char* question) {
  return Show(context, question, ui::kQuestion) == ui::kAnswerYes;
}

}  // namespace

DestinationOutcome CheckDestination(const std::string& path, const DestinationContext& context) {
  const PathStyle& style = context.style;
  os::Os& os = context.os;

  if (path.empty()) {
    Show(context, kNoDestination, ui::kWarning);
    return DestinationOutcome::kBrowse;
  }
  if (!style.HasOnlyValidCharacters(path)) return Refuse(context, kInvalidCharacters);
  if (!style.IsDriveValid(path, os)) return Refuse(context, kInvalidDrive);
  if (style.FileNamePart(path).empty()) return Refuse(context, kNoFileName);

  // A path without any separator is a file in the current folder, which exists.
  const std::string folder = style.FolderPart(path);
  if (!folder.empty() && !os.HasAccess(folder, os::AccessMode::kExists)) {
    if (!UserAgrees(context, kCreateFolder)) return DestinationOutcome::kFocusPath;
    // A failed creation has already removed the folders it made.
    if (!style.CreateFolderChain(folder, os)) return Refuse(context, kFolderCreationFailed);
  }

  // A host that names the destination has decided about the file already.
  if (context.fixed_destination) return DestinationOutcome::kAccepted;

  if (os.IsFolder(path)) return Refuse(context, kNoFileName);
  if (os.FileExists(path) && !UserAgrees(context, kOverwrite)) {
    return DestinationOutcome::kFocusPath;
  }
  return DestinationOutcome::kAccepted;
}

}  // namespace vintor::conditions
