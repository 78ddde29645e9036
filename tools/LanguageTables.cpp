#include "tools/LanguageTables.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

#include "core/search/SearchIndex.hpp"
#include "platform/language/DataFile.hpp"
#include "platform/language/WordNetEmbedding.hpp"
#include "platform/language/WordNetLemmaTagger.hpp"

namespace kelvo::tools {
namespace {

using language::DataFileWriter;
using Vector = std::vector<std::pair<std::uint32_t, double>>;  // (feature, weight), by feature

void checkLength(const std::string& text) {
  if (text.size() > 255) throw WordNetError("\"" + text.substr(0, 40) + "…\" is too long");
}

// Each one-term lemma (in its tokenized form) to its unnormalised weights by synset.
std::map<std::string, std::map<SynsetKey, double>> weightsByWord(const WordNetSource& source) {
  std::map<std::string, std::map<SynsetKey, double>> words;
  for (std::uint8_t part = 0; part < 4; ++part) {
    for (const auto& [lemma, synsets] : source.index[part]) {
      std::string spaced = lemma;
      std::replace(spaced.begin(), spaced.end(), '_', ' ');
      const std::vector<std::string> terms = SearchIndex::tokenize(spaced);
      if (terms.size() != 1 || terms.front().size() > 255) continue;
      auto& weights = words[terms.front()];
      for (std::size_t rank = 0; rank < synsets.size(); ++rank) {
        const double weight = 1.0 / static_cast<double>(rank + 1);
        const SynsetKey synset{part, synsets[rank]};
        weights[synset] += weight;
        if (const auto found = source.broader.find(synset); found != source.broader.end()) {
          for (const SynsetKey& broader : found->second) weights[broader] += broaderWeight * weight;
        }
      }
    }
  }
  return words;
}

// Normalised vectors over dense feature numbers given in synset order.
std::vector<Vector> vectorsOf(const std::map<std::string, std::map<SynsetKey, double>>& words,
                              std::uint32_t& featureCount) {
  std::map<SynsetKey, std::uint32_t> features;
  for (const auto& [word, weights] : words) {
    for (const auto& [synset, weight] : weights) features.emplace(synset, 0);
  }
  featureCount = 0;
  for (auto& [synset, number] : features) number = featureCount++;
  std::vector<Vector> vectors;
  vectors.reserve(words.size());
  for (const auto& [word, weights] : words) {
    double norm = 0;
    for (const auto& [synset, weight] : weights) norm += weight * weight;
    norm = std::sqrt(norm);
    Vector vector;
    for (const auto& [synset, weight] : weights)
      vector.emplace_back(features.at(synset), weight / norm);
    vectors.push_back(std::move(vector));
  }
  return vectors;
}

struct Near {
  std::uint32_t word;
  double distance;
};

// For every word, its nearest words with a positive similarity, through an inverted index over
// features, nearest first and ties by word (the words are numbered in byte order).
std::vector<std::vector<Near>> nearest(const std::vector<Vector>& vectors,
                                       std::uint32_t featureCount) {
  std::vector<Vector> postings(featureCount);
  for (std::uint32_t word = 0; word < vectors.size(); ++word) {
    for (const auto& [feature, weight] : vectors[word])
      postings[feature].emplace_back(word, weight);
  }
  std::vector<double> dot(vectors.size(), 0.0);
  std::vector<std::uint32_t> touched;
  std::vector<std::vector<Near>> lists(vectors.size());
  for (std::uint32_t word = 0; word < vectors.size(); ++word) {
    for (const auto& [feature, weight] : vectors[word]) {
      for (const auto& [other, otherWeight] : postings[feature]) {
        if (other == word) continue;
        if (dot[other] == 0.0) touched.push_back(other);
        dot[other] += weight * otherWeight;
      }
    }
    std::vector<Near> found;
    for (const std::uint32_t other : touched) {
      if (dot[other] > 0) found.push_back({other, std::max(0.0, 1.0 - dot[other])});
      dot[other] = 0.0;
    }
    touched.clear();
    const auto closer = [](const Near& a, const Near& b) {
      return a.distance != b.distance ? a.distance < b.distance : a.word < b.word;
    };
    const std::size_t kept =
        std::min<std::size_t>(found.size(), language::WordNetEmbedding::neighbourCount);
    std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(kept), found.end(),
                      closer);
    found.resize(kept);
    lists[word] = std::move(found);
  }
  return lists;
}

}  // namespace

