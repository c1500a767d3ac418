#include "app/installation_check.h"

#include <string>

#include "text/cp932.h"
#include "text/decimal.h"

namespace vintor::app {
namespace {

constexpr const char* kDefinitionFile = "CorvelDef.ini";
constexpr const char* kSection = "ProgramLevel";
constexpr const char* kKey = "QZ21";
// A file without the entry predates program levels: the first level.
constexpr const char* kDefaultLevel = "1";

// The current folder is read into a 261-byte buffer, and the definition file's path is
// built in one of 517 bytes; the level is read into 16 bytes.
constexpr std::size_t kFolderBufferSize = 261;
constexpr std::size_t kPathBufferSize = 517;
constexpr std::size_t kLevelBufferSize = 16;

struct LevelMessage {
  InstallationLevel level;
  const char* text;
};

constexpr LevelMessage kMessages[] = {
    {InstallationLevel::kInvalid,
     "動作環境が不正です。\nES_APRPACKAGENAMEが正しくインストールされているか確認してください。"},
    {InstallationLevel::kTaxApplicationOld,
     "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
     "ES_APRPACKAGENAMEの最新版を入手してインストールしてからご利用ください。"},
    {InstallationLevel::kExporterOld,
     "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
     "連動コンポーネントの最新版を入手してインストールしてからご利用ください。"},
};

}  // namespace

InstallationLevel ReadInstallationLevel(os::Os& os, const conditions::PathStyle& style) {
  // A folder that does not fit its buffer cannot be read: the file is then looked for by
  // its bare name.
  std::string path = os.CurrentFolder();
  if (path.size() >= kFolderBufferSize) path.clear();
  if (!path.empty()) style.EnsureTrailingSeparator(&path, kPathBufferSize);
  path += kDefinitionFile;
  if (!os.FileExists(path)) return InstallationLevel::kInvalid;

  const std::string value = os.ReadProfileString(path, kSection, kKey, kDefaultLevel);
  const std::string_view level_text = text::PrefixOnCharacterBoundary(value, kLevelBufferSize - 1);
  if (level_text.empty()) return InstallationLevel::kInvalid;
  const std::int32_t level = text::ParseDecimal(level_text);
  if (level == kRequiredProgramLevel) return InstallationLevel::kCompatible;
  return level < kRequiredProgramLevel ? InstallationLevel::kTaxApplicationOld
                                       : InstallationLevel::kExporterOld;
}

int CheckInstallation(bool show_messages, os::Os& os, const conditions::PathStyle& style,
                      platform::ClAccConnect& connection, platform::WindowHandle owner) {
  const InstallationLevel level = ReadInstallationLevel(os, style);
  for (const LevelMessage& message : kMessages) {
    if (message.level != level) continue;
    if (show_messages) {
      connection.DispMsg(owner, message.text, "決算書", ui::kWarning);
    }
    return 0;
  }
  return 1;
}

}  // namespace vintor::app
