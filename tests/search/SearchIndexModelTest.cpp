// Checks the index against a plain model of its rules: maps from terms to cards and field
// sets, a sorted term list walked from a lower bound, and the scoring formula. Random cards,
// replacements, removals and queries must give the same results, scores and counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>

#include "core/search/SearchIndex.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using kelvo::testing::CardSpec;
using kelvo::testing::makeCard;

const Date now = Date(700'000'000);

struct ModelIndex {
  void insert(const SearchableCard& card) {
    remove(card.id());
    cards.emplace(card.id(), card);
    const auto index = [&](std::string_view text, SearchField field) {
      for (const auto& term : SearchIndex::tokenize(text)) {
        postings[term][card.id()].insert(field);
        termsByCard[card.id()].insert(term);
      }
    };
    index(card.title(), SearchField::title);
    index(card.content(), SearchField::content);
    index(card.extractedText(), SearchField::extractedText);
    index(card.shelfName(), SearchField::shelfName);
    if (card.factLabel()) index(*card.factLabel(), SearchField::factLabel);
    for (const auto& tag : card.autoTags()) index(tag, SearchField::autoTag);
  }

  void remove(const UUID& id) {
    if (cards.erase(id) == 0) return;
    for (const auto& term : termsByCard[id]) {
      const auto it = postings.find(term);
      it->second.erase(id);
      if (it->second.empty()) postings.erase(it);
    }
    termsByCard.erase(id);
  }

  // All results, best first, with recency taken at `at`.
  std::vector<SearchResult> search(std::string_view query, Date at = now) const {
    const auto terms = SearchIndex::tokenize(query);
    if (terms.empty()) return {};
    // Per query term, the cards it matched with their fields and best exactness.
    std::vector<std::map<UUID, std::pair<SearchFields, double>>> hits(terms.size());
    for (std::size_t i = 0; i < terms.size(); ++i) {
      // std::map keeps the terms sorted: iterating from the lower bound walks them in order.
      for (auto it = postings.lower_bound(terms[i]);
           it != postings.end() && it->first.starts_with(terms[i]); ++it) {
        const bool exact = it->first == terms[i];
        if (!exact && i + 1 < terms.size()) break;
        if (text::prefix(it->first, text::characterCount(terms[i])) != terms[i]) continue;
        for (const auto& [id, fields] : it->second) {
          auto& [matched, exactness] = hits[i][id];
          matched.insert(fields.begin(), fields.end());
          exactness = std::max(exactness, exact ? 1.0 : 0.6);
        }
      }
    }
    std::vector<SearchResult> results;
    for (const auto& [id, card] : cards) {
      const auto holds = [&](const auto& perTerm) { return perTerm.contains(id); };
      if (!std::ranges::all_of(hits, holds)) continue;
      double textScore = 0;
      SearchFields matched;
      for (const auto& perTerm : hits) {
        const auto& [fields, exactness] = perTerm.at(id);
        double best = 0;
        for (const auto field : fields) best = std::max(best, weight(field));
        textScore += exactness * best;
        matched.insert(fields.begin(), fields.end());
      }
      const double useBoost =
          1 + std::min(static_cast<double>(std::max<std::int64_t>(card.useCount(), 0)) / 50, 0.5);
      double recency = 1;
      if (card.lastUsedAt()) {
        const double days = (at - *card.lastUsedAt()) / 86'400;
        recency = days >= 0 ? 1 + 0.3 * std::exp(-days / 14) : 1.3;
      }
      results.push_back(SearchResult{card, textScore * useBoost * recency, matched});
    }
    std::stable_sort(results.begin(), results.end(), [](const auto& a, const auto& b) {
      if (a.score != b.score) return a.score > b.score;
      return text::nfc(a.card.title()) < text::nfc(b.card.title());
    });
    return results;
  }

  std::map<UUID, SearchableCard> cards;
  std::map<std::string, std::map<UUID, SearchFields>> postings;
  std::map<UUID, std::set<std::string>> termsByCard;
};

// Words that share beginnings, repeat, fold together and stand alone.
const std::vector<std::string> vocabulary = {
    "in", "inv", "invoice", "Invoices", "invent", "inventory", "tax", "taxes", "TAX", "café",
    "cafe", "CAFÉ", "caf", "東", "東京", "한", "a", "ab", "abc", "2024", "20", "ﬁsh", "fish", "कि",
    "कक", "कॐ", "Straße", "strasse", "x-y", "don't", "👍", "क",
    // Long words, which the index keeps apart from short ones, around the length that parts them.
    "abcdefghijklmn", "abcdefghijklmno", "abcdefghijklmnop", "Internationalisation"};

