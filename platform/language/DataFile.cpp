#include "platform/language/DataFile.hpp"

#include <openssl/evp.h>

#include <bit>
#include <cstring>

#include "platform/foundation/Error.hpp"

namespace kelvo::language {
namespace {

constexpr std::size_t magicSize = 8;
constexpr std::size_t sectionTableAt = 16;
constexpr std::size_t digestAt = sectionTableAt + dataSectionLimit * 12;
static_assert(digestAt == dataDigestOffset);

}  // namespace

std::uint32_t readU32(ByteView bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

float readF32(ByteView bytes, std::size_t at) { return std::bit_cast<float>(readU32(bytes, at)); }

std::optional<DataHeader> DataHeader::read(ByteView header, std::uint64_t fileSize,
                                           std::string_view magic,
                                           std::span<const std::uint32_t> recordSizes) {
  if (header.size() < dataHeaderSize || fileSize < dataHeaderSize || magic.size() != magicSize) {
    return std::nullopt;
  }
  if (std::memcmp(header.data(), magic.data(), magicSize) != 0) return std::nullopt;
  if (readU32(header, 8) != dataFileVersion) return std::nullopt;
  DataHeader read;
  read.sectionCount = readU32(header, 12);
  if (read.sectionCount != recordSizes.size() || read.sectionCount > dataSectionLimit) {
    return std::nullopt;
  }
  for (std::size_t i = 0; i < read.sectionCount; ++i) {
    DataSection& section = read.sections[i];
    section.offset = readU32(header, sectionTableAt + 12 * i);
    section.count = readU32(header, sectionTableAt + 12 * i + 4);
    section.size = readU32(header, sectionTableAt + 12 * i + 8);
    const std::uint64_t end = std::uint64_t{section.offset} + section.size;
    if (section.offset < dataHeaderSize || end > fileSize) return std::nullopt;
    if (recordSizes[i] != 0 &&
        std::uint64_t{section.count} * recordSizes[i] != std::uint64_t{section.size}) {
      return std::nullopt;
    }
  }
  std::memcpy(read.bodyDigest.data(), header.data() + digestAt, 32);
  return read;
}

bool DataHeader::bodyMatches(ByteView body) const { return sha256(body) == bodyDigest; }

std::optional<std::string_view> tableString(ByteView strings, std::uint32_t offset) {
  if (offset >= strings.size()) return std::nullopt;
  const std::size_t length = strings[offset];
  if (std::size_t{offset} + 1 + length > strings.size()) return std::nullopt;
  return std::string_view(reinterpret_cast<const char*>(strings.data()) + offset + 1, length);
}

std::uint32_t DataFileWriter::string(std::string_view text) {
  if (text.size() > 255) fatal("DataFileWriter: a string longer than 255 bytes");
  if (const auto found = stringOffsets_.find(text); found != stringOffsets_.end()) {
    return found->second;
  }
  const auto offset = static_cast<std::uint32_t>(strings_.size());
  strings_.push_back(static_cast<std::uint8_t>(text.size()));
  strings_.insert(strings_.end(), text.begin(), text.end());
  stringOffsets_.emplace(std::string(text), offset);
  ++stringCount_;
  return offset;
}

void DataFileWriter::section(std::uint32_t count, std::vector<std::uint8_t> records) {
  sections_.emplace_back(count, std::move(records));
}

std::vector<std::uint8_t> DataFileWriter::bytes() const {
  std::vector<std::uint8_t> out(dataHeaderSize, 0);
  std::memcpy(out.data(), magic_.data(), std::min<std::size_t>(magic_.size(), magicSize));
  std::vector<std::uint8_t> field;
  const auto put = [&](std::size_t at, std::uint32_t value) {
    field.clear();
    putU32(field, value);
    std::memcpy(out.data() + at, field.data(), 4);
  };
  put(8, dataFileVersion);
  put(12, static_cast<std::uint32_t>(sections_.size() + 1));
  const auto append = [&](std::size_t index, std::uint32_t count,
                          const std::vector<std::uint8_t>& bytes) {
    put(sectionTableAt + 12 * index, static_cast<std::uint32_t>(out.size()));
    put(sectionTableAt + 12 * index + 4, count);
    put(sectionTableAt + 12 * index + 8, static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  };
  append(0, stringCount_, strings_);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    append(i + 1, sections_[i].first, sections_[i].second);
  }
  const auto digest = sha256(ByteView(out).subspan(dataHeaderSize));
  std::memcpy(out.data() + digestAt, digest.data(), digest.size());
  return out;
}

void DataFileWriter::putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void DataFileWriter::putF32(std::vector<std::uint8_t>& out, float value) {
  putU32(out, std::bit_cast<std::uint32_t>(value));
}

std::array<std::uint8_t, 32> sha256(ByteView bytes) {
  std::array<std::uint8_t, 32> digest{};
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
    fatal("SHA-256: OpenSSL failed");
  }
  return digest;
}

}  // namespace kelvo::language
