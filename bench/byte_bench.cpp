// One-byte reads of a 16 MiB file: MyCFile's GetByte beside fread of one
// byte and getc_unlocked on a FILE*, and the virtual Read of one byte for
// reference. Prints the medians' throughput and GetByte's ratio to
// getc_unlocked (target: at least 1).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "fum/file_entry.h"

namespace {

constexpr std::size_t kBytes = 16 << 20;

const std::string& Sample() {
  static const std::string path = [] {
    const auto p = bench::SampleDir() / "bytes.bin";
    if (!std::filesystem::exists(p) || std::filesystem::file_size(p) != kBytes) {
      std::vector<char> bytes(kBytes);
      bench::XorShift rng;
      for (char& b : bytes) b = static_cast<char>(rng.Next());
      std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    return p.string();
  }();
  return path;
}

// Runs one pass per iteration; `pass` answers the sum of the bytes and how
// many it read, which must be the whole file.
template <class Pass>
void Passes(benchmark::State& state, Pass pass) {
  uint64_t expectSum = 0;
  for (auto _ : state) {
    std::size_t count = 0;
    const uint64_t sum = pass(count);
    if (count != kBytes || (expectSum != 0 && sum != expectSum)) state.SkipWithError("short or wrong read");
    expectSum = sum;
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBytes));
}

void BM_GetByte(benchmark::State& state) {
  Passes(state, [](std::size_t& count) {
    kfio::MyCFile f(0);
    f.Open(Sample().c_str(), kfio::CFile::modeRead | kfio::CFile::shareDenyNone);
    uint64_t sum = 0;
    for (int c; (c = f.GetByte()) >= 0; ++count) sum += static_cast<unsigned>(c);
    return sum;
  });
}

void BM_VirtualRead(benchmark::State& state) {
  Passes(state, [](std::size_t& count) {
    kfio::MyCFile f(0);
    f.Open(Sample().c_str(), kfio::CFile::modeRead | kfio::CFile::shareDenyNone);
    kfio::CFile* base = &f;
    benchmark::DoNotOptimize(base);  // keeps the call virtual
    uint64_t sum = 0;
    for (unsigned char c; base->Read(&c, 1) == 1; ++count) sum += c;
    return sum;
  });
}

void BM_Fread(benchmark::State& state) {
  Passes(state, [](std::size_t& count) {
    std::FILE* f = std::fopen(Sample().c_str(), "rb");
    uint64_t sum = 0;
    for (unsigned char c; std::fread(&c, 1, 1, f) == 1; ++count) sum += c;
    std::fclose(f);
    return sum;
  });
}

void BM_GetcUnlocked(benchmark::State& state) {
  Passes(state, [](std::size_t& count) {
    std::FILE* f = std::fopen(Sample().c_str(), "rb");
    uint64_t sum = 0;
    for (int c; (c = getc_unlocked(f)) != EOF; ++count) sum += static_cast<unsigned>(c);
    std::fclose(f);
    return sum;
  });
}

// Process CPU time (user and system): a busy machine's waits stay out of it.
BENCHMARK(BM_GetByte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetcUnlocked)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VirtualRead)->Unit(benchmark::kMillisecond);

// Prints the medians side by side after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (bench::StandsForBenchmark(r))
        seconds_[r.run_name.function_name] = r.GetAdjustedCPUTime() / 1e3;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nMedian throughput, one byte at a time:\n");
    for (const char* name : {"BM_GetByte", "BM_Fread", "BM_GetcUnlocked", "BM_VirtualRead"})
      if (seconds_.count(name)) std::printf("  %-16s %8.1f MB/s\n", name, kBytes / seconds_[name] / 1e6);
    if (seconds_.count("BM_GetByte") && seconds_.count("BM_GetcUnlocked")) {
      const double ratio = seconds_["BM_GetcUnlocked"] / seconds_["BM_GetByte"];
      std::printf("GetByte / getc_unlocked: %.2f (target >= 1: %s)\n", ratio, ratio >= 1.0 ? "met" : "NOT met");
    }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  // Medians of several repetitions, taken in turns so that a change in the
  // machine's load falls on all of them, unless the command line says
  // otherwise.
  std::vector<char*> args(argv, argv + argc);
  bool repetitionsGiven = false;
  for (int i = 1; i < argc; ++i) repetitionsGiven |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
  char repetitions[] = "--benchmark_repetitions=15";
  char aggregates[] = "--benchmark_report_aggregates_only=true";
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  if (!repetitionsGiven) args.insert(args.end(), {repetitions, aggregates, interleave});
  int n = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&n, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
