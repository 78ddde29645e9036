#pragma once

// The file system as the core uses it: the user's data and configuration folders, the folder
// an application group shares between processes, and whole files, read under a size limit and
// replaced atomically so that a crash or a full disk never leaves half a file behind. A write
// goes where its path leads: through links to the file they name, and into a device or a pipe
// (or, for a caller that says so, never into a pipe):
//
//   const FileManager files(dataHome, configHome);  // or FileManager(): $XDG_… or ~
//   const std::filesystem::path folder = files.applicationSupportDirectory(true) / "Kelvo";
//   files.createDirectory(folder);
//   files.write(folder / "order.json", R"({"unsorted":[]})");  // throws FileError
//   const std::string stored = files.contents(folder / "order.json", 1024 * 1024);

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/foundation/Error.hpp"

namespace kelvo {

/// A file or folder operation that failed, with the path and the system's reason.
class FileError : public Error {
 public:
  FileError(std::string_view action, std::filesystem::path path, std::error_code code);
  /// A failure the system did not name, said in words (`code` stays as given).
  FileError(std::string_view action, std::filesystem::path path, std::error_code code,
            std::string_view reason);

  const std::filesystem::path& path() const { return path_; }
  std::error_code code() const { return code_; }

 private:
  std::filesystem::path path_;
  std::error_code code_;
};

/// The user's folders and whole-file access. Failures throw `FileError`; nothing is swallowed.
class FileManager {
 public:
  /// What a write does with a named pipe at its path, or at the end of its links.
  enum class Pipes {
    /// Writes into it as a shell's redirection does, waiting for its reader.
    waitForReader,
    /// Refuses it as a folder is refused: for a file that only a reader of regular files
    /// reads back, where a pipe's absent reader must not hold the caller.
    refuse,
  };
  /// The steps of an atomic write, in order.
  enum class WriteStep { createTemporary, writeBytes, syncFile, rename, syncFolder };
  /// Asked before each step of an atomic write; a non-zero errno makes the step fail with it.
  /// Tests use it to fail a write, or to end the process, at a chosen step.
  using WriteProbe = std::function<int(WriteStep)>;
  /// Makes a file or folder durable: `fsync` unless a test puts its own in place to see the
  /// syncs happen. Gives 0 or an errno.
  using SyncCall = std::function<int(int fd, WriteStep step)>;

  /// Folders from the environment: $XDG_DATA_HOME and $XDG_CONFIG_HOME when absolute, else
  /// ~/.local/share and ~/.config.
  FileManager();
  /// Folders rooted explicitly, for hosts and tests.
  FileManager(std::filesystem::path dataHome, std::filesystem::path configHome);

  /// The user's application support folder (the data folder). With `create`, a missing folder
  /// is made. Throws when there is no home folder or creation fails.
  std::filesystem::path applicationSupportDirectory(bool create = false) const;
  /// The user's configuration folder; same rules.
  std::filesystem::path configurationDirectory(bool create = false) const;
  /// The folder shared by the processes of an application group: "app-groups/<identifier>"
  /// under the data folder. None for a missing or empty identifier, one that is not a single
  /// path component, or no home folder. Not created here.
  std::optional<std::filesystem::path> containerDirectory(
      std::optional<std::string_view> groupIdentifier) const;

