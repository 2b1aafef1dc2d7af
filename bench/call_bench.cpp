// The cost of one XODLL call from a host: a property read and GetPos on an
// open file, through the reference host's trampoline, with the buffers a
// host keeps between calls.
// Targets: a property read at most 40 ns, GetPos at most 80 ns.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bridge/entry.h"
#include "host/ref_host.h"

namespace {

void PropertyRead(benchmark::State& state) {
  refhost::RefHost host(&XODLL);
  host.recordCalls = false;
  char name[] = "NBYTES";
  double value = 0;
  for (auto _ : state) {
    host.Raw(nullptr, name, &value, kfio::cmd::kGetNumber);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(PropertyRead);

void GetPos(benchmark::State& state) {
  refhost::RefHost host(&XODLL);
  host.recordCalls = false;
  const auto path = std::filesystem::temp_directory_path() / "kfio-call-bench.bin";
  std::ofstream(path) << "0123456789";
  double result = 0;
  host.Call("OPEN", path.string() + ",0", result);
  char noArguments[] = "";
  for (auto _ : state) {
    host.Raw("GETPOS", noArguments, &result, kfio::cmd::kCallMethod);
    benchmark::DoNotOptimize(result);
  }
  host.Call("CLOSEALL", "", result);
  std::filesystem::remove(path);
}
BENCHMARK(GetPos);

}  // namespace

BENCHMARK_MAIN();
