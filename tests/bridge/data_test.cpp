// The dataset wrappers the methods use, against a recording host: the services they call and the blocks they pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "bridge/data.h"
#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/worksheet.h"

namespace kfio {
namespace {

// Finds datasets of 5 elements, takes every element, and records every call with a lookup's name or a resize's block.
struct RecordingHost {
  struct Call { uint32_t op; uint64_t a; std::string name; SizeBlock size{}; };
  std::vector<Call> calls;

  static uint64_t Serve(uint64_t context, uint32_t opcode, uint64_t a, uint64_t b) {
    auto& self = *reinterpret_cast<RecordingHost*>(context);
    Call& call = self.calls.emplace_back(Call{opcode, a, {}});
    switch (opcode) {
      case op::kFindDataset: {
        if (a != 0) call.name = reinterpret_cast<const char*>(a);
        auto* block = reinterpret_cast<DatasetBlock*>(b);
        block->cell[0] = block->cell[2] = 0;
        block->cell[1] = block->cell[3] = 5;
        return 77;
      }
      case op::kResize: call.size = *reinterpret_cast<SizeBlock*>(b); return 0;
    }
    return 0;
  }
  long Count(uint32_t opcode) const {
    return std::count_if(calls.begin(), calls.end(), [=](const Call& c) { return c.op == opcode; });
  }
  const Call& Last(uint32_t opcode) const {
    return *std::find_if(calls.rbegin(), calls.rend(), [=](const Call& c) { return c.op == opcode; });
  }
};

class Data : public ::testing::Test {
 protected:
  Data() {
    TheHostLink().callback = &RecordingHost::Serve;
    TheHostLink().context = reinterpret_cast<uint64_t>(&host);
  }
  ~Data() override { TheHostLink() = {}; }
  RecordingHost host;
};

TEST_F(Data, FinishResizesOnceToCoverWhatWasWritten) {
  // The elements [writeFrom, writeTo) written; the resizes after, and the size asked.
  const struct { const char* label; int32_t writeFrom, writeTo; long resizes; int64_t to; } cases[] = {
      {"written past the end", 0, 10, 1, 10}, {"nothing written, nothing resized", 0, 0, 0, 0},
      {"written inside: the extent stays", 2, 3, 1, 5}, {"one just past the end", 5, 6, 1, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    host.calls.clear();
    {
      XoResultData d("d");
      EXPECT_EQ(std::make_pair(d.RangeStart(), d.RangeEnd()), std::make_pair(0, 5));
      for (int32_t i = c.writeFrom; i < c.writeTo; ++i) EXPECT_EQ(d.SetValue(i, i * 1.5), 0);
      EXPECT_EQ(host.Count(op::kResize), 0);
    }
    ASSERT_EQ(host.Count(op::kResize), c.resizes);
    if (c.resizes == 0) continue;
    const SizeBlock& size = host.Last(op::kResize).size;
    EXPECT_EQ(std::make_tuple(size.from, size.to, size.format), std::make_tuple(int64_t{0}, c.to, 32770u));
  }
}

TEST_F(Data, LookupsAndDetachedWrappers) {
  XoSourceData empty("");
  EXPECT_TRUE(host.calls.empty());  // a source named "" is not looked up
  EXPECT_EQ((std::tuple{empty.IsAttached(), empty.SetValue(0, 1.0), empty.GetValue(0), empty.HasError()}),
            (std::tuple{false, 1, kMissingValue, true}));
  EXPECT_EQ(TheErrorLog().LastErrorId(), 1000);

  XoResultData unnamed(nullptr);
  EXPECT_EQ(host.Last(op::kFindDataset).a, 0u);  // without must-exist a null name asks with 0
  EXPECT_TRUE(unnamed.IsAttached());
  XoResultData cut(std::string(40, 'n').c_str());
  EXPECT_EQ(host.Last(op::kFindDataset).name, std::string(24, 'n'));  // cut to the host's limit

  // With no host a wrapper has no dataset, and records 1000 under its own class name.
  TheHostLink() = {};
  XoKavlerWks nowhere("Data1");
  XoTextData text(nowhere, 1);
  XoResultData result("r");
  EXPECT_EQ(std::make_pair(result.IsAttached(), result.GetValue(0)), std::make_pair(false, kMissingValue));
  const std::pair<XoData*, const char*> detached[] = {
      {&cut, nullptr}, {&text, "XoTextData"}, {&result, "XoResultData"}};
  for (const auto& [data, className] : detached) {
    TheErrorLog().Clear();
    EXPECT_EQ(data->HasError(), className != nullptr);
    EXPECT_EQ(TheErrorLog().At(TheErrorLog().Position()).text.value_or("-"), className ? className : "-");
  }
}

}  // namespace
}  // namespace kfio
