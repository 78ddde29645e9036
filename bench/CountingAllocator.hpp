#pragma once

// A global allocator that counts the bytes in use and their peak, for a benchmark's memory
// figures. Include it from exactly one source file of a benchmark program: it replaces the
// program's operator new and delete.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace kelvo::bench {

inline std::atomic<std::size_t> liveBytes{0};
inline std::atomic<std::size_t> peakBytes{0};

}  // namespace kelvo::bench

void* operator new(std::size_t size) {
  void* block = std::malloc(size + 16);
  if (!block) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const std::size_t live = kelvo::bench::liveBytes += size;
  std::size_t peak = kelvo::bench::peakBytes.load();
  while (live > peak && !kelvo::bench::peakBytes.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + 16;
}
void operator delete(void* pointer) noexcept {
  if (!pointer) return;
  void* block = static_cast<char*>(pointer) - 16;
  kelvo::bench::liveBytes -= *static_cast<std::size_t*>(block);
  std::free(block);
}
void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }
