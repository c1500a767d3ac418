// The accounting library as the exporter sees it: the classes and operations it calls,
// with the library's own conventions. Operations answer 0 for success and another code
// for failure; cursors answer kEndOfRecords after the last record. Texts are CP932,
// dates YYYYMMDD integers, amounts scaled (yen x 10 000).
//
// The exporter reaches every object through an AccountingLibrary passed in explicitly;
// the singletons of the library are its members. Objects the exporter creates (rule
// cursors, saved-statement readers, period calculators) are owned by the creator and may
// be null when they cannot be allocated. Objects returned by pointer from the library
// (sets, managers, records) are owned by the library and live as long as the connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/records.h"
#include "ui/window.h"

namespace vintor::platform {

inline constexpr int kSuccess = 0;
inline constexpr int kEndOfRecords = 5000;

// A window of the desktop (ui/window.h), 0 for none.
using WindowHandle = ui::WindowHandle;

// An open cursor of a set. Opaque to the caller; released with the set's release call.
using SetCursor = void*;

// The editions of the accounting product (ClSysEnvMgr::_AppType).
enum class AppType : int { kAsh = 0, kElm = 3, kOak = 4 };

// The connection to the accounting product of the current installation.
class ClAccConnect {
 public:
  virtual ~ClAccConnect() = default;
  // The program's title, used as the caption of the library's own messages.
  virtual void SetTitle(const std::string& title) = 0;
  // The window that owns the library's messages (0: none).
  virtual void SetOwnerWindow(WindowHandle owner) = 0;
  virtual int SetAppType(AppType type) = 0;
  virtual int SetUseDataType(int type) = 0;
  // Opens the books. Non-zero: the run cannot go on; the library has said why.
  virtual int Initiate() = 0;
  // 0: a company is selected for the current user; 1: none is; other: the books are unusable.
  virtual int ExpSysLink() = 0;
  // Shows a message (the token ES_APRPACKAGENAME stands for the tax application's name).
  virtual int DispMsg(WindowHandle owner, const std::string& text, const std::string& caption,
                      unsigned style) = 0;
  virtual int LogOut() = 0;
  virtual int Terminate() = 0;
  virtual int Release() = 0;
};

class ClSetMgr;
class ClOptLink;

// Every set of the library can be pointed at one company's data.
class ClSetBase {
 public:
  virtual ~ClSetBase() = default;
  virtual int AttachSetMgr(ClSetMgr* manager) = 0;
  virtual int SetCurDataID(const char* data_id) = 0;
};

// The users of the product and the company each has selected.
class ClSysUser {
 public:
  virtual ~ClSysUser() = default;
  // Copies the current user's ID (NUL-terminated, at most size - 1 bytes) into buffer.
  virtual int GetCurUserID(char* buffer, std::size_t size) = 0;
  // The selection of a user: two numbers, the second being the selected data number.
  virtual int GetSelectedNo(const char* user_id, std::int32_t* first, std::int32_t* second) = 0;
};

class ClAccPeriod;

// Set kind 5: the company data records.
class ClSetData : public ClSetBase {
 public:
  virtual int GetDatCursor(SetCursor* cursor) = 0;
  virtual int ReadyDat(SetCursor cursor, int mode) = 0;
  // Copies the next record; kEndOfRecords after the last.
  virtual int WalkDat(StDATAINFO* record, SetCursor cursor) = 0;
  virtual int ReleaseDatCursor(SetCursor cursor) = 0;
  // The record of the selected company; null when none is selected.
  virtual const StDATAINFO* GetSelectedInfo() = 0;
  // Sets the selected company's accounting period (dates and closing day) on period.
  virtual int GetAccPeriod(ClAccPeriod* period) = 0;
};

// Set kind 4: the consumption-tax settings of the current data.
class ClSetShohizei : public ClSetBase {
 public:
  virtual int Get(StSHOHIZEIINFO* settings) = 0;
};

// Set kind 1: the chart of accounts.
class ClSetKamoku : public ClSetBase {
 public:
  virtual int GetCursor(SetCursor* cursor) = 0;
  virtual int ReadyCursor(SetCursor cursor) = 0;
  // The first account matching the condition; kEndOfRecords when none does.
  virtual int WalkFind(SetCursor cursor, const StFINDINFO* find, StKAMOKUINFO* account) = 0;
  virtual int ReleaseCursor(SetCursor cursor) = 0;
};

// Set kind 13: the eras, in ascending order of their first day.
class ClSetGengo : public ClSetBase {
 public:
  virtual int GetCursor(SetCursor* cursor) = 0;
  virtual int Ready(SetCursor cursor) = 0;
  virtual int Walk(StGENGOINFO* era, SetCursor cursor) = 0;
  virtual int ReleaseCursor(SetCursor cursor) = 0;
};

inline constexpr int kSetAccounts = 1;
inline constexpr int kSetTax = 4;
inline constexpr int kSetCompanyData = 5;
inline constexpr int kSetEras = 13;

class ClSetMgr {
 public:
  virtual ~ClSetMgr() = default;
  virtual ClSetBase* GetSetObject(int kind, int mode) = 0;
};

class ClOptLink {
 public:
  virtual ~ClOptLink() = default;
};

class ClDataMgr {
 public:
  virtual ~ClDataMgr() = default;
  virtual ClSetMgr* GetSetMgr() = 0;
  // kSetAccounts gives a ClSetKamoku, kSetTax a ClSetShohizei, kSetCompanyData a ClSetData.
  virtual ClSetBase* GetSetObject(int kind, int mode) = 0;
  virtual ClSysUser* GetSysUserObject() = 0;

