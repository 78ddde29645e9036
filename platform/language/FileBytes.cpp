#include "platform/language/FileBytes.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::optional<FileBytes> FileBytes::map(const std::filesystem::path& path) {
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  struct stat status {};
  if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size <= 0) {
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.fd, 0);
  if (address == MAP_FAILED) return std::nullopt;
  FileBytes mapped;
  mapped.owner_ = std::shared_ptr<const void>(
      address, [size](const void* at) { ::munmap(const_cast<void*>(at), size); });
  mapped.view_ = {static_cast<const std::uint8_t*>(address), size};
  return mapped;
}

FileBytes::FileBytes(std::vector<std::uint8_t> bytes) {
  auto held = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  view_ = {held->data(), held->size()};
  owner_ = std::move(held);
}

std::optional<std::pair<std::vector<std::uint8_t>, std::uint64_t>> readPrefix(
    const std::filesystem::path& path, std::size_t count) {
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  struct stat status {};
  if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(count);
  std::size_t got = 0;
  while (got < count) {
    const ssize_t read = ::pread(file.fd, bytes.data() + got, count - got, static_cast<off_t>(got));
    if (read <= 0) break;
    got += static_cast<std::size_t>(read);
  }
  bytes.resize(got);
  return std::pair{std::move(bytes), static_cast<std::uint64_t>(status.st_size)};
}

}  // namespace kelvo::language
