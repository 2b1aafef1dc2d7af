// ARead and AWrite through XODLL: the file image with Skip gaps, ranges,
// bad arguments, short files, the chunk halving on allocation failure.
// Datasets live in a small store of the test's own, so every element call
// the module makes can be counted; other services go to the reference host.
#include <fstream>
#include <iterator>
#include <map>
#include <new>

#include "binary/bulk.h"
#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

struct DatasetStore {
  std::map<std::string, std::vector<double>> sets;
  std::vector<std::string> names;  // handle - 1 -> name
  std::map<uint32_t, int> counts;
  refhost::RefHost* host = nullptr;
  // A host's limits: element writes at or past `refuseFrom`, and resizes
  // past `refuseResizeOver`, are refused.
  int32_t refuseFrom = INT32_MAX;
  int32_t refuseResizeOver = INT32_MAX;

  std::vector<double>& Of(uint64_t handle) { return sets[names.at(handle - 1)]; }

  static uint64_t Serve(uint64_t context, uint32_t opcode, uint64_t a, uint64_t b) {
    auto& self = *reinterpret_cast<DatasetStore*>(context);
    ++self.counts[opcode];
    switch (opcode) {
      case op::kFindDataset: {
        const std::string name = reinterpret_cast<const char*>(a);
        auto& v = self.sets[name];
        std::size_t i = 0;
        while (i < self.names.size() && self.names[i] != name) ++i;
        if (i == self.names.size()) self.names.push_back(name);
        auto* block = reinterpret_cast<DatasetBlock*>(b);
        block->cell[0] = 0;
        block->cell[1] = block->cell[3] = static_cast<int64_t>(v.size());
        block->cell[2] = 0;
        return i + 1;
      }
      case op::kSetElement: {
        auto* e = reinterpret_cast<ElementBlock*>(b);
        auto& v = self.Of(a);
        if (e->index < 0 || e->index >= self.refuseFrom) return 1;
        if (static_cast<std::size_t>(e->index) >= v.size()) v.resize(e->index + 1, kMissingValue);
        v[e->index] = e->value;
        return 0;
      }
      case op::kGetElement: {
        auto* e = reinterpret_cast<ElementBlock*>(b);
        auto& v = self.Of(a);
        if (e->index < 0 || static_cast<std::size_t>(e->index) >= v.size()) return 1;
        e->value = v[e->index];
        return 0;
      }
      case op::kResize: {
        const int64_t to = reinterpret_cast<SizeBlock*>(b)->to;
        if (to < 0 || to > self.refuseResizeOver) return 1;
        self.Of(a).resize(static_cast<std::size_t>(to), kMissingValue);
        return 0;
      }
      default:
        return refhost::RefHost::Trampoline(reinterpret_cast<uint64_t>(self.host), opcode, a, b);
    }
  }
};

class Arrays : public FumTest {
 public:
  Arrays() { store.host = &host; }
  ~Arrays() override { XoBulk::ResetAllocator(); }

  // A method call as the host makes it, with the store answering datasets.
  Outcome Array(const char* method, const std::string& args) {
    std::string text = args;
    double result = -99;
    XODLL(reinterpret_cast<uint64_t>(&store), method, text.data(), &result, &DatasetStore::Serve,
          cmd::kCallMethod);
    return {0, result, TheFum().error.Int(), TheFum().sysErr.Int()};
  }
  std::string Contents(const std::string& name) {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  DatasetStore store;
};

std::string Counting(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(i));
  return s;
}

