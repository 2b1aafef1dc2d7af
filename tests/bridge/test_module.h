// A small module object with the member shapes the framework must serve:
// an indexed number, a plain name ending in digits, methods with slots.
#pragma once

#include <vector>

#include "bridge/host_services.h"
#include "bridge/module_object.h"
#include "host/ref_host.h"

namespace kfio::testing {

class IndexedNumbers : public XoNumeric {
  KFIO_DECLARE_DYNAMIC(IndexedNumbers, XoNumeric)

 public:
  std::vector<double> values{1.5, 2.5, 3.5};
  uint16_t Kind() const override { return kind::kIndexed | kind::kNumber; }
  int GetElementNumber(double* out, int i) override {
    if (i < 0 || i >= static_cast<int>(values.size())) return 1;
    *out = values[i];
    return 0;
  }
  int SetElementNumber(double v, int i) override {
    if (i < 0 || i >= static_cast<int>(values.size())) return 1;
    values[i] = v;
    return 0;
  }
  int GetCount(int* n, uint16_t) override { *n = static_cast<int>(values.size()); return 0; }
  int SetCount(int n, uint16_t) override {
    if (n < 0 || n > 10) return 1;
    values.resize(n);
    return 0;
  }
};

class TwoSlots : public XoMethod {
  KFIO_DECLARE_DYNAMIC(TwoSlots, XoMethod)

 public:
  int number = AddArgument<XoReal>();
  int text = AddArgument<XoString>();
  int runs = 0;
  int Execute(double* result, XoDLL&) override {
    ++runs;
    *result = ValueArg(number);
    return 0;
  }
};

class ThreeStrings : public XoMethod {
  KFIO_DECLARE_DYNAMIC(ThreeStrings, XoMethod)

 public:
  ThreeStrings() {
    for (int i = 0; i < 3; ++i) AddArgument<XoString>();
  }
  XoString* Slot(int i) const { return static_cast<XoString*>(Argument(i)); }
  bool splits = false;
  bool SplitsArguments() const override { return splits; }
  int Execute(double*, XoDLL&) override { return 0; }  // result stays as the framework set it
};

class Failing : public XoMethod {
  KFIO_DECLARE_DYNAMIC(Failing, XoMethod)

 public:
  int Execute(double* result, XoDLL&) override {
    *result = 42.0;
    return 1;
  }
};

class WithMembers : public XoMethod {
  KFIO_DECLARE_DYNAMIC(WithMembers, XoMethod)

 public:
  XoInt mode;
  XoString name;
  MemberTable table{{&mode, "MODE"}, {&name, "NAME"}};
  const MemberTable* SubTable() const override { return &table; }
};

class TestModule : public XoDLL {
  KFIO_DECLARE_DYNAMIC(TestModule, XoDLL)

 public:
  IndexedNumbers x;
  XoInt plainX2;
  XoBool flag;
  XoString label;
  TwoSlots two;
  ThreeStrings three;
  Failing failing;
  WithMembers withMembers;
  MemberTable properties{{&x, "X"}, {&plainX2, "X2"}, {&flag, "FLAG"}, {&label, "LABEL"}};
  MemberTable methods{{&two, "TWO"},
                      {&three, "THREE"},
                      {&failing, "FAILING"},
                      {&withMembers, "WITH"}};
  TestModule() { SetOwnTables(&properties, &methods); }
};

// Points the module's host link at a reference host for direct calls.
inline void LinkHost(refhost::RefHost& host) {
  TheHostLink().callback = &refhost::RefHost::Trampoline;
  TheHostLink().context = reinterpret_cast<uint64_t>(&host);
}

}  // namespace kfio::testing
