#include "platform/fault_injecting_library.h"

#include <utility>

namespace vintor::platform::testing {
namespace {

// Each wrapper forwards to the real object and passes every answer through the library's
// counter; pointers the real object hands out are wrapped as well.

class ConnectionWrapper : public ClAccConnect {
 public:
  ConnectionWrapper(FaultInjectingLibrary& owner, ClAccConnect& real)
      : owner_(owner), real_(real) {}
  void SetTitle(const std::string& title) override { real_.SetTitle(title); }
  void SetOwnerWindow(WindowHandle owner) override { real_.SetOwnerWindow(owner); }
  int SetAppType(AppType type) override {
    return owner_.Answer("ClAccConnect::SetAppType", real_.SetAppType(type));
  }
  int SetUseDataType(int type) override {
    return owner_.Answer("ClAccConnect::SetUseDataType", real_.SetUseDataType(type));
  }
  int Initiate() override { return owner_.Answer("ClAccConnect::Initiate", real_.Initiate()); }
  int ExpSysLink() override {
    return owner_.Answer("ClAccConnect::ExpSysLink", real_.ExpSysLink());
  }
  int DispMsg(WindowHandle owner, const std::string& text, const std::string& caption,
              unsigned style) override {
    return owner_.Answer("ClAccConnect::DispMsg", real_.DispMsg(owner, text, caption, style));
  }
  int LogOut() override { return owner_.Answer("ClAccConnect::LogOut", real_.LogOut()); }
  int Terminate() override { return owner_.Answer("ClAccConnect::Terminate", real_.Terminate()); }
  int Release() override { return owner_.Answer("ClAccConnect::Release", real_.Release()); }

 private:
  FaultInjectingLibrary& owner_;
  ClAccConnect& real_;
};

class Users : public ClSysUser {
 public:
  Users(FaultInjectingLibrary& owner, ClSysUser& real) : owner_(owner), real_(real) {}
  int GetCurUserID(char* buffer, std::size_t size) override {
    return owner_.Answer("ClSysUser::GetCurUserID", real_.GetCurUserID(buffer, size));
  }
  int GetSelectedNo(const char* user_id, std::int32_t* first, std::int32_t* second) override {
    return owner_.Answer("ClSysUser::GetSelectedNo", real_.GetSelectedNo(user_id, first, second));
  }

 private:
  FaultInjectingLibrary& owner_;
  ClSysUser& real_;
};

// The two calls every set has, named after the set's class.
template <class Base>
class SetWrapper : public Base {
 public:
  SetWrapper(FaultInjectingLibrary& owner, Base& real, std::string name)
      : owner_(owner), real_(real), name_(std::move(name)) {}
  int AttachSetMgr(ClSetMgr* manager) override {
    return Answer("AttachSetMgr", real_.AttachSetMgr(manager));
  }
  int SetCurDataID(const char* data_id) override {
    return Answer("SetCurDataID", real_.SetCurDataID(data_id));
  }

 protected:
  int Answer(const char* call, int result) {
    return owner_.Answer((name_ + "::" + call).c_str(), result);
  }
  FaultInjectingLibrary& owner_;
  Base& real_;

