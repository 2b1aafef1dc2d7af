// Replays inputs through a fuzz target without libFuzzer: every file named on the command line, and every file of every folder named, in name order; --trace first prints each call the target makes.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  // Every name is made absolute before the first input runs: the targets work inside their scratch folder.
  std::vector<fs::path> inputs;
  int first = 1;
  if (argc > 1 && std::string(argv[1]) == "--trace") kfio::fuzz::g_trace = true, ++first;
  for (int i = first; i < argc; ++i) {
    const fs::path path = fs::absolute(argv[i]);
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      std::vector<fs::path> files;
      for (const auto& e : fs::directory_iterator(path, ec))
        if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
      std::sort(files.begin(), files.end());
      inputs.insert(inputs.end(), files.begin(), files.end());
    } else if (fs::is_regular_file(path, ec)) {
      inputs.push_back(path);
    } else {
      std::fprintf(stderr, "no such input: %s\n", path.c_str());
      return 2;
    }
  }
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  double slowest = 0;
  fs::path slowestInput;
  for (const auto& path : inputs) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
      std::fprintf(stderr, "cannot read: %s\n", path.c_str());
      return 2;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    // A buffer of exactly the input's size, as libFuzzer hands over, so that a sanitizer sees a read past it.
    std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), data.get());
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);  // the input a crash stopped in is the last line printed
    const auto before = Clock::now();
    LLVMFuzzerTestOneInput(data.get(), bytes.size());
    const double seconds = std::chrono::duration<double>(Clock::now() - before).count();
    if (seconds > slowest) slowest = seconds, slowestInput = path;
  }
  std::printf("replayed %zu inputs in %.3f s; slowest %.3f s: %s\n", inputs.size(),
              std::chrono::duration<double>(Clock::now() - start).count(), slowest, slowestInput.c_str());
  return 0;
}
