// Member lookup, routing, listing and reset of the module object.
#include "bridge/module_object.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "kutl/kutl.h"

namespace kfio {

namespace {
constexpr std::size_t kNameBuffer = 256;
constexpr std::size_t kPathCopy = 1023;
constexpr int kPathParts = 10;
}  // namespace

int XoListErr::Execute(double* result, XoDLL& /*module*/) {
  const ErrorLog& log = TheErrorLog();
  int slot = log.Position();
  for (int n = 0; n < ErrorLog::kSize; ++n) {
    const ErrorLog::Entry& r = log.At(slot);
    PrintLine((r.text ? *r.text : std::string()) + "\t" + std::to_string(r.id));
    slot = (slot + ErrorLog::kSize - 1) % ErrorLog::kSize;
  }
  *result = 0.0;
  return 0;
}

int XoLastErrId::Execute(double* result, XoDLL& /*module*/) {
  *result = TheErrorLog().LastErrorId();
  return 0;
}

int XoReset::Execute(double* result, XoDLL& module) {
  module.Reset();
  *result = 0.0;
  return 0;
}

XoDLL::XoDLL()
    : builtinProperties_{{&error_, "ERROR"}, {&warning_, "WARNMSG"}, {&message_, "MSG"}},
      builtinMethods_{{&listErr_, "LISTERR"}, {&lastErrId_, "LASTERRID"}} {}

int XoDLL::AccessProperty(const char* name, uint16_t accessKind, void* value) {
  if (ownProperties_ != nullptr) {
    const int s = AccessPropertyIn(name, accessKind, value, *ownProperties_, nullptr);
    if (s != 0) return s;
  }
  return AccessPropertyIn(name, accessKind, value, builtinProperties_, nullptr);
}

int XoDLL::CallMethod(const char* name, char* arguments, double* result) {
  if (ownMethods_ != nullptr) {
    const int s = CallMethodIn(name, arguments, result, *ownMethods_);
    if (s != 0) return s;
  }
  return CallMethodIn(name, arguments, result, builtinMethods_);
}

int XoDLL::AccessMethodMember(const char* method, const char* member, void* value,
                              uint16_t accessKind) {
  if (ownMethods_ != nullptr) {
    const int s = AccessMethodMemberIn(method, member, accessKind, value, *ownMethods_);
    if (s != 0) return s;
  }
  return AccessMethodMemberIn(method, member, accessKind, value, builtinMethods_);
}

void XoDLL::ListMembers() {
  ListTable(ownMethods_, nullptr);
  ListTable(ownProperties_, nullptr);
  ListTable(&builtinMethods_, nullptr);
  ListTable(&builtinProperties_, nullptr);
}

int XoDLL::AccessPropertyIn(const char* name, uint16_t accessKind, void* value,
                            const MemberTable& table, XoMethod* /*owner*/) {
  if (name == nullptr) return 0;
  const uint16_t wanted = accessKind & 3;
  // The plain member of that name and kind; indexed members are passed over.
  int match = -1;
  for (int i = table.First(name); i >= 0; i = table.Next(i)) {
    if (table[i].member->Kind() == wanted) {
      match = i;
      break;
    }
  }
  if (match >= 0) {
    const MemberEntry& e = table[match];
    const int s = (accessKind & access::kString)
                      ? e.member->AccessString(static_cast<char*>(value), accessKind)
                      : e.member->AccessNumber(static_cast<double*>(value), accessKind);
    if (s != 0) return s;
  }
  // The walk that found the member (or ran to the end) met an indexed one.
  const bool sawIndexed = table.FirstIndexed() < (match >= 0 ? match : table.size());
  const int missing = MissingMember(name, nullptr, accessKind, value);
  if (missing != 0 || !sawIndexed) return missing;

  if (std::strlen(name) >= kNameBuffer) return 0;
  char base[kNameBuffer];
  const int number = kutl::SplitTrailingNumber(base, sizeof base, name);
  const bool countAccess = (accessKind & (access::kAssignCount | access::kReadCount)) != 0;
  if (!countAccess && number < 1) return 0;
  for (int i = table.First(base); i >= 0; i = table.Next(i)) {
    XoScript* m = table[i].member;
    const uint16_t k = m->Kind();
    if (!(k & kind::kIndexed)) continue;
    if (!countAccess && (k & ~kind::kIndexed) != wanted) continue;
    if (countAccess) return m->AccessCount(static_cast<double*>(value), accessKind);
    return (accessKind & access::kString)
               ? m->AccessElementString(static_cast<char*>(value), number - 1, accessKind)
               : m->AccessElementNumber(static_cast<double*>(value), number - 1, accessKind);
  }
  return missing;
}

int XoDLL::CallMethodIn(const char* name, char* arguments, double* result,
                        const MemberTable& table) {
  const MemberEntry* e = FindEntry(table, name);
  if (e == nullptr) return 0;
  if (callState == 0) return 1;  // a flagged call only asks whether the method exists
  return static_cast<XoMethod*>(e->member)->Invoke(arguments, result, *this) != 0 ? 2 : 1;
}

int XoDLL::AccessMethodMemberIn(const char* method, const char* member, uint16_t accessKind,
                                void* value, const MemberTable& table) {
  bool answered = false;
  for (int i = table.First(method); i >= 0; i = table.Next(i)) {
    const int r = static_cast<XoMethod*>(table[i].member)->AccessMember(*this, member, accessKind, value);
    if (r == 1) {
      answered = true;
      continue;
    }
    if (callState != 0) return r;
    callState = 2;
    return 2;
  }
  return answered ? 1 : MissingMember(method, member, accessKind, value);
}

int XoDLL::ListPathIn(const MemberTable& table, const char* const* parts, int count) {
  const MemberTable* current = &table;
  for (int i = 0; i < count; ++i) {
    if (current == nullptr) continue;
    const MemberEntry* e = FindEntry(*current, parts[i]);
    if (e == nullptr) continue;
    if ((e->member->Kind() & 3) != kind::kMethod) return 0;
    current = static_cast<XoMethod*>(e->member)->SubTable();
    if (i == count - 1) {
      ListTable(current, nullptr);
      return 1;
    }
  }
  return 0;
}

int XoDLL::ListPath(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  char copy[kPathCopy + 1];
  std::strncpy(copy, path, kPathCopy);
  copy[kPathCopy] = '\0';
  char* parts[kPathParts];
  const int count = kutl::SplitInPlace(copy, parts, '.', kPathParts);
  if (count < 1) return 0;
  if (ownMethods_ != nullptr && ListPathIn(*ownMethods_, parts, count) == 1) return 1;
  return ListPathIn(builtinMethods_, parts, count);
}

void XoDLL::Emit(const std::string& line, const char* prefix) {
  if (prefix != nullptr)
    PrintLine(std::string("  ") + prefix + "." + line);
  else
    PrintLine(line);
}

void XoDLL::ListEntry(const MemberEntry& e, const char* prefix) {
  const uint16_t k = e.member->Kind();
  const std::string name = e.name;
  if (k == kind::kMethod) {
    Emit(name + "()", prefix);
    static_cast<XoMethod*>(e.member)->ListSubMembers(e.name, *this);
    return;
  }
  if (textBuffer_.empty()) textBuffer_.resize(kHostStringBuffer);
  char* text = textBuffer_.data();
  if (!(k & kind::kIndexed)) {
    if (k == kind::kString) {
      text[0] = '\0';
      e.member->AccessString(text, access::kString | access::kRead);
      Emit(name + "$\t\"" + text + "\"", prefix);
    } else {
      double v = 0.0;
      e.member->AccessNumber(&v, access::kRead);
      Emit(name + "\t" + FormatNumber(v), prefix);
    }
    return;
  }
  double count = 0.0;
  int n = 1;
  if (e.member->AccessCount(&count, access::kReadCount) == status::kDone && count > 1.0)
    n = static_cast<int>(std::min(count, 2147483647.0));
  const bool isString = (k & ~kind::kIndexed) == kind::kString;
  for (int i = 1; i <= n; ++i) {
    const std::string label = name + std::to_string(i);
    if (isString) {
      text[0] = '\0';
      if (e.member->AccessElementString(text, i - 1, access::kString | access::kRead) != status::kDone)
        text[0] = '\0';
      Emit(label + "$\t\"" + text + "\"", prefix);
    } else {
      double v = 0.0;
      const bool ok = e.member->AccessElementNumber(&v, i - 1, access::kRead) == status::kDone;
      Emit(label + "\t" + (ok ? FormatNumber(v) : std::string("--")), prefix);
    }
  }
}

void XoDLL::ListTable(const MemberTable* table, const char* prefix) {
  if (table == nullptr) return;
  for (const MemberEntry& e : *table) ListEntry(e, prefix);
}

void XoDLL::ResetTable(const MemberTable* table) {
  if (table == nullptr) return;
  for (const MemberEntry& e : *table) {
    if (e.member->Kind() == kind::kMethod) static_cast<XoMethod*>(e.member)->ResetSubMembers(*this);
    e.member->Reset();
  }
}

void XoDLL::Reset() {
  firstReal_.SetNumber(6.0);
  error_.SetNumber(0.0);
}

}  // namespace kfio
