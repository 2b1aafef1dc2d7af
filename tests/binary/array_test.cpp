// ARead and AWrite through XODLL: Skip gaps, ranges, bad arguments, short files, halving when memory runs short.
#include <map>
#include <new>
#include <tuple>

#include "binary/bulk.h"
#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

// Datasets in a store of the test's own, so that every element call the module makes can be counted; other
// services go to the reference host. A dataset's handle is the address of its values.
struct DatasetStore {
  std::map<std::string, std::vector<double>> sets;
  std::map<uint32_t, int> counts;
  refhost::RefHost* host = nullptr;
  // A host's limits: element writes at or past `refuseFrom`, and resizes
  // past `refuseResizeOver`, are refused.
  int32_t refuseFrom = INT32_MAX, refuseResizeOver = INT32_MAX;

  static uint64_t Serve(uint64_t context, uint32_t opcode, uint64_t a, uint64_t b) {
    auto& self = *reinterpret_cast<DatasetStore*>(context);
    ++self.counts[opcode];
    auto* v = reinterpret_cast<std::vector<double>*>(a);
    auto* e = reinterpret_cast<ElementBlock*>(b);
    switch (opcode) {
      case op::kFindDataset: {
        v = &self.sets[reinterpret_cast<const char*>(a)];
        auto* block = reinterpret_cast<DatasetBlock*>(b);
        block->cell[0] = block->cell[2] = 0;
        block->cell[1] = block->cell[3] = static_cast<int64_t>(v->size());
        return reinterpret_cast<uint64_t>(v);
      }
      case op::kSetElement:
        if (e->index < 0 || e->index >= self.refuseFrom) return 1;
        if (static_cast<std::size_t>(e->index) >= v->size()) v->resize(e->index + 1, kMissingValue);
        (*v)[e->index] = e->value;
        return 0;
      case op::kGetElement:
        if (e->index < 0 || static_cast<std::size_t>(e->index) >= v->size()) return 1;
        e->value = (*v)[e->index];
        return 0;
      case op::kResize: {
        const int64_t to = reinterpret_cast<SizeBlock*>(b)->to;
        if (to < 0 || to > self.refuseResizeOver) return 1;
        v->resize(static_cast<std::size_t>(to), kMissingValue);
        return 0;
      }
      default:
        return refhost::RefHost::Trampoline(reinterpret_cast<uint64_t>(self.host), opcode, a, b);
    }
  }
};

std::string Counting(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(i));
  return s;
}

class Arrays : public FumTest {
 public:
  Arrays() { store.host = &host; }
  ~Arrays() override { XoBulk::ResetAllocator(); }

  // A method call as the host makes it, with the store answering datasets;
  // the status is the entry's answer.
  Outcome Array(const char* method, const std::string& args) {
    std::string text = args;
    double result = -99;
    const int s = static_cast<int>(XODLL(reinterpret_cast<uint64_t>(&store), method, text.data(), &result,
                                         &DatasetStore::Serve, cmd::kCallMethod));
    return {s, result, TheFum().error.Int(), TheFum().sysErr.Int()};
  }
  // A fresh state with an empty store and in.bin (0, 1, 2...) open.
  void OpenCounting(int n) {
    Fresh();
    store.sets.clear();
    OpenFile(MakeFile("in.bin", Counting(n)));
  }
  DatasetStore store;
};

