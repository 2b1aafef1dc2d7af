// Tests of how the reference host calls into a module: command codes, flag,
// value pointers, writable strings and the callback context.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "host/ref_host.h"

namespace refhost {
namespace {

// What the fake module saw on its last call.
struct Seen {
  uint64_t context = 0; const char* objectName = nullptr; std::string object, member, stringIn; void* value = nullptr;
  kfio::HostCallback callback = nullptr; uint16_t command = 0; double numberIn = 0.0;
} seen;
std::string fakeStringOut;

// Stands in for a module's XODLL: records its arguments, proves the member
// name writable by overwriting it, answers reads and prints through the host.
uint32_t FakeXodll(uint64_t context, const char* objectName, char* memberName, void* value,
                   kfio::HostCallback callback, uint16_t command) {
  seen = Seen{context, objectName, objectName ? objectName : "", memberName, "", value, callback,
              command, 0.0};
  std::memset(memberName, '*', std::strlen(memberName));
  switch (command & 0x7FFF) {
    case kfio::cmd::kSetNumber: case kfio::cmd::kSetCount:
      seen.numberIn = *static_cast<double*>(value);
      break;
    case kfio::cmd::kSetString:
      seen.stringIn = static_cast<char*>(value);
      std::memset(value, '*', seen.stringIn.size());
      break;
    case kfio::cmd::kGetString:
      std::memcpy(value, fakeStringOut.c_str(), fakeStringOut.size() + 1);
      break;
    case kfio::cmd::kCallState:
      *static_cast<int32_t*>(value) = 2;
      break;
    default:
      *static_cast<double*>(value) = 6.5;
  }
  callback(context, kfio::op::kPrintLine, reinterpret_cast<uint64_t>("from module"), 0);
  return (command & 0x8000) ? 2 : 1;
}

TEST(ModuleCalls, EachHelperSendsItsCommand) {
  RefHost host(&FakeXodll);
  double number = 3.0;
  std::string text = "abc";
  fakeStringOut = "answer";
  using K = uint16_t;
  // The call, its command, the object name (null: none expected), the member name.
  const struct { std::function<uint32_t(bool)> call; K command; const char* object; const char* member; } cases[] = {
      {[&](bool f) { return host.SetNumber("nBytes", number, f); }, kfio::cmd::kSetNumber, nullptr, "nBytes"},
      {[&](bool f) { return host.GetNumber("nBytes", number, f); }, kfio::cmd::kGetNumber, nullptr, "nBytes"},
      {[&](bool f) { return host.SetCount("X", number, f); }, kfio::cmd::kSetCount, nullptr, "X"},
      {[&](bool f) { return host.GetCount("X", number, f); }, kfio::cmd::kGetCount, nullptr, "X"},
      {[&](bool f) { return host.SetString("Name", text, f); }, kfio::cmd::kSetString, nullptr, "Name"},
      {[&](bool f) { return host.GetString("Name", text, f); }, kfio::cmd::kGetString, nullptr, "Name"},
      {[&](bool f) { return host.Call("READTOKEN", "A, 2", number, f); }, kfio::cmd::kCallMethod, "READTOKEN", "A, 2"},
      {[&](bool f) { return host.AccessMethodMember("RB", "inc", 17, &number, nullptr, f); }, 17, "RB", "inc"},
      {[&](bool f) { return host.AccessMethodMember("RB", "inc", 20, nullptr, &text, f); }, 20, "RB", "inc"},
      {[&](bool f) { return host.List(nullptr, f); }, kfio::cmd::kGetNumber, nullptr, ""},
      {[&](bool f) { return host.List("RB", f); }, kfio::cmd::kGetNumber, "RB", ""},
  };
  for (const auto& c : cases) {
    for (bool flagged : {false, true}) {
      SCOPED_TRACE(std::to_string(c.command) + " " + c.member + (flagged ? " flagged" : ""));
      host.ClearOutput();
      EXPECT_EQ(c.call(flagged), flagged ? 2u : 1u);
      EXPECT_EQ(seen.command, flagged ? K(c.command | 0x8000) : c.command);
      EXPECT_EQ(seen.context, reinterpret_cast<uint64_t>(&host));
      EXPECT_EQ(seen.callback, &RefHost::Trampoline);
      EXPECT_EQ(seen.objectName == nullptr, c.object == nullptr);
      EXPECT_EQ(seen.object, c.object ? c.object : "");
      EXPECT_EQ(seen.member, c.member);
      EXPECT_NE(seen.value, nullptr);
      EXPECT_EQ(host.output, std::vector<std::string>{"from module"});
    }
  }
}

TEST(ModuleCalls, ValuesTravelBothWays) {
  RefHost host(&FakeXodll);
  double number = 3.0;
  host.SetNumber("n", 4.25);
  EXPECT_EQ(seen.numberIn, 4.25);
  double result = 0.0;
  host.GetNumber("n", number);
  host.Call("M", "", result);
  EXPECT_EQ(std::make_pair(number, result), std::make_pair(6.5, 6.5));
  // The module edited the string it was given; the caller's copy is intact.
  std::string text = "c:\\data.txt";
  host.SetString("FileName", text);
  EXPECT_EQ(seen.stringIn, "c:\\data.txt");
  EXPECT_EQ(text, "c:\\data.txt");
  host.AccessMethodMember("RB", "stop", kfio::cmd::kSetString, nullptr, nullptr);
  EXPECT_EQ(seen.stringIn, "");
  // A module may fill the whole host string buffer.
  fakeStringOut.assign(kfio::kMaxStringValue, 'z');
  host.GetString("FileName", text);
  EXPECT_EQ(text, fakeStringOut);
  fakeStringOut = "member";
  host.AccessMethodMember("RB", "stop", kfio::cmd::kGetString, nullptr, &text);
  EXPECT_EQ(text, "member");
  EXPECT_EQ(host.CallState(), 2);
  EXPECT_EQ(seen.command, kfio::cmd::kCallState);
  EXPECT_EQ(seen.member, "");
  char raw[] = "raw";
  EXPECT_EQ(host.Raw(nullptr, raw, &number, 21), 1u);
  EXPECT_STREQ(raw, "***");

  // No entry and no context answer safely.
  RefHost none(nullptr);
  EXPECT_EQ(std::make_pair(none.GetNumber("x", number), none.CallState()), std::make_pair(0u, 0));
  EXPECT_EQ(RefHost::Trampoline(0, kfio::op::kPrintLine, 0, 0), 1u);
}

}  // namespace
}  // namespace refhost
