#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/language/DataFile.hpp"
#include "platform/language/FileBytes.hpp"

namespace kelvo::language {

/// A language data file as its reader holds it: the header, read and checked when the table is
/// opened, and the whole file, read into memory the process owns on first use. A process that
/// opens a table but never looks anything up reads 192 bytes of it.
class TableFile {
 public:
  /// Checks a header read from the first bytes of a file of `fileSize` bytes.
  using HeaderCheck = std::optional<DataHeader> (*)(ByteView header, std::uint64_t fileSize);

  /// The table at `path`; none when it is missing, not a regular file, larger than `sizeLimit`,
  /// or its header fails `check`.
  static std::unique_ptr<const TableFile> open(const std::filesystem::path& path,
                                               std::uint64_t sizeLimit, HeaderCheck check);
  /// A table held in memory; none when its header fails `check`.
  static std::unique_ptr<const TableFile> held(std::vector<std::uint8_t> bytes, HeaderCheck check);

  const DataHeader& header() const { return header_; }
  /// The whole table, read and checked on the first call, whichever thread makes it: the file
  /// still has the sections it was opened with and its body the recorded SHA-256. Null from
  /// then on when it could not be read or failed. What happens to the file on disk after the
  /// read changes nothing.
  const FileBytes* bytes() const;

 private:
  TableFile(DataHeader header, std::filesystem::path path, std::uint64_t sizeLimit,
            HeaderCheck check, std::optional<FileBytes> bytes);

  DataHeader header_;
  std::filesystem::path path_;
  std::uint64_t sizeLimit_;
  HeaderCheck check_;
  mutable std::once_flag readOnce_;
  mutable std::optional<FileBytes> bytes_;
  mutable bool sound_ = false;
};

}  // namespace kelvo::language
