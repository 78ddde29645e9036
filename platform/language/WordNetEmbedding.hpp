#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/language/DataFile.hpp"
#include "platform/language/TableFile.hpp"
#include "platform/language/WordEmbedding.hpp"
#include "platform/language/WordNetLemmaTagger.hpp"

namespace kelvo::language {

/// The English embedding built from WordNet: a neighbour file of each word's twelve nearest
/// words (see docs/language-data.md). Its words are dictionary forms only, so a word it lacks
/// is answered through its dictionary form, the lemma its morphology (a lemma tagger, when it
/// was given one) gives for the word as it stands: that form first, at distance 0, as an
/// embedding holding both forms would place it, then the form's own neighbours, nearest first,
/// at most `maximumCount` in all. A word in the list is answered from its own entry alone; a
/// word whose dictionary form is not in the list, or is the word itself, gets none.
///
/// Only the header is read when it is opened; the file is read whole into memory and its
/// checksum checked on the first neighbour query, and a file that fails the check answers
/// nothing from then on. What happens to the file on disk after that changes nothing. The
/// morphology's table is first read by the first query for a word not in the list. Safe to
/// query from several threads.
class WordNetEmbedding final : public WordEmbedding {
 public:
  static constexpr const char* magic = "KELVONBR";
  /// A larger file is refused when it is opened. WordNet 3.0 gives 7,586,991 bytes (77,773
  /// words at about 98 bytes each); 64 MiB leaves room for over eight times as many words.
  static constexpr std::uint64_t fileSizeLimit = 64 * 1024 * 1024;
  static constexpr std::uint32_t neighbourCount = 12;
  static constexpr std::uint32_t recordSize = neighbourCount * 7;
  static constexpr std::uint32_t noWord = 0xFFFFFF;

  /// None when the file is missing, not a regular file, larger than `fileSizeLimit`, or its
  /// header is unsound. Without `morphology`, a word not in the list gets no neighbours.
  static std::shared_ptr<const WordNetEmbedding> open(
      const std::filesystem::path& path,
      std::shared_ptr<const WordNetLemmaTagger> morphology = nullptr);
  /// A table held in memory (fixtures, fuzzing); none when its header is unsound.
  static std::shared_ptr<const WordNetEmbedding> fromBytes(
      std::vector<std::uint8_t> bytes,
      std::shared_ptr<const WordNetLemmaTagger> morphology = nullptr);

  std::vector<Neighbour> neighbours(std::string_view word,
                                    std::int64_t maximumCount) const override;

  /// How many words the table holds.
  std::uint32_t wordCount() const { return table_->header().sections[1].count; }

 private:
  WordNetEmbedding(std::unique_ptr<const TableFile> table,
                   std::shared_ptr<const WordNetLemmaTagger> morphology)
      : table_(std::move(table)), morphology_(std::move(morphology)) {}

  std::optional<std::uint32_t> find(ByteView bytes, std::string_view word) const;
  std::optional<std::string_view> wordAt(ByteView bytes, std::uint32_t number) const;

  std::unique_ptr<const TableFile> table_;
  std::shared_ptr<const WordNetLemmaTagger> morphology_;
};

}  // namespace kelvo::language
