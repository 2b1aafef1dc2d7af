// The allocation-failure sweep: every method of the table, a property write and read and the listings, run again and again with their 1st, 2nd, 3rd, ... allocation failing, in both error modes.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "alloc/counting_new.h"
#include "bridge/host_services.h"
#include "fum/file_entry.h"
#include "fum/fum_fixture.h"
#include "import/sigma_files.h"
#include "platform/share_registry.h"

namespace kfio::testing {
namespace {

// The callback the module gets: the reference host's, uncounted, so that only the module's own allocations fail.
uint64_t HostUncounted(uint64_t context, uint32_t opcode, uint64_t a, uint64_t b) noexcept {
  alloc::Suspend host;
  return refhost::RefHost::Trampoline(context, opcode, a, b);
}

class SweepTest;
enum class Via { kMethod, kSetString, kGetString, kList };

// What sets a call apart in the sweep.
enum Flags : unsigned {
  kTransfer = 1,    // runs the bulk transfer, which answers status 1 when memory runs out
  kNewCodes = 2,    // switches NEWACTIONS on for its steps: fails with the new mode's codes in both modes
  kClosing = 4,     // closes files, as a destructor does too: must never fail for memory
  kAnswersOne = 8,  // answers status 1 with nothing armed (this build writes no 80-bit values)
  kNested = 16,     // runs other methods: their failure is a nested-call failure (4/4, or the status + 512)
};

// The member: a method, a property, or the object whose members are listed ("" for fum); the setup prepares in the
// default mode and gives the arguments or the text.
struct Case { const char* member; std::string (*setup)(SweepTest&); unsigned flags = 0; Via via = Via::kMethod; };

// What a run left: the method's status (XODLL's answer for the others), Error, and as one text everything
// else a script can see afterwards.
struct Left { int status; double result; int error; std::string seen; bool operator==(const Left&) const = default; };
void PrintTo(const Case& c, std::ostream* out) { *out << c.member; }
std::ostream& operator<<(std::ostream& out, const Left& l) {
  return out << "status " << l.status << ", result " << l.result << ", Error " << l.error << "\n" << l.seen;
}

class SweepTest : public FumTest, public ::testing::WithParamInterface<Case> {
 public:
  // Names of this run's page and dataset: the host keeps every page it was given.
  std::string PageName() const { return "P" + std::to_string(run_); }
  std::string DataName() const { return "D" + std::to_string(run_); }
  // This run's page of `columns` columns, row i of column c holding c * 10 + i.
  std::string Page(int columns, int rows = 0) {
    refhost::HostPage* p = host.NewPage(PageName(), columns);
    for (int c = 1; c <= columns; ++c)
      for (int r = 0; r < rows; ++r) p->Column(c)->SetValue(r, c * 10 + r);
    return PageName();
  }
  std::string Data(std::vector<double> values) {
    refhost::HostDataset* d = host.NewDataset(DataName());
    for (std::size_t i = 0; i < values.size(); ++i) d->SetValue(static_cast<int32_t>(i), values[i]);
    return DataName();
  }
  // `bytes` as `name`, opened in `mode` as the current file; its handle as an argument.
  std::string Open(const std::string& name, const std::string& bytes, int mode = 0) {
    return std::to_string(OpenFile(MakeFile(name, bytes), mode));
  }
  std::string OpenText(int mode = 0) { return Open("t.txt", "time,volts,amps\n0,1.25,0.1\n0.5,1.31,0.12\n", mode); }
  std::string OpenBinary(const std::string& bytes = Counting(24, 3, 1)) { return Open("b.bin", bytes, 0); }

