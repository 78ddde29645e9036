#include "platform/language/FileBytes.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/foundation/FileManager.hpp"

namespace kelvo::language {
namespace {

// Closes the descriptor on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

// Read, not mapped: a mapping of a file that a reinstall cuts short kills the process with
// SIGBUS at the next look-up, and the tables are small enough to own.
std::optional<FileBytes> FileBytes::read(const std::filesystem::path& path,
                                         std::uint64_t sizeLimit) {
  std::shared_ptr<const std::string> held;
  try {
    held = std::make_shared<const std::string>(FileManager().contents(path, sizeLimit));
  } catch (const FileError&) {
    return std::nullopt;
  }
  if (held->empty()) return std::nullopt;
  FileBytes read;
  read.view_ = {reinterpret_cast<const std::uint8_t*>(held->data()), held->size()};
  read.owner_ = std::move(held);
  return read;
}

FileBytes::FileBytes(std::vector<std::uint8_t> bytes) {
  auto held = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  view_ = {held->data(), held->size()};
  owner_ = std::move(held);
}

std::optional<std::pair<std::vector<std::uint8_t>, std::uint64_t>> readPrefix(
    const std::filesystem::path& path, std::size_t count) {
  // Without O_NONBLOCK, opening a FIFO would wait for a writer that may never come.
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  struct stat status {};
  if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(count);
  std::size_t got = 0;
  while (got < count) {
    const ssize_t read = ::pread(file.fd, bytes.data() + got, count - got, static_cast<off_t>(got));
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) break;
    got += static_cast<std::size_t>(read);
  }
  bytes.resize(got);
  return std::pair{std::move(bytes), static_cast<std::uint64_t>(status.st_size)};
}

}  // namespace kelvo::language
