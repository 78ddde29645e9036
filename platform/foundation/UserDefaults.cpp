#include "platform/foundation/UserDefaults.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <new>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/foundation/Base64.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/Utf.hpp"
#include "platform/foundation/internal/JSONMembers.hpp"

namespace kelvo {
namespace fs = std::filesystem;
namespace {

// What identifies one version of the file on disk; none when there is no file.
struct Signature {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  // A regular file, not a pipe, a device or a folder that another program put in its place.
  bool regular = true;

  friend bool operator==(const Signature& a, const Signature& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec &&
           a.regular == b.regular;
  }
};

Signature signatureFrom(const struct stat& status) {
  return {status.st_dev, status.st_ino, status.st_size, status.st_mtim, S_ISREG(status.st_mode)};
}

std::optional<Signature> signatureOf(const fs::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return std::nullopt;
  return signatureFrom(status);
}

// Bytes are the one value JSON has no form for: they sit in an object with one member "data".
Json toJson(const UserDefaults::Value& value) {
  return std::visit(
      [](const auto& v) -> Json {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, Bytes>) {
          return Json{{"data", base64Encoded(v)}};
        } else {
          return Json(v);
        }
      },
      value);
}

std::optional<UserDefaults::Value> fromJson(const Json& json) {
  switch (json.type()) {
    case Json::value_t::boolean:
      return json.get<bool>();
    case Json::value_t::number_integer:
      return json.get<std::int64_t>();
    case Json::value_t::number_unsigned:
      if (json.get<std::uint64_t>() > std::numeric_limits<std::int64_t>::max()) break;
      return static_cast<std::int64_t>(json.get<std::uint64_t>());
    case Json::value_t::number_float:
      return json.get<double>();
    case Json::value_t::string:
      return json.get<std::string>();
    case Json::value_t::object: {
      if (json.size() != 1 || !json.contains("data") || !json["data"].is_string()) break;
      auto bytes = base64Decoded(json["data"].get_ref<const std::string&>());
      if (!bytes) break;
      return std::move(*bytes);
    }
    case Json::value_t::array: {
      std::vector<std::string> strings;
      for (const Json& element : json) {
        if (!element.is_string()) return std::nullopt;
        strings.push_back(element.get<std::string>());
      }
      return strings;
    }
    default:
      break;
  }
  return std::nullopt;
}

// JSON has no form for a key that is not UTF-8. Keys are nearly always ASCII, which a plain
// loop tells faster than the full check.
bool isWritableKey(std::string_view key) {
  for (const char c : key) {
    if (static_cast<unsigned char>(c) >= 0x80) return isValidUtf8(key);
  }
  return true;
}

bool isSingleComponent(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// How long a write waits for another process's write to end before it fails: 200 tries, 10 ms
// apart. A write holds the lock for a read, a write, two syncs and a rename.
constexpr int lockAttempts = 200;
constexpr std::chrono::milliseconds lockPause{10};

// An exclusive advisory lock on a file beside the settings, which every writer of the suite
// holds from its re-read to its rename so that no two writes interleave. The settings file
// itself cannot carry it: each write replaces it with a new file. flock, unlike fcntl's locks,
// also keeps apart two suites over one file in one process.
//
// The lock file also holds a random mark of the last write, changed before each write. A writer
// whose own last read or write left the mark it finds knows the file is still the one it holds,
// even when a replaced file has the old one's signature (an inode reused within one tick of the
// file system's clock), and so skips reading it again. After the mark, once the write has
// replaced the file, the same mark again: a write that began and never got there may have been
// killed between its temporary and its rename. Older writers leave those 8 bytes as they are.
class WriteLock {
 public:
  explicit WriteLock(const fs::path& file) : path_(file.string() + ".lock") {
    for (int attempt = 0; attempt < lockAttempts; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(lockPause);
      if (tryLock()) return;
    }
    fail(EWOULDBLOCK);
  }
  ~WriteLock() { release(); }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

  // The mark of the last write begun and of the last one that replaced the file; each none
  // before the first such write (an empty lock file) or when it cannot be read.
  struct Marks {
    std::optional<std::uint64_t> begun;
    std::optional<std::uint64_t> ended;
  };
  Marks marks() const {
    std::uint64_t found[2] = {};
    const ssize_t count = ::pread(fd_, found, sizeof found, 0);
    Marks marks;
    if (count >= static_cast<ssize_t>(sizeof found[0])) marks.begun = found[0];
    if (count == static_cast<ssize_t>(sizeof found)) marks.ended = found[1];
    return marks;
  }
  // Puts a fresh mark in place; a write that cannot change it must not go ahead.
  std::uint64_t markNewWrite() {
    std::uint64_t fresh = 0;
    errno = EIO;  // what a short read or write leaves
    if (::getrandom(&fresh, sizeof fresh, 0) != static_cast<ssize_t>(sizeof fresh) ||
        ::pwrite(fd_, &fresh, sizeof fresh, 0) != static_cast<ssize_t>(sizeof fresh)) {
      throw FileError("Could not write", path_, std::error_code(errno, std::system_category()));
    }
    return fresh;
  }
  // Without it the next writer only looks for temporaries it need not.
  void markEnded(std::uint64_t mark) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd_, &mark, sizeof mark, sizeof mark);
  }

