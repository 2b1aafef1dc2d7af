// Argument cutting, method members, listing and the error log, on a module object of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/entry.h"
#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/module_object.h"
#include "host/ref_host.h"

namespace kfio::testing {
namespace {

// The member shapes the module's methods have: slots of both kinds, members, a failure, and one that cuts its
// arguments at commas.
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
  XoInt number;
  XoString label;
  TwoSlots two;
  ThreeStrings three;
  Failing failing;
  WithMembers withMembers;
  MemberTable properties{{&number, "X2"}, {&label, "LABEL"}};
  MemberTable methods{{&two, "TWO"}, {&three, "THREE"}, {&failing, "FAILING"}, {&withMembers, "WITH"}};
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
  // 0: not found; 2: the method has no members, which a flagged call (call state 0) sees as 2.
  const struct { const char *method, *member; uint16_t how; int answer; int32_t stateBefore, stateAfter; } cases[] = {
      {"with", "mode", access::kAssign, 1, -1, -1}, {"WITH", "nosuch", access::kRead, 0, -1, -1},
      {"TWO", "mode", access::kRead, 2, -1, -1},    {"TWO", "mode", access::kRead, 2, 0, 2},
      {"NOSUCH", "mode", access::kRead, 0, -1, -1}};
  for (const auto& c : cases) {
    module.callState = c.stateBefore;
    EXPECT_EQ(module.AccessMethodMember(c.method, c.member, &v, c.how), c.answer) << c.method << "." << c.member;
    EXPECT_EQ(module.callState, c.stateAfter) << c.method << "." << c.member;
  }
  EXPECT_EQ(module.withMembers.mode.Int(), 3);

  module.withMembers.name.SetText("a.dat");
  const std::vector<std::string> listed = {"MODE\t3", "NAME$\t\"a.dat\""};
  // Unknown parts are skipped.
  const std::pair<const char*, int> paths[] = {{"with", 1}, {"nosuch.with", 1}, {"X2", 0}, {"", 0}, {"TWO.X2", 0}};
  for (const auto& [path, answer] : paths) {
    host.ClearOutput();
    EXPECT_EQ(module.ListPath(path), answer) << path;
    EXPECT_EQ(host.output, answer ? listed : std::vector<std::string>{}) << path;
  }
}

TEST_F(Framework, ListingLinesByteForByte) {
  module.number.Store(12);
  module.label.SetText("say \"hi\"");
  module.withMembers.mode.Store(1);
  module.withMembers.name.SetText(nullptr);
  host.ClearOutput();
  module.ListMembers();
  EXPECT_EQ(host.output, (std::vector<std::string>{"TWO()", "THREE()", "FAILING()", "WITH()", "  WITH.MODE\t1",
                                                    "  WITH.NAME$\t\"\"", "X2\t12", "LABEL$\t\"say \"hi\"\"",
                                                    "LISTERR()", "LASTERRID()", "ERROR\t0", "WARNMSG\t0", "MSG$\t\"\""}));
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

}  // namespace
}  // namespace kfio::testing