  /// Makes a folder and any missing parents; an existing folder is fine.
  void createDirectory(const std::filesystem::path& path) const;
  /// The whole file, which must be a regular file of at most `sizeLimit` bytes. A FIFO, a
  /// device, a folder, a larger file, or too little memory to hold it is a `FileError`; the
  /// read never blocks on a FIFO nor runs on past the limit.
  std::string contents(const std::filesystem::path& path, std::uintmax_t sizeLimit) const;
  /// Puts `bytes` where `path` leads.
  /// - A regular file, or a path where nothing stands, is replaced whole: the bytes go to a
  ///   temporary file in the same folder, which is synced and renamed over the old file, then
  ///   the folder is synced. A failure before the rename leaves the old file as it was; a reader
  ///   never sees a partly written file.
  /// - A link, or a chain of links, is followed to the file it names, which is replaced so from
  ///   a temporary in its own folder; the links stay. A dangling link's target is made.
  /// - A character or block device, or a named pipe, is written straight into: no temporary,
  ///   no rename, nothing replaced. A pipe is opened as open(2) opens it, so the write waits for
  ///   a reader; a signal whose handler does not restart calls ends that wait (EINTR). Bytes
  ///   that fit in the pipe's buffer are written once they are in the pipe; more are written as
  ///   the reader takes them. A reader that leaves first fails the write (EPIPE) and no SIGPIPE
  ///   reaches the process. A block device is synced.
  /// - A folder, a socket, and links that lead round in a loop or through more than
  ///   `linkLimit` links are refused, and nothing is made; so is a pipe with `Pipes::refuse`,
  ///   which opens a device without waiting (O_NONBLOCK, so that a pipe put in its place is
  ///   never waited on either): a device that would make its open wait refuses it instead.
  void write(const std::filesystem::path& path, std::string_view bytes,
             Pipes pipes = Pipes::waitForReader) const;

  /// Where a write of a path puts its bytes.
  struct WriteTarget {
    /// For a path that is a link (to anything but a device or a pipe), the end of its chain of
    /// links: the file a write replaces, which need not exist yet. None where the path itself
    /// is written: a file, nothing yet, a device or a pipe (whose links the system follows).
    std::optional<std::filesystem::path> linkedFile;
    /// A device or a named pipe, written straight into.
    bool inPlace = false;
  };
  /// How many links a write follows from its path before it gives up.
  static constexpr int linkLimit = 40;
  /// Where `write(path, …, pipes)` would put its bytes now. Throws the `FileError` the write
  /// would throw for a folder, a socket, a refused pipe or links it cannot follow.
  WriteTarget writeTarget(const std::filesystem::path& path,
                          Pipes pipes = Pipes::waitForReader) const;
  /// Writes to `target`, which `writeTarget(path, pipes)` gave, without looking at the path
  /// again: for a caller that holds a lock every writer of the file takes, and has just looked.
  /// With `Pipes::refuse`, a pipe put in place of a device since the look is refused too.
  void write(const std::filesystem::path& path, std::string_view bytes, const WriteTarget& target,
             Pipes pipes = Pipes::waitForReader) const;
  /// Removes the temporary files that writes of `path` left beside the file they replace, as a
  /// write stopped before its rename leaves one. Only for a caller that holds a lock every
  /// writer of the file takes, so that no running write owns one. What cannot be removed stays;
  /// nothing throws. Gives how many were removed.
  std::size_t removeTemporaries(const std::filesystem::path& path) const noexcept;
  /// Removes a file, or a folder with everything in it. Throws when nothing is there.
  void removeItem(const std::filesystem::path& path) const;
  /// Removes the name `path`: a file, or a link, a pipe or a device node itself, never what a
  /// link leads to. A folder is refused (EISDIR) and left as it is; nothing there is ENOENT.
  void removeFile(const std::filesystem::path& path) const;
  bool fileExists(const std::filesystem::path& path) const;
  /// The size of a file in bytes.
  std::uintmax_t fileSize(const std::filesystem::path& path) const;

  /// Gives `path` a second name, `alias`, in the same file system; the bytes stay whole under
  /// `alias` whatever later replaces `path`. Throws (EEXIST) when `alias` is already taken.
  void linkItem(const std::filesystem::path& path, const std::filesystem::path& alias) const;

  void setWriteProbe(WriteProbe probe) { probe_ = std::move(probe); }
  void setSyncCall(SyncCall sync) { sync_ = std::move(sync); }

 private:
  std::filesystem::path userDirectory(const std::optional<std::filesystem::path>& folder,
                                      bool create) const;
  void replace(const std::filesystem::path& path, const std::filesystem::path& target,
               std::string_view bytes) const;
  void writeInPlace(const std::filesystem::path& path, std::string_view bytes, Pipes pipes) const;

  std::optional<std::filesystem::path> dataHome_;
  std::optional<std::filesystem::path> configHome_;
  WriteProbe probe_;
  SyncCall sync_;
};

}  // namespace kelvo
