// Arbitrary bytes as a lemma table, with and without a right checksum: the tagger refuses the
// table or answers, never reading out of bounds.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.hpp"
#include "fuzz/LanguageTableFuzzer.hpp"
#include "platform/language/WordNetLemmaTagger.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::language::WordNetLemmaTagger;
  WordNetLemmaTagger::fromBytes(std::vector<std::uint8_t>(data, data + size));
  if (const auto tagger = WordNetLemmaTagger::fromBytes(kelvo::fuzz::resigned(data, size))) {
    for (const char* word : {"invoices", "ran", "bigger", "geese", "a", "zzzzzz", "running",
                             "bills", "gas", "sites"}) {
      const auto lemma = tagger->lemma(word);
      // The lemma is one of the readings, and the one a word taken as given gets.
      const auto forms = tagger->baseForms(word);
      kelvo::fuzz::require(!lemma || std::find(forms.begin(), forms.end(), *lemma) != forms.end());
      kelvo::fuzz::require(lemma == tagger->dictionaryForm(word));
    }
  }
  return 0;
}
