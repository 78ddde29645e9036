#pragma once
// A fixed synthetic card library for the search benchmarks: the same cards on every run and
// every machine (a seeded generator with its own sampling, no library distributions).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/search/SearchableCard.hpp"

namespace kelvo::bench {

struct SyntheticLibrary {
  /// 100,000 cards, or as many as KELVO_BENCH_CARDS says (10000 and 1000000 are the other sizes
  /// the figures give).
  static std::size_t cardCount() {
    static const std::size_t count = [] {
      const char* given = std::getenv("KELVO_BENCH_CARDS");
      const unsigned long long parsed = given != nullptr ? std::strtoull(given, nullptr, 10) : 0;
      return parsed > 0 ? static_cast<std::size_t>(parsed) : std::size_t{100'000};
    }();
    return count;
  }
  static constexpr std::size_t vocabularySize = 20'000;
  static constexpr std::uint64_t seed = 0x6B656C766F;

  std::vector<std::string> vocabulary;  // by rank: the first is the most frequent
  std::vector<SearchableCard> cards;
  Date now = Date(800'000'000);
};

namespace detail {

class Sampler {
 public:
  explicit Sampler(std::uint64_t seed) : engine_(seed) {}
  std::uint64_t below(std::uint64_t n) { return engine_() % n; }
  double unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

 private:
  std::mt19937_64 engine_;
};

inline const std::vector<std::string>& syllables() {
  static const std::vector<std::string> list = {
      "ka", "lo",  "mi",  "ne",  "ru",  "ta",  "shi",  "po",  "ven", "dor",
      "al", "ex",  "tri", "qua", "ber", "sol", "mar",  "ti",  "on",  "es",
      "ar", "in",  "um",  "cle", "pra", "fo",  "gu",   "zel", "wy",  "ho",
      "re", "sta", "ly",  "con", "de",  "ic",  "ment", "ra",  "vi",  "ble"};
  return list;
}

// Accented, Nordic, Greek and Cyrillic syllables, and ideographs, for one word in ten.
inline const std::vector<std::string>& foreignSyllables() {
  static const std::vector<std::string> list = {"é",  "ü",  "ø",  "ß",  "ñ",  "å",  "ç",  "ô",
                                                "ελ", "πα", "да", "ми", "東", "京", "語", "한"};
  return list;
}

// Words a query looks for, placed at fixed ranks so their frequencies are known.
inline const std::vector<std::pair<std::size_t, std::string>>& anchoredWords() {
  static const std::vector<std::pair<std::size_t, std::string>> list = {
      {30, "paid"},       {50, "invoice"},      {80, "annual"},     {120, "inventory"},
      {200, "invest"},    {350, "invitation"},  {600, "invoices"},  {900, "inventor"},
      {1'500, "invited"}, {2'500, "invert"},    {4'000, "invalid"}, {7'000, "inviting"},
      {12'000, "invoke"}, {18'000, "invisible"}};
  return list;
}

inline std::vector<std::string> makeVocabulary(Sampler& sampler) {
  std::vector<std::string> words(SyntheticLibrary::vocabularySize);
  std::unordered_set<std::string> used;
  for (const auto& [rank, word] : anchoredWords()) {
    words[rank] = word;
    used.insert(word);
  }
  for (auto& word : words) {
    if (!word.empty()) continue;
    std::string candidate;
    do {
      candidate.clear();
      const auto parts = 1 + sampler.below(3);
      for (std::uint64_t p = 0; p < parts; ++p) {
        candidate += sampler.below(10) == 0
                         ? foreignSyllables()[sampler.below(foreignSyllables().size())]
                         : syllables()[sampler.below(syllables().size())];
      }
    } while (!used.insert(candidate).second);
    word = candidate;
  }
  return words;
}

// Ranks by Zipf's law with exponent 1, drawn from the cumulative table.
class ZipfWords {
 public:
  explicit ZipfWords(std::size_t size) : cumulative_(size) {
    double total = 0;
    for (std::size_t rank = 0; rank < size; ++rank) {
      total += 1.0 / static_cast<double>(rank + 1);
      cumulative_[rank] = total;
    }
    for (double& value : cumulative_) value /= total;
  }
  std::size_t draw(Sampler& sampler) const {
    const auto at = std::lower_bound(cumulative_.begin(), cumulative_.end(), sampler.unit());
    return std::min<std::size_t>(static_cast<std::size_t>(at - cumulative_.begin()),
                                 cumulative_.size() - 1);
  }

 private:
  std::vector<double> cumulative_;
};

}  // namespace detail

/// A card's tags as the constructor takes them, for cards made from another card.
inline std::vector<std::string> tagsOf(const SearchableCard& card) {
  const SearchableCard::Tags tags = card.autoTags();
  return {tags.begin(), tags.end()};
}

inline const SyntheticLibrary& syntheticLibrary() {
  static const SyntheticLibrary library = [] {
    SyntheticLibrary built;
    detail::Sampler sampler(SyntheticLibrary::seed);
    built.vocabulary = detail::makeVocabulary(sampler);
    const detail::ZipfWords zipf(SyntheticLibrary::vocabularySize);
    const auto words = [&](std::size_t count) {
      std::string text;
      for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += built.vocabulary[zipf.draw(sampler)];
      }
      return text;
    };
    const std::vector<std::string> shelves = {"Work",    "Clients", "Home",    "Travel", "Recipes",
                                              "Finance", "Health",  "Reading", "Ideas",  "Admin"};
    built.cards.reserve(SyntheticLibrary::cardCount());
    for (std::size_t i = 0; i < SyntheticLibrary::cardCount(); ++i) {
      UUID::Bytes bytes{};
      for (std::size_t b = 0; b < 8; ++b) bytes[b] = static_cast<std::uint8_t>(i >> (8 * b));
      std::string title = words(5);
      if (title[0] >= 'a' && title[0] <= 'z') title[0] = static_cast<char>(title[0] - 32);
      std::string content = words(40 + sampler.below(41));
      std::vector<std::string> tags = {words(1), words(1), words(1)};
      const bool fact = sampler.below(10) == 0;
      std::optional<Date> lastUsed;
      if (sampler.below(10) < 7) lastUsed = built.now - sampler.unit() * 90 * 86'400.0;
      built.cards.emplace_back(
          UUID(bytes), fact ? CardType::fact : CardType::text, std::move(title), std::move(content),
          "", std::move(tags), shelves[sampler.below(shelves.size())], "Projects",
          fact ? std::optional<std::string>(words(1)) : std::nullopt,
          sampler.below(2) == 0 ? std::optional<std::string>("Mail") : std::nullopt,
          static_cast<std::int64_t>(sampler.below(60)), lastUsed);
    }
    return built;
  }();
  return library;
}

}  // namespace kelvo::bench
