// Fuzz target: the MATHEMATICA importer on the fuzzed bytes, as a file opened through the reference host.
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kfio::fuzz::ImportBytes("MATHEMATICA", data, size);
  return 0;
}
