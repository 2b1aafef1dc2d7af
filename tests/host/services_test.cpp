// Tests of the host services the reference host answers through its trampoline.
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "tests/host/service_fixture.h"

namespace refhost::testing {
namespace {

using Services = HostServices;

TEST_F(Services, PrintLineEchoesAndEveryCallIsRecorded) {
  EXPECT_EQ(Call(op::kPrintLine, Addr("first"), 0), 0u);
  EXPECT_EQ(Call(op::kPrintLine, 0, 0), 0u);
  host.echo = true;
  ::testing::internal::CaptureStdout();
  Call(op::kPrintLine, Addr("shown"), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "shown\n");
  EXPECT_EQ(host.output, (std::vector<std::string>{"first", "", "shown"}));
  EXPECT_EQ(Call(op::kAfterMethod, 0, 0), 0u);
  EXPECT_EQ(Call(5, 0, 0), 1u);
  EXPECT_EQ(host.calls, (std::vector<uint32_t>{op::kPrintLine, op::kPrintLine, op::kPrintLine,
                                               op::kAfterMethod, 5}));
  EXPECT_EQ(host.unknownOpcodes, std::vector<uint32_t>{5});
  host.ClearCalls();
  EXPECT_TRUE(host.calls.empty() && host.unknownOpcodes.empty());
}

TEST_F(Services, StringVariablesByLetterIndex) {
  const struct { const char* text; uint64_t index, answer; } sets[] = {{"alpha", 0, 0}, {"zulu", 25, 0}, {"x", 26, 1}};
  for (const auto& c : sets) EXPECT_EQ(Call(op::kSetStringVar, Addr(c.text), c.index), c.answer) << c.index;
  EXPECT_EQ(host.StringVar('A') + host.StringVar('z') + host.StringVar('1'), "alphazulu");

  host.SetStringVar('q', "from script");
  std::vector<char> buffer(kfio::kHostStringBuffer, '#');
  EXPECT_EQ(Call(op::kGetStringVar, Addr(buffer.data()), 16), 0u);
  EXPECT_STREQ(buffer.data(), "from script");
  EXPECT_EQ(Call(op::kGetStringVar, Addr(buffer.data()), 26), 1u);
  EXPECT_EQ(Call(op::kGetStringVar, 0, 0), 1u);
  // A variable longer than the host buffer is cut to fit it.
  host.SetStringVar('B', std::string(kfio::kHostStringBuffer + 10, 'x'));
  EXPECT_EQ(Call(op::kGetStringVar, Addr(buffer.data()), 1), 0u);
  EXPECT_EQ(std::strlen(buffer.data()), kfio::kHostStringBuffer - 1);
}

TEST_F(Services, EvaluateWritesValueOrZeroAndFormatFillsTheBuffer) {
  host.variables["n"] = 4.0;
  const struct { const char* text; double expected; uint64_t answer; } cases[] = {
      {"n * 2 + 1", 9.0, 0}, {"unknown", 0.0, 1}, {"", 0.0, 1}, {nullptr, 0.0, 1}};
  for (const auto& c : cases) {
    double value = -99.0;
    EXPECT_EQ(Call(op::kEvaluate, Addr(c.text), Addr(&value)), c.answer);
    EXPECT_EQ(value, c.expected);
  }
  EXPECT_EQ(host.Evaluate("n^2"), 16.0);
  EXPECT_EQ(Call(op::kEvaluate, Addr("1"), 0), 1u);

  const struct { double value; const char* format; const char* text; } formats[] = {
      {3.0, "*", "3"}, {0.1, nullptr, "0.1"}, {-2.5, "%.2f", "-2.5"}, {-1.23456789e-300, "*", "-1.23456789e-300"}};
  for (const auto& c : formats) {
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    kfio::FormatBlock block{buffer, c.format};
    EXPECT_EQ(Call(op::kFormatNumber, Addr(&c.value), Addr(&block)), 0u);
    EXPECT_STREQ(buffer, c.text);
  }
  kfio::FormatBlock empty{nullptr, "*"};
  const double v = 1.0;
  EXPECT_EQ(Call(op::kFormatNumber, Addr(&v), Addr(&empty)), 1u);
  EXPECT_EQ(Call(op::kFormatNumber, 0, 0), 1u);
}

TEST_F(Services, CheckTextRefusesOnlyTheChosenText) {
  EXPECT_EQ(Call(op::kCheckText, Addr(";"), 0), 0u);
  host.refuseText = ";";
  EXPECT_EQ(Call(op::kCheckText, Addr(";"), 0), ~uint64_t{0});
  EXPECT_EQ(Call(op::kCheckText, Addr(","), 0), 0u);
  host.refuseText = "";
  EXPECT_EQ(Call(op::kCheckText, 0, 0), ~uint64_t{0});
}

// A service that throws (out of memory, anything) must not unwind through
// the module: it answers failure, 0 where the answer is a handle or count.
TEST_F(Services, AServiceThatThrowsAnswersFailure) {
  HostDataset* d = host.NewDataset("d");
  d->Resize(1);
  kfio::ElementBlock element{0, 0, 5.0};
  kfio::DatasetBlock lookup{};
  host.serviceProbe = [](uint32_t opcode) {
    if (opcode == op::kFindDataset) throw 42;
    throw std::bad_alloc();
  };
  const struct { uint32_t opcode; uint64_t a, b, answer; } cases[] = {
      {op::kSetElement, Addr(d), Addr(&element), 1}, {op::kGetElement, Addr(d), Addr(&element), 1},
      {op::kSetText, Addr(d), Addr(&element), 1},    {op::kPrintLine, Addr("x"), 0, 1},
      {op::kFindDataset, Addr("d"), Addr(&lookup), 0}, {op::kFindPage, 0, Addr("P"), 0},
      {op::kColumnCount, 1, 0, 0},                    {op::kCheckText, Addr(","), 0, ~uint64_t{0}},
  };
  for (const auto& c : cases) {
    uint64_t answer = 99;
    EXPECT_NO_THROW(answer = Call(c.opcode, c.a, c.b)) << c.opcode;
    EXPECT_EQ(answer, c.answer) << c.opcode;
  }
  host.serviceProbe = nullptr;
  EXPECT_EQ(d->Value(0), kfio::kMissingValue);
  EXPECT_TRUE(host.output.empty());
}

}  // namespace
}  // namespace refhost::testing