// A quarter of the words are rare ones ("r" and a number below 1,000), so that some lists
// are short: "r12" begins eleven of them.
std::string randomText(std::mt19937& random, int maxWords) {
  std::uniform_int_distribution<std::size_t> pick(0, vocabulary.size() + vocabulary.size() / 3);
  std::uniform_int_distribution<int> number(0, 999);
  std::string text;
  for (int n = std::uniform_int_distribution<int>(0, maxWords)(random); n > 0; --n) {
    if (!text.empty()) text += ' ';
    const std::size_t word = pick(random);
    text += word < vocabulary.size() ? vocabulary[word] : "r" + std::to_string(number(random));
  }
  return text;
}

// The index's results for `query` against the model's, `expected`: all of them.
void expectAgreement(const SearchIndex& index, const std::vector<SearchResult>& expected,
                     const std::string& query, std::size_t limit) {
  const auto actual = index.search(query, static_cast<std::int64_t>(limit));
  ASSERT_EQ(actual.size(), std::min(expected.size(), limit)) << query;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    // Equal scores and equal titles may come in either order: compare what decides, then the
    // whole result against the model's for the same card.
    ASSERT_EQ(actual[i].score, expected[i].score) << query << " #" << i;
    ASSERT_EQ(actual[i].card.title(), expected[i].card.title()) << query << " #" << i;
    const auto same = std::ranges::find(expected, actual[i].id(), &SearchResult::id);
    ASSERT_TRUE(same != expected.end() && *same == actual[i]) << query << " #" << i;
  }
}

void compareThroughChanges(unsigned seed, int idCount, int initialCount, int steps) {
  std::mt19937 random(seed);
  const ManualClock clock(now);
  std::vector<UUID> ids(static_cast<std::size_t>(idCount));
  for (auto& id : ids) id = UUID::random();
  std::uniform_int_distribution<std::size_t> pickID(0, ids.size() - 1);
  std::uniform_int_distribution<int> uses(-2, 40);
  std::uniform_int_distribution<int> days(-3, 60);
  std::uniform_int_distribution<int> action(0, 9);

  const auto randomCard = [&] {
    CardSpec spec{.title = randomText(random, 3),
                  .content = randomText(random, 8),
                  .extractedText = randomText(random, 2),
                  .shelfName = randomText(random, 1),
                  .useCount = uses(random)};
    if (action(random) < 3) spec.factLabel = randomText(random, 2);
    for (int t = action(random) % 3; t > 0; --t) spec.autoTags.push_back(randomText(random, 1));
    if (action(random) < 6) spec.lastUsedAt = now - days(random) * 86'400.0;
    return makeCard(std::move(spec), ids[pickID(random)]);
  };

  ModelIndex model;
  std::vector<SearchableCard> initial;
  for (int i = 0; i < initialCount; ++i) model.insert(initial.emplace_back(randomCard()));
  SearchIndex index(initial, clock);

  for (int step = 0; step < steps; ++step) {
    const int what = action(random);
    std::vector<SearchableCard> batch;
    if (what < 4) {
      batch.push_back(randomCard());
      index.insert(batch.back());
    } else if (what < 6) {
      const UUID id = ids[pickID(random)];
      index.remove(id);
      model.remove(id);
    } else if (what < 7) {
      for (int n = action(random) * idCount / 20; n > 0; --n) batch.push_back(randomCard());
      index.insert(batch);
    }
    for (const auto& card : batch) model.insert(card);
    ASSERT_EQ(index.cardCount(), model.cards.size());
    ASSERT_EQ(index.termCount(), model.postings.size());

    for (int q = 0; q < 5; ++q) {
      const std::string query = randomText(random, 3);
      // Limits of one and two prune hardest: few cards reach the floor, and left ones among them.
      const std::size_t limit =
          q < 2 ? static_cast<std::size_t>(q) + 1 : static_cast<std::size_t>(action(random)) * 4;
      ASSERT_NO_FATAL_FAILURE(expectAgreement(index, model.search(query), query, limit));
    }
  }
}

