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

/// Lemmas by WordNet's morphology over a lemma file (see docs/language-data.md). The readings
/// of a word are, for each part of speech in the order noun, verb, adjective, adverb: the
/// exception list's base forms for the word, the word itself, then the suffix rules' base forms,
/// each kept only when that part of speech lists it. A word the exception list names stops that
/// part's suffix rules, as WordNet's own morphology reads the list ("gas gas", "axes axis"), and
/// no noun rule applies to a word ending in "ss" or of two letters or fewer. A rule's base that
/// English spelling would have inflected otherwise ("sit" makes "sits", not "sites"; "plan"
/// makes "planned"), or an adjective's that is a verb's form ("made" makes no "madest"), is
/// weighed only when no other reading is left.
///
/// The lemma is the reading a reader would mean, by how often WordNet's sense-tagged texts
/// tagged each form. A base comes before the word itself: an inflected form takes its base
/// ("scheduled" gives "schedule", "hours" "hour"), and among several bases the one tagged most
/// in all its parts wins, the earliest on a tie. Two readings give way to the word itself. A
/// rule's base never tagged in the part that reached it, beside a word tagged as a noun, verb or
/// adverb, is an unrelated word ("evening" is no form of the verb "even", nor "species" of
/// "specie"). An exception's base counts against the word's own tags as a noun, verb or adverb
/// and yields when it was tagged less ("found" gives "find", "offer" stays "offer"); a word's
/// tags as an adjective are left out, as such a word is mostly its verb's participle. A lemma
/// file of the earlier layout, without counts, still opens: a listed word then keeps itself and
/// any other gives its first reading.
///
/// Only the header is read when the file is opened; the file is read whole into memory and its
/// checksum checked on the first look-up, and a file that fails the check answers nothing from
/// then on. What happens to the file on disk after that changes nothing. Safe to query from
/// several threads.
class WordNetLemmaTagger final : public LemmaTagger {
 public:
  static constexpr const char* magic = "KELVOLEM";
  /// A larger file is refused before it is read. WordNet 3.0 gives 1,436,375 bytes, and the
  /// file grows with the dictionary's lemmas, exceptions and counts: 16 MiB leaves over eleven
  /// times that.
  static constexpr std::uint64_t fileSizeLimit = 16 * 1024 * 1024;
  enum class PartOfSpeech { noun, verb, adjective, adverb };

  /// None when the file is missing, not a regular file, larger than `fileSizeLimit`, or its
  /// header is unsound.
  static std::shared_ptr<const WordNetLemmaTagger> open(const std::filesystem::path& path);
  /// A table held in memory (fixtures, fuzzing), checked whole at once; none when it fails.
  static std::shared_ptr<const WordNetLemmaTagger> fromBytes(std::vector<std::uint8_t> bytes);

  std::optional<std::string> lemma(std::string_view text) const override;

  /// The lemma of `word` taken whole and as given (a lower-case word: nothing is split off or
  /// folded); none when the tagger does not know it.
  std::optional<std::string> dictionaryForm(std::string_view word) const;

  /// The readings of a lower-case word, in the order above (repeats kept); none when the
  /// table failed its check.
  std::vector<std::string> baseForms(std::string_view word) const;

  /// The tagger over the lemma file of the data folder, as `LemmaTagger::standard()` gives it.
  static std::shared_ptr<const WordNetLemmaTagger> english();

 private:
  struct Reading;

  explicit WordNetLemmaTagger(std::unique_ptr<const TableFile> table) : table_(std::move(table)) {}

  std::vector<Reading> readings(ByteView all, std::string_view word) const;
  std::optional<std::uint32_t> position(ByteView all, PartOfSpeech part,
                                        std::string_view word) const;
  std::uint64_t taggedCount(ByteView all, PartOfSpeech part, std::uint32_t position) const;
  bool addExceptions(ByteView all, PartOfSpeech part, std::string_view word,
                     std::vector<Reading>& out) const;
  bool isVerbForm(ByteView all, std::string_view word) const;
  std::uint64_t lemmaCount(ByteView all, std::string_view form) const;
  ByteView section(ByteView all, std::size_t index) const;

  std::unique_ptr<const TableFile> table_;
};

}  // namespace kelvo::language
