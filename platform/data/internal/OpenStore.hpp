// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kelvo::data_internal {

/// A store file this process has open, with the path SQLite opened it by, listed while the
/// value lives. SQLite keeps a store's -wal and -shm beside that path, and a process's
/// connections to one file share one view of the -shm, beside the path of the first of them,
/// for as long as any of them is open. Two connections to one file by two paths (a hard link, or
/// a store moved while open), in one process or in two, or to two files by one path (another
/// store put where a moved one was), would each keep a log the other does not read: opening
/// refuses those.
class OpenStore {
 public:
  /// Why the store SQLite would open at `fullPath` may not be opened there: another process has
  /// the file open by another name, or holds the -shm beside `fullPath` for another file. A
  /// sentence naming that program and what to do; none when nothing stands in the way. What is
  /// met only for a moment, as another process opens or closes the store, is waited out, for a
  /// quarter of a second at most. Once this process holds the store, `opened`: other processes
  /// are looked for by their lines on the store file alone (a -shm held for another file is
  /// still told). Makes nothing.
  static std::optional<std::string> otherProgram(const std::string& fullPath, bool opened = false);
  /// Throws `StoreError` (code 14), "Could not open the store at <url>: " and the sentence of
  /// `otherProgram`, when there is one.
  static void refuseOtherPrograms(const std::string& fullPath, const std::filesystem::path& url,
                                  bool opened = false);
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
  /// Whether no other process has the file open by another name, nor holds the -shm beside the
  /// path it was opened at for another file: the log beside that path is then the file's alone
  /// to empty. Waits for nothing.
  bool isTheOnlyView() const;

 private:
  OpenStore(std::uint64_t id, std::string path, std::uint64_t device, std::uint64_t inode)
      : id_(id), path_(std::move(path)), device_(device), inode_(inode) {}
  std::uint64_t id_;
  std::string path_;
  std::uint64_t device_;
  std::uint64_t inode_;
};

}  // namespace kelvo::data_internal
