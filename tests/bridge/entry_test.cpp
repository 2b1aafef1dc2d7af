// The exported entry: command codes, flagged calls and the call state.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "bridge/entry.h"
#include "bridge/error_log.h"
#include "bridge/module_object.h"
#include "host/ref_host.h"

namespace {

using refhost::RefHost;

struct CommandCase {
  const char* label;
  uint16_t command;
  const char* member;  // property name; "" lists
  uint32_t expected;
  int32_t callState;
};

TEST(Entry, CommandCodesAndCallState) {
  const CommandCase cases[] = {
      {"read number", 18, "ERROR", 1, -1},
      {"flagged read number", 18 | 0x8000, "ERROR", 1, 0},
      {"assign number", 17, "WARNMSG", 1, -1},
      {"flagged assign number", 17 | 0x8000, "WARNMSG", 1, 0},
      {"unknown name", 18, "NOSUCH", 0, -1},
      {"flagged unknown name", 18 | 0x8000, "NOSUCH", 2, 1},
      {"string command on a number", 19, "ERROR", 0, -1},
      {"count of a plain number", 2051, "ERROR", 2, -1},
      {"command 16", 16, "ERROR", 2, -1},
      {"command 21", 21, "ERROR", 2, -1},
      {"flagged command 21", 21 | 0x8000, "ERROR", 2, 0},
      {"command 2053", 2053, "ERROR", 2, -1},
  };
  RefHost host(&XODLL);
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.label);
    double value = 3.0;
    std::string member = c.member;
    EXPECT_EQ(host.Raw(nullptr, member.data(), &value, c.command), c.expected);
  }
}

TEST(Entry, CallStateQueryChangesNothing) {
  RefHost host(&XODLL);
  double v = 0;
  host.GetNumber("NOSUCH", v, true);
  int32_t state = 99;
  char empty[1] = "";
  EXPECT_EQ(host.Raw(nullptr, empty, &state, 30), 1u);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(host.CallState(), 1);  // asking twice gives the same answer
}

TEST(Entry, FlaggedMethodCallDoesNotRun) {
  RefHost host(&XODLL);
  kfio::TheErrorLog().Record(77, "x");
  double result = 5.0;
  EXPECT_EQ(host.Call("lastErrId", "", result, true), 1u);
  EXPECT_EQ(result, 5.0);
  EXPECT_EQ(host.CallState(), 0);
  EXPECT_EQ(host.Call("LASTERRID", "", result), 1u);
  EXPECT_EQ(result, 77.0);
  EXPECT_EQ(host.Call("NOSUCHMETHOD", "", result), 0u);
  EXPECT_EQ(host.Call("NOSUCHMETHOD", "", result, true), 2u);
  EXPECT_EQ(host.CallState(), 1);
}

TEST(Entry, ListingPlainFlaggedAndFallback) {
  RefHost host(&XODLL);
  host.SetNumber("WARNMSG", 0);
  kfio::XoDLL& module = kfio::TheModule();
  static_cast<kfio::XoString*>(module.BuiltinProperties()[2].member)->SetText(nullptr);

  host.ClearOutput();
  EXPECT_EQ(host.List(), 1u);
  const std::vector<std::string> full = host.output;
  ASSERT_GE(full.size(), 5u);
  const std::vector<std::string> builtins(full.end() - 5, full.end());
  EXPECT_EQ(builtins, (std::vector<std::string>{"LISTERR()", "LASTERRID()", "ERROR\t0", "WARNMSG\t0",
                                                "MSG$\t\"\""}));

  host.ClearOutput();
  EXPECT_EQ(host.List(nullptr, true), 2u);
  EXPECT_TRUE(host.output.empty());

  host.ClearOutput();
  EXPECT_EQ(host.List("NOTAMETHOD"), 1u);
  EXPECT_EQ(host.output, full);

  host.ClearOutput();
  EXPECT_EQ(host.List("LISTERR"), 1u);  // a method without members prints nothing
  EXPECT_TRUE(host.output.empty());
}

