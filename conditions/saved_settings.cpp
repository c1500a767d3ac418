#include "conditions/saved_settings.h"

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "text/decimal.h"

namespace vintor::conditions {
namespace {

constexpr char kLineFeed = '\n';

// The offset of the first record of key: the key must open a line, or "min/1/3:" would be
// found inside "admin/1/3:...". npos when there is none.
std::size_t FindRecord(std::string_view contents, std::string_view key, std::size_t from = 0) {
  for (std::size_t at = contents.find(key, from); at != std::string_view::npos;
       at = contents.find(key, at + 1)) {
    if (at == 0 || contents[at - 1] == kLineFeed) return at;
  }
  return std::string_view::npos;
}

// The record's line from offset at to its end, the line feed included; a last line
// without one runs to the end of the file.
std::size_t RecordLength(std::string_view contents, std::size_t at) {
  const std::size_t line_feed = contents.find(kLineFeed, at);
  return line_feed == std::string_view::npos ? contents.size() - at : line_feed - at + 1;
}

std::int16_t ParseShort(std::string_view text) {
  return static_cast<std::int16_t>(text::ParseDecimal(text));
}

// Parses the value after the key; false when it has fewer than three slashes.
bool ParseValue(std::string_view value, bool path_after_fourth_slash, SavedConditions* conditions) {
  std::vector<std::size_t> slashes;
  for (std::size_t i = value.find('/'); i != std::string_view::npos; i = value.find('/', i + 1)) {
    slashes.push_back(i);
  }
  if (slashes.size() < 3) return false;
  auto field = [&](std::size_t n) {  // the text between slash n - 1 and slash n
    const std::size_t begin = n == 0 ? 0 : slashes[n - 1] + 1;
    return value.substr(begin, slashes[n] - begin);
  };
  conditions->start_month = ParseShort(field(0));
  conditions->end_month = ParseShort(field(1));
  conditions->equity_statement_kind = ParseShort(field(2));
  // A record without the ledger field (start/end/kind/path) was written before the ledger
  // could be chosen, and the ledger was always part of the output then.
  conditions->ledger_flag = slashes.size() >= 4 ? text::ParseDecimal(field(3)) : 1;
  const std::size_t path_slash =
      path_after_fourth_slash && slashes.size() >= 4 ? slashes[3] : slashes.back();
  conditions->output_path = std::string(value.substr(path_slash + 1));
  return true;
}

}  // namespace

SavedSettings::SavedSettings(os::Os& os, const PathStyle& style, std::string folder,
                             std::string file_name, std::string user_id,
                             std::int32_t first_selection, std::int32_t second_selection)
    : os_(os), style_(style), folder_(std::move(folder)), file_name_(std::move(file_name)) {
  // The books report the folder with its separator; one missing would glue the file name
  // to the folder's last name.
  if (!folder_.empty()) style_.EnsureTrailingSeparator(&folder_, std::string::npos);
  key_ = user_id + "/" + std::to_string(first_selection) + "/" + std::to_string(second_selection) +
         ":";
}

std::string SavedSettings::FilePath() const {
  return folder_ + file_name_;
}

std::string SavedSettings::LockPath() const {
  return FilePath() + ".lock";
}

bool SavedSettings::Read(SavedConditions* conditions, os::TrustVerdict* trust) const {
  const os::TrustVerdict verdict = os_.TrustOf(FilePath());
  if (trust != nullptr) *trust = verdict;
  if (verdict != os::TrustVerdict::kTrusted) return false;
  std::string contents;
  if (!os_.ReadWholeFile(FilePath(), &contents)) return false;
  const std::size_t at = FindRecord(contents, key_);
  if (at == std::string::npos) return false;
  const std::size_t value_begin = at + key_.size();
  const std::size_t value_end = contents.find(kLineFeed, value_begin);
  const std::string_view value = std::string_view(contents).substr(
      value_begin, value_end == std::string::npos ? std::string::npos : value_end - value_begin);
  // A POSIX path has slashes of its own; the record always has the ledger field before it.
  const bool path_after_fourth_slash = style_.Separator() == '/';
  SavedConditions found;
  if (!ParseValue(value, path_after_fourth_slash, &found)) return false;
  *conditions = std::move(found);
  return true;
}

bool SavedSettings::Write(const SavedConditions& conditions, std::string* failure) const {
  const std::string file = FilePath();
  const auto fail = [&](const std::string& reason) {
    if (failure != nullptr) *failure = file + ": " + reason;
    return false;
  };
  // The reason the Os gives, else a general one (Windows keeps none).
  const auto fail_with_system_reason = [&](const char* otherwise) {
    const std::string reason = os::LastFailureReason();
    return fail(reason.empty() ? otherwise : reason);
  };
  if (folder_.empty()) return fail("設定フォルダが指定されていません");
  const std::string record =
      key_ + std::to_string(conditions.start_month) + "/" + std::to_string(conditions.end_month) +
      "/" + std::to_string(conditions.equity_statement_kind) + "/" +
      std::to_string(conditions.ledger_flag) + "/" + conditions.output_path + kLineFeed;
  if (record.find(kLineFeed) != record.size() - 1 || record.find('\0') != std::string::npos) {
    return fail("改行を含む値は保存できません");
  }
  if (!style_.IsExistingFolder(folder_, os_) && !style_.CreateFolderChain(folder_, os_)) {
    return fail("設定フォルダを作成できません");
  }

  // Another run that saves now would otherwise read the same old file, and the second
  // replace would drop the first one's record.
  const std::unique_ptr<os::HeldLock> lock = os_.LockFile(LockPath(), kLockWaitMilliseconds);
  if (lock == nullptr) return fail_with_system_reason("ほかの実行が使用中です");
  std::string contents;
  if (os_.FileExists(file)) {
    if (!os_.ReadWholeFile(file, &contents)) return fail_with_system_reason("読み込めません");
    for (std::size_t at = FindRecord(contents, key_); at != std::string::npos;
         at = FindRecord(contents, key_, at)) {
      contents.erase(at, RecordLength(contents, at));
    }
    // A last line without its line feed would swallow the new record's key.
    if (!contents.empty() && contents.back() != kLineFeed) contents.push_back(kLineFeed);
  }
  contents += record;
  if (!os_.ReplaceFileAtomically(file, contents)) return fail_with_system_reason("書き込めません");
  return true;
}

}  // namespace vintor::conditions
