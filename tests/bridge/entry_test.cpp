// The exported entry on the FUM object: command codes, flagged calls and the call state, argument cutting, the
// listing and the error log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "bridge/entry.h"
#include "bridge/error_log.h"
#include "bridge/module_object.h"
#include "module/fum.h"
#include "host/ref_host.h"

namespace kfio {
namespace {

using refhost::RefHost;
constexpr double kUnchecked = std::numeric_limits<double>::quiet_NaN();
std::string LoggedText() { return TheErrorLog().At(TheErrorLog().Position()).text.value_or(""); }

TEST(Entry, CommandCodesAndCallState) {
  // object: a method's name; member: a property's name or a method's arguments; value: after the call (3 before).
  // 0x8000 flags a call: it only asks whether the member is there (a method does not run), and sets the call state.
  constexpr uint16_t F = 0x8000;
  const struct { const char *object, *member; uint16_t command; uint32_t expected; int32_t callState; double value; }
      cases[] = {
          {nullptr, "ERROR", 18, 1, -1, kUnchecked},      {nullptr, "ERROR", 18 | F, 1, 0, kUnchecked},
          {nullptr, "WARNMSG", 17, 1, -1, 3.0},           {nullptr, "WARNMSG", 17 | F, 1, 0, 3.0},
          {nullptr, "NOSUCH", 18, 0, -1, 3.0},            {nullptr, "NOSUCH", 18 | F, 2, 1, 3.0},
          {nullptr, "ERROR", 19, 0, -1, kUnchecked},      {nullptr, "ERROR", 2051, 2, -1, kUnchecked},  // a count
          {nullptr, "ERROR", 16, 2, -1, 3.0},             {nullptr, "ERROR", 21, 2, -1, 3.0},
          {nullptr, "ERROR", 21 | F, 2, 0, 3.0},          {nullptr, "ERROR", 2053, 2, -1, 3.0},
          {"LASTERRID", "", 3073, 1, -1, 77.0},           {"lastErrId", "", 3073 | F, 1, 0, 3.0},
          {"NOSUCHMETHOD", "", 3073, 0, -1, 3.0},         {"NOSUCHMETHOD", "", 3073 | F, 2, 1, 3.0}};
  RefHost host(&XODLL);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.object ? c.object : c.member) + " command " + std::to_string(c.command));
    TheErrorLog().Record(77, "x");
    double value = 3.0;
    std::string member = c.member;
    EXPECT_EQ(host.Raw(c.object, member.data(), &value, c.command), c.expected);
    EXPECT_EQ(value, std::isnan(c.value) ? value : c.value);
    int32_t state = 99;
    char empty[1] = "";
    EXPECT_EQ(host.Raw(nullptr, empty, &state, 30), 1u);
    EXPECT_EQ(state, c.callState);
    EXPECT_EQ(host.CallState(), c.callState);  // asking changes nothing
  }
}

TEST(Entry, ListingPlainFlaggedAndFallback) {
  RefHost host(&XODLL);
  host.SetNumber("WARNMSG", 0);
  EXPECT_EQ(host.List(), 1u);
  const std::vector<std::string> full = host.output;
  // Methods first, each with its members, then the properties and the built-in members.
  ASSERT_GE(full.size(), 5u);
  EXPECT_EQ(std::vector(full.begin(), full.begin() + 3), (std::vector<std::string>{"RESET()", "LISTSEP()", "OPEN()"}));
  EXPECT_NE(std::find(full.begin(), full.end(), "  OPEN.FILENAME$\t\"\""), full.end());
  EXPECT_NE(std::find(full.begin(), full.end(), "NBYTES\t1"), full.end());
  EXPECT_EQ(std::vector(full.end() - 5, full.end()),
            (std::vector<std::string>{"LISTERR()", "LASTERRID()", "ERROR\t0", "WARNMSG\t0", "MSG$\t\"\""}));
  // An unknown path lists everything; a method without members prints nothing.
  const struct { const char* object; bool flagged; uint32_t answer; bool listsAll; } cases[] = {
      {nullptr, true, 2, false}, {"NOTAMETHOD", false, 1, true}, {"LISTERR", false, 1, false}};
  for (const auto& c : cases) {
    host.ClearOutput();
    EXPECT_EQ(host.List(c.object, c.flagged), c.answer);
    EXPECT_EQ(host.output, c.listsAll ? full : std::vector<std::string>{});
  }
}

TEST(Entry, ErrorRingNewestFirst) {
  RefHost host(&XODLL);
  TheErrorLog().Clear();
  for (int id = 1; id <= 3; ++id) TheErrorLog().Record(id, ("e" + std::to_string(id)).c_str());
  double result = 5;
  EXPECT_EQ(host.Call("LISTERR", "", result), 1u);
  EXPECT_EQ(result, 0.0);
  std::vector<std::string> expected = {"e3\t3", "e2\t2", "e1\t1"};
  expected.resize(10, "\t0");
  EXPECT_EQ(host.output, expected);

  for (int id = 4; id <= 12; ++id) TheErrorLog().Record(id, nullptr);
  host.ClearOutput();
  host.Call("LISTERR", "", result);
  ASSERT_EQ(host.output.size(), 10u);
  EXPECT_EQ(std::make_pair(host.output[0], host.output[9]), std::make_pair(std::string("\t12"), std::string("e3\t3")));
  EXPECT_EQ(host.Call("LASTERRID", "", result), 1u);
  EXPECT_EQ(result, 12.0);  // clearing at the call's start keeps the last id
  EXPECT_EQ(TheErrorLog().At(TheErrorLog().Position()).id, 0);
}

