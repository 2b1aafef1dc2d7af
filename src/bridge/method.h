// XoMethod: the base of every script-callable method, its argument slots
// and the cutting of the argument string.
#pragma once

#include <memory>

#include "bridge/guarded_new.h"
#include "bridge/member_table.h"
#include "bridge/properties.h"

namespace kfio {

class XoDLL;

class XoMethod : public XoScript {
  KFIO_DECLARE_DYNAMIC(XoMethod, XoScript)
 public:
  static constexpr int kMaxArguments = 8;
  // Argument strings this long or longer are not split and normalised.
  static constexpr std::size_t kSplitLimit = 600;

  uint16_t Kind() const override { return kind::kMethod; }
  void Reset() override { ResetState(); }

  // 0 = success; the framework runs Run only after a successful parse.
  virtual int ParseArguments(char* arguments, XoDLL& module);
  // Writes the script-visible result; 0 = success.
  virtual int Run(double* result, XoDLL& module);
  virtual bool AfterRun(XoDLL& module);
  virtual const MemberTable* SubTable() const { return nullptr; }
  virtual int AccessMember(XoDLL& module, const char* member, uint16_t access, void* value);
  virtual int AccessMemberIn(XoDLL& module, const char* member, uint16_t access, void* value,
                             const MemberTable* table);
  virtual void ListMembersIn(const MemberTable* table, const char* prefix, XoDLL& module);
  virtual void ListSubMembers(const char* prefix, XoDLL& module);
  virtual void ResetSubMembers(XoDLL& module);
  virtual void ResetMembersIn(const MemberTable* table, XoDLL& module);
  virtual int Notify(uint16_t /*access*/, int /*phase*/) { return 1; }
  virtual void ResetState() {}
  virtual bool SplitsArguments() const { return false; }
  virtual bool ArgumentOption() const { return false; }

  int ArgumentCount() const { return argCount_; }
  XoProperty* Argument(int i) const { return (i >= 0 && i < kMaxArguments) ? args_[i].get() : nullptr; }

 protected:
  // Appends an argument slot (empty when the allocation fails) and returns it.
  template <typename T>
  T* AddArgument() {
    std::unique_ptr<T> slot = GuardedNew<T>();
    T* raw = slot.get();
    if (argCount_ < kMaxArguments) args_[argCount_++] = std::move(slot);
    return raw;
  }

 private:
  void NormalizeArgumentString(char* arguments) const;

  std::unique_ptr<XoProperty> args_[kMaxArguments];
  int argCount_ = 0;
};

}  // namespace kfio
