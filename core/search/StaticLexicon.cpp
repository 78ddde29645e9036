#include "core/search/StaticLexicon.hpp"

#include <algorithm>

#include "core/search/SearchIndex.hpp"

namespace kelvo {

StaticLexicon::StaticLexicon(const std::vector<std::vector<std::string>>& groups,
                             TermRelation relation) {
  for (const auto& group : groups) {
    std::vector<std::string> words;
    for (const std::string& word : group) {
      std::vector<std::string> tokens = SearchIndex::tokenize(word);
      if (!tokens.empty()) words.push_back(std::move(tokens.front()));
    }
    for (const std::string& word : words) {
      for (const std::string& other : words) {
        if (other != word) table_[word].push_back(TermVariant{other, relation});
      }
    }
  }
}

const std::vector<std::vector<std::string>>& StaticLexicon::officeVocabularyGroups() {
  static const std::vector<std::vector<std::string>> groups = {
      {"rate", "rates", "pricing", "price", "fee", "quote", "cost"},
      {"invoice", "bill", "billing", "vat", "receipt", "payment"},
      {"wifi", "password", "passcode", "ssid", "network", "login", "credentials"},
      {"intro", "introduction", "onboarding", "welcome", "kickoff"},
      {"nda", "contract", "agreement", "sow", "terms"},
      {"iban", "bank", "account", "sortcode", "swift"},
      {"licence", "license", "key", "serial", "activation"},
      {"address", "postcode", "zip", "postal"},
      {"timesheet", "hours", "logged", "billable"},
      {"cv", "resume", "bio", "biography"},
      {"deck", "slides", "presentation", "pitch"},
  };
  return groups;
}

const std::shared_ptr<const StaticLexicon>& StaticLexicon::officeVocabulary() {
  static const std::shared_ptr<const StaticLexicon> vocabulary =
      std::make_shared<const StaticLexicon>(officeVocabularyGroups(), TermRelation::synonym);
  return vocabulary;
}

std::vector<TermVariant> StaticLexicon::variants(std::string_view term, std::int64_t limit) const {
  if (limit <= 0) return {};
  const auto found = table_.find(term);
  if (found == table_.end()) return {};
  const auto& listed = found->second;
  const auto count = std::min<std::size_t>(listed.size(), static_cast<std::uint64_t>(limit));
  return {listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(count)};
}

}  // namespace kelvo