// One family of words crowds thousands of cards, as a library's most frequent words do, so a
// lone prefix of it is held by most of them and its best cards are found by boost. Uses and
// last uses vary (none, past, future, not a number, shared), titles repeat, the term itself is
// held by many cards or few, and cards are replaced in batches, so that left slots are dropped.
void compareCrowdedPrefixes(unsigned seed, int idCount, int initialCount, int steps) {
  std::mt19937 random(seed);
  ManualClock clock(now);
  const std::vector<std::string> crowd = {"inv",    "invoice",   "Invoices",
                                          "invent", "inventory", "Internationalisation"};
  std::uniform_int_distribution<int> percent(0, 99);
  // "in" itself is common, longer words beginning with it more so; "ink" is rare.
  const auto word = [&](int crowded) -> std::string {
    const int pick = percent(random);
    if (pick < crowded / 3) return "in";
    if (pick < crowded) return crowd[static_cast<std::size_t>(percent(random)) % crowd.size()];
    if (pick == 99) return percent(random) < 50 ? "ink" : "\u0130nk";
    return "w" + std::to_string(percent(random) * 10 + pick % 10);
  };
  const auto text = [&](int maxWords, int crowded) {
    std::string words = word(crowded);
    for (int n = std::uniform_int_distribution<int>(1, maxWords)(random); n > 1; --n) {
      words += ' ' + word(crowded);
    }
    return words;
  };
  std::vector<UUID> ids(static_cast<std::size_t>(idCount));
  for (auto& id : ids) id = UUID::random();
  std::uniform_int_distribution<std::size_t> pickID(0, ids.size() - 1);
  const Date shared = now - 3 * 86'400.0;
  const auto randomCard = [&](UUID id) {
    CardSpec spec{.title = percent(random) < 5 ? "Same title" : text(4, 20),
                  .content = text(12, 35),
                  .shelfName = text(1, 10),
                  .useCount = std::uniform_int_distribution<int>(-2, 40)(random)};
    if (percent(random) < 10) spec.factLabel = text(2, 30);
    if (percent(random) < 30) spec.autoTags = {text(1, 30)};
    const int when = percent(random);
    if (when < 55) spec.lastUsedAt = now - percent(random) * 86'400.0 * 0.9;
    if (when >= 55 && when < 65) spec.lastUsedAt = now + percent(random) * 3'600.0;
    if (when >= 65 && when < 68) spec.lastUsedAt = Date(std::nan(""));
    if (when >= 68 && when < 78) spec.lastUsedAt = shared;
    return makeCard(std::move(spec), id);
  };

  ModelIndex model;
  std::vector<SearchableCard> initial;
  for (int i = 0; i < initialCount; ++i) {
    model.insert(initial.emplace_back(randomCard(ids[static_cast<std::size_t>(i)])));
  }
  SearchIndex index(initial, clock);
  const std::vector<std::string> queries = {"i", "in", "IN", "inv", "invo", "ink", "inventor"};
  for (int step = 0; step < steps; ++step) {
    const int what = percent(random);
    if (what < 70) {
      for (int n = 0; n < 20; ++n) {
        const UUID id = ids[pickID(random)];
        if (percent(random) < 25) {
          index.remove(id);
          model.remove(id);
        } else {
          const auto card = randomCard(id);
          index.insert(card);
          model.insert(card);
        }
      }
    } else {
      // Most of the cards again: their old slots empty and are dropped.
      std::vector<SearchableCard> batch;
      for (int n = 0; n < idCount * 3 / 4; ++n) batch.push_back(randomCard(ids[pickID(random)]));
      index.insert(batch);
      for (const auto& card : batch) model.insert(card);
    }
    ASSERT_EQ(index.cardCount(), model.cards.size());
    // The moment moves, and with it the order of the boosts across use levels.
    clock.set(now + percent(random) * 86'400.0 * 0.3);
    for (const auto& query : queries) {
      const auto expected = model.search(query, clock.now());
      for (const std::size_t limit : {1, 3, 20, 60}) {
        ASSERT_NO_FATAL_FAILURE(expectAgreement(index, expected, query, limit));
      }
    }
  }
}

TEST(SearchIndexModelTest, OnePrefixHeldByMostCardsFindsTheBestByBoost) {
  compareCrowdedPrefixes(81, 5'000, 4'500, 8);
}

TEST(SearchIndexModelTest, AgreesWithThePlainModel) {
  // Few cards: term lists come and go, ties are common.
  compareThroughChanges(77, 60, 40, 400);
  // Many cards: prefix lists are long enough to be merged densely or probed per candidate.
  compareThroughChanges(78, 1'500, 1'200, 60);
  // About 10,000 changes: left slots pile up and are dropped several times over.
  compareThroughChanges(79, 200, 150, 1'500);
  // Many cards replaced over and over: a lone prefix's cards are tallied from a table, walked
  // whole or through its words, while left slots crowd the best places.
  compareThroughChanges(80, 1'000, 3'000, 150);
}

}  // namespace
}  // namespace kelvo