  // One run from a fresh state with allocation `failAt` of the call failing (0: none); `counted` gets how
  // many allocations the call made.
  Left Run(bool newMode, long failAt, long& counted) {
    const Case& c = GetParam();
    Fresh();
    ++run_;
    std::string args = c.setup(*this);
    NewMode(newMode);
    host.ClearOutput();
    Left left{0, -99.0, 0, {}};
    std::string read;
    // A method runs as the fixture's Invoke runs it, so that the sweep sees its own status (XODLL answers
    // 2 for 2, 44 and 1 alike); the other accesses go through XODLL.
    if (c.via == Via::kMethod) {
      host.Raw(nullptr, nullptr, nullptr, 30);  // the host link, as the fixture's Invoke refreshes it
      TheHostLink().callback = &HostUncounted;
      auto* method = static_cast<XoMethod*>(FindEntry(TheFum().Methods(), c.member)->member);
      alloc::Arm(failAt);
      try {
        left.status = method->Invoke(args.data(), &left.result, TheFum());
      } catch (const std::exception& e) {
        alloc::Disarm();
        ADD_FAILURE() << "an exception left the method: " << e.what();
        left.status = -1;
        TheFum().AfterException();
      }
      counted = alloc::Disarm();
    } else {
      static constexpr uint16_t kCommands[] = {0, cmd::kSetString, cmd::kGetString, cmd::kGetNumber};
      const bool listing = c.via == Via::kList;
      std::string name = listing ? "" : c.member;
      std::vector<char> value(kHostStringBuffer, '\0');
      std::copy(args.begin(), args.end(), value.begin());
      double ignored = 0;
      alloc::Arm(failAt);
      left.status = static_cast<int>(XODLL(reinterpret_cast<uint64_t>(&host), listing ? c.member : nullptr,
                                           name.data(), listing ? static_cast<void*>(&ignored) : value.data(),
                                           &HostUncounted, kCommands[static_cast<int>(c.via)]));
      counted = alloc::Disarm();
      if (c.via == Via::kGetString) read = value.data();
    }
    left.error = TheFum().error.Int();
    EXPECT_EQ(Broken(), "");
    left.seen = Seen(read);
    return left;
  }

  // Everything a script could look at after the call: what was printed and read, the string variables,
  // the run's page and dataset, every file, the open files and the settings.
  std::string Seen(const std::string& read) {
    std::string s = "read: " + read + "\nprinted:\n";
    for (const std::string& line : host.output) s += line + "\n";
    for (char v = 'A'; v <= 'Z'; ++v)
      if (!host.StringVar(v).empty()) s += std::string(1, v) + "$ = " + host.StringVar(v) + "\n";
    auto cells = [](const refhost::HostDataset* d) {
      std::string out;
      for (int32_t i = 0; i < d->Size(); ++i) out += " " + d->Text(i);
      return out;
    };
    if (const refhost::HostPage* p = host.Page(PageName()))
      for (int c = 1; c <= p->ColumnCount(); ++c)
        s += "column " + p->ColumnName(c) + " [" + p->ColumnTitle(c) + "]:" + cells(p->Column(c)) + "\n";
    if (const refhost::HostDataset* d = host.Dataset(DataName())) s += "dataset:" + cells(d) + "\n";

    std::vector<std::filesystem::path> files(std::filesystem::directory_iterator(dir), {});
    std::sort(files.begin(), files.end());
    for (const auto& f : files) s += f.filename().string() + ": " + Contents(f.filename().string()) + "\n";
    for (const std::string& line : Printed("LISTALL", "M")) s += line + "\n";
    for (const char* setting : {"HFILE", "NBYTES", "BYTEORDER", "SIGNED", "SKIP", "NLINEMODE", "LISTSEP", "SYSERR"})
      s += std::string(setting) + " " + std::to_string(Number(setting)) + "\n";
    if (TheFum().hFile.currentEntry != nullptr) s += "at " + std::to_string(Invoke("GETPOS", "").result) + "\n";
    return s;
  }
  // What no call may leave behind, failing or not; empty when all is well.
  std::string Broken() {
    std::string s;
    if (host.LiveTemporaries() != 0) s += "host temporaries not released\n";
    if (TheFum().nestedCall) s += "the nested-call flag left set\n";
    if (const MyCFile* current = TheFum().hFile.currentEntry; current != nullptr && !current->IsOpen())
      s += "a closed file left current\n";
    for (auto p = TheFum().files.GetHeadPosition(); p != nullptr;) {
      const auto* entry = static_cast<const MyCFile*>(TheFum().files.GetNext(p));
      if (entry->IsOpen() && entry->GetFilePath().empty()) s += "an open file without its name\n";
    }
    // A method that lost an argument slot drops that argument from every later call.
    for (const MemberEntry& e : TheFum().Methods()) {
      const auto* m = static_cast<const XoMethod*>(e.member);
      for (int i = 0; i < m->ArgumentCount(); ++i)
        if (m->Argument(i) == nullptr) s += std::string(e.name) + " lost argument slot " + std::to_string(i) + "\n";
    }
    // A file listed with no holder would refuse every later Remove.
    static int unheld;
    unheld = 0;
    detail::ShareRegistry::ForEach([](detail::SharedFile& f) { unheld += f.holders.empty(); });
    if (unheld != 0) s += "a file registered with no holder\n";
    return s;
  }

