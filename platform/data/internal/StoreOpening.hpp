// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace kelvo::data {
class StoreError;
struct StoreDescription;
}  // namespace kelvo::data

namespace kelvo::data_internal {

/// What opening a store file tells of a path SQLite cannot, or should not, open: a sentence of
/// our own that names the cause and what to do (see docs/store.md, "Opening").
struct StoreOpening {
  /// Throws `StoreError` for a path that opening would get wrong before SQLite sees it (empty,
  /// ending in a separator or "/.", holding a NUL byte, through a missing folder before "..",
  /// too long a name for the journal beside the file it leads to, a pipe, a socket or a device,
  /// a file of one byte), so that nothing is made for it. Returns whether anything is at the
  /// path: where nothing is, SQLite makes the file.
  static bool refusePath(const std::filesystem::path& url);
  /// The name SQLite is given for the path: never one it reads as a temporary database or a URI.
  static std::string sqliteName(const std::filesystem::path& url);
  /// Throws the refusal of a store whose path named nothing, or another file, while it was being
  /// opened: SQLite opens the file and the -wal and -shm beside it by the path, one after another.
  [[noreturn]] static void refuseMovedWhileOpening(const std::filesystem::path& url);
  /// Another program as a sentence names it: "another program (process <pid>)", or "another
  /// program" where it cannot be named (0 or less).
  static std::string otherProgram(pid_t process);
  /// Why an open gave up on a file `program` (as `otherProgram` names it) kept locked for longer
  /// than an open waits, and what to do.
  static std::string keptLocked(const std::string& program);
  /// What a host does once a store's file was moved under a container that has it open.
  static constexpr const char* afterAMove =
      "close this container, then open the store where it now is in a new container, and make "
      "the changes there.";
  /// Throws `error`, a failure to open the store, as a sentence that names its file and cause.
  [[noreturn]] static void refuse(const data::StoreDescription& description,
                                  const data::StoreError& error);
};

}  // namespace kelvo::data_internal
