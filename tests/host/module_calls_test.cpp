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
  uint64_t context = 0; const char* objectName = nullptr; std::string object, member;
  kfio::HostCallback callback = nullptr; uint16_t command = 0; double numberIn = 0.0;
} seen;
std::string fakeStringOut;

// Stands in for a module's XODLL: records its arguments, answers reads and
// prints through the host.
uint32_t FakeXodll(uint64_t context, const char* objectName, char* memberName, void* value,
                   kfio::HostCallback callback, uint16_t command) {
  seen = Seen{context, objectName, objectName ? objectName : "", memberName, callback, command, 0.0};
  switch (command & 0x7FFF) {
    case kfio::cmd::kSetNumber: case kfio::cmd::kSetCount:
      seen.numberIn = *static_cast<double*>(value);
      break;
    case kfio::cmd::kGetString:
      std::memcpy(value, fakeStringOut.c_str(), fakeStringOut.size() + 1);
      break;
    default:
      *static_cast<double*>(value) = 6.5;
  }
  callback(context, kfio::op::kPrintLine, reinterpret_cast<uint64_t>("from module"), 0);
  return (command & 0x8000) ? 2 : 1;
}

// The module tests reach every helper but the count pair; the flag and the
// object name are what a module cannot tell apart by its answers.
TEST(ModuleCalls, HelpersSendTheirCommandFlagAndNames) {
  RefHost host(&FakeXodll);
  double number = 3.0;
  using K = uint16_t;
  // The call, its command, the object name (null: none expected), the member name.
  const struct { std::function<uint32_t(bool)> call; K command; const char* object; const char* member; } cases[] = {
      {[&](bool f) { return host.SetCount("X", number, f); }, kfio::cmd::kSetCount, nullptr, "X"},
      {[&](bool f) { return host.GetCount("X", number, f); }, kfio::cmd::kGetCount, nullptr, "X"},
      {[&](bool f) { return host.Call("READTOKEN", "A, 2", number, f); }, kfio::cmd::kCallMethod, "READTOKEN", "A, 2"},
      {[&](bool f) { return host.List(nullptr, f); }, kfio::cmd::kGetNumber, nullptr, ""},
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
      EXPECT_EQ(host.output, std::vector<std::string>{"from module"});
    }
  }
}

TEST(ModuleCalls, ValuesTravelBothWays) {
  RefHost host(&FakeXodll);
  double number = 3.0;
  host.SetCount("n", 4.25);
  EXPECT_EQ(seen.numberIn, 4.25);
  host.GetCount("n", number);
  EXPECT_EQ(number, 6.5);
  // A module may fill the whole host string buffer.
  fakeStringOut.assign(kfio::kMaxStringValue, 'z');
  std::string text;
  host.GetString("FileName", text);
  EXPECT_EQ(text, fakeStringOut);

  // No entry and no context answer safely.
  RefHost none(nullptr);
  EXPECT_EQ(std::make_pair(none.GetNumber("x", number), none.CallState()), std::make_pair(0u, 0));
  EXPECT_EQ(RefHost::Trampoline(0, kfio::op::kPrintLine, 0, 0), 1u);
}

}  // namespace
}  // namespace refhost