TEST_F(Arrays, ReadLayouts) {
  std::vector<double> all32;
  for (int i = 0; i < 32; ++i) all32.push_back(i);
  const double m = kMissingValue;
  // what, nBytes, Skip, Signed, arguments, result, the dataset, the position after, Error
  const std::tuple<const char*, int, int, int, const char*, double, std::vector<double>, double, int> cases[] = {
      {"bytes", 1, 0, 0, "d,1,4,0", 4, {0, 1, 2, 3}, 4, 0},
      {"skip gaps", 2, 2, 0, "d,1,3,0", 3, {0x0100, 0x0504, 0x0908}, 10, 0},
      {"a stretch", 1, 0, 0, "d,5,7,0", 3, {m, m, m, m, 0, 1, 2}, 3, 0},
      {"nothing", 1, 0, 0, "d,1,0,0", 0, {}, 0, 0},
      {"float with 2 bytes", 2, 0, 0, "d,1,3,1", 3, {}, 6, 43},
      {"short file: values past the end are not stored", 1, 0, 0, "d,1,40,0", 40, all32, 32, 33},
      {"signed", 1, 0, 1, "d,1,1,0", 1, {0}, 1, 0},
      {"a gap too large to add in 32 bits", 4, 2147483647, 0, "d,1,1,0", 1, {0x03020100}, 4, 0},
      {"an extended value beyond a double: recorded, the count stays", 10, 0, 0, "d,1,1,1", 1, {m}, 10, 34},
  };
  for (const auto& [label, nBytes, skip, isSigned, args, result, dataset, position, error] : cases) {
    SCOPED_TRACE(label);
    OpenCounting(32);
    host.SetNumber("NBYTES", nBytes);
    host.SetNumber("SKIP", skip);
    host.SetNumber("SIGNED", isSigned);
    const Outcome o = Array("AREAD", args);
    EXPECT_EQ(o.result, result);
    EXPECT_EQ(o.error, error);
    EXPECT_EQ(store.sets["d"], dataset);
    EXPECT_EQ(Invoke("GETPOS", "").result, position);
  }
}

TEST_F(Arrays, WriteLayoutsAndOneResize) {
  store.sets["src"] = {1, 258, -2, 70000};
  OpenFile(Path("out.bin"), 1);
  host.SetNumber("NBYTES", 2);
  host.SetNumber("SKIP", 1);
  const Outcome o = Array("AWRITE", "src,1,4,0");
  EXPECT_EQ(o.result, 4);
  EXPECT_EQ(o.error, 0);
  Call("CLOSEALL");
  // gaps as zero, none after the last
  EXPECT_EQ(Contents("out.bin"), std::string("\x01\x00\x00\x02\x01\x00\xFE\xFF\x00\x70\x11", 11));

  OpenCounting(10);
  store.counts.clear();
  Array("AREAD", "fresh,1,10,0");
  EXPECT_EQ(store.counts[op::kSetElement], 10);
  EXPECT_EQ(store.counts[op::kResize], 1);  // the dataset takes its length once
  EXPECT_EQ(store.sets["fresh"].size(), 10u);
}

TEST_F(Arrays, BadArgumentsInBothModes) {
  const struct {
    const char* args;
    const char* setting = "";  // set to `value` before the call
    int value = 0;
    const char* method = "AREAD";
    Expect byDefault = {3, -1, 2}, byNew = {12, -1, 12};
  } cases[] = {
      {"d,1,4", "", 0, "AREAD", {1024, -1, 2}, {10, -1, 10}},
      {"d,0,5,0", "", 0, "AREAD", {64, -1, 2}, {19, -1, 19}},
      {"d,3,1,0", "", 0, "AREAD", {64, -1, 2}, {19, -1, 19}},
      {"d,1,4,3"}, {"d,1,4,0", "SKIP", -1}, {"d,1,2000000000,0", "NBYTES", 4}, {"d,1,4,0", "SIGNED", 3},
      // Indexes and lengths a host's signed 32-bit dataset sizes cannot hold.
      {"d,2147483647,-2147483647,0"}, {"d,2147483647,-2147483647,0", "", 0, "AWRITE"},
      {"d,2147483647,-2147483648,0"}, {"d,1,-1,0"},
  };
  for (const auto& c : cases) {
    BothModes(c.args, c.method, [&] {
      OpenFile(MakeFile("in.bin", Counting(8)));
      if (*c.setting) host.SetNumber(c.setting, c.value);
      return std::string(c.args);
    }, c.byDefault, c.byNew);
  }
}

