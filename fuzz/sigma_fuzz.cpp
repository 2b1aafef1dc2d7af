// Fuzz target: the two Sigma importers on the fuzzed bytes, as a file opened through the reference host.
#include "fuzz/fuzz_host.h"

// The first byte's low bit picks the importer (SIGMAWIN or SIGMADOS); the rest goes on as for the other importers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  kfio::fuzz::ImportBytes(data[0] & 1 ? "SIGMADOS" : "SIGMAWIN", data + 1, size - 1);
  return 0;
}
