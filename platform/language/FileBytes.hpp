#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace kelvo::language {

/// The bytes of a file or bytes handed over, held in memory the process owns: a file changed or
/// cut short on disk after it was read changes nothing here.
class FileBytes {
 public:
  /// The whole file, when it is a regular file of 1 to `sizeLimit` bytes; none otherwise
  /// (missing, unreadable, a FIFO or device, empty, larger, cut short while read). Never waits
  /// on a FIFO.
  static std::optional<FileBytes> read(const std::filesystem::path& path, std::uint64_t sizeLimit);
  explicit FileBytes(std::vector<std::uint8_t> bytes);

  std::span<const std::uint8_t> bytes() const { return view_; }

 private:
  FileBytes() = default;
  std::shared_ptr<const void> owner_;
  std::span<const std::uint8_t> view_;
};

/// The first `count` bytes of a regular file and its size; none when it is unreadable or not a
/// regular file. Never waits on a FIFO.
std::optional<std::pair<std::vector<std::uint8_t>, std::uint64_t>> readPrefix(
    const std::filesystem::path& path, std::size_t count);

}  // namespace kelvo::language
