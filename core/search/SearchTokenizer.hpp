#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

/// The one word splitter of the system, behind `SearchIndex::tokenize`: folds case and
/// diacritics, keeps runs of letters and digits, and makes each ideograph, kana and Hangul
/// syllable a term of its own.
class SearchTokenizer {
 public:
  /// The terms of `text`, in order of appearance.
  static std::vector<std::string> terms(std::string_view text);

  /// Calls `emit(std::string_view)` with each term of `text` in order, without building a list.
  /// A view is valid only during its call.
  template <class Emit>
  static void forEachTerm(std::string_view text, Emit&& emit) {
    run(
        text, [](void* context, std::string_view term) { (*static_cast<Emit*>(context))(term); },
        &emit);
  }

  /// A letter (Alphabetic) or a number (any Numeric_Type but None).
  static bool isWordScalar(char32_t scalar);
  /// A word scalar of the ideographic and syllabic ranges, each of which is a term by itself.
  static bool standsAlone(char32_t scalar);

 private:
  using Emitter = void (*)(void* context, std::string_view term);
  static void run(std::string_view text, Emitter emit, void* context);
  static void splitFolded(std::string_view folded, std::string& term, Emitter emit, void* context);
};

}  // namespace kelvo
