// Arbitrary bytes as a neighbour table, with and without a right checksum: the embedding
// refuses the table or answers at most the count asked, never reading out of bounds.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/FuzzInput.hpp"
#include "fuzz/LanguageTableFuzzer.hpp"
#include "platform/language/DataFile.hpp"
#include "platform/language/WordNetEmbedding.hpp"
#include "platform/language/WordNetLemmaTagger.hpp"

namespace {

// A sound lemma table, so that words the table lacks go through their dictionary form.
std::shared_ptr<const kelvo::language::WordNetLemmaTagger> morphology() {
  using kelvo::language::DataFileWriter;
  static const auto tagger = [] {
    DataFileWriter writer(kelvo::language::WordNetLemmaTagger::magic);
    std::vector<std::uint8_t> nouns;
    for (const char* noun : {"bill", "invoice", "statement"}) {
      DataFileWriter::putU32(nouns, writer.string(noun));
    }
    std::vector<std::uint8_t> verbs;
    DataFileWriter::putU32(verbs, writer.string("run"));
    std::vector<std::uint8_t> exceptions;
    DataFileWriter::putU32(exceptions, writer.string("ran"));
    DataFileWriter::putU32(exceptions, writer.string("run"));
    std::vector<std::uint8_t> counts;
    DataFileWriter::putU32(counts, 0);
    DataFileWriter::putU32(counts, 3);
    writer.section(3, std::move(nouns));
    writer.section(1, std::move(verbs));
    writer.section(0, {});
    writer.section(0, {});
    writer.section(0, {});
    writer.section(1, std::move(exceptions));
    writer.section(0, {});
    writer.section(0, {});
    writer.section(1, std::move(counts));
    return kelvo::language::WordNetLemmaTagger::fromBytes(writer.bytes());
  }();
  return tagger;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::language::WordNetEmbedding;
  kelvo::fuzz::require(morphology() != nullptr);
  for (auto bytes :
       {std::vector<std::uint8_t>(data, data + size), kelvo::fuzz::resigned(data, size)}) {
    const auto plain = WordNetEmbedding::fromBytes(bytes);
    const auto embedding = WordNetEmbedding::fromBytes(std::move(bytes), morphology());
    if (embedding == nullptr) continue;
    for (const char* word : {"bill", "invoice", "statement", "", "zzzz", "bills", "ran"}) {
      kelvo::fuzz::require(embedding->neighbours(word, 3).size() <= 3);
    }
    // A word the table holds is answered from its entry; one it lacks comes first as its
    // dictionary form.
    const auto own = plain->neighbours("statements", 3);
    const auto plural = embedding->neighbours("statements", 3);
    kelvo::fuzz::require(plural == own ||
                         (own.empty() && plural[0].word == "statement" && plural[0].distance == 0));
  }
  return 0;
}
