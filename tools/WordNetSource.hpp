#pragma once

// What the table builder reads of a WordNet 3.0 dictionary folder: each part of speech's
// index (lemma to its synsets in sense order), the pointers of each synset that the neighbour
// vectors use, the four exception lists, and how often each lemma was tagged in WordNet's
// sense-tagged texts (`cntlist.rev`). Offsets serve only as identifiers. A malformed line stops
// the reading with the file and the line.

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kelvo::tools {

class WordNetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The four parts of speech, in WordNet's file names and in the order lemmas are tried.
inline constexpr std::array<const char*, 4> partNames{"noun", "verb", "adj", "adv"};

/// A synset: its part of speech (0–3, satellites counted as adjectives) and offset.
using SynsetKey = std::pair<std::uint8_t, std::uint64_t>;

struct WordNetSource {
  /// Per part of speech: lemma (as written, lower case, `_` between words) to its synsets.
  std::array<std::map<std::string, std::vector<std::uint64_t>>, 4> index;
  /// Per synset: the hypernyms and instance hypernyms, and for adjectives the similar-to synsets.
  std::map<SynsetKey, std::vector<SynsetKey>> broader;
  /// Per part of speech: (inflected form, base form), in file order.
  std::array<std::vector<std::pair<std::string, std::string>>, 4> exceptions;
  /// Per part of speech: lemma (as in `index`) to the sum of its senses' tag counts; lemmas never
  /// tagged are absent.
  std::array<std::map<std::string, std::uint64_t>, 4> taggedCounts;

  /// Reads `index.*`, `data.*`, `*.exc` and `cntlist.rev` of `folder`; throws `WordNetError`.
  static WordNetSource read(const std::filesystem::path& folder);
};

}  // namespace kelvo::tools
