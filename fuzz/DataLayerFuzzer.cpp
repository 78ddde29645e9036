// Two containers on one store file make, edit, link, move and delete notes and folders, save,
// roll back and reopen, as the input's bytes choose; after every step the file and the objects
// must be as the model of tests/data/StoreModelCheck.hpp says. KELVO_FUZZ_TRACE=1 prints the
// operations an input decodes to.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/FuzzInput.hpp"
#include "tests/data/StoreModelCheck.hpp"
#include "tests/support/TestSupport.hpp"

namespace {

// A store's operations cost far more than a byte's: longer inputs add little.
constexpr int maxOperations = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::data::testing::WritersOnOneFile;
  static const kelvo::testing::TemporaryDirectory directory;
  static const bool tracing = std::getenv("KELVO_FUZZ_TRACE") != nullptr;
  const auto url = directory.path() / "Fuzz.store";
  std::size_t at = 0;
  const auto choose = [&](std::size_t count) -> std::size_t {
    return at < size ? data[at++] % count : 0;
  };
  {
    WritersOnOneFile writers(
        url, {WritersOnOneFile::WriterKind::container, WritersOnOneFile::WriterKind::container});
    if (tracing)
      writers.traceTo([](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    for (int i = 0; i < maxOperations && at < size && writers.step(choose); ++i) {
    }
    if (!writers.ok()) {
      std::fprintf(stderr, "%s\noperations:\n%s", writers.failure().c_str(),
                   writers.trace().c_str());
    }
    kelvo::fuzz::require(writers.ok());
  }
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::filesystem::remove(url.string() + suffix);
  }
  return 0;
}