// Arguments cut at commas outside quotes, blanks trimmed, an empty piece not given; a method that splits its own
// arguments (Open) trims its pieces too, but a text of 600 characters or more goes over unchanged, blanks and all.
TEST(Entry, ArgumentCuttingAndTooManyArguments) {
  RefHost host(&XODLL);
  const std::string longArg(700, 'q');
  // slots: the texts expected ("-": not given; a number's text is not kept).
  const struct { const char* method; std::string args; std::vector<std::string> slots; } cases[] = {
      {"LISTALL", " x , y ", {"x", "y"}}, {"LISTALL", ",c", {"-", "c"}}, {"LISTALL", "a,", {"a", "-"}},
      {"LISTALL", "\"a,b\",c", {"\"a,b\"", "c"}}, {"LISTALL", "", {"-", "-"}}, {"OPEN", " a , 5", {"a", "5"}},
      {"OPEN", " " + longArg + " ,5", {" " + longArg + " ", "5"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.method) + "(" + c.args.substr(0, 20) + ")");
    double result = 0;
    host.Call(c.method, c.args, result);
    for (int i = 0; i < 2; ++i) {
      const XoProperty* slot = static_cast<XoMethod*>(FindEntry(TheFum().Methods(), c.method)->member)->Argument(i);
      EXPECT_EQ(slot->IsGiven(), c.slots[i] != "-") << i;
      if (slot->IsGiven() && slot->GetText()) {
        EXPECT_EQ(slot->GetText(), c.slots[i]) << i;
      }
    }
  }
  // One argument too many: the method never runs, the slots before the refusal are assigned.
  double result = 8.0;
  EXPECT_EQ(host.Call("LISTALL", "m,p,x", result), 2u);
  EXPECT_EQ(result, 8.0);
  EXPECT_EQ(std::make_pair(TheErrorLog().LastErrorId(), LoggedText()), std::make_pair(900, std::string("XoListAll")));
  EXPECT_STREQ(TheFum().listAll.Argument(1)->GetText(), "p");
  // A method that takes no arguments refuses any.
  EXPECT_EQ(host.Call("CLOSEALL", "5", result), 2u);
  EXPECT_EQ(std::make_pair(TheErrorLog().LastErrorId(), LoggedText()), std::make_pair(900, std::string("XoCloseAll")));
}

TEST(Entry, BadCallsAnswerFailure) {
  RefHost host(&XODLL);
  double v = 0;
  char name[] = "ERROR";
  EXPECT_EQ(XODLL(0, nullptr, nullptr, &v, &RefHost::Trampoline, 18), 2u);
  EXPECT_EQ(XODLL(0, nullptr, name, nullptr, &RefHost::Trampoline, 18), 2u);
  EXPECT_EQ(XODLL(0, "LASTERRID", name, nullptr, &RefHost::Trampoline, 3073), 2u);
  EXPECT_EQ(XODLL(0, nullptr, name, nullptr, nullptr, 30), 2u);
  // No callback: the call is served, nothing reaches a host.
  EXPECT_EQ(XODLL(0, nullptr, name, &v, nullptr, 18), 1u);
  char empty[] = "";
  EXPECT_EQ(XODLL(0, nullptr, empty, nullptr, nullptr, 18), 1u);
  for (std::string longName : {std::string(100000, 'A'), std::string(100000, 'A') + "12"})
    EXPECT_EQ(XODLL(0, nullptr, longName.data(), &v, &RefHost::Trampoline, 18), 0u);
}

// A host whose expression service throws, so the exception starts inside a method's argument parsing and unwinds
// through the module.
void (*g_throw)();
RefHost* g_realHost;

uint64_t ThrowingHost(uint64_t, uint32_t opcode, uint64_t a, uint64_t b) {
  if (opcode == op::kEvaluate) g_throw();
  return RefHost::Trampoline(reinterpret_cast<uint64_t>(g_realHost), opcode, a, b);
}

TEST(Entry, NothingThrownInsideReachesTheHost) {
  const std::pair<void (*)(), const char*> cases[] = {{[] { throw std::bad_alloc(); }, "out of memory"},
                                                      {[] { throw std::runtime_error("host broke"); }, "host broke"},
                                                      {[] { throw 7; }, "unknown exception"}};
  RefHost host(&XODLL);
  g_realHost = &host;
  for (const auto& [what, text] : cases) {
    SCOPED_TRACE(text);
    g_throw = what;
    std::string args = "5";
    double result = 0;
    uint32_t answer = 0;
    EXPECT_NO_THROW(answer = XODLL(0, "SETPOS", args.data(), &result, &ThrowingHost, 3073));
    EXPECT_EQ(answer, 2u);
    EXPECT_EQ(TheErrorLog().LastErrorId(), errid::kCaughtException);
    EXPECT_EQ(LoggedText(), text);
    // The module goes on serving calls.
    double nBytes = 0;
    EXPECT_EQ(host.SetNumber("NBYTES", 2), 1u);
    EXPECT_EQ(host.GetNumber("NBYTES", nBytes), 1u);
    EXPECT_EQ(nBytes, 2.0);
    EXPECT_EQ(host.Call("LASTERRID", "", result), 1u);
  }
}

}  // namespace
}  // namespace kfio