  template <class Set>
  Set* GetSet(int kind, int mode) {
    return dynamic_cast<Set*>(GetSetObject(kind, mode));
  }
};

class ClLinkMgr {
 public:
  virtual ~ClLinkMgr() = default;
  virtual ClOptLink* GetOptLink() = 0;
};

// Period arithmetic of an accounting period.
class ClAccPeriod {
 public:
  virtual ~ClAccPeriod() = default;
  virtual int SetPeriod(std::int32_t first_day, std::int32_t last_day) = 0;
  // The closing day of the period's months: 0 for month-end, else the day of the month.
  virtual int GetClosingDayByEndDate(std::int32_t last_day, int mode,
                                     std::int32_t* closing_day) = 0;
  virtual int SetClosingDay(std::int32_t closing_day) = 0;
  // The calendar month whose closing period holds the date.
  virtual int GetAMonthByDate(std::int32_t date, std::int32_t* month, int mode) = 0;
  // First and last day of a fiscal month index 1-12, or of kMonthKindInterim/kMonthKindYearEnd.
  virtual int GetPeriodByMonthKind(int month_kind, std::int32_t* first_day,
                                   std::int32_t* last_day) = 0;
};

// Every rule cursor is pointed at a set manager, a company's data and the option link.
class ClRuleBase {
 public:
  virtual ~ClRuleBase() = default;
  virtual int AttachSetMgr(ClSetMgr* manager) = 0;
  virtual int SetCurDataID(const char* data_id) = 0;
  virtual int AttachOptLink(ClOptLink* link) = 0;
};

// The totals of every account, in chart order, total accounts included.
class ClRuleKamoku : public ClRuleBase {
 public:
  virtual int MoveReady(int sum_type_base, int department_type, int display_type,
                        const StFINDINFO* find, const void* department, int past_type) = 0;
  virtual int GetSumCount(std::int32_t* count) = 0;
  virtual int SetMovePos(std::int32_t position) = 0;
  virtual int MoveNext(StKAMOKUSUMINFO* totals) = 0;
  virtual int MoveFinish() = 0;
};

// The ledger lines of one account between two dates, in date order.
class ClRuleMotocho : public ClRuleBase {
 public:
  virtual int MoveReady(const StFINDINFO* find, const StORDERINFO* order,
                        const StMOTOCHOHYOJIINFO* display) = 0;
  virtual int GetCount(const StFINDINFO* find, const StMOTOCHOHYOJIINFO* display,
                       std::int32_t* count) = 0;
  virtual int SetMovePos(std::int32_t position) = 0;
  virtual int MoveFirst(StMOTOCHOINFO* line) = 0;
  virtual int MoveNext(StMOTOCHOINFO* line) = 0;
  virtual int MoveFinish() = 0;
};

// The journal lines of one voucher, in line order.
class ClRuleShiwake : public ClRuleBase {
 public:
  virtual int MoveReady(const StFINDINFO* find, const StORDERINFO* order,
                        const StMOTOCHOHYOJIINFO* display, int cursor_type) = 0;
  virtual int GetSwkCount(const StFINDINFO* find, const StMOTOCHOHYOJIINFO* display,
                          std::int32_t* count) = 0;
  virtual int MoveFirst(StSWKTINFO* line) = 0;
  virtual int MoveNext(StSWKTINFO* line) = 0;
};

// Readers of the statements saved in the books.
class ClSaveBase {
 public:
  virtual ~ClSaveBase() = default;
  virtual int AttachSetMgr(ClSetMgr* manager) = 0;
  virtual int SetCurDataID(const char* data_id) = 0;
  virtual int AttachOptLink(ClOptLink* link) = 0;
};

inline constexpr int kSavedNotesSettings = 0;  // "Note=" and friends
inline constexpr int kSavedNotesMode = 100;    // "InputMode="
inline constexpr int kSavedNotesText = 1000;   // the note records

class ClSaveKessansho : public ClSaveBase {
 public:
  // Answers the saved text of a data kind in a buffer the caller frees with
  // AccountingLibrary::TaskMemFree, and its length in bytes.
  virtual int GetDataType02(int kind, char** buffer, std::int32_t* length) = 0;
};

// The product's messages and its error log.
class ClMsgMgr {
 public:
  virtual ~ClMsgMgr() = default;
  // Shows the library's message for a fatal code; true when the code is fatal.
  virtual bool CheckFatalErrorWithMsg(int code, int mode, int show, WindowHandle owner) = 0;
  virtual void SetLastError(int code, const char* unit, int location) = 0;
};

inline constexpr int kFolderOutput = 0;
inline constexpr int kFolderSettings = 1;

// The product's folders.
class ClFileMgr {
 public:
  virtual ~ClFileMgr() = default;
  // The folder of a type, ending with the platform's separator; empty when there is none.
  virtual std::string GetAppFolderPath(int folder_type) = 0;
};

// The library as a whole: its singletons and the objects a caller may create.
class AccountingLibrary {
 public:
  virtual ~AccountingLibrary() = default;
  virtual ClAccConnect& Connection() = 0;
  virtual ClDataMgr& DataManager() = 0;
  virtual ClLinkMgr& LinkManager() = 0;
  virtual ClMsgMgr& MessageManager() = 0;
  virtual ClFileMgr& FileManager() = 0;

  virtual std::unique_ptr<ClAccPeriod> NewAccPeriod() = 0;
  virtual std::unique_ptr<ClRuleKamoku> NewRuleKamoku() = 0;
  virtual std::unique_ptr<ClRuleMotocho> NewRuleMotocho() = 0;
  virtual std::unique_ptr<ClRuleShiwake> NewRuleShiwake() = 0;
  virtual std::unique_ptr<ClSaveKessansho> NewSaveKessansho() = 0;

  // Frees a buffer the library handed out (the task-memory free of the platform).
  virtual void TaskMemFree(void* buffer) = 0;
};

}  // namespace vintor::platform
