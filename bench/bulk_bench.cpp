// ARead and AWrite of large arrays through the reference host, beside a
// plain loop that reads the same file with read(2) and converts each value
// into a std::vector<double>. Prints bytes per second and the ratio.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bridge/entry.h"
#include "host/ref_host.h"

namespace {

constexpr std::size_t kShorts = 50'000'000;
constexpr std::size_t kDoubles = 10'000'000;

// Writes the sample files once.
std::string Sample(const char* name, std::size_t count, std::size_t width) {
  const auto path = bench::SampleDir() / name;
  if (std::filesystem::exists(path) && std::filesystem::file_size(path) == count * width)
    return path.string();
  std::ofstream out(path, std::ios::binary);
  std::vector<unsigned char> block(1 << 20);
  bench::XorShift rng;
  for (std::size_t written = 0; written < count * width;) {
    const std::size_t n = std::min(block.size(), count * width - written);
    for (std::size_t i = 0; i < n; ++i) block[i] = static_cast<unsigned char>(rng.Next());
    if (width == 8)  // keep doubles finite: clear the top exponent bit of each
      for (std::size_t i = 7; i < n; i += 8) block[i] &= 0x3F;
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
    written += n;
  }
  return path.string();
}

void CountBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void PlainLoop(benchmark::State& state, const std::string& path, std::size_t count, int width) {
  for (auto _ : state) {
    const std::vector<char> bytes = bench::ReadWhole(path);
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i) {
      if (width == 2) {
        int16_t v;
        std::memcpy(&v, &bytes[i * 2], 2);
        values[i] = v;
      } else {
        std::memcpy(&values[i], &bytes[i * 8], 8);
      }
    }
    benchmark::DoNotOptimize(values.data());
  }
  CountBytes(state, count * width);
}

double Run(refhost::RefHost& host, const std::string& method, const std::string& args) {
  double result = 0;
  host.Call(method, args, result);
  return result;
}

void Transfer(benchmark::State& state, const std::string& path, std::size_t count, int width,
              bool writing) {
  refhost::RefHost host(&XODLL);
  const int binType = width == 2 ? 0 : 1;
  host.SetNumber("NBYTES", width);
  host.SetNumber("SIGNED", 1);
  const std::string range = ",1," + std::to_string(count) + "," + std::to_string(binType);
  // One read first: the dataset to write, and for reads the dataset every
  // timed read stores into, so that no timed run pays for the host's first
  // touch of its storage (which a virtual machine may make slow).
  Run(host, "OPEN", path + ",0");
  Run(host, "AREAD", "bench" + range);
  Run(host, "CLOSEALL", "");
  const std::string out = (bench::SampleDir() / "written.bin").string();
  for (auto _ : state) {
    if (writing) {
      std::filesystem::remove(out);
      Run(host, "OPEN", out + ",1");
      if (Run(host, "AWRITE", "bench" + range) != static_cast<double>(count))
        state.SkipWithError("AWrite failed");
    } else {
      Run(host, "OPEN", path + ",0");
      if (Run(host, "AREAD", "bench" + range) != static_cast<double>(count))
        state.SkipWithError("ARead failed");
    }
    Run(host, "CLOSEALL", "");
  }
  CountBytes(state, count * width);
}

void BM_Plain_Int16(benchmark::State& s) { PlainLoop(s, Sample("int16.bin", kShorts, 2), kShorts, 2); }
void BM_ARead_Int16(benchmark::State& s) { Transfer(s, Sample("int16.bin", kShorts, 2), kShorts, 2, false); }
void BM_AWrite_Int16(benchmark::State& s) { Transfer(s, Sample("int16.bin", kShorts, 2), kShorts, 2, true); }
void BM_Plain_Double(benchmark::State& s) { PlainLoop(s, Sample("double.bin", kDoubles, 8), kDoubles, 8); }
void BM_ARead_Double(benchmark::State& s) { Transfer(s, Sample("double.bin", kDoubles, 8), kDoubles, 8, false); }
void BM_AWrite_Double(benchmark::State& s) { Transfer(s, Sample("double.bin", kDoubles, 8), kDoubles, 8, true); }

BENCHMARK(BM_Plain_Int16)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ARead_Int16)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_AWrite_Int16)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_Plain_Double)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ARead_Double)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_AWrite_Double)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

// Prints the side-by-side ratios after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (!bench::StandsForBenchmark(r)) continue;
      const std::string name = r.benchmark_name();
      times_[name.substr(0, name.find('/'))] = r.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    // ARead has a target; AWrite's ratio is shown beside it.
    auto ratio = [&](const char* a, const char* b) {
      if (!times_.count(a) || !times_.count(b)) return;
      const double t = times_[a] / times_[b];
      const char* verdict = "";
      if (std::strstr(a, "ARead") != nullptr) verdict = t <= 1.2 ? " (target <= 1.2: met)" : " (target <= 1.2: NOT met)";
      std::printf("%-22s %8.2f x the plain loop%s\n", a, t, verdict);
    };
    std::printf("\nSide by side (real time, same process):\n");
    ratio("BM_ARead_Int16", "BM_Plain_Int16");
    ratio("BM_AWrite_Int16", "BM_Plain_Int16");
    ratio("BM_ARead_Double", "BM_Plain_Double");
    ratio("BM_AWrite_Double", "BM_Plain_Double");
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

// One ARead of the 16-bit file in this process, then its peak memory beside
// the budget: the dataset's doubles plus 16 MB (the transfer streams through
// a small buffer, so the file's size does not count).
int MemoryCheck() {
  const std::string path = Sample("int16.bin", kShorts, 2);
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  refhost::RefHost host(&XODLL);
  host.SetNumber("NBYTES", 2);
  host.SetNumber("SIGNED", 1);
  Run(host, "OPEN", path + ",0");
  const double n = Run(host, "AREAD", "bench,1," + std::to_string(kShorts) + ",0");
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  const double datasetBytes = static_cast<double>(kShorts) * 8;
  const double grown = static_cast<double>(after.ru_maxrss - before.ru_maxrss) * 1024.0;
  const double budget = datasetBytes + 16e6;
  std::printf("ARead of %.0f values: peak memory grew by %.1f MB; budget dataset + 16 MB = %.1f MB (%s)\n",
              n, grown / 1e6, budget / 1e6, grown <= budget ? "met" : "NOT met");
  return grown <= budget ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--memory") == 0) return MemoryCheck();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