 private:
  // True once locked; false to try again; throws when the lock cannot be had at all.
  bool tryLock() {
    if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd_ < 0) fail(errno);
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) fail(errno);
      return false;
    }
    // A lock file removed and made anew while we waited is not the one the others lock.
    struct stat held {};
    struct stat named {};
    const bool current = ::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
                         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
    if (!current) release();
    return current;
  }
  void release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // The constructor throws, so the destructor will not close the descriptor.
  [[noreturn]] void fail(int code) {
    release();
    throw FileError("Could not lock", path_, std::error_code(code, std::system_category()));
  }

  fs::path path_;
  int fd_ = -1;
};

// One change of a suite that no write has yet put in the file: the value set (none for a
// removal), and what the file held under the key when it was made (none: absent). A file that
// no longer holds that has had the key changed by another writer since, whose write then holds.
struct PendingChange {
  std::optional<Json> value;
  std::optional<Json> held;
  // False when `held` came from a read that was not whole (a damaged file, a pipe): the file may
  // hold what that read lacked, so no value found later tells that another writer came after.
  bool heldWhole = true;
  // Set once a write left the change out to keep the file within the limit.
  bool waited = false;
  // How many bytes the change adds to the file, once counted.
  std::optional<std::size_t> growth;
};
using PendingChanges = std::map<std::string, PendingChange, std::less<>>;
using Keys = std::set<std::string, std::less<>>;

// The text a value is written as, which is what it reads back as.
std::string storedText(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool holds(const Json& members, const std::string& key, const std::optional<Json>& held) {
  const auto found = members.find(key);
  if (found == members.end() || !held) return (found == members.end()) == !held;
  return storedText(*found) == storedText(*held);
}

// The bytes a member takes in the file: its key, its value indented one level deeper on every
// line, and the separators around them.
std::size_t memberSize(const std::string& key, const std::optional<Json>& value) {
  if (!value) return 0;
  const std::string text = value->dump(2, ' ', false, Json::error_handler_t::replace);
  return 2 + Json(key).dump(-1, ' ', false, Json::error_handler_t::replace).size() + 2 +
         text.size() + 2 * static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 2;
}

// The file's text with the changes of `waiting` left out, the file keeping what it held under
// their keys.
std::string textWithout(const Json& members, const PendingChanges& pending, const Keys& waiting) {
  Json kept = Json::object();
  for (const auto& [key, value] : members.items()) {
    if (!waiting.contains(key)) {
      kept[key] = value;
    } else if (const auto& held = pending.find(key)->second.held) {
      kept[key] = *held;
    }
  }
  return foundation_internal::writeMembers(kept);
}

// The file's text with the changes that would carry it past the limit left out, those that
// grow it most; their keys are put in `waiting`. None when even without every change that grows
// it the file would pass the limit. Only the rest is written out again, so that a change too
// large for the file costs its suite's later writes one count of its size, at its first.
std::optional<std::string> textWithinLimit(const Json& members, PendingChanges& pending,
                                           Keys& waiting) {
  std::vector<std::pair<std::size_t, const std::string*>> growing;
  for (auto& [key, change] : pending) {
    if (!change.growth) {
      const std::size_t after = memberSize(key, change.value);
      const std::size_t before = memberSize(key, change.held);
      change.growth = after > before ? after - before : 0;
    }
    if (*change.growth == 0) continue;
    growing.emplace_back(*change.growth, &key);
    waiting.insert(key);
  }
  std::string fitting = textWithout(members, pending, waiting);
  if (fitting.size() > UserDefaults::fileSizeLimit) return std::nullopt;
  // Smallest first, each while the counted size says it fits; the written text decides.
  std::sort(growing.begin(), growing.end());
  for (const auto& [growth, key] : growing) {
    if (fitting.size() + growth > UserDefaults::fileSizeLimit) break;
    waiting.erase(*key);
    std::string text = textWithout(members, pending, waiting);
    if (text.size() > UserDefaults::fileSizeLimit) {
      waiting.insert(*key);
      break;
    }
    fitting = std::move(text);
  }
  return fitting;
}

}  // namespace

