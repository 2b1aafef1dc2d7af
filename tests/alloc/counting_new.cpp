// Every form of the global operator new and delete, replaced for this program: malloc underneath, a counter on top.
#include "alloc/counting_new.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace kfio::testing::alloc {
namespace {

// Plain globals, constant-initialised: operator new runs before any constructor of this program and after every
// destructor.
constinit bool g_armed = false, g_reached = false;
constinit int g_suspended = 0;
constinit long g_count = 0, g_failAt = 0;

void* Allocate(std::size_t size, std::size_t alignment) {
  if (g_armed && g_suspended == 0 && ++g_count == g_failAt) return g_reached = true, nullptr;
  if (alignment <= alignof(std::max_align_t)) return std::malloc(size == 0 ? 1 : size);
  // aligned_alloc takes a whole number of alignments.
  const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
  return std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
  void* p = Allocate(size, alignment);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void Arm(long n) { g_count = 0, g_failAt = n, g_reached = false, g_armed = true; }
long Disarm() { return g_armed = false, g_count; }
bool Reached() { return g_reached; }
Suspend::Suspend() { ++g_suspended; }
Suspend::~Suspend() { --g_suspended; }

}  // namespace kfio::testing::alloc

using kfio::testing::alloc::Allocate;
using kfio::testing::alloc::AllocateOrThrow;

namespace {
constexpr std::size_t kPlain = alignof(std::max_align_t);
std::size_t Of(std::align_val_t a) { return static_cast<std::size_t>(a); }
}  // namespace

void* operator new(std::size_t n) { return AllocateOrThrow(n, kPlain); }
void* operator new[](std::size_t n) { return AllocateOrThrow(n, kPlain); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n, kPlain); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n, kPlain); }
void* operator new(std::size_t n, std::align_val_t a) { return AllocateOrThrow(n, Of(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return AllocateOrThrow(n, Of(a)); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return Allocate(n, Of(a)); }
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return Allocate(n, Of(a)); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
