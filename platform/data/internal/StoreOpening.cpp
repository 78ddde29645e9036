#include "platform/data/internal/StoreOpening.hpp"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "platform/data/StoreDescription.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/data/internal/Database.hpp"

namespace kelvo::data_internal {

using data::StoreDescription;
using data::StoreError;

namespace {

namespace fs = std::filesystem;

// The nearest of `folder` and the folders above it that exists, when that is not a folder: a
// store cannot be opened below a plain file.
std::optional<fs::path> fileInPlaceOfFolder(const fs::path& folder) {
  std::error_code ignored;
  for (auto path = folder; !path.empty(); path = path.parent_path()) {
    const auto status = fs::status(path, ignored);
    if (fs::exists(status)) {
      if (fs::is_directory(status)) return std::nullopt;
      return path;
    }
    if (path == path.parent_path()) break;
  }
  return std::nullopt;
}

// The path and each folder above it, the path first, as written (a relative path's folders
// stop at its first name).
std::vector<fs::path> pathAndFolders(const fs::path& path) {
  std::vector<fs::path> paths;
  for (auto each = path; !each.empty(); each = each.parent_path()) {
    paths.push_back(each);
    if (each == each.parent_path()) break;
  }
  return paths;
}

int statError(const fs::path& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 ? 0 : errno;
}

// Where the links at the end of a path lead.
struct LinkChain {
  fs::path end;       // the path itself when it is no link
  int links = 0;      // how many were followed
  bool ends = false;  // false for a loop, or a link that cannot be read
};

// How many links at the end of a path SQLite follows (its limit of 200, counted from 0).
constexpr int sqliteFollowsLinks = 201;

// Follows the links at the end of `url` as SQLite does, which, unlike the system, follows a chain
// of far more than 40 (up to 201); a link met twice is a loop.
LinkChain followLinks(const fs::path& url) {
  LinkChain chain{url};
  std::set<std::pair<dev_t, ino_t>> met;
  while (met.size() < 4096) {
    struct stat status;
    if (::lstat(chain.end.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
      chain.ends = true;
      break;
    }
    if (!met.emplace(status.st_dev, status.st_ino).second) break;
    std::error_code error;
    const fs::path next = fs::read_symlink(chain.end, error);
    if (error) break;
    chain.end = next.is_absolute() ? next : chain.end.parent_path() / next;
    ++chain.links;
  }
  return chain;
}

// The full path SQLite opens for `path`, from the working folder, links followed; none where it
// cannot resolve one.
std::optional<std::string> sqliteFullPath(const fs::path& path) {
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  if (vfs == nullptr) return std::nullopt;
  std::string full(PATH_MAX + 1, '\0');
  const int resolved =
      vfs->xFullPathname(vfs, path.c_str(), static_cast<int>(full.size()), full.data());
  if ((resolved & 0xFF) != SQLITE_OK) return std::nullopt;
  full.resize(std::char_traits<char>::length(full.c_str()));
  return full;
}

// Why the file system refuses to reach `file`, in words that say what to do; empty when it
// does not refuse, or for a cause the other sentences tell (a missing folder, a file in the way).
// Whether the file system holding `folder` has no block or no inode left for this user, as a
// new file needs one of each. One that counts no inodes (btrfs) is short of none.
bool hasNoRoomForAFile(const std::string& folder) {
  struct statvfs room {};
  if (::statvfs(folder.c_str(), &room) != 0) return false;
  const bool root = ::geteuid() == 0;
  const auto blocks = root ? room.f_bfree : room.f_bavail;
  const auto inodes = root ? room.f_ffree : room.f_favail;
  return (room.f_blocks > 0 && blocks == 0) || (room.f_files > 0 && inodes == 0);
}

std::string unreachableFile(const fs::path& file) {
  std::error_code ignored;
  const int error = statError(file);
  if (error == ELOOP) {
    // The first name on the path the system cannot follow to its end.
    const auto paths = pathAndFolders(file);
    fs::path looping = file;
    for (auto each = paths.rbegin(); each != paths.rend(); ++each) {
      if (statError(*each) == ELOOP) {
        looping = *each;
        break;
      }
    }
    const std::string subject = looping == file ? std::string("it") : looping.string();
    // SQLite follows a longer chain than the system does, but not one without end.
    if (const LinkChain chain = followLinks(looping); chain.ends) {
      if (sqliteFullPath(looping)) return {};
      return subject + " leads through a chain of " + std::to_string(chain.links) +
             " links, more than SQLite follows; point the link at the " +
             (looping == file ? "store file." : "folder.");
    }
    return subject + " is one of a loop of links; point the links at a store file.";
  }
  if (error == ENAMETOOLONG) {
    if (file.native().size() >= PATH_MAX) {
      return "its path is " + std::to_string(file.native().size()) +
             " bytes long, and the system allows at most " + std::to_string(PATH_MAX - 1) +
             "; choose a shorter path.";
    }
    for (const auto& each : pathAndFolders(file)) {
      const auto name = each.filename().native();
      if (name.size() <= NAME_MAX) continue;
      return (each == file ? std::string("its file name is ")
                           : "the name of its folder " + each.string() + " is ") +
             std::to_string(name.size()) + " bytes long, and the file system allows at most " +
             std::to_string(NAME_MAX) + "; choose a shorter name.";
    }
  }
  if (error == EACCES) {
    // The deepest folder that exists and may not be searched.
    for (const auto& each : pathAndFolders(file.parent_path())) {
      if (!fs::is_directory(each, ignored) || ::access(each.c_str(), X_OK) == 0) continue;
      return "its folder " + each.string() +
             " cannot be entered; let this user search it, or choose another place.";
    }
  }
  if (error == ENOENT && fs::is_symlink(fs::symlink_status(file, ignored))) {
    const fs::path target = fs::read_symlink(file, ignored);
    const fs::path resolved = target.is_absolute() ? target : file.parent_path() / target;
    if (!fs::is_directory(resolved.parent_path(), ignored)) {
      return "it is a link to " + target.string() + ", whose folder " +
             resolved.parent_path().string() + " does not exist; point the link at a store file.";
    }
    return "it is a link to " + target.string() +
           ", which does not exist and cannot be made; point the link at a store file.";
  }
  return {};
}

// The path as a sentence can show it: a NUL byte would end the sentence there.
std::string shown(const fs::path& url) {
  std::string text;
  for (char byte : url.native()) {
    if (byte == '\0') {
      text += "\\0";
    } else {
      text += byte;
    }
  }
  return text;
}

// SQLite keeps its journal beside the store, under the store's path and this.
constexpr std::size_t journalSuffix = sizeof("-journal") - 1;

// The system follows each name before ".." and refuses one that is missing or a file; SQLite
// drops the name and the ".." unread, and would open the store beyond them.
template <class Refusal>
void refuseNameBeforeParent(const fs::path& url, const Refusal& cannotOpen) {
  if (url.native().find("..") == std::string::npos) return;
  fs::path before;
  for (const auto& name : url) {
    if (name == ".." && !before.empty()) {
      struct stat status;
      if (::stat(before.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode)) throw cannotOpen(shown(before) + " is a file, not a folder.");
      } else if (errno == ENOTDIR) {
        if (const auto plainFile = fileInPlaceOfFolder(before)) {
          throw cannotOpen(shown(*plainFile) + " is a file, not a folder.");
        }
      } else if (errno == ENOENT) {
        throw cannotOpen("its path names the folder " + shown(before) +
                         " before \"..\", and that folder does not exist; make it, or give the "
                         "path without it.");
      }
    }
    before /= name;
  }
}

// SQLite names its journal after the file the path leads to, and leaves that file made, empty,
// when the journal's name is too long: the name is counted before anything is made.
template <class Refusal>
void refuseNameWithoutRoomForJournal(const fs::path& url, const LinkChain& chain,
                                     const Refusal& cannotOpen) {
  const fs::path& file = chain.end;
  const std::size_t name = file.filename().native().size();
  const bool isLink = file != url;
  // The path's own name too long for the file system is told once SQLite refuses it, and so is
  // a chain of links longer than SQLite follows, which it refuses before making anything.
  if (name + journalSuffix <= NAME_MAX || (!isLink && name > NAME_MAX)) return;
  if (chain.links > sqliteFollowsLinks) return;
  const std::string length = std::to_string(name) + " bytes long, and ";
  std::string why = isLink ? "it is a link to " + shown(file) + ", whose name is " + length
                           : "its file name is " + length;
  if (name > NAME_MAX) {
    why += "the file system allows at most " + std::to_string(NAME_MAX) +
           "; point the link at a file of a shorter name.";
  } else {
    why += "the journal SQLite keeps beside it, under that name and \"-journal\", would pass the " +
           std::to_string(NAME_MAX) + " bytes the file system allows; ";
    why += isLink ? "point the link at a file whose name is at most " : "choose a name of at most ";
    why += std::to_string(NAME_MAX - journalSuffix) + " bytes.";
  }
  throw cannotOpen(why);
}

// A path that is no file SQLite could keep a store in: a named pipe, a socket or a device
// (opening a pipe would read what another program writes to it); and a file of one byte, which
// SQLite takes for an empty one and would write a new store over; through a chain of links as
// long as SQLite follows, past the system's 40. Whether anything is at the path.
template <class Refusal>
bool refuseSpecialFile(const fs::path& url, const LinkChain& chain, const Refusal& cannotOpen) {
  struct stat status;
  if (::stat(url.c_str(), &status) != 0 &&
      (errno != ELOOP || !chain.ends || ::stat(chain.end.c_str(), &status) != 0)) {
    return false;
  }
  if (S_ISDIR(status.st_mode)) return true;
  if (S_ISREG(status.st_mode)) {
    if (status.st_size != 1) return true;
    throw StoreError(StoreError::Kind::incompatibleStore,
                     "The store at " + url.string() + " is not a store of this app.",
                     SQLITE_NOTADB);
  }
  const std::string what = S_ISFIFO(status.st_mode)   ? "a named pipe"
                           : S_ISSOCK(status.st_mode) ? "a socket"
                                                      : "a device";
  std::error_code ignored;
  if (fs::is_symlink(fs::symlink_status(url, ignored))) {
    const fs::path target = chain.links > 1 ? chain.end : fs::read_symlink(url, ignored);
    throw cannotOpen("it is a link to " + target.string() + ", " + what +
                     ", not a file; point the link at a store file.");
  }
  throw cannotOpen("it is " + what + ", not a file; give the path of a store file.");
}

// SQLite refuses a path that, with "-journal" added, would pass its limit for a path (512 bytes
// by default), counted over the full path as it resolves it: from the working folder, links
// followed. Empty when the path is within it.
std::string pathPastSQLiteLimit(const fs::path& url) {
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  if (vfs == nullptr || vfs->mxPathname <= static_cast<int>(journalSuffix)) return {};
  std::error_code ignored;
  // Where SQLite cannot resolve it (a working folder past its limit): the path as the system
  // would.
  const std::string full =
      sqliteFullPath(url).value_or(fs::absolute(url, ignored).lexically_normal().native());
  const std::size_t limit = static_cast<std::size_t>(vfs->mxPathname) - journalSuffix;
  if (full.size() <= limit) return {};
  return (full == url.native() ? "its path is " : "its full path, " + full + ", is ") +
         std::to_string(full.size()) + " bytes long, and SQLite allows at most " +
         std::to_string(limit) + "; choose a shorter path.";
}

// SQLite's header string, its NUL included: a file that begins with it and that SQLite still
// refuses is a store whose header was damaged, not some other file.
bool beginsAsSQLite(const fs::path& file) {
  static constexpr char header[] = "SQLite format 3";
  char bytes[sizeof header] = {};
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return false;
  const std::size_t read = std::fread(bytes, 1, sizeof bytes, in);
  std::fclose(in);
  return read == sizeof header && std::memcmp(bytes, header, sizeof header) == 0;
}

}  // namespace

// What opening would do wrong with the path, before SQLite sees it: SQLite makes a file of a
// path that names a folder, reads a path only up to a NUL byte (an empty one is a temporary
// database), drops the names before "..", cannot open one relative to a working folder that is
// gone, and leaves a store behind when the name is too long for its journal.
bool StoreOpening::refusePath(const fs::path& url) {
  if (url.empty()) {
    throw StoreError(StoreError::Kind::incompatibleStore, "A SQLite store needs a file URL.");
  }
  const auto cannotOpen = [&](const std::string& why) {
    return StoreError(StoreError::Kind::sqlite,
                      "Could not open the store at " + shown(url) + ": " + why, SQLITE_CANTOPEN);
  };
  const std::string& text = url.native();
  if (text.find('\0') != std::string::npos) {
    throw cannotOpen(
        "its path holds a NUL byte (shown as \\0), which no path may hold; give the path "
        "without it.");
  }
  std::error_code ignored;
  if (!url.has_filename()) {
    if (fs::is_directory(url, ignored)) throw cannotOpen("it is a folder, not a file.");
    throw cannotOpen(
        "a path that ends in a separator names a folder, not a file; give the store file's "
        "path without it.");
  }
  if (text == "." || text.ends_with("/.")) {
    if (fs::is_directory(url, ignored)) throw cannotOpen("it is a folder, not a file.");
    throw cannotOpen(
        "a path that ends in \"/.\" names a folder, not a file; give the store file's path "
        "without it.");
  }
  if (url.is_relative()) {
    std::error_code gone;
    if (fs::current_path(gone).empty() || gone) {
      throw cannotOpen(
          "the path is relative, and the working folder it would start from no longer exists; "
          "give the full path.");
    }
  }
  refuseNameBeforeParent(url, cannotOpen);
  const LinkChain chain = followLinks(url);
  refuseNameWithoutRoomForJournal(url, chain, cannotOpen);
  return refuseSpecialFile(url, chain, cannotOpen);
}

std::string StoreOpening::otherProgram(pid_t process) {
  return process > 0 ? "another program (process " + std::to_string(process) + ")"
                     : "another program";
}

std::string StoreOpening::keptLocked(const std::string& program) {
  return program + " has kept this file locked for the " +
         std::to_string(Database::busyTimeoutMilliseconds / 1000) +
         " seconds an open waits; open it again once that program has closed it.";
}

void StoreOpening::refuseMovedWhileOpening(const fs::path& url) {
  throw StoreError(StoreError::Kind::sqlite,
                   "Could not open the store at " + url.string() +
                       ": it was moved or removed while it was being opened; open it again, at "
                       "the path it has now.",
                   SQLITE_CANTOPEN);
}

// The name SQLite is given for the store's path. SQLite reads ":memory:" as a temporary
// database and, as Debian builds it, a name beginning "file:" as a URI ("file:x?mode=memory" is
// one too); "./" keeps either the file it names.
std::string StoreOpening::sqliteName(const fs::path& url) {
  const std::string& name = url.native();
  return name == ":memory:" || name.starts_with("file:") ? "./" + name : name;
}

// SQLite's account of a failed open says what went wrong, not to which file or what to do:
// the failures a user can meet get a sentence that names the file or its folder.
void StoreOpening::refuse(const StoreDescription& description, const StoreError& error) {
  const std::string file = description.url.string();
  const auto refusal = [&](StoreError::Kind kind, const std::string& message) {
    return StoreError(kind, message, error.extendedCode());
  };
  // The connection tells all it cannot read as damage (code 11); bytes that are no SQLite
  // database at all are no store of ours, and keep SQLite's code for that (26).
  if (error.kind() == StoreError::Kind::incompatibleStore &&
      error.primaryCode() == SQLITE_CORRUPT) {
    if (beginsAsSQLite(description.url)) {
      throw refusal(StoreError::Kind::incompatibleStore, "The store at " + file + " is damaged.");
    }
    throw StoreError(StoreError::Kind::incompatibleStore,
                     "The store at " + file + " is not a store of this app.", SQLITE_NOTADB);
  }
  if (error.kind() != StoreError::Kind::sqlite) throw error;
  const auto cannotOpen = [&](const std::string& why) {
    return refusal(error.kind(), "Could not open the store at " + file + ": " + why);
  };
  if (error.primaryCode() == SQLITE_BUSY) {
    throw cannotOpen(keptLocked("another program"));
  }
  std::error_code ignored;
  // Never throws: the working folder may be gone.
  fs::path absolute = fs::absolute(description.url, ignored);
  if (ignored) absolute = description.url;
  const std::string folder = absolute.parent_path().string();
  switch (error.extendedCode()) {
    case SQLITE_CANTOPEN:
      if (fs::is_directory(description.url, ignored)) {
        throw cannotOpen("it is a folder, not a file.");
      }
      if (const auto plainFile = fileInPlaceOfFolder(folder)) {
        throw cannotOpen(plainFile->string() + " is a file, not a folder.");
      }
      if (const auto why = unreachableFile(absolute); !why.empty()) throw cannotOpen(why);
      if (const auto why = pathPastSQLiteLimit(description.url); !why.empty()) {
        throw cannotOpen(why);
      }
      if (!fs::is_directory(folder, ignored)) {
        throw cannotOpen("its folder " + folder + " does not exist.");
      }
      if (fs::exists(description.url, ignored) && ::access(description.url.c_str(), R_OK) != 0) {
        throw cannotOpen(
            "this user may not read the file; let this user read and write it, or open a copy "
            "this user may write.");
      }
      // A new store's file cannot be made there.
      if (!fs::exists(description.url, ignored) && ::access(folder.c_str(), W_OK) != 0) {
        throw cannotOpen("its folder " + folder + " is read-only.");
      }
      if (!fs::exists(description.url, ignored) && hasNoRoomForAFile(folder)) {
        throw StoreError(StoreError::Kind::sqlite,
                         "Could not open the store at " + file + ": the disk holding it is full (" +
                             file + " could not be made); make room, then open it again.",
                         SQLITE_FULL);
      }
      break;
    case SQLITE_READONLY_DIRECTORY:
      // A store writes beside its file (the write-ahead log) even to be read.
      throw cannotOpen("its folder " + folder + " is read-only.");
    case SQLITE_IOERR_SHMOPEN:
    case SQLITE_IOERR_SHMSIZE:
    case SQLITE_IOERR_SHMMAP:
      // SQLite sizes and maps the -shm at the first read: a file system that refuses either (FAT
      // through FUSE will not grow a file by truncating it) refuses every open. A full disk was
      // told as such before this.
      throw cannotOpen("the file system holding it cannot keep " + file +
                       "-shm, the index SQLite keeps beside a store; keep the store on another "
                       "file system.");
    default:
      if (!Database::isReadOnly(error.extendedCode())) break;
      if (const auto companions = Database::readOnlyCompanions(file); !companions.empty()) {
        throw cannotOpen(companions);
      }
      throw cannotOpen("the file is read-only.");
  }
  throw error;
}

}  // namespace kelvo::data_internal