struct UserDefaults::Change {
  std::string key;
  std::optional<Json> value;  // none: removed
};

struct UserDefaults::State {
  std::optional<fs::path> file;
  FileManager files;
  // What the suite shows: the file as last read, with `pending` laid over it.
  Json values = Json::object();
  // This suite's own changes that no write has yet put in the file, by key. A write merges
  // only these onto what it finds on disk, so it keeps every other key.
  PendingChanges pending;
  // Set when the file on disk could not be read whole: it is kept aside before a write.
  bool damaged = false;
  // Whether `values` under `pending` is what the file holds: after a whole read, or after this
  // suite replaced it. Unlike `damaged`, it stays false once the damaged file is kept aside.
  bool whole = false;
  bool loaded = false;
  std::optional<Signature> signature;
  // The lock file's mark as this suite last read or wrote the file under the lock.
  std::optional<std::uint64_t> mark;
};

UserDefaults& UserDefaults::standard() {
  static UserDefaults* const standard = [] {
    const auto file = suiteFile("defaults");
    return file ? new UserDefaults(*file) : new UserDefaults();
  }();
  return *standard;
}

std::optional<fs::path> UserDefaults::suiteFile(std::string_view suiteName,
                                                const FileManager& files) {
  if (!isSingleComponent(suiteName)) return std::nullopt;
  try {
    return files.configurationDirectory() / "kelvo" / (std::string(suiteName) + ".json");
  } catch (const FileError&) {
    return std::nullopt;
  }
}

UserDefaults::UserDefaults() : state_(std::make_unique<State>()) {}

UserDefaults::UserDefaults(fs::path file, FileManager files) : state_(std::make_unique<State>()) {
  state_->file = std::move(file);
  state_->files = std::move(files);
}

UserDefaults::~UserDefaults() = default;

void UserDefaults::refreshLocked() const {
  State& state = *state_;
  if (!state.file) return;
  const auto signature = signatureOf(*state.file);
  if (state.loaded && signature == state.signature) return;
  loadLocked();
}

void UserDefaults::loadLocked() const {
  State& state = *state_;
  const auto signature = signatureOf(*state.file);
  state.loaded = true;
  state.signature = signature;
  state.values = Json::object();
  state.damaged = false;
  if (signature) {
    try {
      foundation_internal::MemberRead read =
          foundation_internal::readMembers(state.files.contents(*state.file, fileSizeLimit));
      state.values = std::move(read.members);
      state.damaged = !read.isWhole;
    } catch (const Error&) {
      state.damaged = true;
    }
  }
  state.whole = !state.damaged;
  for (auto change = state.pending.begin(); change != state.pending.end();) {
    auto& [key, pending] = *change;
    if (state.whole && !pending.heldWhole) {
      // Made over a read that was not whole, the change goes over what this first whole read
      // finds: a value another writer puts there later comes after it, and holds.
      const auto found = state.values.find(key);
      pending.held = found == state.values.end() ? std::nullopt : std::optional<Json>(*found);
      pending.heldWhole = true;
      pending.growth.reset();
    } else if (state.whole && !holds(state.values, key, pending.held)) {
      // Another writer changed the key after this change was made: its write holds. A damaged
      // file cannot tell, and is kept aside before a write goes over it.
      change = state.pending.erase(change);
      continue;
    }
    if (pending.value) {
      state.values[key] = *pending.value;
    } else {
      state.values.erase(key);
    }
    ++change;
  }
}

// Lays `change` over what the suite shows and keeps it for the next write, with what the file
// held under its key: still the file's for a key that waits already.
void UserDefaults::stageLocked(Change& change) {
  State& state = *state_;
  std::optional<Json> held;
  bool heldWhole = state.whole;
  const auto waiting = state.pending.find(change.key);
  if (waiting != state.pending.end()) {
    held = waiting->second.held;
    heldWhole = waiting->second.heldWhole;
  }
  const auto found = state.values.find(change.key);
  if (found != state.values.end()) {
    if (waiting == state.pending.end()) held = std::move(*found);
    if (change.value) {
      *found = *change.value;
    } else {
      state.values.erase(found);
    }
  } else if (change.value) {
    state.values.emplace(change.key, *change.value);
  }
  if (!state.file) return;
  state.pending.insert_or_assign(
      std::move(change.key),
      PendingChange{std::move(change.value), std::move(held), heldWhole, false, std::nullopt});
}