// An allocator that refuses anything larger than a limit, and counts.
std::size_t g_limit = 0;
std::vector<std::size_t> g_requests;
unsigned char* Limited(std::size_t bytes) {
  g_requests.push_back(bytes);
  if (bytes > g_limit) throw std::bad_alloc();
  return new unsigned char[bytes];
}
void Free(unsigned char* p) { delete[] p; }

TEST_F(Arrays, HalvingWhenMemoryRunsShort) {
  OpenCounting(16);
  g_requests.clear();
  g_limit = 4;
  XoBulk::SetAllocator(Limited, Free);
  EXPECT_EQ(Array("AREAD", "d,1,16,0").result, 16);
  EXPECT_EQ(g_requests, (std::vector<std::size_t>{16, 8, 4, 4, 8, 4, 4}));  // halves of halves
  std::vector<double> expected;
  for (int i = 0; i < 16; ++i) expected.push_back(i);
  EXPECT_EQ(store.sets["d"], expected);

  // An odd count: the second half takes the one left over.
  OpenCounting(16);
  g_requests.clear();
  EXPECT_EQ(Array("AREAD", "d,1,15,0").result, 15);
  EXPECT_EQ(g_requests, (std::vector<std::size_t>{15, 7, 3, 4, 8, 4, 4}));
  expected.pop_back();
  EXPECT_EQ(store.sets["d"], expected);

  // Nothing fits: the budget runs out and the call fails.
  Invoke("REWIND", "");
  g_limit = 0;
  const Outcome o = Array("AREAD", "e,1,16,0");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.result, kMissingValue);  // the result is left as the run preset it
  Invoke("REWIND", "");
  NewMode(true);
  EXPECT_EQ(Array("AREAD", "e,1,16,0").result, -1.0);  // the new mode's preset
  NewMode(false);

  // A count from a hostile script: no request beyond what the file holds.
  OpenCounting(8);
  g_requests.clear();
  g_limit = SIZE_MAX;
  EXPECT_EQ(Array("AREAD", "d,1,1000000000,0").error, 33);  // the file ended early
  EXPECT_EQ(g_requests, std::vector<std::size_t>{8});
  EXPECT_EQ(store.sets["d"].size(), 8u);
}

TEST_F(Arrays, ValuesTheHostRefusesReachError) {
  // An element write at index 5 or past refused, or a final length over 4.
  const std::tuple<int32_t, int32_t, std::size_t> cases[] = {{5, INT32_MAX, 5}, {INT32_MAX, 4, 16}};
  for (bool newMode : {false, true}) {
    for (const auto& [refuseFrom, refuseResizeOver, stored] : cases) {
      SCOPED_TRACE(std::to_string(refuseFrom) + (newMode ? " new" : " default"));
      OpenCounting(16);
      store.refuseFrom = refuseFrom;
      store.refuseResizeOver = refuseResizeOver;
      NewMode(newMode);
      const Outcome o = Array("AREAD", "d,1,16,0");
      EXPECT_EQ(o.result, 16);  // the transfer ran: the count, as for a full disk
      EXPECT_EQ(o.error, newMode ? 12 : 3);
      EXPECT_EQ(store.sets["d"].size(), stored);
    }
  }
}

TEST_F(Arrays, ReadFailuresKeepTheCount) {
  OpenCounting(8);
  fault::Fail(fault::Call::readAt, EIO);
  Outcome o = Array("AREAD", "d,1,4,0");
  EXPECT_EQ(o.result, 4);
  EXPECT_EQ(o.error, 1157);
  NewMode(true);
  Invoke("REWIND", "");
  fault::Fail(fault::Call::readAt, EIO);
  EXPECT_EQ(Array("AREAD", "d,1,4,0").error, 30);
  Invoke("TOEND", "");
  o = Array("AREAD", "d,1,4,0");
  EXPECT_EQ(o.error, 33);
  EXPECT_EQ(o.result, 4);
}

}  // namespace
}  // namespace kfio::testing
