// A fixture that drives the FUM object through the reference host in a scratch folder, seeing each method's status.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "binary/bulk.h"
#include "bridge/entry.h"
#include "module/fum.h"
#include "host/ref_host.h"
#include "tests/platform/fault_injection.h"

namespace kfio::testing {

// What one method call left behind; the status is the method's own (0 = success).
struct Outcome {
  int status;
  double result;
  int error, sysErr;
};

// What a call should leave in one error mode: a SysErr of -1 and no result are not checked.
struct Expect {
  int error, sysErr, status;
  std::optional<double> result = {};
};

// n bytes: first, first + step, first + 2 * step, ...
inline std::string Counting(int n, int step = 1, int first = 0) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(first + i * step));
  return s;
}

inline void ExpectOutcome(const Outcome& o, const Expect& e) {
  EXPECT_EQ(o.error, e.error);
  EXPECT_EQ(o.sysErr, e.sysErr < 0 ? o.sysErr : e.sysErr);
  EXPECT_EQ(o.status, e.status);
  EXPECT_EQ(o.result, e.result.value_or(o.result));
}

class FumTest : public ::testing::Test {
 public:
  FumTest() : host(&XODLL) {
    const char* tmp = std::getenv("KFIO_TEST_TMP");
    // Suites share test names, and CTest runs their cases side by side.
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::path(tmp ? tmp : "/tmp/kfio-tests") /
          (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Fresh();
  }
  ~FumTest() override { Fresh(); }

  // Nothing armed, the default mode, no files, settings reset.
  void Fresh() { Disarm(), NewMode(false), Call("CLOSEALL"), Call("RESET"); }
  // Puts back what a case armed: failing system calls, a refusing host, the bulk allocator and piece size.
  void Disarm() { fault::Clear(), host.serviceProbe = nullptr, XoBulk::ResetAllocator(); }
  // The host throws out of service `opcode`, as a host that refuses it.
  void Refuse(uint32_t opcode) {
    host.serviceProbe = [opcode](uint32_t code) { if (code == opcode) throw std::runtime_error("refused"); };
  }
  // The bulk transfer gets no buffer at all.
  static void NoMemory() {
    XoBulk::SetAllocator([](std::size_t) -> unsigned char* { throw std::bad_alloc(); }, [](unsigned char*) {});
  }
  void NewMode(bool on) { host.SetNumber("NEWACTIONS", on ? 1 : 0); }
  // A call as a script makes it, through XODLL; the result is dropped.
  uint32_t Call(const char* method, const std::string& args = "") {
    double r = 0;
    return host.Call(method, args, r);
  }
  double Number(const char* property) {
    double v = 0;
    host.GetNumber(property, v);
    return v;
  }

  std::string Path(const std::string& name) const { return (dir / name).string(); }
  std::string MakeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  std::string Contents(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  int OpenFile(const std::string& path, int mode = 0) {
    const Outcome o = Invoke("OPEN", path + "," + std::to_string(mode));
    EXPECT_EQ(o.status, 0) << path;
    return static_cast<int>(o.result);
  }

  // Runs a method the way the framework does, keeping its own status.
  Outcome Invoke(const char* method, std::string args) { return InvokeThrough(host, method, std::move(args)); }
  // As Invoke, for a host of the caller's: a test that wants a fresh host per run.
  static Outcome InvokeThrough(refhost::RefHost& through, const char* method, std::string args) {
    through.Raw(nullptr, nullptr, nullptr, 30);  // refresh the host link
    const MemberEntry* e = FindEntry(TheFum().Methods(), method);
    EXPECT_NE(e, nullptr) << method;
    if (e == nullptr) return {-1, 0, 0, 0};
    double result = -99.0;
    const int s = static_cast<XoMethod*>(e->member)->Invoke(args.data(), &result, TheFum());
    return {s, result, TheFum().error.Int(), TheFum().sysErr.Int()};
  }
  // The lines a method printed.
  std::vector<std::string> Printed(const char* method, const std::string& args) {
    host.ClearOutput();
    Invoke(method, args);
    return host.output;
  }

  // One call from a fresh state in each error mode; `setup` prepares in the default mode and gives the
  // arguments; `after`, with nothing armed any more, checks what the call left.
  void BothModes(const std::string& label, const char* method, const std::function<std::string()>& setup,
                 const Expect& byDefault, const Expect& byNew, const std::function<void()>& after = {}) {
    for (bool newMode : {false, true}) {
      SCOPED_TRACE(label + (newMode ? " (new mode)" : " (default mode)"));
      Fresh();
      const std::string args = setup();
      NewMode(newMode);
      ExpectOutcome(Invoke(method, args), newMode ? byNew : byDefault);
      Disarm();
      if (after) after();
    }
    Fresh();
  }

  refhost::RefHost host;
  std::filesystem::path dir;
};

}  // namespace kfio::testing
