// The shared module loaded with dlopen, driven through a reference host with files open, and unloaded: nothing it opened stays open, and it loads again.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "host/ref_host.h"

namespace {

namespace fs = std::filesystem;

// The files under `dir` that the process holds open.
std::set<std::string> OpenBelow(const fs::path& dir) {
  std::set<std::string> open;
  for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(fd.path(), ec);
    if (!ec && target.parent_path() == dir) open.insert(target.filename().string());
  }
  return open;
}

TEST(Unload, ClosesEveryFileAndLoadsAgain) {
  const char* tmp = std::getenv("KFIO_TEST_TMP");
  const fs::path dir = fs::path(tmp ? tmp : "/tmp/kfio-tests") / "Unload";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "in.txt") << "text\r\n";

  for (int load = 1; load <= 2; ++load) {
    SCOPED_TRACE("load " + std::to_string(load));
    void* module = dlopen(KFIO_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto* entry = reinterpret_cast<kfio::XodllFunction>(dlsym(module, "XODLL"));
    ASSERT_NE(entry, nullptr);
    {
      refhost::RefHost host(entry);
      host.NewDataset("D");
      double h = 0, in = 0;
      // Reading, writing (made by Open), both; the last stays current and takes a byte. The reads leave the
      // module holding buffers, which unloading must free.
      for (const auto& [name, mode] : {std::pair{"in.txt", 0}, {"out.bin", 1}, {"both.bin", 2}})
        ASSERT_EQ(host.Call("OPEN", (dir / name).string() + "," + std::to_string(mode), mode == 0 ? in : h), 1u)
            << name;
      ASSERT_EQ(host.Call("WRITE", std::to_string(64 + load), h), 1u);
      ASSERT_EQ(host.Call("AREAD", "D,1,2,0," + std::to_string(in), h), 1u);
      ASSERT_EQ(host.Call("LREAD", "Z," + std::to_string(in), h), 1u);
      EXPECT_EQ(host.StringVar('Z'), "xt");
      EXPECT_EQ(OpenBelow(dir), (std::set<std::string>{"in.txt", "out.bin", "both.bin"}));
    }
    ASSERT_EQ(dlclose(module), 0) << dlerror();
    // Gone from the process, not merely released: a library nobody holds any more would load at once.
    EXPECT_EQ(dlopen(KFIO_MODULE, RTLD_NOW | RTLD_NOLOAD), nullptr);
    EXPECT_EQ(OpenBelow(dir), std::set<std::string>{});
    std::ifstream written(dir / "both.bin", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), std::string(1, static_cast<char>(64 + load)));
  }
}

}  // namespace
