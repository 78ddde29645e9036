#include "core/import/internal/TextReplacements.hpp"

namespace kelvo::import_internal {
namespace {

// Counts the list's dictionaries and makes their snippets as they come, the first element
// deciding whether the list is recognised.
class ReplacementSink final : public PropertyList::ElementSink {
 public:
  ReplacementSink(std::optional<std::size_t> limit, bool recognisedOnly)
      : limit_(limit.value_or(0)),
        make_(limit.has_value()),
        recognisedOnly_(recognisedOnly),
        making_(make_) {}

  // Only the texts of an entry are read from it.
  bool keeps(std::string_view key) const override { return key == "phrase" || key == "shortcut"; }

  void element(PropertyListValue&& element) override {
    if (std::exchange(first_, false)) {
      found_.recognised = opensTextReplacements(element);
      making_ = making_ && (found_.recognised || !recognisedOnly_);
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
  bool first_ = true;
  TextReplacementList found_;
  std::vector<ImportedSnippet> snippets_;
};

}  // namespace

TextReplacementList textReplacements(std::string_view text, std::optional<std::size_t> limit,
                                     bool recognisedOnly) {
  ReplacementSink sink(limit, recognisedOnly);
  PropertyList::read(text, sink, propertyListDocumentLimit);
  return sink.result();
}

}  // namespace kelvo::import_internal
