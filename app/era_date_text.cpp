#include "app/era_date_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <system_error>

#include "text/cp932.h"

namespace vintor::app {

namespace {

// Library messages of the formatter have no owner window.
constexpr platform::WindowHandle kNoOwner = 0;
// Arguments of the fatal-error check: the standard check, with the library's message shown.
constexpr int kCheckMode = 0;
constexpr int kShowMessage = 1;

constexpr std::string_view kYearMark = "年";
constexpr std::string_view kMonthMark = "月";
constexpr std::string_view kDayMark = "日";

// A text in a fixed buffer with room for an era name (16 bytes at most), three numbers and
// the three marks, so formatting a date allocates nothing.
constexpr std::size_t kTextCapacity = 96;

class FixedText {
 public:
  void Append(std::string_view text) {
    const std::size_t length = std::min(text.size(), sizeof data_ - size_);
    std::memcpy(data_ + size_, text.data(), length);
    size_ += length;
  }
  // As "%ld" writes it: a minus sign when negative, no leading zeros.
  void AppendNumber(long value) {
    const std::to_chars_result result = std::to_chars(data_ + size_, data_ + sizeof data_, value);
    if (result.ec == std::errc()) size_ = static_cast<std::size_t>(result.ptr - data_);
  }
  std::string_view view() const { return {data_, size_}; }

 private:
  char data_[kTextCapacity];
  std::size_t size_ = 0;
};

}  // namespace

platform::ClSetGengo* EraDateFormatter::EraSet() {
  platform::ClSetMgr* manager = library_.DataManager().GetSetMgr();
  if (manager == nullptr) return nullptr;
  platform::ClSetBase* set = manager->GetSetObject(platform::kSetEras, 0);
  if (set != last_set_) {
    last_set_ = set;
    last_era_set_ = dynamic_cast<platform::ClSetGengo*>(set);
  }
  return last_era_set_;
}

bool EraDateFormatter::Failed(int code, int location, const char* call) {
  // Every step's code goes through the check, success included, so a fatal code is shown
  // whichever step gave it. A non-zero code the manager does not call fatal still stops the
  // lookup: without a prepared cursor there is no table to read.
  const bool fatal =
      library_.MessageManager().CheckFatalErrorWithMsg(code, kCheckMode, kShowMessage, kNoOwner);
  if (code == platform::kSuccess && !fatal) return false;
  RecordFailure(code, location, call);
  return true;
}

void EraDateFormatter::RecordFailure(int code, int location, const char* call) {
  library_.MessageManager().SetLastError(code, kSourceUnit, location);
  library_failed_ = true;
  if (failures_ != nullptr) failures_->Record(call, code, "元号表");
}

int EraDateFormatter::FindEra(std::int32_t date, platform::StGENGOINFO* era, long* era_year) {
  std::memset(era, 0, sizeof *era);
  platform::ClSetGengo* eras = EraSet();
  if (eras == nullptr) {
    RecordFailure(-1, __LINE__, "ClSetMgr::GetSetObject(13)");
    return -1;
  }
  platform::SetCursor cursor = nullptr;
  if (Failed(eras->GetCursor(&cursor), __LINE__, "ClSetGengo::GetCursor")) return -1;
  if (Failed(eras->Ready(cursor), __LINE__, "ClSetGengo::Ready")) {
    eras->ReleaseCursor(cursor);
    return -1;
  }
  // The table comes in ascending order of first day; an era lasts until the day before the
  // next one begins, and the last era has no end. So the era is the previous record as
  // soon as the date falls before the current one, or the last record when none does.
  platform::StGENGOINFO previous{};
  platform::StGENGOINFO current{};
  long records = 0;
  for (;;) {
    const int code = eras->Walk(&current, cursor);
    const bool fatal =
        library_.MessageManager().CheckFatalErrorWithMsg(code, kCheckMode, kShowMessage, kNoOwner);
    if (code == platform::kEndOfRecords && !fatal) break;  // the end of the table
    if (code != platform::kSuccess || fatal) {
      // A walk cut short by an error would date the rest of the ledger by the last era read.
      eras->ReleaseCursor(cursor);
      RecordFailure(code, __LINE__, "ClSetGengo::Walk");
      return -1;
    }
    ++records;
    if (records == 1) {
      if (current.first_day > date) {
        if (const int code = eras->ReleaseCursor(cursor); code != platform::kSuccess)
          RecordFailure(code, __LINE__, "ClSetGengo::ReleaseCursor");
        return -1;  // before every era
      }
    } else if (date >= previous.first_day && date <= current.first_day - 1) {
      // "The day before" is taken on the integer: for an era beginning on 20100701 the
      // previous era holds every date up to 20100700, which covers 20100630.
      break;
    }
    previous = current;
  }
  if (const int code = eras->ReleaseCursor(cursor); code != platform::kSuccess) {
    RecordFailure(code, __LINE__, "ClSetGengo::ReleaseCursor");
    return -1;
  }
  if (records == 0) return -1;
  if (date > kLastDate) return -1;
  *era = previous;
  if (era_year != nullptr) *era_year = date / 10000 - previous.first_day / 10000 + 1;
  return 0;
}

std::size_t EraDateFormatter::FormatEraDate(std::int32_t date, char* buffer, std::size_t size) {
  if (size == 0) return 0;
  platform::StGENGOINFO era;
  long era_year = date / 10000;
  if (FindEra(date, &era, &era_year) != 0) {
    buffer[0] = '\0';
    return 0;
  }
  const long month = date % 10000 / 100;
  const long day = date % 10000 % 100;

  FixedText text;
  text.Append(text::FieldText(era.name));
  text.AppendNumber(era_year);
  text.Append(kYearMark);
  text.AppendNumber(month);
  text.Append(kMonthMark);
  text.AppendNumber(day);
  text.Append(kDayMark);
  return text::CopyBounded(text.view(), buffer, size);
}

std::string EraDateFormatter::EraDateText(std::int32_t date) {
  char text[kTextCapacity];
  const std::size_t length = FormatEraDate(date, text);
  return std::string(text, length);
}

}  // namespace vintor::app
