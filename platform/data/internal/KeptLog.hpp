// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <sys/types.h>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo::data_internal {

/// A log that a close or a save had to leave holding saves its file has not taken (the disk had
/// no room for them, or another program's read kept them busy), beside a name the file can be
/// opened without: a name the file has left, or one of several names of a file with hard links.
/// SQLite reads a log by the name it opens a store by, so an open by another name would read the
/// file older, and its own saves would be lost once the log came back. The log follows its file
/// where a rename may take it (the file moved within its file system, and nobody else has the
/// log open), and the file records where its log is, in an extended attribute of its own, which
/// moves and links keep: an open by a name without that log brings it beside its own name where
/// nobody has it open, and is refused, naming it, where it cannot. The log records its file in
/// turn: another store that comes to its name (moved there, or made there) never reads it as its
/// own, but sets it aside, where its file's record finds it.
struct KeptLog {
  /// The extended attribute a store file records its kept log in.
  static constexpr const char* attribute = "user.kelvo.log";
  /// The extended attribute a kept log records its store file in.
  static constexpr const char* ownerAttribute = "user.kelvo.store";
  /// A log's salts, as its header has them (bytes 16 to 23): a log reset for reuse has others.
  using Salts = std::array<unsigned char, 8>;
  /// What a store file records: the salts of its kept log, and where it was left (absolute, or,
  /// where a whole path would not fit, relative to the file's folder).
  struct Record {
    Salts salts{};
    std::string path;
  };
  static std::optional<Record> read(int descriptor);
  /// A record from the attribute's text ("1 <salts, 16 hex digits> <path>"); none where it is
  /// not one.
  static std::optional<Record> parse(std::string_view text);
  /// The attribute's text of a record.
  static std::string text(const Record& record);
  /// Records `record` on the file; false where its file system keeps no such attribute, or has
  /// no room for one.
  static bool write(int descriptor, const Record& record, const std::string& folder);
  static void erase(int descriptor);
  /// Whether the log open as `logDescriptor` was kept for a store file other than the one open as
  /// `descriptor`.
  static bool keptForAnother(int logDescriptor, int descriptor);
  /// The salts of the log at `path`, where it is a log that holds frames.
  static std::optional<Salts> saltsAt(const std::string& path);

  /// At a close or a save that leaves frames in the log `log` (salts `salts`, SQLite's
  /// descriptor of it `logDescriptor`, -1 where none) that the store file, SQLite's descriptor
  /// `descriptor`, has not taken: where the file has left the log's name and `mayFollow` (nobody
  /// else has the log open, as while the file is held alone), the log is renamed beside the
  /// file's name now; and where the file may be opened without the log (moved, followed, or of
  /// several names), the file records where the log is. Nothing for a file removed from its
  /// folder.
  static void leave(int descriptor, const std::string& log, int logDescriptor, const Salts& salts,
                    bool mayFollow);

  /// Who holds a file: 0 for nobody, -1 for a holder that cannot be named.
  using Holder = std::function<pid_t()>;
  /// Why an open of the file at `fullPath` (descriptor `descriptor`) cannot take the log its
  /// record names; empty where it may open. With `mayBring` (before its first read), the log is
  /// renamed beside `fullPath` where nobody has it open (`shmHolder` of the -shm beside a path)
  /// and no other program has the file open (`fileHolder`: one would have read it without the
  /// log), and the record names it there. Once the connection has read the file with the log
  /// beside `fullPath` (`mayBring` false), or the record names nothing any more, it is erased.
  static std::string settle(int descriptor, const std::string& fullPath, bool mayBring,
                            const std::function<pid_t(const std::string& shm)>& shmHolder,
                            const Holder& fileHolder);
};

}  // namespace kelvo::data_internal