TEST_F(Arrays, ReadLayouts) {
  std::vector<double> all32;
  for (int i = 0; i < 32; ++i) all32.push_back(i);
  struct Case {
    const char* label;
    int nBytes, skip, isSigned;
    const char* args;
    double result;
    std::vector<double> dataset;
    double position;
    int error;
  } cases[] = {
      {"bytes", 1, 0, 0, "d,1,4,0", 4, {0, 1, 2, 3}, 4, 0},
      {"skip gaps", 2, 2, 0, "d,1,3,0", 3, {0x0100, 0x0504, 0x0908}, 10, 0},
      {"a stretch", 1, 0, 0, "d,5,7,0", 3, {kMissingValue, kMissingValue, kMissingValue, kMissingValue, 0, 1, 2}, 3, 0},
      {"nothing", 1, 0, 0, "d,1,0,0", 0, {}, 0, 0},
      {"float with 2 bytes", 2, 0, 0, "d,1,3,1", 3, {}, 6, 43},
      {"short file: values past the end are not stored", 1, 0, 0, "d,1,40,0", 40, all32, 32, 33},
      {"signed", 1, 0, 1, "d,1,1,0", 1, {0}, 1, 0},
      {"a gap too large to add in 32 bits", 4, 2147483647, 0, "d,1,1,0", 1, {0x03020100}, 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    store.sets.clear();
    double r = 0;
    host.Call("CLOSEALL", "", r);
    OpenFile(MakeFile("in.bin", Counting(32)), 0);
    host.SetNumber("NBYTES", c.nBytes);
    host.SetNumber("SKIP", c.skip);
    host.SetNumber("SIGNED", c.isSigned);
    const Outcome o = Array("AREAD", c.args);
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(o.error, c.error);
    EXPECT_EQ(store.sets["d"], c.dataset);
    EXPECT_EQ(Invoke("GETPOS", "").result, c.position);
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
  double r = 0;
  host.Call("CLOSEALL", "", r);
  const std::string expected("\x01\x00\x00\x02\x01\x00\xFE\xFF\x00\x70\x11", 11);  // gaps as zero, none after the last
  EXPECT_EQ(Contents("out.bin"), expected);

  store.counts.clear();
  OpenFile(MakeFile("in.bin", Counting(10)), 0);
  host.SetNumber("SKIP", 0);
  host.SetNumber("NBYTES", 1);
  Array("AREAD", "fresh,1,10,0");
  EXPECT_EQ(store.counts[op::kSetElement], 10);
  EXPECT_EQ(store.counts[op::kResize], 1);  // the dataset takes its length once
  EXPECT_EQ(store.sets["fresh"].size(), 10u);
}

TEST_F(Arrays, BadArgumentsInBothModes) {
  struct Case {
    const char* args;
    std::function<void(FumTest&)> before;
    Expect byDefault;
    Expect byNew;
    const char* method = "AREAD";
  } cases[] = {
      {"d,1,4", nullptr, {1024, -1, 2}, {10, -1, 10}},
      {"d,0,5,0", nullptr, {64, -1, 2}, {19, -1, 19}},
      {"d,3,1,0", nullptr, {64, -1, 2}, {19, -1, 19}},
      {"d,1,4,3", nullptr, {3, -1, 2}, {12, -1, 12}},
      {"d,1,4,0", [](FumTest& t) { t.host.SetNumber("SKIP", -1); }, {3, -1, 2}, {12, -1, 12}},
      {"d,1,2000000000,0", [](FumTest& t) { t.host.SetNumber("NBYTES", 4); }, {3, -1, 2}, {12, -1, 12}},
      {"d,1,4,0", [](FumTest& t) { t.host.SetNumber("SIGNED", 3); }, {3, -1, 2}, {12, -1, 12}},
      // Indexes and lengths a host's signed 32-bit dataset sizes cannot hold.
      {"d,2147483647,-2147483647,0", nullptr, {3, -1, 2}, {12, -1, 12}},
      {"d,2147483647,-2147483647,0", nullptr, {3, -1, 2}, {12, -1, 12}, "AWRITE"},
      {"d,2147483647,-2147483648,0", nullptr, {3, -1, 2}, {12, -1, 12}},
      {"d,1,-1,0", nullptr, {3, -1, 2}, {12, -1, 12}},
  };
  for (bool newMode : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.args) + (newMode ? " new" : " default"));
      const Outcome o = FreshCall(newMode, [&] {
        OpenFile(MakeFile("in.bin", Counting(8)), 0);
        if (c.before) c.before(*this);
        return std::string(c.args);
      }, c.method);
      ExpectOutcome(o, newMode ? c.byNew : c.byDefault);
    }
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
  OpenFile(MakeFile("in.bin", Counting(16)), 0);
  g_requests.clear();
  g_limit = 4;
  XoBulk::SetAllocator(Limited, Free);
  Outcome o = Array("AREAD", "d,1,16,0");
  EXPECT_EQ(o.result, 16);
  EXPECT_EQ(g_requests, (std::vector<std::size_t>{16, 8, 4, 4, 8, 4, 4}));  // halves of halves
  std::vector<double> expected;
  for (int i = 0; i < 16; ++i) expected.push_back(i);
  EXPECT_EQ(store.sets["d"], expected);

  // Nothing fits: the budget runs out and the call fails with status 1.
  Invoke("REWIND", "");
  g_limit = 0;
  double result = 5;
  std::string args = "e,1,16,0";
  EXPECT_EQ(XODLL(reinterpret_cast<uint64_t>(&store), "AREAD", args.data(), &result,
                  &DatasetStore::Serve, cmd::kCallMethod),
            2u);
  EXPECT_EQ(result, kMissingValue);  // the result is left as the run preset it
}

