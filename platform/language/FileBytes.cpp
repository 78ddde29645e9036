#include "platform/language/FileBytes.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kelvo::language {
namespace {

// Closes the descriptor on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens without waiting (a FIFO would wait for a writer that may never come) and keeps only a
// regular file.
std::optional<struct stat> openRegular(const Descriptor& file) {
  struct stat status {};
  if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    return std::nullopt;
  }
  return status;
}

// Reads from `at` until `out` is full or the file ends; how many bytes came.
std::size_t readAt(int fd, std::span<std::uint8_t> out, std::size_t at = 0) {
  std::size_t got = 0;
  while (got < out.size()) {
    const ssize_t read =
        ::pread(fd, out.data() + got, out.size() - got, static_cast<off_t>(at + got));
    if (read < 0 && errno == EINTR) continue;
    if (read <= 0) break;
    got += static_cast<std::size_t>(read);
  }
  return got;
}

constexpr std::size_t hugePage = 2 << 20;

// Anonymous pages for `size` bytes, starting on a 2 MiB boundary. Filling them through 4 KiB
// pages would cost a fault each, about as much as the read itself: the whole 2 MiB blocks are
// offered to the kernel as huge pages, and the rest is made present in one call. No more memory
// than the file's pages is kept.
std::shared_ptr<void> ownedPages(std::size_t size) {
  const auto pageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t kept = (size + pageSize - 1) / pageSize * pageSize;
  const std::size_t span = kept + hugePage;
  void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + hugePage - 1) & ~std::uintptr_t{hugePage - 1};
  if (aligned > start) ::munmap(raw, aligned - start);
  ::munmap(reinterpret_cast<void*>(aligned + kept), start + span - aligned - kept);
  void* pages = reinterpret_cast<void*>(aligned);
  // Advice only: where the kernel offers neither, the pages come as the read touches them.
  if (kept >= hugePage) ::madvise(pages, kept / hugePage * hugePage, MADV_HUGEPAGE);
  ::madvise(pages, kept, MADV_POPULATE_WRITE);
  return std::shared_ptr<void>(pages, [kept](void* at) { ::munmap(at, kept); });
}

}  // namespace

// Read, not mapped: a mapping of a file that a reinstall cuts short kills the process with
// SIGBUS at the next look-up, and the tables are small enough to own.
std::optional<FileBytes> FileBytes::read(const std::filesystem::path& path,
                                         std::uint64_t sizeLimit) {
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  const auto status = openRegular(file);
  if (!status || status->st_size <= 0 || static_cast<std::uint64_t>(status->st_size) > sizeLimit) {
    return std::nullopt;
  }
  const auto size = static_cast<std::size_t>(status->st_size);
  std::shared_ptr<void> pages = ownedPages(size);
  if (pages == nullptr) return std::nullopt;
  const std::span<std::uint8_t> bytes(static_cast<std::uint8_t*>(pages.get()), size);
  if (readAt(file.fd, bytes) != size) return std::nullopt;
  FileBytes read;
  read.view_ = bytes;
  read.owner_ = std::move(pages);
  return read;
}

FileBytes::FileBytes(std::vector<std::uint8_t> bytes) {
  auto held = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  view_ = {held->data(), held->size()};
  owner_ = std::move(held);
}

std::optional<std::pair<std::vector<std::uint8_t>, std::uint64_t>> readPrefix(
    const std::filesystem::path& path, std::size_t count) {
  const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  const auto status = openRegular(file);
  if (!status) return std::nullopt;
  std::vector<std::uint8_t> bytes(count);
  bytes.resize(readAt(file.fd, bytes));
  return std::pair{std::move(bytes), static_cast<std::uint64_t>(status->st_size)};
}

}  // namespace kelvo::language
