#include "platform/language/TableFile.hpp"

namespace kelvo::language {

TableFile::TableFile(DataHeader header, std::filesystem::path path, std::uint64_t sizeLimit,
                     HeaderCheck check, std::optional<FileBytes> bytes)
    : header_(header),
      path_(std::move(path)),
      sizeLimit_(sizeLimit),
      check_(check),
      bytes_(std::move(bytes)) {}

std::unique_ptr<const TableFile> TableFile::open(const std::filesystem::path& path,
                                                 std::uint64_t sizeLimit, HeaderCheck check) {
  const auto prefix = readPrefix(path, dataHeaderSize);
  if (!prefix || prefix->second > sizeLimit) return nullptr;
  const auto header = check(prefix->first, prefix->second);
  if (!header) return nullptr;
  return std::unique_ptr<const TableFile>(
      new TableFile(*header, path, sizeLimit, check, std::nullopt));
}

std::unique_ptr<const TableFile> TableFile::held(std::vector<std::uint8_t> bytes,
                                                 HeaderCheck check) {
  FileBytes owned(std::move(bytes));
  const auto header = check(owned.bytes(), owned.bytes().size());
  if (!header) return nullptr;
  return std::unique_ptr<const TableFile>(
      new TableFile(*header, {}, owned.bytes().size(), check, std::move(owned)));
}

const FileBytes* TableFile::bytes() const {
  std::call_once(readOnce_, [this] {
    if (!bytes_) bytes_ = FileBytes::read(path_, sizeLimit_);
    if (!bytes_) return;
    // The file may have changed since its header was read: the header is read again from the
    // bytes that were read, and must still lay out the same sections.
    const ByteView all = bytes_->bytes();
    const auto header = check_(all, all.size());
    sound_ = header && header->sections == header_.sections &&
             header_.bodyMatches(all.subspan(dataHeaderSize));
    if (!sound_) bytes_.reset();
  });
  return sound_ ? &*bytes_ : nullptr;
}

}  // namespace kelvo::language
