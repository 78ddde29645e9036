// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kelvo::data_internal {

/// Descriptors of files beside the stores this process opens (a -shm, or a store file SQLite's
/// own descriptor cannot be had of), kept for lock tests. Closing any descriptor of a file drops
/// every record lock the process holds on it, SQLite's among them, whichever connection took
/// them: the library's, or one the program opened with SQLite itself. So a descriptor kept here
/// is closed only once its file is removed from every folder and nobody holds a lock on it, when
/// no connection can take one any more but through a descriptor it already has; never at a
/// container's close. Past `perStore` beside one store, or `sweepPast` in the process, those that
/// may be closed are, before another is kept; one is always kept where a lock test needs it, as a
/// test left unmade would take a file for one nobody holds.
class KeptFiles {
 public:
  /// A file as `stat` tells it.
  struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const Identity&, const Identity&) = default;
  };

  static constexpr std::size_t perStore = 4;
  static constexpr std::size_t sweepPast = 64;

  /// A descriptor of the file at `path` beside the store `store`, opened for reading: the one kept
  /// already for the file there, or one opened now and kept. Where `expected` is given, only that
  /// very file is opened (a store file: its name is looked at without opening it first, as a
  /// descriptor that opened it would drop locks when closed). -1 where none can be had;
  /// `identity` tells the file the descriptor is of, or what is at the path.
  static int descriptor(Identity store, const std::string& path, std::optional<Identity> expected,
                        std::optional<Identity>& identity);
  /// Closes what is kept beside `store` that may be closed now: called once no container of the
  /// process has the store open.
  static void release(Identity store);
  /// How many descriptors are kept, in all.
  static std::size_t count();
};

}  // namespace kelvo::data_internal
