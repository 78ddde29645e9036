// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kelvo::data_internal {

/// A store file this process has open, with the path SQLite opened it by, listed while the
/// value lives. SQLite keeps a store's -wal and -shm beside that path, yet gives a process's
/// connections to one file one view of the -shm: two connections to one file by two paths (a
/// hard link, or a store moved while open), or to two files by one path (another store put where
/// a moved one was), would each read the other's log. Opening refuses those while the first is
/// open.
class OpenStore {
 public:
  /// Lists the file SQLite opened at `fullPath` for the store at `url`. Throws `StoreError`, a
  /// sentence naming `url` and what to do, when another open store of the process has the file
  /// by another path, or another file by this one. A file that cannot be looked at is listed
  /// under no identity, and checked against nothing.
  static std::unique_ptr<OpenStore> enter(const std::string& fullPath,
                                          const std::filesystem::path& url);
  ~OpenStore();
  OpenStore(const OpenStore&) = delete;
  OpenStore& operator=(const OpenStore&) = delete;

  /// Whether the path it was opened at names another file now, or nothing: one `stat`. None
  /// for a file listed under no identity.
  std::optional<bool> hasMoved() const;
  /// Says whether the store, found moved, has written its log into its file and emptied it:
  /// then it leaves nothing beside its old path for the same file opened at its new one.
  void setSettled(bool settled);

 private:
  OpenStore(std::uint64_t id, std::string path, std::uint64_t device, std::uint64_t inode)
      : id_(id), path_(std::move(path)), device_(device), inode_(inode) {}
  std::uint64_t id_;
  std::string path_;
  std::uint64_t device_;
  std::uint64_t inode_;
};

}  // namespace kelvo::data_internal
