// The text readers in this process, through XODLL and the reference host:
// ReadArray of the 8,000,000 numbers of a CSV file beside a plain loop that
// reads the same bytes and converts them with std::from_chars, and one LRead
// of a 40-character line beside getline(3) on a FILE*. Prints the ratios
// (target: ReadArray at most 2 times the plain loop) and LRead's ns per call.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

constexpr std::size_t kRows = 1'000'000;
constexpr std::size_t kColumns = 8;
constexpr std::size_t kValues = kRows * kColumns;
constexpr std::size_t kLines = 100'000;  // of the LRead file
constexpr std::size_t kLineChars = 40;   // before its CR LF

using bench::XorShift;

// One field in one of three forms, like 123, -4.5678 and 1.25e-03.
void AppendField(std::string& out, XorShift& rng) {
  char text[32];
  std::to_chars_result r{};
  const uint64_t x = rng.Next();
  switch (x % 3) {
    case 0:
      r = std::to_chars(text, text + sizeof text, static_cast<int64_t>((x >> 8) % 199999) - 99999);
      break;
    case 1:
      r = std::to_chars(text, text + sizeof text, static_cast<double>(static_cast<int64_t>((x >> 8) % 20000001) - 10000000) / 1e4,
                        std::chars_format::fixed, 4);
      break;
    default: {
      const double mantissa = static_cast<double>((x >> 8) % 900 + 100) / 100.0;
      const int exponent = static_cast<int>((x >> 20) % 19) - 9;
      const double sign = (x >> 40) & 1 ? -1.0 : 1.0;
      r = std::to_chars(text, text + sizeof text, sign * mantissa * std::pow(10.0, exponent),
                        std::chars_format::scientific, 2);
    }
  }
  out.append(text, r.ptr);
}

// Writes a file once per process when what is there differs.
std::string Sample(const char* name, const std::string& bytes) {
  const auto path = bench::SampleDir() / name;
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) != bytes.size() || ec) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  return path.string();
}

// 1,000,000 lines of 8 fields, CR LF ended (about 70 MB).
const std::string& CsvPath() {
  static const std::string path = [] {
    std::string bytes;
    bytes.reserve(kRows * 72);
    XorShift rng;
    for (std::size_t row = 0; row < kRows; ++row) {
      for (std::size_t c = 0; c < kColumns; ++c) {
        if (c != 0) bytes.push_back(',');
        AppendField(bytes, rng);
      }
      bytes += "\r\n";
    }
    return Sample("numbers.csv", bytes);
  }();
  return path;
}

// kLines lines of kLineChars letters and blanks, CR LF ended.
const std::string& LinesPath() {
  static const std::string path = [] {
    std::string bytes;
    XorShift rng;
    for (std::size_t line = 0; line < kLines; ++line) {
      for (std::size_t i = 0; i < kLineChars; ++i) bytes.push_back("abcdefghij klmnopqrstuvwxyz"[rng.Next() % 27]);
      bytes += "\r\n";
    }
    return Sample("lines.txt", bytes);
  }();
  return path;
}

// The plain way: every field between ',' and CR LF through std::from_chars.
std::vector<double> ParseCsv(const std::vector<char>& bytes) {
  std::vector<double> values;
  values.reserve(kValues);
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p < end) {
    double v = 0;
    const auto [next, ec] = std::from_chars(p, end, v);
    values.push_back(ec == std::errc() ? v : 0.0);
    p = next;
    while (p < end && (*p == ',' || *p == '\r' || *p == '\n')) ++p;
  }
  return values;
}

void BM_Plain_Csv(benchmark::State& state) {
  const std::string& path = CsvPath();
  for (auto _ : state) {
    const std::vector<double> values = ParseCsv(bench::ReadWhole(path));
    if (values.size() != kValues) state.SkipWithError("the plain loop found another count");
    benchmark::DoNotOptimize(values.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(path)));
}

double Run(refhost::RefHost& host, const std::string& method, const std::string& args) {
  double result = 0;
  host.Call(method, args, result);
  return result;
}

