// Arbitrary bytes as a neighbour table, with and without a right checksum: the embedding
// refuses the table or answers at most the count asked, never reading out of bounds.
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.hpp"
#include "fuzz/LanguageTableFuzzer.hpp"
#include "platform/language/WordNetEmbedding.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::language::WordNetEmbedding;
  for (auto bytes :
       {std::vector<std::uint8_t>(data, data + size), kelvo::fuzz::resigned(data, size)}) {
    const auto embedding = WordNetEmbedding::fromBytes(std::move(bytes));
    if (embedding == nullptr) continue;
    for (const char* word : {"bill", "invoice", "statement", "", "zzzz"}) {
      kelvo::fuzz::require(embedding->neighbours(word, 3).size() <= 3);
    }
  }
  return 0;
}
