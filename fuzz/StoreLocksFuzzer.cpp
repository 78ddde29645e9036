// What opening a store reads of another program to tell whether it has the store open by another
// name: its memory map, and the lock tests' answers. Never crashes; a map names another name only
// through a path it lists that names the store now, and a holder is named only as a test gave it.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzInput.hpp"
#include "platform/data/internal/StoreLocks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::data_internal::StoreLocks;
  using kelvo::fuzz::require;
  if (size < 4) return 0;
  const StoreLocks::Identity store{42, 257};
  const StoreLocks::Identity shm{42, 258};
  const std::string_view maps = kelvo::fuzz::text(data + 4, size - 4);
  // What a path names: taken from its length, so that every answer comes, the store among them.
  std::string named;
  const auto identify = [&](const char* path) -> std::optional<StoreLocks::Identity> {
    named += path;
    const std::size_t length = std::string_view(path).size();
    switch (length % 4) {
      case 0:
        return std::nullopt;
      case 1:
        return store;
      case 2:
        return shm;
      default:
        return StoreLocks::Identity{42, length};
    }
  };
  const auto mapped = StoreLocks::mapped(
      maps, store, shm, identify, [&](StoreLocks::Identity file) { return file.inode % 2 == 0; });
  if (mapped == StoreLocks::Mapped::anotherName) require(named.find("-shm") != std::string::npos);
  require(mapped != StoreLocks::Mapped::unknown);

  // The same text as a list of locks: the holders it names are of the file asked, never this
  // process, each once.
  const auto listed = StoreLocks::holders(maps, 257, "fe:01", 10);
  for (std::size_t i = 0; i < listed.size(); ++i) {
    require(listed[i] > 0 && listed[i] != 10);
    for (std::size_t j = 0; j < i; ++j) require(listed[i] != listed[j]);
    require(maps.find(":257 ") != std::string_view::npos);
  }

  // The lock tests' answers, from the first bytes.
  const auto held = [](std::uint8_t byte) {
    return StoreLocks::Held{static_cast<StoreLocks::Held::Lock>(byte % 4),
                            static_cast<pid_t>(byte / 4 % 3)};
  };
  const StoreLocks::Held file = held(data[0]);
  const StoreLocks::Held besides = held(data[1]);
  const auto found = StoreLocks::judge(file, besides, listed, [&](pid_t) { return mapped; });
  using Conflict = StoreLocks::Conflict;
  if (found.conflict == Conflict::none) require(found.process == 0);
  if (found.process != 0) {
    require(found.process == file.process || found.process == besides.process ||
            std::find(listed.begin(), listed.end(), found.process) != listed.end());
  }
  if (found.conflict == Conflict::fileByAnotherName) {
    require(mapped == StoreLocks::Mapped::anotherName && file.process != 0);
  }
  // Beside a holder of this name's -shm, only a file holder that maps another name conflicts.
  if (besides.held() && file.lock == StoreLocks::Held::Lock::read) {
    require(found.conflict == Conflict::none || found.conflict == Conflict::fileByAnotherName);
  }
  return 0;
}
