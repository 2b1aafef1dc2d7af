// The exported entry: command codes, flagged calls and the call state.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "bridge/entry.h"
#include "bridge/error_log.h"
#include "bridge/module_object.h"
#include "host/ref_host.h"

namespace {

using refhost::RefHost;
constexpr double kUnchecked = std::numeric_limits<double>::quiet_NaN();

TEST(Entry, CommandCodesAndCallState) {
  // object: a method's name; member: a property's name or a method's arguments; value: after the call (3 before).
  const struct { const char *label, *object, *member; uint16_t command; uint32_t expected; int32_t callState;
                 double value; } cases[] = {
      {"read number", nullptr, "ERROR", 18, 1, -1, kUnchecked},
      {"flagged read number", nullptr, "ERROR", 18 | 0x8000, 1, 0, kUnchecked},
      {"assign number", nullptr, "WARNMSG", 17, 1, -1, 3.0},
      {"flagged assign number", nullptr, "WARNMSG", 17 | 0x8000, 1, 0, 3.0},
      {"unknown name", nullptr, "NOSUCH", 18, 0, -1, 3.0},
      {"flagged unknown name", nullptr, "NOSUCH", 18 | 0x8000, 2, 1, 3.0},
      {"string command on a number", nullptr, "ERROR", 19, 0, -1, kUnchecked},
      {"count of a plain number", nullptr, "ERROR", 2051, 2, -1, kUnchecked},
      {"command 16", nullptr, "ERROR", 16, 2, -1, 3.0}, {"command 21", nullptr, "ERROR", 21, 2, -1, 3.0},
      {"flagged command 21", nullptr, "ERROR", 21 | 0x8000, 2, 0, 3.0},
      {"command 2053", nullptr, "ERROR", 2053, 2, -1, 3.0}, {"method call", "LASTERRID", "", 3073, 1, -1, 77.0},
      {"flagged method call does not run", "lastErrId", "", 3073 | 0x8000, 1, 0, 3.0},
      {"unknown method", "NOSUCHMETHOD", "", 3073, 0, -1, 3.0},
      {"flagged unknown method", "NOSUCHMETHOD", "", 3073 | 0x8000, 2, 1, 3.0},
  };
  RefHost host(&XODLL);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    kfio::TheErrorLog().Record(77, "x");
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
  EXPECT_EQ(host.List(), 1u);
  const std::vector<std::string> full = host.output;
  EXPECT_GE(full.size(), 5u);
  // An unknown path lists everything; a method without members prints nothing.
  const struct { const char* object; bool flagged; uint32_t answer; bool listsAll; } cases[] = {
      {nullptr, true, 2, false}, {"NOTAMETHOD", false, 1, true}, {"LISTERR", false, 1, false}};
  for (const auto& c : cases) {
    host.ClearOutput();
    EXPECT_EQ(host.List(c.object, c.flagged), c.answer);
    EXPECT_EQ(host.output, c.listsAll ? full : std::vector<std::string>{});
  }
}

TEST(Entry, NumbersByAnyCaseTruncateTowardZero) {
  RefHost host(&XODLL);
  const struct { const char* set; double in; const char* get; double out; } cases[] = {
      {"error", 7, "Error", 7},       {"ERROR", 7, "eRrOr", 7},         {"Error", 0, "error", 0},
      {"WARNMSG", 2.9, "WarnMsg", 2}, {"warnmsg", -2.9, "WARNMSG", -2}, {"WARNMSG", 0.5, "WARNMSG", 0},
      {"WARNMSG", 1e300, "WARNMSG", 2147483647}, {"WARNMSG", -1e300, "WARNMSG", -2147483648.0}};
  for (const auto& c : cases) {
    double v = 0;
    EXPECT_EQ(host.SetNumber(c.set, c.in), 1u) << c.set;
    EXPECT_EQ(host.GetNumber(c.get, v), 1u) << c.get;
    EXPECT_EQ(v, c.out) << c.in;
  }
}

TEST(Entry, StringsRoundTripAndStartEmpty) {
  RefHost host(&XODLL);
  std::string text = "left over";
  static_cast<kfio::XoString*>(kfio::TheModule().BuiltinProperties()[2].member)->SetText(nullptr);
  EXPECT_EQ(host.GetString("msg", text), 1u);
  EXPECT_EQ(text, "");
  EXPECT_EQ(host.SetString("Msg", "hello, world"), 1u);
  EXPECT_EQ(host.GetString("MSG", text), 1u);
  EXPECT_EQ(text, "hello, world");
  // A value longer than a host buffer reads back cut to the buffer.
  host.SetString("MSG", std::string(kfio::kMaxStringValue + 100, 'z'));
  host.GetString("MSG", text);
  EXPECT_EQ(text, std::string(kfio::kMaxStringValue, 'z'));
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
  for (std::string longName : {std::string(100000, 'A'), std::string(100000, 'A') + "12"})
    EXPECT_EQ(XODLL(0, nullptr, longName.data(), &v, &RefHost::Trampoline, 18), 0u);
}

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
  const std::pair<Throw, const char*> cases[] = {
      {Throw::kBadAlloc, "out of memory"}, {Throw::kStd, "host broke"}, {Throw::kOther, "unknown exception"}};
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
    EXPECT_EQ(kfio::TheErrorLog().LastErrorId(), kfio::errid::kCaughtException);
    const auto& newest = kfio::TheErrorLog().At(kfio::TheErrorLog().Position());
    EXPECT_EQ(newest.text.value_or(""), text);
    // The module goes on serving calls.
    double nBytes = 0;
    EXPECT_EQ(host.SetNumber("NBYTES", 2), 1u);
    EXPECT_EQ(host.GetNumber("NBYTES", nBytes), 1u);
    EXPECT_EQ(nBytes, 2.0);
    EXPECT_EQ(host.Call("LASTERRID", "", result), 1u);
  }
}

}  // namespace
