#pragma once

// Words near a word in meaning, nearest first, by cosine distance. The English embedding reads
// its table from the data folder (LanguageData.hpp), and is null without it:
//
//   std::vector<language::Neighbour> near;
//   if (const auto english = language::WordEmbedding::forLanguage("en"))
//     near = english->neighbours("invoice", 12);  // "bill" first, at most 12

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::language {

struct Neighbour {
  std::string word;
  /// 1 − cosine similarity.
  double distance = 0;

  friend bool operator==(const Neighbour&, const Neighbour&) = default;
};

class WordEmbedding {
 public:
  virtual ~WordEmbedding() = default;

  /// At most `maximumCount` words nearest to `word`, nearest first; none for a word it lacks.
  virtual std::vector<Neighbour> neighbours(std::string_view word,
                                            std::int64_t maximumCount) const = 0;

  /// The embedding of a language code: English ("en") only, and only when its neighbour file is
  /// in the data folder with a sound header. One per process and file, shared. It answers an
  /// inflected word ("bikes") through its dictionary form ("bike" first, then its neighbours),
  /// by the lemma file of the same folder (WordNetEmbedding.hpp).
  static std::shared_ptr<const WordEmbedding> forLanguage(std::string_view code);
};

}  // namespace kelvo::language