TEST_F(Arrays, AllocationsNeverExceedWhatTheFileHolds) {
  OpenFile(MakeFile("in.bin", Counting(8)), 0);
  g_requests.clear();
  g_limit = SIZE_MAX;
  XoBulk::SetAllocator(Limited, Free);
  const Outcome o = Array("AREAD", "d,1,1000000000,0");  // a count from a hostile script
  EXPECT_EQ(g_requests, std::vector<std::size_t>{8});
  EXPECT_EQ(o.error, 33);  // the file ended early
  EXPECT_EQ(store.sets["d"].size(), 8u);
}

TEST_F(Arrays, ValuesTheHostRefusesReachError) {
  struct Case {
    const char* label;
    int32_t refuseFrom, refuseResizeOver;
    std::size_t stored;
  } cases[] = {
      {"an element write", 5, INT32_MAX, 5},
      {"the final length", INT32_MAX, 4, 16},
  };
  for (bool newMode : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.label) + (newMode ? " new" : " default"));
      store.sets.clear();
      store.refuseFrom = c.refuseFrom;
      store.refuseResizeOver = c.refuseResizeOver;
      double r = 0;
      host.Call("CLOSEALL", "", r);
      OpenFile(MakeFile("in.bin", Counting(16)), 0);
      NewMode(newMode);
      const Outcome o = Array("AREAD", "d,1,16,0");
      NewMode(false);
      EXPECT_EQ(o.result, 16);  // the transfer ran: the count, as for a full disk
      EXPECT_EQ(o.error, newMode ? 12 : 3);
      EXPECT_EQ(store.sets["d"].size(), c.stored);
    }
  }
}

TEST_F(Arrays, ReadFailuresKeepTheCount) {
  OpenFile(MakeFile("in.bin", Counting(8)), 0);
  fault::Fail(fault::Call::readAt, EIO);
  Outcome o = Array("AREAD", "d,1,4,0");
  EXPECT_EQ(o.result, 4);
  EXPECT_EQ(o.error, 1157);
  NewMode(true);
  Invoke("REWIND", "");
  fault::Fail(fault::Call::readAt, EIO);
  o = Array("AREAD", "d,1,4,0");
  EXPECT_EQ(o.error, 30);
  Invoke("TOEND", "");
  o = Array("AREAD", "d,1,4,0");
  EXPECT_EQ(o.error, 33);
  EXPECT_EQ(o.result, 4);
}

}  // namespace
}  // namespace kfio::testing
