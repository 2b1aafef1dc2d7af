// The Mathematica import in this process, through XODLL and the reference
// host: a list of 1,000,000 numbers into one worksheet column of texts,
// beside a plain loop that cuts the same bytes into one std::string per
// element by the same rules. Prints the import's time per element.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bridge/entry.h"
#include "host/ref_host.h"

namespace {

constexpr std::size_t kElements = 1'000'000;

// {e1, e2, ...}: integers, decimals and exponent forms such as -4.5*^-3, with
// a line break after every tenth element (about 9 MB).
const std::string& ListPath() {
  static const std::string path = [] {
    std::string bytes = "{";
    bench::XorShift rng;
    char text[40];
    for (std::size_t i = 0; i < kElements; ++i) {
      const uint64_t x = rng.Next();
      const long whole = static_cast<long>((x >> 8) % 199999) - 99999;
      switch (x % 3) {
        case 0: std::snprintf(text, sizeof text, "%ld", whole); break;
        case 1: std::snprintf(text, sizeof text, "%.4f", static_cast<double>(whole) / 1e4); break;
        default: std::snprintf(text, sizeof text, "%.2f*^%d", static_cast<double>(whole % 1000) / 100.0,
                               static_cast<int>((x >> 40) % 19) - 9);
      }
      bytes += text;
      bytes += i + 1 == kElements ? "}\n" : i % 10 == 9 ? ",\n " : ", ";
    }
    const auto file = bench::SampleDir() / "list.m";
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }();
  return path;
}

// The plain way: one std::string per element, blanks, line ends and braces
// dropped, '*' turned into 'E'.
std::vector<std::string> CutElements(const std::vector<char>& bytes) {
  std::vector<std::string> elements;
  elements.reserve(kElements);
  std::string element;
  for (std::size_t i = 1; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == ',' || c == '}') {
      elements.push_back(element);
      element.clear();
      if (c == '}') break;
    } else if (c != ' ' && c != '\n' && c != '\r' && c != '^') {
      element.push_back(c == '*' ? 'E' : c);
    }
  }
  return elements;
}

void BM_Plain_Cut(benchmark::State& state) {
  const std::string& path = ListPath();
  for (auto _ : state) {
    const std::vector<std::string> elements = CutElements(bench::ReadWhole(path));
    if (elements.size() != kElements) state.SkipWithError("the plain loop found another count");
    benchmark::DoNotOptimize(elements.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kElements));
}

void BM_Mathematica(benchmark::State& state) {
  const std::string& path = ListPath();
  const std::vector<std::string> plain = CutElements(bench::ReadWhole(path));
  double result = 0;
  for (auto _ : state) {
    // A fresh host and page each time, made and dropped outside the timing.
    state.PauseTiming();
    auto host = std::make_unique<refhost::RefHost>(&XODLL);
    host->recordCalls = false;
    host->NewPage("M", 1);
    host->Call("OPEN", path + ",0", result);
    state.ResumeTiming();
    if (host->Call("MATHEMATICA", "M", result) != 1) state.SkipWithError("the import failed");
    state.PauseTiming();
    const refhost::HostDataset* column = host->Page("M")->Column(1);
    if (column->Size() != static_cast<int32_t>(kElements) || column->Text(0) != plain.front() ||
        column->Text(static_cast<int32_t>(kElements - 1)) != plain.back())
      state.SkipWithError("the column does not hold the plain loop's texts");
    host->Call("CLOSEALL", "", result);
    host.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kElements));
}

BENCHMARK(BM_Plain_Cut)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Mathematica)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Prints the time per element after the usual table.
class PerElementReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (!bench::StandsForBenchmark(r)) continue;
      nanoseconds_[r.run_name.function_name] =
          r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e9 / kElements;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    if (nanoseconds_.count("BM_Mathematica") == 0) return;
    std::printf("\nMathematica import of %zu numbers: %.1f ns per element", kElements,
                nanoseconds_["BM_Mathematica"]);
    if (nanoseconds_.count("BM_Plain_Cut") != 0)
      std::printf(" (the plain cutting loop: %.1f ns)", nanoseconds_["BM_Plain_Cut"]);
    std::printf("\n");
  }

 private:
  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  PerElementReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
