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
  // Presets the script-visible result, then does the method's own work;
  // 0 = success. No method can skip the preset.
  int Run(double* result, XoDLL& module) {
    PresetResult(result);
    return Execute(result, module);
  }
  virtual bool AfterRun(XoDLL& module);

  // The one call sequence: ParseArguments; then, when it succeeded, the
  // result preset to `preset`, Run, and AfterRun (after a failed Run only
  // with `afterRunOnFailure`). Answers the status of the parse or the run.
  struct Steps {
    double preset;
    bool afterRunOnFailure;
  };
  static constexpr Steps kScriptCall{-1.0, true};
  int Invoke(char* arguments, double* result, XoDLL& module, Steps steps = kScriptCall);
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
  // The object in slot i; null for an empty slot or an index out of range.
  XoProperty* Argument(int i) const { return (i >= 0 && i < kMaxArguments) ? args_[i].get() : nullptr; }
  // Destroys the object in slot i and puts `replacement` there. Methods
  // reach their arguments through the slot, so they see the new object.
  void ReplaceArgument(int i, std::unique_ptr<XoProperty> replacement);

 protected:
  virtual void PresetResult(double* result) const { *result = 1234.0; }
  // The status of a call in which an allocation failed.
  virtual int RanOutOfMemory() { return status::kFailed; }
  virtual int Execute(double* /*result*/, XoDLL& /*module*/) { return 0; }

  // Appends an argument slot holding a T (empty when the allocation fails)
  // and answers its index; the method keeps the index, never the object.
  template <typename T>
  int AddArgument() {
    if (argCount_ >= kMaxArguments) return -1;
    args_[argCount_] = GuardedNew<T>();
    return argCount_++;
  }

  // An argument read through its slot.
  bool Given(int i) const {
    const XoProperty* a = Argument(i);
    return a != nullptr && a->IsGiven();
  }
  // The value truncated toward zero to 32 bits; 0 for an empty slot.
  int32_t IntArg(int i) const;
  double ValueArg(int i) const;
  // Null for an empty slot or a number.
  const char* TextArg(int i) const;

 private:
  void NormalizeArgumentString(char* arguments) const;

  std::unique_ptr<XoProperty> args_[kMaxArguments];
  int argCount_ = 0;
};

}  // namespace kfio
