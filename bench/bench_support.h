// What the in-process benchmarks share: the folder of their sample files, a
// fixed-seed generator for the samples, reading a whole file, and which
// reported run stands for a benchmark.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// kfio-bench in the temporary folder, made on first use.
inline const std::filesystem::path& SampleDir() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / "kfio-bench";
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// The whole file, by read(2) into one buffer: the plain loops' way in.
inline std::vector<char> ReadWhole(const std::string& path) {
  std::vector<char> bytes(std::filesystem::file_size(path));
  const int fd = ::open(path.c_str(), O_RDONLY);
  std::size_t got = 0;
  while (fd >= 0 && got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (fd >= 0) ::close(fd);
  bytes.resize(got);
  return bytes;
}

// xorshift64 from a fixed seed: every run writes the same samples.
struct XorShift {
  uint64_t state = 88172645463325252ull;
  uint64_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
};

// With repetitions the median stands for a benchmark (not the mean, the
// spread or the single repetitions); without, its one run.
inline bool StandsForBenchmark(const benchmark::BenchmarkReporter::Run& r) {
  if (r.run_type == benchmark::BenchmarkReporter::Run::RT_Aggregate) return r.aggregate_name == "median";
  return r.repetitions <= 1;
}

}  // namespace bench