std::vector<std::uint8_t> lemmaTable(const WordNetSource& source) {
  DataFileWriter writer(language::WordNetLemmaTagger::magic);
  // (number of the lemma over sections 1–4 in order, its tag count) of each lemma ever tagged.
  std::vector<std::uint8_t> tagged;
  std::uint32_t taggedCount = 0;
  std::uint32_t number = 0;
  for (std::size_t part = 0; part < source.index.size(); ++part) {
    std::vector<std::uint8_t> offsets;
    std::uint32_t count = 0;
    for (const auto& [lemma, synsets] : source.index[part]) {  // a map: in byte order
      if (lemma.find('_') != std::string::npos) continue;
      checkLength(lemma);
      DataFileWriter::putU32(offsets, writer.string(lemma));
      ++count;
      const auto counted = source.taggedCounts[part].find(lemma);
      if (counted != source.taggedCounts[part].end() && counted->second > 0) {
        DataFileWriter::putU32(tagged, number);
        DataFileWriter::putU32(tagged, static_cast<std::uint32_t>(
                                           std::min<std::uint64_t>(counted->second, UINT32_MAX)));
        ++taggedCount;
      }
      ++number;
    }
    writer.section(count, std::move(offsets));
  }
  for (const auto& exceptions : source.exceptions) {
    std::vector<std::pair<std::string, std::string>> sorted = exceptions;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::uint8_t> pairs;
    for (const auto& [inflected, base] : sorted) {
      checkLength(inflected);
      checkLength(base);
      DataFileWriter::putU32(pairs, writer.string(inflected));
      DataFileWriter::putU32(pairs, writer.string(base));
    }
    writer.section(static_cast<std::uint32_t>(sorted.size()), std::move(pairs));
  }
  writer.section(taggedCount, std::move(tagged));
  return writer.bytes();
}

std::vector<std::uint8_t> neighbourTable(const WordNetSource& source) {
  const auto words = weightsByWord(source);
  if (words.size() >= language::WordNetEmbedding::noWord) throw WordNetError("too many words");
  std::uint32_t featureCount = 0;
  const std::vector<Vector> vectors = vectorsOf(words, featureCount);
  const std::vector<std::vector<Near>> lists = nearest(vectors, featureCount);
  DataFileWriter writer(language::WordNetEmbedding::magic);
  std::vector<std::uint8_t> index;
  for (const auto& [word, weights] : words) DataFileWriter::putU32(index, writer.string(word));
  std::vector<std::uint8_t> records;
  records.reserve(lists.size() * language::WordNetEmbedding::recordSize);
  for (const std::vector<Near>& list : lists) {
    for (std::size_t slot = 0; slot < language::WordNetEmbedding::neighbourCount; ++slot) {
      const std::uint32_t word =
          slot < list.size() ? list[slot].word : language::WordNetEmbedding::noWord;
      const float distance = slot < list.size() ? static_cast<float>(list[slot].distance) : 0.0f;
      for (int shift = 0; shift < 24; shift += 8)
        records.push_back(static_cast<std::uint8_t>(word >> shift));
      DataFileWriter::putF32(records, distance);
    }
  }
  const auto count = static_cast<std::uint32_t>(words.size());
  writer.section(count, std::move(index));
  writer.section(count, std::move(records));
  return writer.bytes();
}

}  // namespace kelvo::tools