// The damaged file gets a second name that nothing overwrites: its file name with
// ".unreadable-" and the file's modification time in seconds since 1970, then "-2", "-3", ...
// when that is taken.
void UserDefaults::keepDamagedFileLocked(const FileManager::WriteTarget& target) {
  State& state = *state_;
  if (!state.damaged) return;
  // A device holds no file to keep, and is not replaced.
  if (target.inPlace || !signatureOf(*state.file)) {
    state.damaged = false;
    return;
  }
  // The copy is of the file the write replaces, beside it: a link's own name would keep the link.
  const fs::path& file = target.linkedFile ? *target.linkedFile : *state.file;
  const std::string base = file.filename().string() + ".unreadable-" +
                           std::to_string(state.signature ? state.signature->modified.tv_sec : 0);
  for (int attempt = 1;; ++attempt) {
    const fs::path kept =
        file.parent_path() / (attempt == 1 ? base : base + "-" + std::to_string(attempt));
    try {
      state.files.linkItem(file, kept);
    } catch (const FileError& error) {
      if (error.code() != std::errc::file_exists || attempt == 1000) throw;
      continue;
    }
    // A program that takes no lock may have put something else there since the read: only the
    // file read as damaged is kept, never a pipe or a device, nor a file that was never read.
    struct stat status {};
    if (::lstat(kept.c_str(), &status) != 0 || state.signature != signatureFrom(status) ||
        !state.signature->regular) {
      ::unlink(kept.c_str());
      throw FileError("Could not keep a copy of", file,
                      std::error_code(EAGAIN, std::system_category()),
                      "it was replaced while it was read");
    }
    state.damaged = false;
    return;
  }
}

// Under the lock the file is read again only when it is not the one this suite last read or
// wrote: another writer changed the lock's mark, or the signature changed (a writer that takes
// no lock, or a file removed). `incoming` is laid over what was read there, so that it is
// written at its own write whatever waits.
void UserDefaults::persistLocked(Change* incoming) {
  State& state = *state_;
  if (!state.file) {
    if (incoming) stageLocked(*incoming);
    return;
  }
  bool staged = false;
  try {
    state.files.createDirectory(state.file->parent_path());
    // The lock sits beside the file a write replaces, as its temporaries do, so that every
    // suite of that file takes it, through a link or not; a device is written where it stands,
    // and its lock stays beside the suite's own name. A pipe is refused before any lock: no
    // reader of settings reads one, and its writer would hold the lock until a reader came.
    FileManager::WriteTarget target =
        state.files.writeTarget(*state.file, FileManager::Pipes::refuse);
    WriteLock lock(target.linkedFile ? *target.linkedFile : *state.file);
    const WriteLock::Marks marks = lock.marks();
    const auto& mark = marks.begun;
    if (!state.loaded || !mark || mark != state.mark ||
        signatureOf(*state.file) != state.signature) {
      loadLocked();
      state.mark = mark;
    }
    // Another program may have put something other than a file there since the look: a pipe
    // is refused as the look refuses one, before anything is made or replaced, and a device is
    // written in place.
    if (state.signature && !state.signature->regular) {
      target = state.files.writeTarget(*state.file, FileManager::Pipes::refuse);
    }
    // With the lock held, no running write owns a temporary.
    if (marks.begun != marks.ended) state.files.removeTemporaries(*state.file);
    if (incoming) {
      stageLocked(*incoming);
      staged = true;
    }
    // The reader would take a larger file for damage and set it aside: the changes that carry
    // it past the limit wait in memory instead, as after a write that failed. While one waits,
    // the file is first written out without it.
    const bool anyWaited = std::any_of(state.pending.begin(), state.pending.end(),
                                       [](const auto& change) { return change.second.waited; });
    std::string text;
    if (!anyWaited) text = foundation_internal::writeMembers(state.values);
    Keys waiting;
    if (anyWaited || text.size() > fileSizeLimit) {
      auto within = textWithinLimit(state.values, state.pending, waiting);
      for (auto& [key, change] : state.pending) change.waited = !within || waiting.contains(key);
      if (!within || waiting.size() == state.pending.size()) return;
      text = std::move(*within);
    }
    keepDamagedFileLocked(target);
    state.mark.reset();
    const std::uint64_t written = lock.markNewWrite();
    state.files.write(*state.file, text, target, FileManager::Pipes::refuse);
    lock.markEnded(written);
    if (waiting.empty()) {
      state.pending.clear();
    } else {
      std::erase_if(state.pending,
                    [&waiting](const auto& change) { return !waiting.contains(change.first); });
    }
    // The file holds what was written, with each waiting change's `held` under its key.
    if (!target.inPlace) {
      state.whole = true;
      for (auto& [key, change] : state.pending) change.heldWhole = true;
    }
    state.signature = signatureOf(*state.file);
    state.mark = written;
  } catch (const Error&) {
  } catch (const std::bad_alloc&) {
  }
  // Not read under the lock: what the file holds is taken from a read without it.
  if (incoming && !staged) {
    refreshLocked();
    stageLocked(*incoming);
  }
}

