#pragma once

// The two tables the language layer reads, built from a WordNet source: the lemma file (each
// part of speech's single-word lemmas, the four exception lists and the lemmas' tag counts)
// and the neighbour file (each one-term lemma's twelve nearest words by the cosine of sparse
// synset vectors). The output depends on the source alone: no hash order, no threads.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/WordNetSource.hpp"

namespace kelvo::tools {

std::vector<std::uint8_t> lemmaTable(const WordNetSource& source);
std::vector<std::uint8_t> neighbourTable(const WordNetSource& source);

/// A word's vector, over synset features: each synset of the word weighted by 1 / sense rank,
/// its broader synsets (hypernyms, instance hypernyms, similar-to) by half that; normalised.
inline constexpr double broaderWeight = 0.5;

}  // namespace kelvo::tools