// Whether the dataset holds exactly the plain loop's values; says the first
// that differs.
bool SameValues(const refhost::HostDataset* data, const std::vector<double>& plain) {
  if (data == nullptr || data->Size() != static_cast<int32_t>(plain.size())) {
    std::fprintf(stderr, "ReadArray: no dataset of %zu values\n", plain.size());
    return false;
  }
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const double stored = data->Value(static_cast<int32_t>(i));
    if (stored != plain[i]) {
      std::fprintf(stderr, "ReadArray: element %zu is %.17g, the plain loop read %.17g\n", i + 1, stored, plain[i]);
      return false;
    }
  }
  return true;
}

void BM_ReadArray(benchmark::State& state) {
  const std::string& path = CsvPath();
  const std::string args = "D,1," + std::to_string(kValues);
  bool checked = false;
  for (auto _ : state) {
    // A fresh host each time: the dataset is new, as in a fresh script.
    refhost::RefHost host(&XODLL);
    host.recordCalls = false;
    host.SetNumber("NLINEMODE", 0);
    host.SetNumber("LISTSEP", ',');
    Run(host, "OPEN", path + ",0");
    if (Run(host, "READARRAY", args) != static_cast<double>(kValues)) state.SkipWithError("ReadArray failed");
    Run(host, "CLOSEALL", "");
    if (!checked) {  // once, untimed: every value as the plain loop reads it
      state.PauseTiming();
      if (!SameValues(host.Dataset("D"), ParseCsv(bench::ReadWhole(path)))) state.SkipWithError("ReadArray stored other values");
      checked = true;
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(path)));
}

void BM_Plain_Getline(benchmark::State& state) {
  FILE* file = std::fopen(LinesPath().c_str(), "rb");
  char* line = nullptr;
  std::size_t capacity = 0;
  for (auto _ : state) {
    ssize_t n = ::getline(&line, &capacity, file);
    if (n < 0) {  // the end: once in kLines calls
      std::rewind(file);
      n = ::getline(&line, &capacity, file);
    }
    benchmark::DoNotOptimize(n);
  }
  std::free(line);
  std::fclose(file);
}

void BM_LRead(benchmark::State& state) {
  refhost::RefHost host(&XODLL);
  host.recordCalls = false;
  host.SetNumber("NLINEMODE", 0);
  Run(host, "OPEN", LinesPath() + ",0");
  char args[2] = "A";
  double result = 0;
  std::size_t line = 0;
  for (auto _ : state) {
    if (line++ == kLines) {  // the end: once in kLines calls
      Run(host, "SETPOS", "0");
      line = 1;
    }
    args[0] = 'A';  // the module may edit its argument text
    host.Raw("LREAD", args, &result, kfio::cmd::kCallMethod);
    benchmark::DoNotOptimize(result);
  }
  if (result != static_cast<double>(kLineChars) || host.StringVar('A').size() != kLineChars)
    state.SkipWithError("LRead did not store a whole line");
  Run(host, "CLOSEALL", "");
}

BENCHMARK(BM_Plain_Csv)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ReadArray)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Plain_Getline);
BENCHMARK(BM_LRead);

// Prints the side-by-side figures after the usual table.
class TextReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (!bench::StandsForBenchmark(r)) continue;
      // Real time per iteration in nanoseconds, whatever unit the table shows.
      nanoseconds_[r.run_name.function_name] =
          r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e9;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nSide by side (real time, same process):\n");
    if (Have("BM_ReadArray") && Have("BM_Plain_Csv")) {
      const double r = nanoseconds_["BM_ReadArray"] / nanoseconds_["BM_Plain_Csv"];
      std::printf("ReadArray of %zu values %8.2f x the from_chars loop (target <= 2: %s)\n", kValues, r,
                  r <= 2.0 ? "met" : "NOT met");
    }
    if (Have("BM_LRead")) {
      std::printf("LRead of a %zu-character line %8.1f ns per call", kLineChars, nanoseconds_["BM_LRead"]);
      if (Have("BM_Plain_Getline"))
        std::printf(", %.2f x getline (%.1f ns)", nanoseconds_["BM_LRead"] / nanoseconds_["BM_Plain_Getline"],
                    nanoseconds_["BM_Plain_Getline"]);
      std::printf("\n");
    }
  }

 private:
  bool Have(const char* name) const { return nanoseconds_.count(name) != 0; }
  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TextReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
