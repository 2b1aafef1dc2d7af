// Fuzz target: the WAV importer on the fuzzed bytes, as a file opened through the reference host.
#include "fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kfio::fuzz::ImportBytes("WAV", data, size);
  return 0;
}
