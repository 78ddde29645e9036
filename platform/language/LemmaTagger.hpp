#pragma once

// The dictionary form of a word: "invoices" gives "invoice", "ran" gives "run". The English
// tagger reads its table from the data folder (LanguageData.hpp), and is null without it:
//
//   const auto tagger = language::LemmaTagger::standard();
//   const auto lemma = tagger ? tagger->lemma("Invoices due") : std::nullopt;  // "invoice"
//   const auto past = tagger ? tagger->lemma("ran") : std::nullopt;            // "run"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo::language {

class LemmaTagger {
 public:
  virtual ~LemmaTagger() = default;

  /// The lemma of the text's first word (its first run of letters and digits, lower-cased in
  /// the root locale), or none when the tagger does not know the word.
  virtual std::optional<std::string> lemma(std::string_view text) const = 0;

  /// The English tagger over the lemma file of the data folder; none when that file is missing
  /// or refused. One per process and file, shared.
  static std::shared_ptr<const LemmaTagger> standard();
};

}  // namespace kelvo::language