 private:
  std::string name_;
};

class CompanyData : public SetWrapper<ClSetData> {
 public:
  CompanyData(FaultInjectingLibrary& owner, ClSetData& real)
      : SetWrapper(owner, real, "ClSetData") {}
  int GetDatCursor(SetCursor* cursor) override {
    return Answer("GetDatCursor", real_.GetDatCursor(cursor));
  }
  int ReadyDat(SetCursor cursor, int mode) override {
    return Answer("ReadyDat", real_.ReadyDat(cursor, mode));
  }
  int WalkDat(StDATAINFO* record, SetCursor cursor) override {
    return Answer("WalkDat", real_.WalkDat(record, cursor));
  }
  int ReleaseDatCursor(SetCursor cursor) override {
    return Answer("ReleaseDatCursor", real_.ReleaseDatCursor(cursor));
  }
  const StDATAINFO* GetSelectedInfo() override { return real_.GetSelectedInfo(); }
  int GetAccPeriod(ClAccPeriod* period) override {
    return Answer("GetAccPeriod", real_.GetAccPeriod(period));
  }
};

class TaxSettings : public SetWrapper<ClSetShohizei> {
 public:
  TaxSettings(FaultInjectingLibrary& owner, ClSetShohizei& real)
      : SetWrapper(owner, real, "ClSetShohizei") {}
  int Get(StSHOHIZEIINFO* settings) override { return Answer("Get", real_.Get(settings)); }
};

class Chart : public SetWrapper<ClSetKamoku> {
 public:
  Chart(FaultInjectingLibrary& owner, ClSetKamoku& real) : SetWrapper(owner, real, "ClSetKamoku") {}
  int GetCursor(SetCursor* cursor) override { return Answer("GetCursor", real_.GetCursor(cursor)); }
  int ReadyCursor(SetCursor cursor) override {
    return Answer("ReadyCursor", real_.ReadyCursor(cursor));
  }
  int WalkFind(SetCursor cursor, const StFINDINFO* find, StKAMOKUINFO* account) override {
    return Answer("WalkFind", real_.WalkFind(cursor, find, account));
  }
  int ReleaseCursor(SetCursor cursor) override {
    return Answer("ReleaseCursor", real_.ReleaseCursor(cursor));
  }
};

class Eras : public SetWrapper<ClSetGengo> {
 public:
  Eras(FaultInjectingLibrary& owner, ClSetGengo& real) : SetWrapper(owner, real, "ClSetGengo") {}
  int GetCursor(SetCursor* cursor) override { return Answer("GetCursor", real_.GetCursor(cursor)); }
  int Ready(SetCursor cursor) override { return Answer("Ready", real_.Ready(cursor)); }
  int Walk(StGENGOINFO* era, SetCursor cursor) override {
    return Answer("Walk", real_.Walk(era, cursor));
  }
  int ReleaseCursor(SetCursor cursor) override {
    return Answer("ReleaseCursor", real_.ReleaseCursor(cursor));
  }
};

// A set of a kind the exporter does not read: only the common calls are counted.
class OtherSet : public SetWrapper<ClSetBase> {
 public:
  OtherSet(FaultInjectingLibrary& owner, ClSetBase& real) : SetWrapper(owner, real, "ClSetBase") {}
};

class SetManager : public ClSetMgr {
 public:
  SetManager(FaultInjectingLibrary& owner, ClSetMgr& real) : owner_(owner), real_(real) {}
  ClSetBase* GetSetObject(int kind, int mode) override {
    return owner_.WrapSet(real_.GetSetObject(kind, mode));
  }

 private:
  FaultInjectingLibrary& owner_;
  ClSetMgr& real_;
};

class DataManagerWrapper : public ClDataMgr {
 public:
  DataManagerWrapper(FaultInjectingLibrary& owner, ClDataMgr& real) : owner_(owner), real_(real) {}
  ClSetMgr* GetSetMgr() override { return owner_.WrapSetManager(real_.GetSetMgr()); }
  ClSetBase* GetSetObject(int kind, int mode) override {
    return owner_.WrapSet(real_.GetSetObject(kind, mode));
  }
  ClSysUser* GetSysUserObject() override { return owner_.WrapUsers(real_.GetSysUserObject()); }

 private:
  FaultInjectingLibrary& owner_;
  ClDataMgr& real_;
};

class Period : public ClAccPeriod {
 public:
  Period(FaultInjectingLibrary& owner, std::unique_ptr<ClAccPeriod> real)
      : owner_(owner), real_(std::move(real)) {}
  int SetPeriod(std::int32_t first_day, std::int32_t last_day) override {
    return owner_.Answer("ClAccPeriod::SetPeriod", real_->SetPeriod(first_day, last_day));
  }
  int GetClosingDayByEndDate(std::int32_t last_day, int mode, std::int32_t* closing_day) override {
    return owner_.Answer("ClAccPeriod::GetClosingDayByEndDate",
                         real_->GetClosingDayByEndDate(last_day, mode, closing_day));
  }
  int SetClosingDay(std::int32_t closing_day) override {
    return owner_.Answer("ClAccPeriod::SetClosingDay", real_->SetClosingDay(closing_day));
  }
  int GetAMonthByDate(std::int32_t date, std::int32_t* month, int mode) override {
    return owner_.Answer("ClAccPeriod::GetAMonthByDate", real_->GetAMonthByDate(date, month, mode));
  }
  int GetPeriodByMonthKind(int month_kind, std::int32_t* first_day,
                           std::int32_t* last_day) override {
    return owner_.Answer("ClAccPeriod::GetPeriodByMonthKind",
                         real_->GetPeriodByMonthKind(month_kind, first_day, last_day));
  }

 private:
  FaultInjectingLibrary& owner_;
  std::unique_ptr<ClAccPeriod> real_;
};

// The three calls every rule cursor and saved-statement reader has.
template <class Base>
class AttachedWrapper : public Base {
 public:
  AttachedWrapper(FaultInjectingLibrary& owner, std::unique_ptr<Base> real, std::string name)
      : owner_(owner), real_(std::move(real)), name_(std::move(name)) {}
  int AttachSetMgr(ClSetMgr* manager) override {
    return Answer("AttachSetMgr", real_->AttachSetMgr(manager));
  }
  int SetCurDataID(const char* data_id) override {
    return Answer("SetCurDataID", real_->SetCurDataID(data_id));
  }
  int AttachOptLink(ClOptLink* link) override {
    return Answer("AttachOptLink", real_->AttachOptLink(link));
  }

 protected:
  int Answer(const char* call, int result) {
    return owner_.Answer((name_ + "::" + call).c_str(), result);
  }
  FaultInjectingLibrary& owner_;
  std::unique_ptr<Base> real_;

 private:
  std::string name_;
};

class Totals : public AttachedWrapper<ClRuleKamoku> {
 public:
  Totals(FaultInjectingLibrary& owner, std::unique_ptr<ClRuleKamoku> real)
      : AttachedWrapper(owner, std::move(real), "ClRuleKamoku") {}
  int MoveReady(int sum_type_base, int department_type, int display_type, const StFINDINFO* find,
                const void* department, int past_type) override {
    return Answer("MoveReady", real_->MoveReady(sum_type_base, department_type, display_type, find,
                                                department, past_type));
  }
  int GetSumCount(std::int32_t* count) override {
    return Answer("GetSumCount", real_->GetSumCount(count));
  }
  int SetMovePos(std::int32_t position) override {
    return Answer("SetMovePos", real_->SetMovePos(position));
  }
  int MoveNext(StKAMOKUSUMINFO* totals) override {
    return Answer("MoveNext", real_->MoveNext(totals));
  }
  int MoveFinish() override { return Answer("MoveFinish", real_->MoveFinish()); }
};

class Ledger : public AttachedWrapper<ClRuleMotocho> {
 public:
  Ledger(FaultInjectingLibrary& owner, std::unique_ptr<ClRuleMotocho> real)
      : AttachedWrapper(owner, std::move(real), "ClRuleMotocho") {}
  int MoveReady(const StFINDINFO* find, const StORDERINFO* order,
                const StMOTOCHOHYOJIINFO* display) override {
    return Answer("MoveReady", real_->MoveReady(find, order, display));
  }
  int GetCount(const StFINDINFO* find, const StMOTOCHOHYOJIINFO* display,
               std::int32_t* count) override {
    return Answer("GetCount", real_->GetCount(find, display, count));
  }
  int SetMovePos(std::int32_t position) override {
    return Answer("SetMovePos", real_->SetMovePos(position));
  }
  int MoveFirst(StMOTOCHOINFO* line) override {
    return Answer("MoveFirst", real_->MoveFirst(line));
  }
  int MoveNext(StMOTOCHOINFO* line) override { return Answer("MoveNext", real_->MoveNext(line)); }
  int MoveFinish() override { return Answer("MoveFinish", real_->MoveFinish()); }
};

class Journal : public AttachedWrapper<ClRuleShiwake> {
 public:
  Journal(FaultInjectingLibrary& owner, std::unique_ptr<ClRuleShiwake> real)
      : AttachedWrapper(owner, std::move(real), "ClRuleShiwake") {}
  int MoveReady(const StFINDINFO* find, const StORDERINFO* order, const StMOTOCHOHYOJIINFO* display,
                int cursor_type) override {
    return Answer("MoveReady", real_->MoveReady(find, order, display, cursor_type));
  }
  int GetSwkCount(const StFINDINFO* find, const StMOTOCHOHYOJIINFO* display,
                  std::int32_t* count) override {
    return Answer("GetSwkCount", real_->GetSwkCount(find, display, count));
  }
  int MoveFirst(StSWKTINFO* line) override { return Answer("MoveFirst", real_->MoveFirst(line)); }
  int MoveNext(StSWKTINFO* line) override { return Answer("MoveNext", real_->MoveNext(line)); }
};

class SavedStatements : public AttachedWrapper<ClSaveKessansho> {
 public:
  SavedStatements(FaultInjectingLibrary& owner, std::unique_ptr<ClSaveKessansho> real)
      : AttachedWrapper(owner, std::move(real), "ClSaveKessansho") {}
  int GetDataType02(int kind, char** buffer, std::int32_t* length) override {
    return Answer("GetDataType02", real_->GetDataType02(kind, buffer, length));
  }
};

template <class Wrapper, class Real>
std::unique_ptr<Real> WrapNew(FaultInjectingLibrary& owner, std::unique_ptr<Real> real) {
  if (real == nullptr) return nullptr;
  return std::make_unique<Wrapper>(owner, std::move(real));
}

}  // namespace

FaultInjectingLibrary::FaultInjectingLibrary(AccountingLibrary& real) : real_(real) {}

FaultInjectingLibrary::~FaultInjectingLibrary() = default;

int FaultInjectingLibrary::Answer(const char* call, int result) {
  const int occurrence = ++calls_[call];
  const int index = ++total_calls_;
  if (fail_from_index_ > 0 &&
      (index == fail_from_index_ || (fail_every_later_ && index > fail_from_index_))) {
    injected_ = true;
    return fail_from_code_;
  }
  if (!injected_ && occurrence == fault_.occurrence && fault_.call == call) {
    injected_ = true;
    return fault_.code;
  }
  return result;
}

ClAccConnect& FaultInjectingLibrary::Connection() {
  if (connection_ == nullptr)
    connection_ = std::make_unique<ConnectionWrapper>(*this, real_.Connection());
  return *connection_;
}

ClDataMgr& FaultInjectingLibrary::DataManager() {
  if (data_manager_ == nullptr)
    data_manager_ = std::make_unique<DataManagerWrapper>(*this, real_.DataManager());
  return *data_manager_;
}

std::unique_ptr<ClAccPeriod> FaultInjectingLibrary::NewAccPeriod() {
  return WrapNew<Period>(*this, real_.NewAccPeriod());
}
std::unique_ptr<ClRuleKamoku> FaultInjectingLibrary::NewRuleKamoku() {
  return WrapNew<Totals>(*this, real_.NewRuleKamoku());
}
std::unique_ptr<ClRuleMotocho> FaultInjectingLibrary::NewRuleMotocho() {
  return WrapNew<Ledger>(*this, real_.NewRuleMotocho());
}
std::unique_ptr<ClRuleShiwake> FaultInjectingLibrary::NewRuleShiwake() {
  return WrapNew<Journal>(*this, real_.NewRuleShiwake());
}
std::unique_ptr<ClSaveKessansho> FaultInjectingLibrary::NewSaveKessansho() {
  return WrapNew<SavedStatements>(*this, real_.NewSaveKessansho());
}

ClSetBase* FaultInjectingLibrary::WrapSet(ClSetBase* set) {
  if (set == nullptr) return nullptr;
  std::unique_ptr<ClSetBase>& wrapper = sets_[set];
  if (wrapper == nullptr) {
    if (auto* data = dynamic_cast<ClSetData*>(set)) {
      wrapper = std::make_unique<CompanyData>(*this, *data);
    } else if (auto* tax = dynamic_cast<ClSetShohizei*>(set)) {
      wrapper = std::make_unique<TaxSettings>(*this, *tax);
    } else if (auto* chart = dynamic_cast<ClSetKamoku*>(set)) {
      wrapper = std::make_unique<Chart>(*this, *chart);
    } else if (auto* eras = dynamic_cast<ClSetGengo*>(set)) {
      wrapper = std::make_unique<Eras>(*this, *eras);
    } else {
      wrapper = std::make_unique<OtherSet>(*this, *set);
    }
  }
  return wrapper.get();
}

ClSetMgr* FaultInjectingLibrary::WrapSetManager(ClSetMgr* manager) {
  if (manager == nullptr) return nullptr;
  std::unique_ptr<ClSetMgr>& wrapper = set_managers_[manager];
  if (wrapper == nullptr) wrapper = std::make_unique<SetManager>(*this, *manager);
  return wrapper.get();
}

ClSysUser* FaultInjectingLibrary::WrapUsers(ClSysUser* users) {
  if (users == nullptr) return nullptr;
  std::unique_ptr<ClSysUser>& wrapper = users_[users];
  if (wrapper == nullptr) wrapper = std::make_unique<Users>(*this, *users);
  return wrapper.get();
}

}  // namespace vintor::platform::testing
