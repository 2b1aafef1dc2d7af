// The high-level base: saved settings, settings by state index, nested calls.
#include "fum/high_level.h"

#include <charconv>
#include <new>

#include "bridge/host_services.h"
#include "fum/errors.h"
#include "fum/settings.h"
#include "kutl/missing_value.h"

namespace kfio {

namespace {

// The table names are literals, so their views end at a NUL.
XoScript* Setting(int index) {
  if (index < 0 || index >= XoHighLev::kSettingCount) return nullptr;
  const MemberEntry* e = FindEntry(TheState().Properties(), kSettingNames[index].data());
  return e != nullptr ? e->member : nullptr;
}

XoMethod* NestedMethod(int index) {
  if (index < 0 || index >= static_cast<int>(kNestedMethodNames.size())) return nullptr;
  const MemberEntry* e = FindEntry(TheState().Methods(), kNestedMethodNames[index].data());
  if (e == nullptr || !e->member->IsKindOf(&XoMethod::classXoMethod)) return nullptr;
  return static_cast<XoMethod*>(e->member);
}

// May throw bad_alloc.
std::unique_ptr<XoProperty> MakeArgument(const NestedArgument& a) {
  std::unique_ptr<XoProperty> made;
  switch (a.kind) {
    case NestedArgument::Kind::kInteger:
      made = std::make_unique<XoInt>(a.integer);
      break;
    case NestedArgument::Kind::kReal:
      made = std::make_unique<XoReal>();
      made->SetNumber(a.real);
      break;
    case NestedArgument::Kind::kText: {
      auto text = std::make_unique<XoString>();
      text->SetText(a.text);
      made = std::move(text);
      break;
    }
  }
  made->SetGiven(true);
  return made;
}

}  // namespace

int XoHighLev::ParseArguments(char* arguments, XoDLL& module) {
  saved_.reset();
  if (const int s = XoFUMIO::ParseArguments(arguments, module)) return s;
  saved_.reset(new (std::nothrow) double[kSettingCount]);
  if (!saved_) return OutOfMemoryFailure();
  for (int i = 0; i < kSettingCount; ++i) saved_[i] = GetSetting(i);
  TheState().nestedCall = true;
  if (const int s = CheckArguments()) {
    // No Run and no AfterRun follow: left set, the flag would make every
    // later call skip its argument parsing.
    EndNesting();
    return s;
  }
  return 0;
}

bool XoHighLev::AfterRun(XoDLL& module) {
  if (saved_) {
    // NEWACTIONS comes first, so the rest is put back under the script's
    // own error mode.
    for (int i = 0; i < kSettingCount; ++i) {
      if (i != SettingIndex("ERROR") && i != SettingIndex("SYSERR")) SetSetting(i, saved_[i]);
    }
  }
  EndNesting();
  return XoFUMIO::AfterRun(module);
}

void XoHighLev::EndNesting() {
  saved_.reset();
  TheState().nestedCall = false;
}

double XoHighLev::GetSetting(int index) {
  double value = kMissingValue;
  if (XoScript* s = Setting(index)) s->GetNumber(&value);
  return value;
}

int XoHighLev::SetSetting(int index, double value) {
  XoScript* s = Setting(index);
  return s != nullptr ? s->SetNumber(value) : 1;
}

std::string XoHighLev::GetSettingText(int index) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, GetSetting(index)).ptr;
  return std::string(text, end);
}

int XoHighLev::SetSettingText(int index, const char* text) {
  if (text == nullptr) return 1;
  return SetSetting(index, EvaluateExpression(text));
}

int XoHighLev::RunNested(XoDLL& module, int index, double* result, const NestedArgument* arguments, int count) {
  *result = kMissingValue;
  XoMethod* callee = NestedMethod(index);
  if (callee == nullptr) return StoreError(err::kNoNestedMethod);
  for (int i = 0; i < XoMethod::kMaxArguments; ++i) {
    if (i >= count) {
      if (XoProperty* a = callee->Argument(i)) a->SetGiven(false);
      continue;
    }
    std::unique_ptr<XoProperty> value;
    try {
      value = MakeArgument(arguments[i]);
    } catch (const std::bad_alloc&) {
    }
    // The slot keeps its object when no new one could be made: an empty
    // slot would drop that argument from every later script call.
    if (!value) return OutOfMemoryFailure();
    callee->ReplaceArgument(i, std::move(value));
  }
  return callee->Invoke(nullptr, result, module, {kMissingValue, false});
}

}  // namespace kfio
