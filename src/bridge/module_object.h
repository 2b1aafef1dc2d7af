// XoDLL: the module object. Finds members by name in its tables, routes the
// entry point's requests to them, lists and resets them, and carries the
// built-in members ERROR, WARNMSG, MSG, LISTERR and LASTERRID.
#pragma once

#include <string>
#include <vector>

#include "bridge/member_table.h"
#include "bridge/method.h"
#include "bridge/properties.h"

namespace kfio {

class XoListErr : public XoMethod {
  KFIO_DECLARE_DYNAMIC(XoListErr, XoMethod)
 public:
  // Takes no arguments and leaves the log as it is, so it shows the errors
  // of the call before.
  int ParseArguments(char* /*arguments*/, XoDLL& /*module*/) override { return 0; }
  bool AfterRun(XoDLL& /*module*/) override { return false; }

 protected:
  int Execute(double* result, XoDLL& module) override;
};

class XoLastErrId : public XoMethod {
  KFIO_DECLARE_DYNAMIC(XoLastErrId, XoMethod)
 protected:
  int Execute(double* result, XoDLL& module) override;
};

class XoReset : public XoMethod {
  KFIO_DECLARE_DYNAMIC(XoReset, XoMethod)
 protected:
  int Execute(double* result, XoDLL& module) override;
};

class XoDLL : public Xobj {
  KFIO_DECLARE_DYNAMIC(XoDLL, Xobj)
 public:
  XoDLL();
  XoDLL(const XoDLL&) = delete;
  XoDLL& operator=(const XoDLL&) = delete;

  virtual int AccessProperty(const char* name, uint16_t access, void* value);
  virtual void ListMembers();
  virtual int ListPath(const char* path);
  virtual int CallMethod(const char* name, char* arguments, double* result);
  virtual int AccessMethodMember(const char* method, const char* member, void* value,
                                 uint16_t access);
  virtual int AccessPropertyIn(const char* name, uint16_t access, void* value,
                               const MemberTable& table, XoMethod* owner);
  virtual int CallMethodIn(const char* name, char* arguments, double* result,
                           const MemberTable& table);
  virtual int AccessMethodMemberIn(const char* method, const char* member, uint16_t access,
                                   void* value, const MemberTable& table);
  virtual void ListTable(const MemberTable* table, const char* prefix);
  virtual void ResetTable(const MemberTable* table);
  virtual void Reset();
  // An exception ended the call: drop whatever state a half-run call left
  // that would break the next one.
  virtual void AfterException() {}
  virtual int MissingMember(const char* /*name*/, const char* /*member*/, uint16_t /*access*/,
                            void* /*value*/) {
    return 0;
  }

  // Outcome of the current call: -1 plain, 0 flagged so far fine, 1 failed
  // at the entry, 2 failed inside a method's member.
  int32_t callState = -1;

  const MemberTable& BuiltinProperties() const { return builtinProperties_; }
  const MemberTable& BuiltinMethods() const { return builtinMethods_; }
  XoReal& FirstReal() { return firstReal_; }
  XoReal& SecondReal() { return secondReal_; }
  XoInt& BuiltinError() { return error_; }

 protected:
  // A module object's own tables, searched before the built-in ones.
  void SetOwnTables(const MemberTable* properties, const MemberTable* methods) {
    ownProperties_ = properties;
    ownMethods_ = methods;
  }

 private:
  int ListPathIn(const MemberTable& table, const char* const* parts, int count);
  void ListEntry(const MemberEntry& entry, const char* prefix);
  void Emit(const std::string& line, const char* prefix);

  XoReal firstReal_;
  XoReal secondReal_;
  XoInt error_;
  XoInt warning_;
  XoString message_;
  XoListErr listErr_;
  XoLastErrId lastErrId_;
  MemberTable builtinProperties_;
  MemberTable builtinMethods_;
  const MemberTable* ownProperties_ = nullptr;
  const MemberTable* ownMethods_ = nullptr;
  std::vector<char> textBuffer_;  // for string values in listings
};

// The one module object that the entry point serves.
XoDLL& TheModule();

}  // namespace kfio
