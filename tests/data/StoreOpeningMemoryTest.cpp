// Opening stores while memory runs out: each allocation an open makes fails in its turn. This
// program replaces the global allocation functions, so it is a test binary of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/data/Context.hpp"
#include "tests/data/TestModel.hpp"

namespace {

// Allocations left before the one that fails; none fails at 0.
std::atomic<long> allocationsLeft{0};
std::atomic<bool> failed{false};
// Whether every allocation after the one that fails fails too, until the completion.
std::atomic<bool> staysShort{false};

bool failsNow() {
  if (allocationsLeft.load(std::memory_order_relaxed) <= 0) return false;
  if (allocationsLeft.fetch_sub(1, std::memory_order_relaxed) != 1) return false;
  if (staysShort) allocationsLeft.store(1, std::memory_order_relaxed);
  failed.store(true, std::memory_order_relaxed);
  return true;
}

void* allocate(std::size_t size, std::size_t alignment = 0) {
  void* memory = nullptr;
  if (failsNow()) return nullptr;
  if (alignment == 0) return std::malloc(size == 0 ? 1 : size);
  if (posix_memalign(&memory, alignment, size == 0 ? 1 : size) != 0) return nullptr;
  return memory;
}

void* allocateOrThrow(std::size_t size, std::size_t alignment = 0) {
  if (void* memory = allocate(size, alignment)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new(std::size_t size, std::align_val_t alignment) {
  return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}

namespace kelvo::data {
namespace {

using kelvo::testing::TemporaryDirectory;

// What one `loadStores` with its `n`-th allocation failing told its completion.
struct Heard {
  bool escaped = false;  // an exception left `loadStores`
  int completions = 0;
  bool allocationFailed = false;  // the `n`-th allocation came before the completion
  std::optional<StoreError> error;
};

Heard loadFailing(const std::filesystem::path& url, long n) {
  Container container("Test", testing::testModel());
  container.setStoreDescriptions({StoreDescription(url)});
  Heard heard;
  failed = false;
  allocationsLeft = n;
  try {
    container.loadStores([&](const StoreDescription&, const StoreError* error) {
      allocationsLeft = 0;
      heard.allocationFailed = failed;
      ++heard.completions;
      if (error != nullptr) heard.error = *error;
    });
  } catch (...) {
    heard.escaped = true;
  }
  allocationsLeft = 0;
  return heard;
}

// Allocation n = 1, 2, ... of an open fails, until an open makes fewer than n. Each failure
// reaches the completion as the one sentence for want of memory, and leaves the store as it was:
// a new one is made, an existing one keeps its note, at the next open.
TEST(StoreOpeningMemoryTest, AnAllocationThatFailsAtAnyPointOfAnOpenReachesTheCompletion) {
  TemporaryDirectory directory;
  const auto existing = directory.path() / "Existing.store";
  testing::keepNote(existing, "kept");
  for (const bool isNew : {true, false}) {
    SCOPED_TRACE(isNew ? "a new store" : "an existing store");
    long n = 1;
    for (;; ++n) {
      ASSERT_LT(n, 100'000);
      const auto url = isNew ? directory.path() / ("New" + std::to_string(n) + ".store") : existing;
      const Heard heard = loadFailing(url, n);
      ASSERT_FALSE(heard.escaped) << n;
      ASSERT_EQ(heard.completions, 1) << n;
      if (!heard.allocationFailed) {
        EXPECT_FALSE(heard.error) << heard.error->what();
        break;
      }
      if (heard.error) {
        const std::string said = heard.error->what();
        EXPECT_EQ(said.find("bad_alloc"), std::string::npos) << n << ": " << said;
        EXPECT_EQ(said,
                  "Could not open the store at " + url.string() + ": there is not enough memory.")
            << n;
        EXPECT_EQ(heard.error->kind(), StoreError::Kind::sqlite) << n;
        EXPECT_EQ(heard.error->extendedCode(), 7) << n;  // SQLITE_NOMEM
      }
      auto reopened = testing::openContainer(url);
      EXPECT_EQ(reopened->viewContext().count("Note"), isNew ? 0u : 1u) << n;
      if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(n, 10);  // the failures reached into the open
  }
}

// From the n-th allocation of an open on, every one fails: the completion still hears of it, in the
// sentence made before memory ran short when the one naming the file cannot be written.
TEST(StoreOpeningMemoryTest, MemoryThatStaysShortStillReachesTheCompletion) {
  TemporaryDirectory directory;
  testing::openContainer(directory.path() / "First.store");
  staysShort = true;
  long n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 100'000);
    const auto url = directory.path() / ("New" + std::to_string(n) + ".store");
    const Heard heard = loadFailing(url, n);
    ASSERT_FALSE(heard.escaped) << n;
    ASSERT_EQ(heard.completions, 1) << n;
    if (!heard.allocationFailed) break;
    ASSERT_TRUE(heard.error) << n;
    const std::string said = heard.error->what();
    EXPECT_TRUE(said == "Could not open a store: there is not enough memory." ||
                said ==
                    "Could not open the store at " + url.string() + ": there is not enough memory.")
        << n << ": " << said;
    EXPECT_EQ(heard.error->extendedCode(), 7) << n;
    if (::testing::Test::HasFailure()) break;
  }
  staysShort = false;
  EXPECT_GT(n, 10);
}

}  // namespace
}  // namespace kelvo::data
