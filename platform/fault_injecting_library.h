// A test aid: the accounting library with a fault injected. It wraps a real library and
// every object that library hands out or creates, counts each call by its name
// ("ClRuleKamoku::MoveNext") and makes one chosen occurrence of one call answer an error
// code, so a test can fail any call of a whole run and see what the run makes of it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/library.h"

namespace vintor::platform::testing {

// The call to fail: the occurrence-th call (counting from 1) named call answers code. The
// real call is made first, so the library's state moves on as it would have; only its
// answer is replaced.
struct InjectedFault {
  std::string call;
  int occurrence = 0;
  int code = 7999;
};

class FaultInjectingLibrary : public AccountingLibrary {
 public:
  // real is not owned and must outlive this object and everything it hands out.
  explicit FaultInjectingLibrary(AccountingLibrary& real);
  ~FaultInjectingLibrary() override;

  // The fault to inject from now on; a default InjectedFault injects none.
  void Inject(InjectedFault fault) { fault_ = std::move(fault); }
  // From now on call number index of the whole run (counting every call of every name from
  // 1) answers code, and with and_every_later every call after it too: the library that
  // breaks down in the middle of a run.
  void FailFromCall(int index, bool and_every_later, int code = 7999) {
    fail_from_index_ = index;
    fail_every_later_ = and_every_later;
    fail_from_code_ = code;
  }
  // How many calls of any name were made so far.
  int total_calls() const { return total_calls_; }
  // How often each call was made so far.
  const std::map<std::string, int>& calls() const { return calls_; }
  // True once the injected fault has been answered.
  bool injected() const { return injected_; }

  // Counts a call and answers result, or the injected code when this is the chosen call.
  int Answer(const char* call, int result);

  ClAccConnect& Connection() override;
  ClDataMgr& DataManager() override;
  ClLinkMgr& LinkManager() override { return real_.LinkManager(); }
  ClMsgMgr& MessageManager() override { return real_.MessageManager(); }
  ClFileMgr& FileManager() override { return real_.FileManager(); }
  std::unique_ptr<ClAccPeriod> NewAccPeriod() override;
  std::unique_ptr<ClRuleKamoku> NewRuleKamoku() override;
  std::unique_ptr<ClRuleMotocho> NewRuleMotocho() override;
  std::unique_ptr<ClRuleShiwake> NewRuleShiwake() override;
  std::unique_ptr<ClSaveKessansho> NewSaveKessansho() override;
  void TaskMemFree(void* buffer) override { real_.TaskMemFree(buffer); }

  // The wrapper of a set object the real library handed out (made once per object, so
  // callers that compare pointers see the same object each time); null for null.
  ClSetBase* WrapSet(ClSetBase* set);
  ClSetMgr* WrapSetManager(ClSetMgr* manager);
  ClSysUser* WrapUsers(ClSysUser* users);

 private:
  AccountingLibrary& real_;
  InjectedFault fault_;
  bool injected_ = false;
  std::map<std::string, int> calls_;
  int total_calls_ = 0;
  int fail_from_index_ = 0;  // 0: no call fails by its number
  bool fail_every_later_ = false;
  int fail_from_code_ = 7999;
  std::unique_ptr<ClAccConnect> connection_;
  std::unique_ptr<ClDataMgr> data_manager_;
  std::map<const void*, std::unique_ptr<ClSetBase>> sets_;
  std::map<const void*, std::unique_ptr<ClSetMgr>> set_managers_;
  std::map<const void*, std::unique_ptr<ClSysUser>> users_;
};

}  // namespace vintor::platform::testing