 private:
  int run_ = 0;
};

// Every method of the table (one spelling each, in table order), a property write and read, and the
// listings of fum and of fum.ASCII.
using T = SweepTest;
const Case kCases[] = {
    {"RESET", [](T& t) { t.host.SetNumber("NBYTES", 4); return std::string(); }},
    {"LISTSEP", [](T&) { return std::string(";"); }}, {"OPEN", [](T& t) { return t.MakeFile("o.txt", "abc") + ",0"; }},
    {"CLOSE", [](T& t) { return t.OpenText(); }, kClosing},
    {"CLOSEALL", [](T& t) { t.OpenText(); t.OpenBinary(); return std::string(); }, kClosing},
    {"EXISTS", [](T& t) { return t.MakeFile("e.txt", "abc"); }},
    {"REMOVE", [](T& t) { return t.MakeFile("r.txt", "abc"); }},
    {"SIZE", [](T& t) { t.OpenText(); return "," + t.MakeFile("s.txt", "abcd"); }},
    {"GETPOS", [](T& t) { t.OpenBinary(); t.Invoke("SETPOS", "5"); return std::string(); }},
    {"SETPOS", [](T& t) { t.OpenBinary(); return std::string("7"); }},
    {"REWIND", [](T& t) { t.OpenBinary(); t.Invoke("SETPOS", "5"); return std::string(); }},
    {"TOEND", [](T& t) { return t.OpenBinary(); }}, {"JUMP", [](T& t) { t.OpenBinary(); return std::string("3"); }},
    {"JUMPCHUNK", [](T& t) { t.OpenBinary(); return std::string("2,4"); }},
    {"SWITCHMODE", [](T& t) { t.OpenBinary(); t.Invoke("SETPOS", "5"); return std::string("2"); }},
    {"READ", [](T& t) { t.OpenBinary(); return std::string("2"); }},
    {"WRITE", [](T& t) { t.Open("w.bin", "", 2); return std::string("258,2"); }},
    {"FREAD", [](T& t) { t.OpenBinary(sigma::Int(std::bit_cast<uint32_t>(1.5f), 4)); return std::string(); }},
    {"FWRITE", [](T& t) { t.Open("w.bin", "", 2); return std::string("1.5"); }},
    {"DREAD", [](T& t) { t.OpenBinary(sigma::Int(std::bit_cast<uint64_t>(2.25), 8)); return std::string(); }},
    {"DWRITE", [](T& t) { t.Open("w.bin", "", 2); return std::string("2.25"); }},
    {"LDREAD",
     [](T& t) { t.host.SetNumber("NBYTES", 10); t.OpenBinary(sigma::Extended(-3.25)); return std::string(); }},
    // This build writes no 80-bit values: the call prints so and fails without a code.
    {"LDWRITE", [](T& t) { t.Open("w.bin", "", 2); return std::string("1"); }, kAnswersOne},
    {"AREAD", [](T& t) { t.host.SetNumber("NBYTES", 2); t.OpenBinary(); return t.Data({9, 9}) + ",2,5,0"; }, kTransfer},
    {"AWRITE",
     [](T& t) { t.host.SetNumber("NBYTES", 2); t.Open("w.bin", "", 2); return t.Data({1, -2, 300}) + ",1,3,0"; },
     kTransfer},
    {"READROWBIN", [](T& t) { t.OpenBinary(); return t.Page(1) + ",4,0"; }, kTransfer},
    {"READRECORD", [](T& t) { t.OpenBinary(); return t.Page(1) + ",3,sh|by2|-by"; }, kTransfer},
    {"WRITERECORD", [](T& t) { t.Open("w.bin", "", 2); return t.Page(2, 2) + ",2,sh|f"; }, kTransfer},
    {"READROW", [](T& t) { t.OpenText(); return t.Page(1, 1) + ",3"; }},
    {"LINEROW", [](T& t) { t.OpenText(); return t.Page(2); }},
    {"TREAD", [](T& t) { t.OpenText(); return std::string("A,2"); }},
    {"LREAD", [](T& t) { t.host.SetNumber("NLINEMODE", 1); t.OpenText(); return std::string("A"); }},
    {"READTOKEN", [](T& t) { t.OpenText(); return std::string("B,4"); }},
    {"READARRAY", [](T& t) {
       t.host.SetNumber("NLINEMODE", 1), t.OpenText(), t.Invoke("SETPOS", "16");
       return t.Data({}) + ",1,6";
     }},
    {"ASCII", [](T& t) {
       t.OpenText();
       double oneLine = 8;
       t.host.AccessMethodMember("ASCII", "STOPMODE", cmd::kSetNumber, &oneLine, nullptr);
       std::string exclude = "\n";
       t.host.AccessMethodMember("ASCII", "EXCLUDE", cmd::kSetString, nullptr, &exclude);
       return "T," + t.Page(3);
     }},
    {"CREAD", [](T& t) { t.OpenText(); return std::string("C,6"); }, kTransfer},
    {"TWRITE", [](T& t) { t.OpenText(2); return std::string("\"1,2\""); }, kTransfer},
    {"LWRITE", [](T& t) { t.OpenText(2); return std::string("line"); }, kTransfer},
    {"MATHEMATICA", [](T& t) { t.Open("l.m", "{{1, 2}, {3.5, \"x\", 5}}"); return t.Page(2); }, kNested},
    {"SIGMADOS", [](T& t) {
       t.Open("d.jnb", sigma::DosFile{false, false, 0, {{0, {1.5, -2}}, {1, {7}}}}.Bytes());
       return t.Page(1);
     }, kNested},
    {"SIGMAWIN", [](T& t) {
       t.Open("w.jnb", sigma::WinFile{sigma::BaseFrom::kMarkerAt16, 0, 1, {{0, {{2.5}, {1.5}}}, {1, {{-3}}}},
                                      {{0, "Time"}, {1, "Volts"}}}.Bytes());
       return t.Page(1);
     }, kNewCodes | kNested},
    {"WAV", [](T& t) {
       using sigma::Int;
       t.Open("s.wav", "RIFF" + Int(0, 4) + "WAVEfmt " + Int(16, 4) + Int(1, 2) + Int(1, 2) + Int(4, 4) + Int(8, 4) +
                           Int(2, 2) + Int(16, 2) + "data" + Int(6, 4) + Int(1, 2) + Int(0xFFFE, 2) + Int(300, 2));
       return t.Page(1);
     }, kNested},
    {"WKSBLOCK", [](T& t) {
       t.OpenText(), t.host.SetString("FILENAME", t.Path("t.txt")), t.Invoke("SETPOS", "16");
       return t.Page(3) + ",1,3,1,2";
     }, kNested},
    {"SYNTAX", [](T&) { return std::string("ReadRecord"); }}, {"ALTERNATESPELLINGS", [](T&) { return std::string(); }},
    {"LISTALL", [](T& t) { t.OpenText(); t.Open("w.bin", "", 2); return std::string("M,P"); }},
    {"FILENAME", [](T& t) { return t.Path("named.txt"); }, 0, Via::kSetString},
    {"FILENAME", [](T& t) { t.OpenText(); return std::string(); }, 0, Via::kGetString},
    {"", [](T&) { return std::string(); }, 0, Via::kList}, {"ASCII", [](T&) { return std::string(); }, 0, Via::kList},
};

// The documented outcomes of a run whose armed allocation failed: the call as if nothing had failed; the
// out-of-memory failure (Error 5 and status 2, or 44 and 44); for the transfers, status 1 (or, in the
// default mode, status 0 with Error 5 when memory ran out for the page or its columns); for the
// accesses that are no method, XODLL's failure answer.
bool Documented(const Case& c, bool newMode, const Left& l, const Left& base) {
  if (l == base) return true;
  if (c.flags & kClosing) return false;
  if (c.via != Via::kMethod) return l.status == 2;
  const int outOfMemory = newMode ? 44 : 5;
  if (l.status == (newMode ? 44 : 2) && l.error == outOfMemory) return true;
  if ((c.flags & kNewCodes) && l.status == 44 && l.error == 44) return true;
  // A step run as a nested call that ran out: Error 4 and status 4, or its status (44, or a transfer's 1) + 512.
  if (c.flags & kNested) {
    if (newMode || (c.flags & kNewCodes)) {
      if ((l.status == (512 | 44) && l.error == 44) || (l.status == (512 | 1) && (l.error == 0 || l.error == 44)))
        return true;
    } else if (l.status == 4 && l.error == 4) {
      return true;
    }
  }
  // The transfer's buffer leaves Error alone; anything else it allocates stores the code, and in the
  // default mode the call then answers as any failed chunk does: status 0 with Error 5.
  if (!(c.flags & kTransfer)) return false;
  if (!newMode && l.status == 0 && l.error == outOfMemory) return true;
  return l.status == 1 && (l.error == 0 || l.error == outOfMemory);
}

TEST_P(SweepTest, EveryFailingAllocationEndsDocumented) {
  const Case& c = GetParam();
  for (bool newMode : {false, true}) {
    SCOPED_TRACE(newMode ? "new mode" : "default mode");
    long total = 0;
    Run(newMode, 0, total);  // first uses build what later calls reuse
    const Left base = Run(newMode, 0, total);
    EXPECT_EQ(base.status, c.via != Via::kMethod || (c.flags & kAnswersOne) ? 1 : 0) << base;
    EXPECT_EQ(base.error, 0) << base;
    // Every allocation in turn: no call here makes more than a few dozen (they stream, rather than
    // allocate per value or per line), so nothing needs sampling.
    long n = 1;
    for (;; ++n) {
      SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(total) + " fails");
      long counted = 0;
      const Left left = Run(newMode, n, counted);
      if (!alloc::Reached()) {
        EXPECT_EQ(counted, total);  // the same call makes the same allocations
        EXPECT_EQ(n, total + 1);
        EXPECT_EQ(left, base);
        break;
      }
      EXPECT_TRUE(Documented(c, newMode, left, base)) << left;
      if (left != base) {
        EXPECT_EQ(Run(newMode, 0, counted), base) << "after a failing run";
      }
    }
    RecordProperty(newMode ? "runs_new" : "runs_default", static_cast<int>(n));
  }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  static constexpr const char* kPrefixes[] = {"", "set_", "get_", "list_"};
  const std::string member = *info.param.member ? info.param.member : "FUM";
  return kPrefixes[static_cast<int>(info.param.via)] + member;
}

INSTANTIATE_TEST_SUITE_P(Members, SweepTest, ::testing::ValuesIn(kCases), CaseName);

constexpr auto Throws = [](auto allocate) {
  try {
    return allocate(), false;
  } catch (const std::bad_alloc&) {
    return true;
  }
};
constexpr std::align_val_t kWide{64};

// The hook itself: the armed allocation of every form fails, and only it; suspended ones are not counted.
TEST(CountingNew, FailsTheArmedAllocationOfEveryForm) {
  // Operator calls rather than new-expressions, which the compiler may leave out; true when the allocation failed.
  const std::pair<const char*, bool (*)()> forms[] = {
      {"new", [] { return Throws([] { ::operator delete(::operator new(8)); }); }},
      {"new[]", [] { return Throws([] { ::operator delete[](::operator new[](8)); }); }},
      {"aligned new", [] { return Throws([] { ::operator delete(::operator new(8, kWide), kWide); }); }},
      {"aligned new[]", [] { return Throws([] { ::operator delete[](::operator new[](8, kWide), kWide); }); }},
      {"nothrow new", [] { void* p = ::operator new(8, std::nothrow); ::operator delete(p); return !p; }},
      {"nothrow new[]", [] { void* p = ::operator new[](8, std::nothrow); ::operator delete[](p); return !p; }},
      {"aligned nothrow new",
       [] { void* p = ::operator new(8, kWide, std::nothrow); ::operator delete(p, kWide); return !p; }},
      {"aligned nothrow new[]",
       [] { void* p = ::operator new[](8, kWide, std::nothrow); ::operator delete[](p, kWide); return !p; }},
  };
  for (const auto& [name, fails] : forms) {
    for (long n : {1L, 2L}) {
      alloc::Arm(n);
      {
        alloc::Suspend host;
        ::operator delete(::operator new(8));  // not counted
      }
      const bool first = fails(), second = fails();
      EXPECT_EQ(std::make_tuple(alloc::Disarm(), alloc::Reached(), first, second),
                std::make_tuple(2L, true, n == 1, n == 2)) << name << ", allocation " << n << " armed";
    }
  }
}

}  // namespace
}  // namespace kfio::testing
