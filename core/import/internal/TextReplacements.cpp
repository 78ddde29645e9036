#include "core/import/internal/TextReplacements.hpp"

#include <algorithm>

namespace kelvo::import_internal {
namespace {

// Counts the list's dictionaries and makes their snippets as they come, the first element
// deciding whether the list is recognised.
class ReplacementSink final : public PropertyList::ElementSink {
 public:
  ReplacementSink(std::optional<std::size_t> limit, bool recognisedOnly, std::size_t expected)
      : limit_(limit.value_or(0)),
        make_(limit.has_value()),
        recognisedOnly_(recognisedOnly),
        making_(make_),
        expected_(std::min(expected, limit_)) {}

  // Only the texts of an entry are read from it.
  bool keeps(std::string_view key) const override { return key == "phrase" || key == "shortcut"; }

  void element(PropertyListValue&& element) override {
    if (std::exchange(first_, false)) {
      found_.recognised = opensTextReplacements(element);
      making_ = making_ && (found_.recognised || !recognisedOnly_);
      if (making_) snippets_.reserve(expected_);
    }
    auto* entries = std::get_if<PropertyListValue::Dictionary>(&storageOf(element));
    if (!entries) return;
    if (++found_.count > limit_ && making_) {
      making_ = false;
      std::vector<ImportedSnippet>().swap(snippets_);
    }
    if (making_) addReplacement(snippets_, *entries);
  }

  void restart() override {
    found_ = TextReplacementList();
    std::vector<ImportedSnippet>().swap(snippets_);
    first_ = true;
    making_ = make_;
  }

  // What was found; a top-level value other than an array gave no element, and so nothing.
  TextReplacementList result() {
    if (making_ && (found_.recognised || !recognisedOnly_)) found_.snippets = std::move(snippets_);
    return std::move(found_);
  }

 private:
  std::size_t limit_;
  bool make_, recognisedOnly_, making_;
  std::size_t expected_;  // the list's size, when a count made before says it
  bool first_ = true;
  TextReplacementList found_;
  std::vector<ImportedSnippet> snippets_;
};

// Whether `text` may give more than `limit` snippets: each is a dictionary, whose markup opens
// with "<dict" (entities stand for no markup here) and takes at least 7 bytes. One pass: each
// search reads only up to its match, where `memmem` over the rest of the text would have the
// sanitizers check all of that rest on every call.
bool mayHoldMore(std::string_view text, std::size_t limit) {
  constexpr std::string_view opening = "<dict";
  if (text.size() / 7 <= limit) return false;
  std::size_t dictionaries = 0;
  for (std::size_t at = text.find(opening); at != std::string_view::npos;
       at = text.find(opening, at + opening.size())) {
    if (++dictionaries > limit) return true;
  }
  return false;
}

TextReplacementList read(std::string_view text, std::optional<std::size_t> limit,
                         bool recognisedOnly, std::size_t expected = 0) {
  ReplacementSink sink(limit, recognisedOnly, expected);
  PropertyList::read(text, sink, propertyListDocumentLimit);
  return sink.result();
}

}  // namespace

// A list that may give more snippets than the limit is counted before any is made, so that a
// refusal holds nothing beside the text; the few such lists that fit are read again, into a
// list of their size.
TextReplacementList textReplacements(std::string_view text, std::optional<std::size_t> limit,
                                     bool recognisedOnly) {
  if (!limit || !mayHoldMore(text, *limit)) return read(text, limit, recognisedOnly);
  TextReplacementList counted = read(text, std::nullopt, recognisedOnly);
  if (counted.count > *limit || (recognisedOnly && !counted.recognised)) return counted;
  return read(text, limit, recognisedOnly, counted.count);
}

}  // namespace kelvo::import_internal
