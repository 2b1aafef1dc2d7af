// Member lookup, indexed names, argument cutting, listing and the error log,
// on a module object with every member shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bridge/arrays.h"
#include "bridge/entry.h"
#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/module_object.h"
#include "host/ref_host.h"

namespace kfio::testing {
namespace {

// The member shapes the framework must serve: an indexed number, a plain
// name ending in digits, methods with slots, with members, and one that fails.
class IndexedNumbers : public XoNumeric {
  KFIO_DECLARE_DYNAMIC(IndexedNumbers, XoNumeric)
 public:
  std::vector<double> values{1.5, 2.5, 3.5};
  bool Has(int i) const { return i >= 0 && i < static_cast<int>(values.size()); }
  uint16_t Kind() const override { return kind::kIndexed | kind::kNumber; }
  int GetElementNumber(double* out, int i) override { return Has(i) ? (*out = values[i], 0) : 1; }
  int SetElementNumber(double v, int i) override { return Has(i) ? (values[i] = v, 0) : 1; }
  int GetCount(int* n, uint16_t) override { *n = static_cast<int>(values.size()); return 0; }
  int SetCount(int n, uint16_t) override { return n < 0 || n > 10 ? 1 : (values.resize(n), 0); }
};

class TwoSlots : public XoMethod {
  KFIO_DECLARE_DYNAMIC(TwoSlots, XoMethod)
 public:
  int number = AddArgument<XoReal>();
  int text = AddArgument<XoString>();
  int runs = 0;
  int Execute(double* result, XoDLL&) override { return ++runs, *result = ValueArg(number), 0; }
};

class ThreeStrings : public XoMethod {
  KFIO_DECLARE_DYNAMIC(ThreeStrings, XoMethod)
 public:
  ThreeStrings() { AddArgument<XoString>(), AddArgument<XoString>(), AddArgument<XoString>(); }
  bool splits = false;
  bool SplitsArguments() const override { return splits; }
  int Execute(double*, XoDLL&) override { return 0; }  // result stays as the framework set it
};

class Failing : public XoMethod {
  KFIO_DECLARE_DYNAMIC(Failing, XoMethod)
 public:
  int Execute(double* result, XoDLL&) override { return *result = 42.0, 1; }
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
  XoDataNameVec names;
  XoArray numbers;  // an indexed number with no elements of its own
  TwoSlots two;
  ThreeStrings three;
  Failing failing;
  WithMembers withMembers;
  MemberTable properties{{&x, "X"},         {&plainX2, "X2"},      {&flag, "FLAG"},
                         {&label, "LABEL"}, {&names, "NAMES"},     {&numbers, "NUMS"}};
  MemberTable methods{
      {&two, "TWO"}, {&three, "THREE"}, {&failing, "FAILING"}, {&withMembers, "WITH"}};
  TestModule() { SetOwnTables(&properties, &methods); }
};

class Framework : public ::testing::Test {
 protected:
  Framework() : host(&XODLL) {
    TheHostLink().callback = &refhost::RefHost::Trampoline;
    TheHostLink().context = reinterpret_cast<uint64_t>(&host);
  }
  int Call(const char* name, std::string args, double* result) {
    return module.CallMethod(name, args.data(), result);
  }
  refhost::RefHost host;
  TestModule module;
};

TEST_F(Framework, IndexedNamesAndCounts) {
  using namespace access;
  module.plainX2.Store(77);
  // out: checked when the status is 1.
  const struct { const char* name; uint16_t how; double in; int status; double out; } cases[] = {
      {"X1", kRead, 0, 1, 1.5}, {"x3", kRead, 0, 1, 3.5}, {"Y1", kRead, 0, 0, 0},
      {"X0", kRead, 0, 0, 0},   // no element 0: not found
      {"X4", kRead, 0, 2, 0},   // the member refuses index 3
      {"X2", kRead, 0, 1, 77},  // the plain name is served first
      {"X", kReadCount, 0, 1, 3}, {"X", kAssignCount, 5.9, 1, 5.9}, {"X", kAssignCount, 11, 2, 0},
      {"X2", kAssign, 9.25, 1, 9.25}, {"X1", kAssign, 9.25, 1, 9.25},
      {"X1", 0, 0, 2, 0},  // neither assign nor read
  };
  for (const auto& c : cases) {
    double v = c.in;
    EXPECT_EQ(module.AccessProperty(c.name, c.how, &v), c.status) << c.name << " " << c.how;
    EXPECT_EQ(v, c.status == 1 ? c.out : v) << c.name << " " << c.how;
  }
  EXPECT_EQ(module.x.values, (std::vector<double>{9.25, 2.5, 3.5, 0, 0}));
  EXPECT_EQ(module.plainX2.Int(), 9);
  double v = 0;
  EXPECT_EQ(module.x.AccessCount(&v, kRead), 2);
}

// A vector of dataset names: element i + 1 appends at i = count, other indices and empty names are refused.
TEST_F(Framework, IndexedStringsAndTheirErrors) {
  using namespace access;
  const uint16_t set = kString | kAssign, get = kString | kRead;
  // text: assigned, or expected back when status is 1; error: the error log's last id afterwards.
  const struct { const char* name; uint16_t how; const char* text; int status; int error; } cases[] = {
      {"NAMES1", get, "", 2, 101},          {"NAMES2", set, "b", 2, 101},      {"NAMES1", set, "a", 1, 0},
      {"names2", set, "b", 1, 0},           {"NAMES1", set, "A", 1, 0},        {"NAMES3", set, "", 2, 106},
      {"NAMES1", get, "A", 1, 0},           {"NAMES2", get, "b", 1, 0},        {"NAMES3", get, "", 2, 101},
      {"NAMES0", get, "", 0, 0},            {"NAMES1", kString, "", 2, 0},     {"NUMS1", kRead, "", 0, 0},
      {"LABEL", kString, "", 2, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.how));
    TheErrorLog().Clear();
    TheErrorLog().Record(0, nullptr);
    char value[16] = {};
    if (c.how & kAssign) std::strcpy(value, c.text);
    EXPECT_EQ(module.AccessProperty(c.name, c.how, value), c.status);
    if (c.status == 1) {
      EXPECT_STREQ(value, c.text);
    }
    EXPECT_EQ(TheErrorLog().LastErrorId(), c.error);
  }
  EXPECT_TRUE(module.names.Name(0)->IsKindOf(&XoDataSetName::classXoDataSetName));
  EXPECT_EQ(module.names.Name(2), nullptr);

