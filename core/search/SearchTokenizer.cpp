#include "core/search/SearchTokenizer.hpp"

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>

#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

struct ScalarRange {
  char32_t first;
  char32_t last;
};

// Scripts written without spaces between words: each of their letters is a term.
constexpr std::array<ScalarRange, 6> standAloneRanges{{
    {0x3040, 0x30FF},    // Hiragana and Katakana
    {0x3400, 0x4DBF},    // CJK Unified Ideographs Extension A
    {0x4E00, 0x9FFF},    // CJK Unified Ideographs
    {0xAC00, 0xD7AF},    // Hangul Syllables
    {0xF900, 0xFAFF},    // CJK Compatibility Ideographs
    {0x20000, 0x2FA1F},  // supplementary ideographs up to the Compatibility Supplement
}};

bool inStandAloneRange(char32_t scalar) {
  for (const auto& range : standAloneRanges) {
    if (scalar >= range.first && scalar <= range.last) return true;
  }
  return false;
}

bool lookUpWordScalar(char32_t scalar) {
  return text::isMember(scalar, text::CharacterClass::alphabetic) ||
         text::isMember(scalar, text::CharacterClass::numeric);
}

// The basic plane is looked up in two bit tables built once; the rest asks ICU each time.
struct PlaneTables {
  std::bitset<0x10000> word;
  std::bitset<0x10000> alone;
};

const PlaneTables& planeTables() {
  static const std::unique_ptr<const PlaneTables> tables = [] {
    auto built = std::make_unique<PlaneTables>();
    for (char32_t c = 0; c < 0x10000; ++c) {
      if (!lookUpWordScalar(c)) continue;
      built->word.set(c);
      if (inStandAloneRange(c)) built->alone.set(c);
    }
    return built;
  }();
  return *tables;
}

// ASCII letters and digits, the only word scalars below U+0080.
constexpr std::array<bool, 128> asciiWordTable = [] {
  std::array<bool, 128> table{};
  for (int c = '0'; c <= '9'; ++c) table[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = true;
  for (int c = 'a'; c <= 'z'; ++c) table[c] = true;
  return table;
}();

}  // namespace

bool SearchTokenizer::isWordScalar(char32_t scalar) {
  if (scalar < 0x10000) return planeTables().word.test(scalar);
  return scalar <= 0x10FFFF && lookUpWordScalar(scalar);
}

bool SearchTokenizer::standsAlone(char32_t scalar) {
  if (scalar < 0x10000) return planeTables().alone.test(scalar);
  return scalar <= 0x10FFFF && inStandAloneRange(scalar) && lookUpWordScalar(scalar);
}

std::vector<std::string> SearchTokenizer::terms(std::string_view text) {
  std::vector<std::string> terms;
  forEachTerm(text, [&terms](std::string_view term) { terms.emplace_back(term); });
  return terms;
}

// Folding is local: case folding maps each scalar alone, and removing marks and recomposing
// never reaches across an ASCII space or punctuation mark (they are starters that compose
// with nothing a letter could come from). So the text is cut at those, pure ASCII pieces
// are lower-cased in place, and only pieces holding other scalars go through the folding of
// the text library. The result is the same as folding the whole text first.
void SearchTokenizer::run(std::string_view text, Memo* memo, Emitter emit, void* context) {
  std::string term;
  std::string folded;
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80 && !asciiWordTable[byte]) {
      ++i;
      continue;
    }
    const size_t start = i;
    bool ascii = true;
    for (; i < size; ++i) {
      byte = static_cast<unsigned char>(text[i]);
      if (byte < 0x80) {
        if (!asciiWordTable[byte]) break;
      } else {
        ascii = false;
      }
    }
    const std::string_view piece = text.substr(start, i - start);
    if (ascii) {
      term.assign(piece);
      for (char& c : term) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
      }
      emit(context, term);
      term.clear();
    } else if (memo != nullptr && piece.size() <= Memo::longestWord) {
      splitRemembered(piece, *memo, term, emit, context);
    } else {
      folded = text::folded(piece);
      splitFolded(folded, term, emit, context);
    }
  }
}

void SearchTokenizer::splitFolded(std::string_view folded, std::string& term, Emitter emit,
                                  void* context) {
  term.clear();
  size_t i = 0;
  while (i < folded.size()) {
    const size_t start = i;
    const char32_t scalar = nextScalar(folded, i);
    if (!isWordScalar(scalar)) {
      if (!term.empty()) emit(context, term);
      term.clear();
    } else if (standsAlone(scalar)) {
      if (!term.empty()) emit(context, term);
      term.assign(folded.substr(start, i - start));
      emit(context, term);
      term.clear();
    } else {
      term.append(folded.substr(start, i - start));
    }
  }
  if (!term.empty()) emit(context, term);
  term.clear();
}

std::size_t SearchTokenizer::Memo::Hash::operator()(std::string_view word) const noexcept {
  return std::hash<std::string_view>{}(word);
}

void SearchTokenizer::splitRemembered(std::string_view piece, Memo& memo, std::string& term,
                                      Emitter emit, void* context) {
  auto found = memo.terms_.find(piece);
  if (found == memo.terms_.end()) {
    if (memo.terms_.size() >= memo.capacity_) memo.terms_.clear();
    std::string joined;
    splitFolded(
        text::folded(piece), term,
        [](void* into, std::string_view folded) {
          static_cast<std::string*>(into)->append(folded).push_back('\0');
        },
        &joined);
    found = memo.terms_.emplace(piece, std::move(joined)).first;
  }
  const std::string_view joined = found->second;
  for (std::size_t start = 0; start < joined.size();) {
    const std::size_t end = joined.find('\0', start);
    emit(context, joined.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace kelvo
