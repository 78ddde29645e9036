#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/FileManager.hpp"

namespace kelvo {

/// A string-keyed store of small settings. A persistent suite keeps one JSON file, rewritten
/// atomically on every change and read again when another process has changed it; an in-memory
/// suite keeps nothing. Safe to share between threads, and between processes: each write holds
/// a lock beside the file ("<file>.lock") from a fresh read of the file to its replacement, and
/// puts only this suite's own changes over what it read, so no write drops a key that another
/// process set or removed.
///
/// A missing file reads as empty. A damaged one gives the values it holds before the damage,
/// and is kept aside whole under a name of its own before anything is written over it; values of
/// a shape this version does not know are kept as they were when the file is rewritten.
///
/// The file may be a link, or a chain of links: the file it leads to is the one read and
/// replaced, and the link stays; the lock, the kept copies and the write's temporary file sit
/// beside that file. A device is written straight into (`FileManager::write`). A named pipe, or
/// links that lead to one, takes no write, as a folder or a socket takes none: the change waits
/// in memory and `synchronize()` answers false, no lock is taken or made for it, and no call
/// waits for a reader. A write that finds in the lock file a write that began and never
/// replaced the file first removes the temporary files that such a write, killed before its
/// rename, left beside it.
///
/// Keys are UTF-8. JSON has no form for a key that is not, and written with U+FFFD in place of
/// its faulty bytes it would be another key, whose value another program may own: `set` with
/// such a key is refused and does nothing, and the key reads as absent.
class UserDefaults {
 public:
  /// Settings are small: a larger file reads as damaged. No suite writes one: a change that
  /// would make the file larger, counted in its stored form (bytes take a third more as
  /// Base64), is not written (see `set`).
  static constexpr std::uintmax_t fileSizeLimit = 4 * 1024 * 1024;

  using Value =
      std::variant<bool, std::int64_t, double, std::string, Bytes, std::vector<std::string>>;

  /// The standard suite of the application: "kelvo/defaults.json" under the configuration
  /// folder; in memory when the process has no home folder.
  static UserDefaults& standard();
  /// The file of a named suite: "kelvo/<name>.json" under the configuration folder. None for a
  /// name that is empty or not a single path component.
  static std::optional<std::filesystem::path> suiteFile(std::string_view suiteName,
                                                        const FileManager& files = FileManager());

  /// An in-memory suite.
  UserDefaults();
  /// A persistent suite kept in `file`, written through `files`.
  explicit UserDefaults(std::filesystem::path file, FileManager files = FileManager());
  ~UserDefaults();
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

  /// The value under `key`, or none when absent or of a shape none of the readers know.
  std::optional<Value> object(std::string_view key) const;
  std::optional<std::string> string(std::string_view key) const;
  /// A whole number; a double is truncated toward zero and a Boolean reads as 0 or 1. 0 when
  /// absent, not a number, or out of range.
  std::int64_t integer(std::string_view key) const;
  /// True for a stored true or a non-zero number; false otherwise.
  bool boolean(std::string_view key) const;
  /// A number or a Boolean as a double; 0 otherwise.
  double doubleValue(std::string_view key) const;
  std::optional<Bytes> data(std::string_view key) const;
  /// A stored list of strings; none when any element is not a string.
  std::optional<std::vector<std::string>> stringArray(std::string_view key) const;
  /// Every value of a known shape, by key.
  std::map<std::string, Value> dictionaryRepresentation() const;

  // Each change is written to the file at its own write, merged over what the file holds then.
  // When that fails (the file cannot be written, or another process's write holds the lock for
  // seconds), the file keeps what it held and the change waits in memory, where this suite's
  // reads find it, and `synchronize()` answers false until a later write takes it. A change that
  // would make the file pass `fileSizeLimit` waits alone: the suite's other changes are written
  // as they would be without it, the file keeping that key's earlier value (or none), until the
  // key is removed or made smaller, or room is made. A waiting change is never written over
  // another program's later write: when the file's value of its key changed after it was made
  // (for one made while the file could not be read whole, after the suite next read it whole),
  // the change is dropped and the suite shows that later value.
  //
  // One overload per stored type, so that neither a literal nor a Boolean changes type.
  void set(std::string_view key, bool value) { setValue(key, value); }
  void set(std::string_view key, int value) { setValue(key, std::int64_t{value}); }
  void set(std::string_view key, std::int64_t value) { setValue(key, value); }
  void set(std::string_view key, double value) { setValue(key, value); }
  void set(std::string_view key, const char* value) { setValue(key, std::string(value)); }
  void set(std::string_view key, std::string_view value) { setValue(key, std::string(value)); }
  void set(std::string_view key, const std::string& value) { setValue(key, value); }
  void set(std::string_view key, Bytes value) { setValue(key, std::move(value)); }
  void set(std::string_view key, std::vector<std::string> value) {
    setValue(key, std::move(value));
  }
  void set(std::string_view key, const Value& value) { setValue(key, value); }
  void removeObject(std::string_view key);

  /// Writes the changes that wait (after a file that could not be written, another process's
  /// write that held the lock for seconds, or a change that would have passed `fileSizeLimit`).
  /// True when none waits (always true in memory); false while any does, and then the file holds
  /// under each of their keys what it held before them. The host may call it again later, and
  /// makes a value too large for the file smaller or removes it.
  bool synchronize();

 private:
  struct State;
  struct Change;
  void setValue(std::string_view key, Value value);
  void refreshLocked() const;
  void loadLocked() const;
  void stageLocked(Change& change);
  void persistLocked(Change* incoming = nullptr);
  void keepDamagedFileLocked(const FileManager::WriteTarget& target);

  mutable std::mutex mutex_;
  std::unique_ptr<State> state_;
};

}  // namespace kelvo