TEST(Entry, NamesWithoutRegardToCase) {
  RefHost host(&XODLL);
  ASSERT_EQ(host.SetNumber("error", 7), 1u);
  for (const char* name : {"error", "Error", "ERROR", "eRrOr"}) {
    double v = 0;
    EXPECT_EQ(host.GetNumber(name, v), 1u) << name;
    EXPECT_EQ(v, 7.0) << name;
  }
  host.SetNumber("ERROR", 0);
}

TEST(Entry, IntegerTruncatesTowardZero) {
  RefHost host(&XODLL);
  const std::pair<double, double> cases[] = {{2.9, 2}, {-2.9, -2}, {0.5, 0}, {1e300, 2147483647},
                                             {-1e300, -2147483648.0}};
  for (auto [in, out] : cases) {
    double v = 0;
    host.SetNumber("WARNMSG", in);
    host.GetNumber("WARNMSG", v);
    EXPECT_EQ(v, out) << in;
  }
}

TEST(Entry, StringsRoundTripAndStartEmpty) {
  RefHost host(&XODLL);
  std::string text = "left over";
  kfio::XoDLL& module = kfio::TheModule();
  static_cast<kfio::XoString*>(module.BuiltinProperties()[2].member)->SetText(nullptr);
  EXPECT_EQ(host.GetString("msg", text), 1u);
  EXPECT_EQ(text, "");
  EXPECT_EQ(host.SetString("Msg", "hello, world"), 1u);
  EXPECT_EQ(host.GetString("MSG", text), 1u);
  EXPECT_EQ(text, "hello, world");
  // A value longer than a host buffer reads back cut to the buffer.
  host.SetString("MSG", std::string(kfio::kMaxStringValue + 100, 'z'));
  host.GetString("MSG", text);
  EXPECT_EQ(text.size(), kfio::kMaxStringValue);
  host.SetString("MSG", "");
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
  std::string longName(100000, 'A');
  EXPECT_EQ(XODLL(0, nullptr, longName.data(), &v, &RefHost::Trampoline, 18), 0u);
  longName += "12";
  EXPECT_EQ(XODLL(0, nullptr, longName.data(), &v, &RefHost::Trampoline, 18), 0u);
}

}  // namespace

namespace {

// A host whose expression service throws, so the exception starts inside a
// method's argument parsing and unwinds through the module.
enum class Throw { kBadAlloc, kStd, kOther };
Throw g_throw;
refhost::RefHost* g_realHost;

uint64_t ThrowingHost(uint64_t, uint32_t opcode, uint64_t a, uint64_t b) {
  if (opcode == kfio::op::kEvaluate) {
    switch (g_throw) {
      case Throw::kBadAlloc: throw std::bad_alloc();
      case Throw::kStd: throw std::runtime_error("host broke");
      case Throw::kOther: throw 7;
    }
  }
  return RefHost::Trampoline(reinterpret_cast<uint64_t>(g_realHost), opcode, a, b);
}

TEST(Entry, NothingThrownInsideReachesTheHost) {
  const struct {
    Throw what;
    const char* text;
  } cases[] = {
      {Throw::kBadAlloc, "out of memory"},
      {Throw::kStd, "host broke"},
      {Throw::kOther, "unknown exception"},
  };
  RefHost host(&XODLL);
  g_realHost = &host;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    g_throw = c.what;
    std::string args = "5";
    double result = 0;
    uint32_t answer = 0;
    EXPECT_NO_THROW(answer = XODLL(0, "SETPOS", args.data(), &result, &ThrowingHost, 3073));
    EXPECT_EQ(answer, 2u);
    EXPECT_EQ(kfio::TheErrorLog().LastErrorId(), kfio::errid::kCaughtException);
    const auto& newest = kfio::TheErrorLog().At(kfio::TheErrorLog().Position());
    EXPECT_EQ(newest.text.value_or(""), c.text);
    // The module goes on serving calls.
    double nBytes = 0;
    EXPECT_EQ(host.SetNumber("NBYTES", 2), 1u);
    EXPECT_EQ(host.GetNumber("NBYTES", nBytes), 1u);
    EXPECT_EQ(nBytes, 2.0);
    EXPECT_EQ(host.Call("LASTERRID", "", result), 1u);
  }
}

}  // namespace
