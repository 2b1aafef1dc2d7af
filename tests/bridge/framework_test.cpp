// Member lookup, indexed names, argument cutting, listing and the error log,
// on a module object with every member shape.
#include <gtest/gtest.h>

#include <string>

#include "bridge/entry.h"
#include "bridge/error_log.h"
#include "test_module.h"

namespace kfio::testing {
namespace {

class Framework : public ::testing::Test {
 protected:
  Framework() : host(&XODLL) { LinkHost(host); }
  double Read(const char* name, int* status = nullptr) {
    double v = -99;
    const int s = module.AccessProperty(name, access::kRead, &v);
    if (status) *status = s;
    return v;
  }
  int Call(const char* name, std::string args, double* result) {
    return module.CallMethod(name, args.data(), result);
  }
  refhost::RefHost host;
  TestModule module;
};

TEST_F(Framework, IndexedNamesAndCounts) {
  int s = 0;
  EXPECT_EQ(Read("X1", &s), 1.5);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(Read("x3", &s), 3.5);
  EXPECT_EQ(s, 1);
  Read("X0", &s);
  EXPECT_EQ(s, 0);  // no element 0: not found
  Read("X4", &s);
  EXPECT_EQ(s, 2);  // the member refuses index 3
  Read("Y1", &s);
  EXPECT_EQ(s, 0);

  module.plainX2.Store(77);
  EXPECT_EQ(Read("X2", &s), 77.0);  // the plain name is served first

  double count = 0;
  EXPECT_EQ(module.AccessProperty("X", access::kReadCount, &count), 1);
  EXPECT_EQ(count, 3.0);
  double newCount = 5.9;
  EXPECT_EQ(module.AccessProperty("X", access::kAssignCount, &newCount), 1);
  EXPECT_EQ(module.x.values.size(), 5u);
  double tooMany = 11;
  EXPECT_EQ(module.AccessProperty("X", access::kAssignCount, &tooMany), 2);

  double v = 9.25;
  EXPECT_EQ(module.AccessProperty("X2", access::kAssign, &v), 1);
  EXPECT_EQ(module.plainX2.Int(), 9);
  EXPECT_EQ(module.AccessProperty("X1", access::kAssign, &v), 1);
  EXPECT_EQ(module.x.values[0], 9.25);
}

TEST_F(Framework, BoolAndResetValues) {
  double v = 0.5;
  module.AccessProperty("FLAG", access::kAssign, &v);
  EXPECT_EQ(Read("FLAG"), 1.0);
  v = 0.0;
  module.AccessProperty("FLAG", access::kAssign, &v);
  EXPECT_EQ(Read("FLAG"), 0.0);
  module.label.SetText("abc");
  module.plainX2.Store(5);
  module.ResetTable(&module.properties);
  EXPECT_EQ(module.label.GetText(), nullptr);
  EXPECT_EQ(module.plainX2.Int(), 0);
}

struct ParseCase {
  const char* label;
  const char* method;
  bool splits;
  std::string args;
  int status;
  const char* a;  // expected slot texts; null = not given
  const char* b;
  const char* c;
  int lastErrorId;
};

TEST_F(Framework, ArgumentCutting) {
  const std::string longArg(700, 'q');
  const ParseCase cases[] = {
      {"three pieces", "THREE", false, "x,y,z", 1, "x", "y", "z", 0},
      {"blanks trimmed", "THREE", false, " x , y ,z ", 1, "x", "y", "z", 0},
      {"empty middle", "THREE", false, "a,,c", 1, "a", nullptr, "c", 0},
      {"trailing comma counts", "THREE", false, "a,b,", 1, "a", "b", nullptr, 0},
      {"one piece too many", "THREE", false, "a,b,c,d", 2, "a", "b", "c", 900},
      {"quoted comma kept", "THREE", false, "\"a,b\",c", 1, "\"a,b\"", "c", nullptr, 0},
      {"split and trimmed", "THREE", true, " a , b ", 1, "a", "b", nullptr, 0},
      {"no arguments", "THREE", false, "", 1, nullptr, nullptr, nullptr, 0},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.label);
    module.three.splits = c.splits;
    TheErrorLog().Record(1, "stale");
    double result = 0;
    EXPECT_EQ(Call(c.method, c.args, &result), c.status);
    XoString* slots[3] = {module.three.Slot(0), module.three.Slot(1), module.three.Slot(2)};
    const char* expected[3] = {c.a, c.b, c.c};
    for (int i = 0; i < 3; ++i) {
      if (expected[i] == nullptr) {
        EXPECT_FALSE(slots[i]->IsGiven()) << i;
      } else {
        EXPECT_TRUE(slots[i]->IsGiven()) << i;
        EXPECT_STREQ(slots[i]->GetText(), expected[i]) << i;
      }
    }
    if (c.lastErrorId) {
      EXPECT_EQ(TheErrorLog().LastErrorId(), c.lastErrorId);
    }
  }
  // A text of 600 characters or more goes over unchanged, blanks and all,
  // and is still cut at commas.
  module.three.splits = true;
  double r = 0;
  EXPECT_EQ(Call("THREE", " " + longArg + " ,b", &r), 1);
  EXPECT_EQ(module.three.Slot(0)->Text(), " " + longArg + " ");
  EXPECT_STREQ(module.three.Slot(1)->GetText(), "b");
}

TEST_F(Framework, TooManyArgumentsKeepsTheResult) {
  double result = 8.0;
  EXPECT_EQ(Call("TWO", "1,2,3", &result), 2);
  EXPECT_EQ(result, 8.0);  // never ran
  EXPECT_EQ(module.two.runs, 0);
  EXPECT_EQ(module.two.Argument(module.two.number)->Value(), 1.0);  // the first two slots were assigned
  EXPECT_STREQ(module.two.Argument(module.two.text)->GetText(), "2");
  EXPECT_EQ(TheErrorLog().LastErrorId(), 900);
  EXPECT_EQ(TheErrorLog().At(TheErrorLog().Position()).text.value_or(""), "TwoSlots");

  EXPECT_EQ(Call("TWO", "2*3+1", &result), 1);
  EXPECT_EQ(result, 7.0);  // numbers are evaluated by the host
  EXPECT_FALSE(module.two.Argument(module.two.text)->IsGiven());
  EXPECT_STREQ(module.two.Argument(module.two.text)->GetText(), "2");  // the old value stays, not given

  EXPECT_EQ(Call("FAILING", "", &result), 2);
  EXPECT_EQ(result, 42.0);
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

  host.ClearOutput();
  module.withMembers.name.SetText("a.dat");
  EXPECT_EQ(module.ListPath("with"), 1);
  EXPECT_EQ(host.output, (std::vector<std::string>{"MODE\t3", "NAME$\t\"a.dat\""}));
  host.ClearOutput();
  EXPECT_EQ(module.ListPath("nosuch.with"), 1);  // unknown parts are skipped
  EXPECT_EQ(module.ListPath("X"), 0);
  EXPECT_EQ(module.ListPath(""), 0);
  EXPECT_EQ(module.ListPath("TWO.X"), 0);
}

TEST_F(Framework, ListingLinesByteForByte) {
  module.x.values = {1.5, -2.0};
  module.plainX2.Store(12);
  module.label.SetText("say \"hi\"");
  module.withMembers.mode.Store(1);
  module.withMembers.name.SetText(nullptr);
  host.ClearOutput();
  module.ListMembers();
  const std::vector<std::string> expected = {
      "TWO()",         "THREE()",        "FAILING()",         "WITH()",
      "  WITH.MODE\t1", "  WITH.NAME$\t\"\"", "X1\t1.5",         "X2\t-2",
      "X2\t12",        "FLAG\t0",        "LABEL$\t\"say \"hi\"\"", "LISTERR()",
      "LASTERRID()",   "ERROR\t0",       "WARNMSG\t0",        "MSG$\t\"\""};
  EXPECT_EQ(host.output, expected);

  module.x.values.clear();  // a count of 0 still lists one element, which fails
  host.ClearOutput();
  module.ListTable(&module.properties, nullptr);
  EXPECT_EQ(host.output.front(), "X1\t--");
}

TEST_F(Framework, ErrorRingNewestFirst) {
  TheErrorLog().Clear();
  for (int id = 1; id <= 3; ++id) TheErrorLog().Record(id, ("e" + std::to_string(id)).c_str());
  host.ClearOutput();
  double result = 5;
  EXPECT_EQ(Call("LISTERR", "", &result), 1);
  EXPECT_EQ(result, 0.0);
  std::vector<std::string> expected = {"e3\t3", "e2\t2", "e1\t1"};
  for (int i = 0; i < 7; ++i) expected.push_back("\t0");
  EXPECT_EQ(host.output, expected);

  for (int id = 4; id <= 12; ++id) TheErrorLog().Record(id, nullptr);
  host.ClearOutput();
  Call("LISTERR", "", &result);
  ASSERT_EQ(host.output.size(), 10u);
  EXPECT_EQ(host.output[0], "\t12");
  EXPECT_EQ(host.output[9], "e3\t3");  // the ring kept the last ten
  EXPECT_EQ(Call("LASTERRID", "", &result), 1);
  EXPECT_EQ(result, 12.0);  // clearing at the call's start keeps the last id
  EXPECT_EQ(TheErrorLog().At(TheErrorLog().Position()).id, 0);
}

TEST_F(Framework, AfterRunReachesTheHost) {
  host.ClearCalls();
  double result = 0;
  Call("TWO", "1", &result);
  ASSERT_FALSE(host.calls.empty());
  EXPECT_EQ(host.calls.back(), 12300u);
  host.ClearCalls();
  Call("LISTERR", "", &result);
  for (uint32_t op : host.calls) EXPECT_NE(op, 12300u);  // LISTERR skips it
}

}  // namespace
}  // namespace kfio::testing
