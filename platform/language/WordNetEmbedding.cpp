#include "platform/language/WordNetEmbedding.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "platform/language/LanguageData.hpp"

namespace kelvo::language {
namespace {

// The string table, the sorted word list, and one record of neighbours per word.
constexpr std::array<std::uint32_t, 3> recordSizes{0, 4, WordNetEmbedding::recordSize};

std::optional<DataHeader> headerOf(ByteView prefix, std::uint64_t size) {
  auto header = DataHeader::read(prefix, size, WordNetEmbedding::magic, recordSizes);
  if (header && header->sections[1].count != header->sections[2].count) return std::nullopt;
  return header;
}

ByteView sectionBytes(ByteView bytes, const DataSection& section) {
  return bytes.subspan(section.offset, section.size);
}

}  // namespace

std::shared_ptr<const WordNetEmbedding> WordNetEmbedding::open(
    const std::filesystem::path& path, std::shared_ptr<const WordNetLemmaTagger> morphology) {
  auto table = TableFile::open(path, fileSizeLimit, headerOf);
  if (table == nullptr) return nullptr;
  return std::shared_ptr<const WordNetEmbedding>(
      new WordNetEmbedding(std::move(table), std::move(morphology)));
}

std::shared_ptr<const WordNetEmbedding> WordNetEmbedding::fromBytes(
    std::vector<std::uint8_t> bytes, std::shared_ptr<const WordNetLemmaTagger> morphology) {
  auto table = TableFile::held(std::move(bytes), headerOf);
  if (table == nullptr) return nullptr;
  return std::shared_ptr<const WordNetEmbedding>(
      new WordNetEmbedding(std::move(table), std::move(morphology)));
}

std::optional<std::string_view> WordNetEmbedding::wordAt(ByteView bytes,
                                                         std::uint32_t number) const {
  if (number >= wordCount()) return std::nullopt;
  const auto& sections = table_->header().sections;
  const ByteView words = sectionBytes(bytes, sections[1]);
  return tableString(sectionBytes(bytes, sections[0]), readU32(words, 4 * std::size_t{number}));
}

std::optional<std::uint32_t> WordNetEmbedding::find(ByteView bytes, std::string_view word) const {
  std::uint32_t low = 0;
  std::uint32_t high = wordCount();
  while (low < high) {
    const std::uint32_t middle = low + (high - low) / 2;
    const auto text = wordAt(bytes, middle);
    if (!text) return std::nullopt;
    const int order = text->compare(word);
    if (order == 0) return middle;
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return std::nullopt;
}

std::vector<Neighbour> WordNetEmbedding::neighbours(std::string_view word,
                                                    std::int64_t maximumCount) const {
  const FileBytes* file = table_->bytes();
  if (file == nullptr || maximumCount <= 0) return {};
  const ByteView bytes = file->bytes();
  auto number = find(bytes, word);
  std::optional<std::string> form;
  if (!number) {
    if (morphology_ == nullptr) return {};
    form = morphology_->dictionaryForm(word);
    if (!form || *form == word) return {};
    number = find(bytes, *form);
    if (!number) return {};
  }
  std::vector<Neighbour> found;
  found.reserve(static_cast<std::size_t>(std::min<std::int64_t>(maximumCount, neighbourCount + 1)));
  if (form) found.push_back(Neighbour{std::move(*form), 0});
  const ByteView record = sectionBytes(bytes, table_->header().sections[2])
                              .subspan(std::size_t{*number} * recordSize, recordSize);
  for (std::uint32_t slot = 0; slot < neighbourCount && std::int64_t(found.size()) < maximumCount;
       ++slot) {
    const std::size_t at = std::size_t{slot} * 7;
    const std::uint32_t other = record[at] | record[at + 1] << 8 | record[at + 2] << 16;
    if (other == noWord) break;
    const auto text = wordAt(bytes, other);
    const float distance = readF32(record, at + 3);
    if (!text || !std::isfinite(distance)) break;
    found.push_back(Neighbour{std::string(*text), distance});
  }
  return found;
}

std::shared_ptr<const WordEmbedding> WordEmbedding::forLanguage(std::string_view code) {
  if (code != "en") return nullptr;
  static std::mutex mutex;
  static std::map<std::filesystem::path, std::shared_ptr<const WordNetEmbedding>> opened;
  const std::filesystem::path path = dataDirectory() / neighbourFileName;
  const std::lock_guard lock(mutex);
  auto& held = opened[path];
  if (held == nullptr) held = WordNetEmbedding::open(path, WordNetLemmaTagger::english());
  return held;
}

}  // namespace kelvo::language
