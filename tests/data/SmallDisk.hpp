// A small file system of a test's own, mounted in a mount table of a child's own: filled, and
// room made again, without touching the machine's.
#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/data/internal/Database.hpp"
#include "tests/data/StorePeer.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {

/// What `what` says, run in a child that has a tmpfs of `bytes` at `folder`; "no mount" where it
/// cannot.
inline std::string inSmallFileSystem(const std::filesystem::path& folder, std::size_t bytes,
                                     const std::function<std::string()>& what) {
  const std::string size = "size=" + std::to_string(bytes);
  return inOwnMountTable(
      [&] { return mount("none", folder.c_str(), "tmpfs", 0, size.c_str()) == 0; }, what);
}

/// The same with an ext4 file system of `bytes` made in `image` and mounted through a loop
/// device; "no mount" where mkfs.ext4 or a loop device is not at hand. Its output goes to a log
/// beside the image, never the machine's null device.
inline std::string inSmallExt4(const std::filesystem::path& folder,
                               const std::filesystem::path& image, std::size_t bytes,
                               const std::function<std::string()>& what) {
  const std::string log = image.string() + ".log";
  const std::string make = "{ truncate -s " + std::to_string(bytes) + " '" + image.string() +
                           "' && mkfs.ext4 -q -F '" + image.string() + "' && mount -o loop '" +
                           image.string() + "' '" + folder.string() + "'; } >>'" + log + "' 2>&1";
  return inOwnMountTable([&] { return std::system(make.c_str()) == 0; }, what);
}

/// Fills the file system of `filler` but for about `room` bytes.
inline void fill(const std::filesystem::path& filler, std::size_t room) {
  const int file = open(filler.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0600);
  if (file < 0) return;
  const std::vector<char> chunk(4096, 'x');
  while (write(file, chunk.data(), chunk.size()) > 0) {
  }
  struct stat status {};
  fstat(file, &status);
  const auto size = static_cast<std::size_t>(status.st_size);
  if (ftruncate(file, static_cast<off_t>(size > room ? size - room : 0)) != 0) room = 0;
  close(file);
}

/// The code a save was refused with, or "saved".
inline std::string code(const std::optional<StoreError>& error) {
  return error ? std::to_string(error->extendedCode()) : "saved";
}

/// Notes in the store at `url` and whether SQLite reads it whole, or what opening it says.
inline std::string notesAndCheck(const std::filesystem::path& url) {
  try {
    const std::size_t notes = testing::openContainer(url)->viewContext().count("Note");
    data_internal::Database database(url.string());
    data_internal::Statement check = database.prepare("PRAGMA integrity_check");
    check.step();
    return std::to_string(notes) + (check.columnText(0) == "ok" ? " whole" : " not whole");
  } catch (const StoreError& error) {
    return error.what();
  }
}

}  // namespace kelvo::data
