#pragma once

// A forked child of a test run by the superuser becomes another user, for the checks where
// permissions bind: it then owns neither the tests' folders nor their files, and is in none of
// the superuser's groups.

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace kelvo::testing {

/// The user and group a child becomes.
inline constexpr uid_t nobody = 65534;

/// Lets a child about to become another user reach the tests' folders in the temporary folder
/// by the same paths, where a folder above them is closed to that user (a TMPDIR of mode 0700, a
/// clone under a private home): in a mount table of the child's own, a tmpfs over the first such
/// folder leads down to the temporary folder again, and each entry of the real one is bound in
/// it. Files made straight in the temporary folder would not be kept; tests make theirs in
/// folders of their own. False where it cannot be done.
inline bool temporaryFolderReachedBy(uid_t user, gid_t group) {
  namespace fs = std::filesystem;
  std::error_code failed;
  const fs::path temporary = fs::canonical(fs::temp_directory_path(failed), failed);
  if (failed || setgroups(0, nullptr) != 0 || setegid(group) != 0 || seteuid(user) != 0) {
    return false;
  }
  fs::path closed;
  fs::path reached = "/";
  for (const auto& name : temporary.relative_path()) {
    reached /= name;
    if (faccessat(AT_FDCWD, reached.c_str(), X_OK, AT_EACCESS) != 0) {
      closed = reached;
      break;
    }
  }
  if (seteuid(0) != 0 || setegid(0) != 0) return false;
  if (closed.empty()) return true;
  // Other tests make and remove their folders there meanwhile: one gone is left out.
  std::vector<std::pair<fs::path, bool>> entries;  // name, whether a folder
  for (const auto& entry : fs::directory_iterator(temporary, failed)) {
    std::error_code gone;
    const bool isFolder = entry.is_directory(gone);
    if (!gone) entries.emplace_back(entry.path().filename(), isFolder);
  }
  if (failed || unshare(CLONE_NEWNS) != 0 ||
      mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return false;
  }
  // Opened in the child's own mount table: only a mount of it can be bound.
  const int kept = open(temporary.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (kept < 0 || mount("tmpfs", closed.c_str(), "tmpfs", 0, "mode=0755,size=64k") != 0) {
    return false;
  }
  fs::create_directories(temporary, failed);
  if (failed) return false;
  for (const auto& [name, isFolder] : entries) {
    const fs::path into = temporary / name;
    if (isFolder ? mkdir(into.c_str(), 0755) != 0 : !std::ofstream(into).good()) return false;
    const std::string from = "/proc/self/fd/" + std::to_string(kept) + "/" + name.string();
    if (mount(from.c_str(), into.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
      // Removed since it was listed; a test's own folder outlives its children.
      if (errno != ENOENT) return false;
      isFolder ? rmdir(into.c_str()) : unlink(into.c_str());
    }
  }
  return close(kept) == 0;
}

/// Makes this process, a forked child run by the superuser, the user `nobody`, able to reach
/// the temporary folder. False where it could not be done.
inline bool becomeAnotherUser() {
  return temporaryFolderReachedBy(nobody, nobody) && setgid(nobody) == 0 && setuid(nobody) == 0;
}

}  // namespace kelvo::testing
