// Argument cutting and the default method operations.
#include "bridge/method.h"

#include <cstring>
#include <new>
#include <string>

#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/module_object.h"
#include "bridge/truncate.h"
#include "kutl/kutl.h"

namespace kfio {

void XoMethod::NormalizeArgumentString(char* arguments) const {
  if (!SplitsArguments()) {
    kutl::NormalizeArguments(arguments);
    return;
  }
  const std::size_t length = std::strlen(arguments);
  if (length >= kSplitLimit) return;
  char work[kSplitLimit];
  std::memcpy(work, arguments, length + 1);
  arguments[0] = '\0';
  char* parts[5];
  const int n = kutl::SplitInPlace(work, parts, ',', 5);
  std::size_t out = 0;
  for (int i = 0; i < n; ++i) {
    const char* part = kutl::NormalizePart(parts[i]);
    const std::size_t partLength = std::strlen(part);
    if (i > 0) arguments[out++] = ',';
    std::memcpy(arguments + out, part, partLength);
    out += partLength;
  }
  arguments[out] = '\0';
}

int XoMethod::ParseArguments(char* arguments, XoDLL& /*module*/) {
  TheErrorLog().Clear();
  if (arguments == nullptr) return 0;
  NormalizeArgumentString(arguments);
  for (auto& slot : args_)
    if (slot) slot->SetGiven(false);
  if (arguments[0] == '\0') return 0;
  if (argCount_ < 1) {
    TheErrorLog().Record(errid::kTooManyArguments, ClassName());
    return 1;
  }
  char* piece = arguments;
  for (int i = 0;;) {
    char* separator = kutl::FindSeparator(piece, ',', 16);
    if (separator != nullptr) *separator = '\0';
    if (piece[0] != '\0' && args_[i]) args_[i]->AssignFromText(piece);
    ++i;
    if (separator == nullptr) return 0;
    piece = separator + 1;
    if (i >= argCount_) {
      TheErrorLog().Record(errid::kTooManyArguments, ClassName());
      return 1;
    }
  }
}

int XoMethod::Invoke(char* arguments, double* result, XoDLL& module, Steps steps) {
  // Memory that runs out anywhere below is this call's failure, answered
  // as the method's own status and logged as XODLL logs what it catches;
  // AfterRun still puts back what it must.
  const auto outOfMemory = [this] {
    // Short enough for the string's own buffer: logging it needs no memory.
    TheErrorLog().Record(errid::kCaughtException, "out of memory");
    return RanOutOfMemory();
  };
  int r = 0;
  try {
    r = ParseArguments(arguments, module);
  } catch (const std::bad_alloc&) {
    r = outOfMemory();
  }
  if (r != 0) return r;
  *result = steps.preset;
  try {
    r = Run(result, module);
  } catch (const std::bad_alloc&) {
    r = outOfMemory();
  }
  if (r == 0 || steps.afterRunOnFailure) AfterRun(module);
  return r;
}

void XoMethod::ReplaceArgument(int i, std::unique_ptr<XoProperty> replacement) {
  if (i < 0 || i >= kMaxArguments) return;
  args_[i] = std::move(replacement);
}

int32_t XoMethod::IntArg(int i) const {
  const XoProperty* a = Argument(i);
  return a != nullptr ? TruncateToInt32(a->Value()) : 0;
}

double XoMethod::ValueArg(int i) const {
  const XoProperty* a = Argument(i);
  return a != nullptr ? a->Value() : 0.0;
}

const char* XoMethod::TextArg(int i) const {
  const XoProperty* a = Argument(i);
  return a != nullptr ? a->GetText() : nullptr;
}

bool XoMethod::AfterRun(XoDLL& /*module*/) { return NotifyAfterMethod(); }

int XoMethod::AccessMember(XoDLL& module, const char* member, uint16_t accessKind, void* value) {
  return AccessMemberIn(module, member, accessKind, value, SubTable());
}

int XoMethod::AccessMemberIn(XoDLL& module, const char* member, uint16_t accessKind, void* value,
                             const MemberTable* table) {
  if (table == nullptr) return status::kFailed;
  return module.AccessPropertyIn(member, accessKind, value, *table, this);
}

void XoMethod::ListMembersIn(const MemberTable* table, const char* prefix, XoDLL& module) {
  if (table != nullptr) module.ListTable(table, prefix);
}

void XoMethod::ListSubMembers(const char* prefix, XoDLL& module) {
  if (SubTable() != nullptr) module.ListTable(SubTable(), prefix);
}

void XoMethod::ResetSubMembers(XoDLL& module) {
  if (SubTable() != nullptr) module.ResetTable(SubTable());
}

void XoMethod::ResetMembersIn(const MemberTable* table, XoDLL& module) {
  if (table != nullptr) module.ResetTable(table);
}

}  // namespace kfio