std::optional<UserDefaults::Value> UserDefaults::object(std::string_view key) const {
  std::lock_guard lock(mutex_);
  refreshLocked();
  const auto found = state_->values.find(key);
  if (found == state_->values.end()) return std::nullopt;
  return fromJson(*found);
}

std::optional<std::string> UserDefaults::string(std::string_view key) const {
  auto value = object(key);
  if (!value || !std::holds_alternative<std::string>(*value)) return std::nullopt;
  return std::get<std::string>(std::move(*value));
}

std::int64_t UserDefaults::integer(std::string_view key) const {
  const auto value = object(key);
  if (!value) return 0;
  if (const auto* number = std::get_if<std::int64_t>(&*value)) return *number;
  if (const auto* flag = std::get_if<bool>(&*value)) return *flag ? 1 : 0;
  if (const auto* real = std::get_if<double>(&*value)) {
    // 2^63 itself does not fit; anything below it truncates to a valid value.
    if (std::isfinite(*real) && std::fabs(*real) < 9.2233720368547758e18) {
      return static_cast<std::int64_t>(*real);
    }
  }
  return 0;
}

bool UserDefaults::boolean(std::string_view key) const {
  const auto value = object(key);
  if (!value) return false;
  if (const auto* flag = std::get_if<bool>(&*value)) return *flag;
  if (const auto* number = std::get_if<std::int64_t>(&*value)) return *number != 0;
  if (const auto* real = std::get_if<double>(&*value)) return *real != 0;
  return false;
}

double UserDefaults::doubleValue(std::string_view key) const {
  const auto value = object(key);
  if (!value) return 0;
  if (const auto* real = std::get_if<double>(&*value)) return *real;
  if (const auto* number = std::get_if<std::int64_t>(&*value)) return static_cast<double>(*number);
  if (const auto* flag = std::get_if<bool>(&*value)) return *flag ? 1 : 0;
  return 0;
}

std::optional<Bytes> UserDefaults::data(std::string_view key) const {
  auto value = object(key);
  if (!value || !std::holds_alternative<Bytes>(*value)) return std::nullopt;
  return std::get<Bytes>(std::move(*value));
}

std::optional<std::vector<std::string>> UserDefaults::stringArray(std::string_view key) const {
  auto value = object(key);
  if (!value || !std::holds_alternative<std::vector<std::string>>(*value)) return std::nullopt;
  return std::get<std::vector<std::string>>(std::move(*value));
}

std::map<std::string, UserDefaults::Value> UserDefaults::dictionaryRepresentation() const {
  std::lock_guard lock(mutex_);
  refreshLocked();
  std::map<std::string, Value> values;
  for (const auto& [key, json] : state_->values.items()) {
    if (auto value = fromJson(json)) values.emplace(key, std::move(*value));
  }
  return values;
}

void UserDefaults::setValue(std::string_view key, Value value) {
  // Written with U+FFFD in place of its faulty bytes, such a key would be another key.
  if (!isWritableKey(key)) return;
  std::lock_guard lock(mutex_);
  Change change{std::string(key), toJson(value)};
  persistLocked(&change);
}

void UserDefaults::removeObject(std::string_view key) {
  std::lock_guard lock(mutex_);
  refreshLocked();
  if (state_->values.find(key) == state_->values.end()) {
    if (!state_->pending.empty()) persistLocked();
    return;
  }
  Change change{std::string(key), std::nullopt};
  persistLocked(&change);
}

bool UserDefaults::synchronize() {
  std::lock_guard lock(mutex_);
  if (!state_->pending.empty()) persistLocked();
  return state_->pending.empty();
}

}  // namespace kelvo
