// BlockMemory on POSIX: whole blocks as private anonymous mappings.
#include <sys/mman.h>

#include <cstdint>

#include "host/block_memory.h"

namespace refhost {

double* BlockMemory::MapWhole() noexcept {
  // Mapped one block too large, then trimmed at both ends to the aligned
  // block: mmap itself promises only page alignment.
  const std::size_t span = 2 * kWholeBytes;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kWholeBytes - 1) & ~(std::uintptr_t{kWholeBytes} - 1);
  const std::size_t head = aligned - start;
  if (head != 0) ::munmap(raw, head);
  ::munmap(reinterpret_cast<void*>(aligned + kWholeBytes), span - head - kWholeBytes);
#ifdef MADV_HUGEPAGE
  // Only a hint: a kernel that ignores it still gives ordinary pages.
  ::madvise(reinterpret_cast<void*>(aligned), kWholeBytes, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<double*>(aligned);
}

void BlockMemory::UnmapWhole(double* data) noexcept { ::munmap(data, kWholeBytes); }

}  // namespace refhost
