#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace kelvo::language {

/// The bytes of a file, mapped read-only, or bytes handed over in memory; both read the same.
class FileBytes {
 public:
  /// The file mapped whole; none when it cannot be opened or mapped (or is empty).
  static std::optional<FileBytes> map(const std::filesystem::path& path);
  explicit FileBytes(std::vector<std::uint8_t> bytes);

  std::span<const std::uint8_t> bytes() const { return view_; }

 private:
  FileBytes() = default;
  std::shared_ptr<const void> owner_;
  std::span<const std::uint8_t> view_;
};

/// The first `count` bytes of a file and its size, without mapping it; none when unreadable.
std::optional<std::pair<std::vector<std::uint8_t>, std::uint64_t>> readPrefix(
    const std::filesystem::path& path, std::size_t count);

}  // namespace kelvo::language
