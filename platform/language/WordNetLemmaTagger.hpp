#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/language/DataFile.hpp"
#include "platform/language/LemmaTagger.hpp"
#include "platform/language/TableFile.hpp"

namespace kelvo::language {

/// Lemmas by WordNet's morphology over a lemma file (see docs/language-data.md): for each part
/// of speech in the order noun, verb, adjective, adverb, the base forms are the exception
/// list's entries for the word, the word itself, then the suffix rules, each kept only when that
/// part of speech lists it. The lemma is the first base form that differs from the word, else
/// the word when it has any base form. Only the header is read when the file is opened; the
/// file is read whole into memory and its checksum checked on the first look-up, and a file
/// that fails the check answers nothing from then on. What happens to the file on disk after
/// that changes nothing. Safe to query from several threads.
class WordNetLemmaTagger final : public LemmaTagger {
 public:
  static constexpr const char* magic = "KELVOLEM";
  /// A larger file is refused before it is read. WordNet 3.0 gives 1,277,495 bytes, and the
  /// file grows with the dictionary's lemmas and exceptions: 16 MiB leaves over thirteen times
  /// that.
  static constexpr std::uint64_t fileSizeLimit = 16 * 1024 * 1024;
  enum class PartOfSpeech { noun, verb, adjective, adverb };

  /// None when the file is missing, not a regular file, larger than `fileSizeLimit`, or its
  /// header is unsound.
  static std::shared_ptr<const WordNetLemmaTagger> open(const std::filesystem::path& path);
  /// A table held in memory (fixtures, fuzzing), checked whole at once; none when it fails.
  static std::shared_ptr<const WordNetLemmaTagger> fromBytes(std::vector<std::uint8_t> bytes);

  std::optional<std::string> lemma(std::string_view text) const override;

  /// The base forms of a lower-case word, in the order above (repeats kept); none when the
  /// table failed its check.
  std::vector<std::string> baseForms(std::string_view word) const;

 private:
  explicit WordNetLemmaTagger(std::unique_ptr<const TableFile> table) : table_(std::move(table)) {}

  bool lists(ByteView all, PartOfSpeech part, std::string_view word) const;
  void addExceptions(ByteView all, PartOfSpeech part, std::string_view word,
                     std::vector<std::string>& out) const;
  ByteView section(ByteView all, std::size_t index) const;

  std::unique_ptr<const TableFile> table_;
};

}  // namespace kelvo::language