  // Counts: 0 to the capacity of 10; shrinking drops the elements beyond.
  const struct { double count; int status; int after; } counts[] = {{11, 2, 2}, {-1, 2, 2}, {1, 1, 1}, {10, 1, 10}};
  for (const auto& c : counts) {
    TheErrorLog().Record(0, nullptr);
    double v = c.count;
    EXPECT_EQ(module.AccessProperty("NAMES", kAssignCount, &v), c.status) << c.count;
    EXPECT_EQ(TheErrorLog().LastErrorId(), c.status == 2 ? 100 : 0) << c.count;
    EXPECT_EQ(module.AccessProperty("NAMES", kReadCount, &v), 1);
    EXPECT_EQ(v, c.after) << c.count;
  }
  char value[16] = "unchanged";
  EXPECT_EQ(module.AccessProperty("NAMES2", get, value), 1);  // an element never set leaves the buffer
  EXPECT_STREQ(value, "unchanged");
  EXPECT_EQ(module.AccessProperty("NAMES11", set, value), 2);  // no room for an eleventh
  EXPECT_EQ(TheErrorLog().LastErrorId(), 101);
}

TEST_F(Framework, BoolAndResetValues) {
  for (auto [in, out] : {std::pair{0.5, 1.0}, {0.0, 0.0}}) {
    double v = in;
    module.AccessProperty("FLAG", access::kAssign, &v);
    EXPECT_EQ(module.AccessProperty("FLAG", access::kRead, &v), 1);
    EXPECT_EQ(std::make_pair(v, module.flag.Value()), std::make_pair(out, out)) << in;
  }
  // A plain number's element is the number whatever the index, and storing one does nothing.
  XoReal real;
  real.SetNumber(1234.0);
  double v = 0;
  EXPECT_EQ(std::make_tuple(real.AccessElementNumber(&v, 7, access::kRead), v, real.IsPlaceholder()),
            std::make_tuple(1, 1234.0, true));
  v = 5;
  EXPECT_EQ(std::make_tuple(real.AccessElementNumber(&v, 7, access::kAssign), real.Value()),
            std::make_tuple(1, 1234.0));
  real.SetNumber(1233.5);
  EXPECT_FALSE(real.IsPlaceholder());
  EXPECT_EQ(std::make_tuple(module.label.Value(), module.label.IsPlaceholder()), std::make_tuple(kMissingValue, false));
  module.label.SetText("abc");
  char text[8] = {};
  EXPECT_EQ(module.label.GetElementString(text, 5), 0);
  EXPECT_STREQ(text, "abc");
  module.plainX2.Store(5);
  module.ResetTable(&module.properties);
  EXPECT_EQ(module.label.GetText(), nullptr);
  EXPECT_EQ(module.plainX2.Int(), 0);
}

TEST_F(Framework, ArgumentCutting) {
  const std::string longArg(700, 'q');
  // slots: the texts expected, null where not given.
  const struct { const char* label; bool splits; std::string args; std::vector<const char*> slots; } cases[] = {
      {"three pieces", false, "x,y,z", {"x", "y", "z"}}, {"blanks trimmed", false, " x , y ,z ", {"x", "y", "z"}},
      {"empty middle", false, "a,,c", {"a", nullptr, "c"}},
      {"trailing comma counts", false, "a,b,", {"a", "b", nullptr}},
      {"quoted comma kept", false, "\"a,b\",c", {"\"a,b\"", "c", nullptr}},
      {"split and trimmed", true, " a , b ", {"a", "b", nullptr}},
      {"no arguments", false, "", {nullptr, nullptr, nullptr}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    module.three.splits = c.splits;
    double result = 0;
    EXPECT_EQ(Call("THREE", c.args, &result), 1);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(module.three.Argument(i)->IsGiven(), c.slots[i] != nullptr) << i;
      if (c.slots[i]) {
        EXPECT_STREQ(module.three.Argument(i)->GetText(), c.slots[i]) << i;
      }
    }
  }
  // A text of 600 characters or more goes over unchanged, blanks and all,
  // and is still cut at commas.
  module.three.splits = true;
  double r = 0;
  EXPECT_EQ(Call("THREE", " " + longArg + " ,b", &r), 1);
  EXPECT_EQ(std::string(module.three.Argument(0)->GetText()), " " + longArg + " ");
  EXPECT_STREQ(module.three.Argument(1)->GetText(), "b");
}

TEST_F(Framework, TooManyArgumentsKeepsTheResult) {
  double result = 8.0;
  EXPECT_EQ(Call("TWO", "1,2,3", &result), 2);
  EXPECT_EQ(std::make_pair(result, module.two.runs), std::make_pair(8.0, 0));  // never ran
  EXPECT_EQ(module.two.Argument(module.two.number)->Value(), 1.0);  // the first two slots were assigned
  EXPECT_STREQ(module.two.Argument(module.two.text)->GetText(), "2");
  EXPECT_EQ(TheErrorLog().LastErrorId(), 900);
  EXPECT_EQ(TheErrorLog().At(TheErrorLog().Position()).text.value_or(""), "TwoSlots");

  EXPECT_EQ(Call("TWO", "2*3+1", &result), 1);
  EXPECT_EQ(result, 7.0);  // numbers are evaluated by the host
  EXPECT_FALSE(module.two.Argument(module.two.text)->IsGiven());
  EXPECT_STREQ(module.two.Argument(module.two.text)->GetText(), "2");  // the old value stays, not given

  EXPECT_EQ(Call("FAILING", "", &result), 2);
  EXPECT_EQ(result, 42.0);  // as the method left it
  EXPECT_EQ(Call("FAILING", "1", &result), 2);  // no slots at all
  EXPECT_EQ(TheErrorLog().LastErrorId(), 900);
  EXPECT_EQ(Call("WITH", "", &result), 1);
  EXPECT_EQ(result, 1234.0);  // a method that sets nothing
}

TEST_F(Framework, MethodMembersAndPaths) {
  double v = 3;
  EXPECT_EQ(module.AccessMethodMember("with", "mode", &v, access::kAssign), 1);
  EXPECT_EQ(module.withMembers.mode.Int(), 3);
  EXPECT_EQ(module.AccessMethodMember("WITH", "nosuch", &v, access::kRead), 0);
  EXPECT_EQ(module.AccessMethodMember("TWO", "mode", &v, access::kRead), 2);  // no members
  module.callState = 0;
  EXPECT_EQ(module.AccessMethodMember("TWO", "mode", &v, access::kRead), 2);
  EXPECT_EQ(module.callState, 2);
  module.callState = -1;
  EXPECT_EQ(module.AccessMethodMember("NOSUCH", "mode", &v, access::kRead), 0);

  module.withMembers.name.SetText("a.dat");
  const std::vector<std::string> listed = {"MODE\t3", "NAME$\t\"a.dat\""};
  host.ClearOutput();
  module.withMembers.ListMembersIn(nullptr, "P", module);
  module.withMembers.ListMembersIn(&module.withMembers.table, "P", module);
  EXPECT_EQ(host.output, (std::vector<std::string>{"  P.MODE\t3", "  P.NAME$\t\"a.dat\""}));
  // Unknown parts are skipped.
  const std::pair<const char*, int> paths[] = {{"with", 1}, {"nosuch.with", 1}, {"X", 0}, {"", 0}, {"TWO.X", 0}};
  for (const auto& [path, answer] : paths) {
    host.ClearOutput();
    EXPECT_EQ(module.ListPath(path), answer) << path;
    EXPECT_EQ(host.output, answer ? listed : std::vector<std::string>{}) << path;
  }
  module.withMembers.ResetMembersIn(nullptr, module);
  EXPECT_EQ(module.withMembers.mode.Int(), 3);
  module.withMembers.ResetMembersIn(&module.withMembers.table, module);
  EXPECT_EQ(module.withMembers.mode.Int(), 0);
  EXPECT_EQ(module.withMembers.name.GetText(), nullptr);
}

TEST_F(Framework, ListingLinesByteForByte) {
  module.x.values = {1.5, -2.0};
  module.plainX2.Store(12);
  module.label.SetText("say \"hi\"");
  module.withMembers.mode.Store(1);
  module.withMembers.name.SetText(nullptr);
  module.names.SetElementString("a", 0);
  module.names.SetCount(2, access::kAssignCount);  // the second element is empty
  host.ClearOutput();
  module.ListMembers();
  const std::vector<std::string> expected = {
      "TWO()",         "THREE()",        "FAILING()",         "WITH()",
      "  WITH.MODE\t1", "  WITH.NAME$\t\"\"", "X1\t1.5",         "X2\t-2",
      "X2\t12",        "FLAG\t0",        "LABEL$\t\"say \"hi\"\"", "NAMES1$\t\"a\"",
      "NAMES2$\t\"\"",   "NUMS1\t--",     "LISTERR()",
      "LASTERRID()",   "ERROR\t0",       "WARNMSG\t0",        "MSG$\t\"\""};
  EXPECT_EQ(host.output, expected);

  module.x.values.clear();  // a count of 0 still lists one element, which fails
  module.names.SetCount(0, access::kAssignCount);
  host.ClearOutput();
  module.ListTable(&module.properties, nullptr);
  ASSERT_EQ(host.output.size(), 6u);
  EXPECT_EQ(host.output[0], "X1\t--");
  EXPECT_EQ(host.output[4], "NAMES1$\t\"\"");
}

TEST_F(Framework, ErrorRingNewestFirst) {
  TheErrorLog().Clear();
  for (int id = 1; id <= 3; ++id) TheErrorLog().Record(id, ("e" + std::to_string(id)).c_str());
  host.ClearOutput();
  double result = 5;
  EXPECT_EQ(Call("LISTERR", "", &result), 1);
  EXPECT_EQ(result, 0.0);
  std::vector<std::string> expected = {"e3\t3", "e2\t2", "e1\t1"};
  expected.resize(10, "\t0");
  EXPECT_EQ(host.output, expected);

  for (int id = 4; id <= 12; ++id) TheErrorLog().Record(id, nullptr);
  host.ClearOutput();
  Call("LISTERR", "", &result);
  ASSERT_EQ(host.output.size(), 10u);
  EXPECT_EQ(std::make_pair(host.output[0], host.output[9]), std::make_pair(std::string("\t12"), std::string("e3\t3")));
  EXPECT_EQ(Call("LASTERRID", "", &result), 1);
  EXPECT_EQ(result, 12.0);  // clearing at the call's start keeps the last id
  EXPECT_EQ(TheErrorLog().At(TheErrorLog().Position()).id, 0);
}

TEST_F(Framework, AfterRunReachesTheHost) {
  double result = 0;
  for (auto [method, args] : {std::pair{"TWO", "1"}, {"LISTERR", ""}}) {
    host.ClearCalls();
    EXPECT_EQ(Call(method, args, &result), 1);
    const bool notifies = std::string(method) == "TWO";  // LISTERR skips it
    const auto notices = std::count(host.calls.begin(), host.calls.end(), op::kAfterMethod);
    EXPECT_EQ(notices, notifies ? 1 : 0) << method;
    EXPECT_EQ(!host.calls.empty() && host.calls.back() == op::kAfterMethod, notifies) << method;
  }
}

}  // namespace
}  // namespace kfio::testing
