#pragma once

// A fixed table from a word to the words that stand for it, built from groups of words that
// mean the same. `officeVocabulary()` is the system's table of office and paperwork words.
//
//   StaticLexicon lexicon({{"crème", "cafe"}}, TermRelation::inflection);
//   lexicon.variants("creme", 5);   // [cafe (inflection)]

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/search/SemanticLexicon.hpp"

namespace kelvo {

class StaticLexicon final : public SemanticLexicon {
 public:
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  using Table =
      std::unordered_map<std::string, std::vector<TermVariant>, TextHash, std::equal_to<>>;

  explicit StaticLexicon(Table table) : table_(std::move(table)) {}
  /// Each word of a group gets the group's other words, in group order, with `relation`. Words
  /// are tokenized and only their first token kept; a word with none is left out.
  StaticLexicon(const std::vector<std::vector<std::string>>& groups, TermRelation relation);

  /// The eleven groups of office words, all synonyms; built once, on first use.
  static const std::shared_ptr<const StaticLexicon>& officeVocabulary();
  /// The groups the office vocabulary is built from, in order.
  static const std::vector<std::vector<std::string>>& officeVocabularyGroups();

  /// The first `limit` variants listed for `term`, looked up byte for byte as passed.
  std::vector<TermVariant> variants(std::string_view term, std::int64_t limit) const override;

  const Table& table() const { return table_; }

 private:
  Table table_;
};

}  // namespace kelvo
