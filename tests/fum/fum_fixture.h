// A fixture that drives the FUM object through XODLL and the reference host,
// in a scratch folder, and can see a method's own status.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bridge/entry.h"
#include "module/fum.h"
#include "host/ref_host.h"
#include "tests/platform/fault_injection.h"

namespace kfio::testing {

// What one method call left behind.
struct Outcome {
  int status;     // the method's own status (0 = success)
  double result;
  int error;
  int sysErr;
};

class FumTest : public ::testing::Test {
 public:
  FumTest() : host(&XODLL) {
    const char* tmp = std::getenv("KFIO_TEST_TMP");
    dir = std::filesystem::path(tmp ? tmp : "/tmp/kfio-tests") /
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    fault::Clear();
    double r = 0;
    host.Call("CLOSEALL", "", r);
    host.Call("RESET", "", r);
  }
  ~FumTest() override {
    fault::Clear();
    double r = 0;
    host.SetNumber("NEWACTIONS", 0);
    host.Call("CLOSEALL", "", r);
    host.Call("RESET", "", r);
  }

  void NewMode(bool on) { host.SetNumber("NEWACTIONS", on ? 1 : 0); }

  std::string Path(const std::string& name) const { return (dir / name).string(); }
  std::string MakeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }

  // Runs a method the way the framework does, keeping its own status.
  Outcome Invoke(const char* method, std::string args, double resultBefore = -99.0) {
    host.Raw(nullptr, nullptr, nullptr, 30);  // refresh the host link
    FUM& fum = TheFum();
    const MemberEntry* e = FindEntry(fum.Methods(), method);
    EXPECT_NE(e, nullptr) << method;
    if (e == nullptr) return {-1, 0, 0, 0};
    auto* m = static_cast<XoMethod*>(e->member);
    double result = resultBefore;
    const int s = m->Invoke(args.data(), &result, fum);
    return {s, result, fum.error.Int(), fum.sysErr.Int()};
  }

  // One call from a fresh state (no files, settings reset) in the chosen
  // error mode; `setup` prepares in the default mode and gives the arguments.
  Outcome FreshCall(bool newMode, const std::function<std::string()>& setup, const char* method) {
    double r = 0;
    host.Call("CLOSEALL", "", r);
    host.Call("RESET", "", r);
    fault::Clear();
    const std::string args = setup();
    NewMode(newMode);
    const Outcome o = Invoke(method, args);
    fault::Clear();
    NewMode(false);
    return o;
  }

  double Number(const char* property) {
    double v = 0;
    host.GetNumber(property, v);
    return v;
  }

  int OpenFile(const std::string& path, int mode) {
    const Outcome o = Invoke("OPEN", path + "," + std::to_string(mode));
    EXPECT_EQ(o.status, 0) << path;
    return static_cast<int>(o.result);
  }

  refhost::RefHost host;
  std::filesystem::path dir;
};

// The value a test expects in both error modes.
struct Expect {
  int error;
  int sysErr;  // -1: not checked
  int status;
};

inline void ExpectOutcome(const Outcome& o, const Expect& e) {
  EXPECT_EQ(o.error, e.error);
  if (e.sysErr >= 0) {
    EXPECT_EQ(o.sysErr, e.sysErr);
  }
  EXPECT_EQ(o.status, e.status);
}

}  // namespace kfio::testing
