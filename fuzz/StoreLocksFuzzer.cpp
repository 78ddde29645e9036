// The system's list of locks, as opening a store reads it: never crashes, names no process of
// its own, never this one, and what this process's own lines add changes nothing.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzInput.hpp"
#include "platform/data/internal/StoreLocks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::data_internal::StoreLocks;
  using kelvo::fuzz::require;
  constexpr pid_t self = 10;
  const std::string_view list = kelvo::fuzz::text(data, size);
  // What another process's -shm lies beside: taken from the inode, so that every answer comes.
  const auto beside = [](pid_t, std::uint64_t shm) {
    using Seen = StoreLocks::ShmBeside::Seen;
    return StoreLocks::ShmBeside{static_cast<Seen>(shm % 4), shm / 4};
  };
  for (const auto scope : {StoreLocks::Scope::fileAndShm, StoreLocks::Scope::file}) {
    const auto found = StoreLocks::find(list, 1001, 1002, self, scope, beside);
    require((found.conflict == StoreLocks::Conflict::none) == (found.process == 0));
    require(found.process != self);
    if (found.process != 0) require(list.find(std::to_string(found.process)) != list.npos);
    const std::string own = std::string(list) +
                            "\n9: POSIX  ADVISORY  READ 10 fe:00:1001 1073741826 1073742335\n"
                            "9: POSIX  ADVISORY  READ 10 fe:00:1002 128 128\n";
    const auto again = StoreLocks::find(own, 1001, 1002, self, scope, beside);
    require(again.conflict == found.conflict && again.process == found.process);
  }
  return 0;
}
