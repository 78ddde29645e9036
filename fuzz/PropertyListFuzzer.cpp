// Reads bytes as an XML property list and, when it reads, as a text-replacement list. What the
// plain reader reads must come out as the document reader reads it, and a list given up to the
// text-replacement parser must give what a list lent to it gives. Read element by element, the
// bytes give the same list and the same snippets, or fail alike, also with a limit of exactly
// as many snippets or one fewer.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "core/import/ApplePlistParser.hpp"
#include "core/import/internal/TextReplacements.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/internal/PropertyListScanner.hpp"

namespace {

// Equality with a NaN equal to itself, since "nan" reads as a <real>.
bool same(const kelvo::PropertyListValue& a, const kelvo::PropertyListValue& b) {
  using Value = kelvo::PropertyListValue;
  if (a.storage().index() != b.storage().index()) return false;
  if (const auto* x = std::get_if<double>(&a.storage())) {
    const double y = std::get<double>(b.storage());
    return *x == y || (std::isnan(*x) && std::isnan(y));
  }
  if (a.isArray()) {
    const Value::Array &x = a.array(), &y = b.array();
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (!same(x[i], y[i])) return false;
    }
    return true;
  }
  if (a.isDictionary()) {
    const Value::Dictionary &x = a.dictionary(), &y = b.dictionary();
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (x[i].first != y[i].first || !same(x[i].second, y[i].second)) return false;
    }
    return true;
  }
  return a == b;
}

// Keeps the elements it is given, dropping them when reading starts again; of a dictionary it
// keeps all entries.
struct Elements : kelvo::PropertyList::ElementSink {
  kelvo::PropertyListValue::Array all;
  bool keeps(std::string_view) const override { return true; }
  void element(kelvo::PropertyListValue&& element) override { all.push_back(std::move(element)); }
  void restart() override { all.clear(); }
};

// An element as the sink keeps it: its own arrays and dictionaries empty.
kelvo::PropertyListValue shallow(const kelvo::PropertyListValue& element) {
  using Value = kelvo::PropertyListValue;
  const auto emptied = [](const Value& value) {
    return value.isArray()        ? Value(Value::Array())
           : value.isDictionary() ? Value(Value::Dictionary())
                                  : value;
  };
  if (!element.isDictionary()) return emptied(element);
  Value::Dictionary entries;
  for (const auto& [key, value] : element.dictionary()) entries.emplace_back(key, emptied(value));
  return Value(std::move(entries));
}

void readsAlikeByElements(std::string_view text, const kelvo::PropertyListValue* whole) {
  Elements sink;
  std::optional<kelvo::PropertyListValue> value;
  std::optional<kelvo::import_internal::TextReplacementList> list;
  try {
    value = kelvo::PropertyList::read(text, sink, SIZE_MAX);
    list = kelvo::import_internal::textReplacements(text, SIZE_MAX, false);
  } catch (const kelvo::PropertyListError&) {
  }
  if (!whole || !value || !list) {
    if (whole || value || list) std::abort();
    return;
  }
  if (whole->isArray()) {
    if (sink.all.size() != whole->array().size()) std::abort();
    for (std::size_t i = 0; i < sink.all.size(); ++i) {
      if (!same(sink.all[i], shallow(whole->array()[i]))) std::abort();
    }
  } else if (!same(*value, *whole)) {
    std::abort();
  }
  if (list->recognised != kelvo::ApplePlistParser::looksLikeTextReplacements(*whole) ||
      *list->snippets != kelvo::ApplePlistParser::parse(*whole)) {
    std::abort();
  }
  // With a limit of exactly its count, or one fewer, whether or not it is counted first.
  const std::size_t count = list->snippets->size();
  const auto atLimit = kelvo::import_internal::textReplacements(text, count, false);
  if (atLimit.count != count || atLimit.snippets != list->snippets) std::abort();
  if (count > 0) {
    const auto over = kelvo::import_internal::textReplacements(text, count - 1, false);
    if (over.count != count || over.snippets) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  if (const auto plain = kelvo::foundation_internal::readPlain(text)) {
    if (!same(*plain, kelvo::foundation_internal::readDocument(text))) std::abort();
  }
  std::optional<kelvo::PropertyListValue> whole;
  try {
    whole = kelvo::PropertyList::read(text);
  } catch (const kelvo::PropertyListError&) {
  }
  readsAlikeByElements(text, whole ? &*whole : nullptr);
  try {
    const kelvo::PropertyListValue value = kelvo::PropertyList::read(text);
    const bool recognised = kelvo::ApplePlistParser::looksLikeTextReplacements(value);
    const auto snippets = kelvo::ApplePlistParser::parse(value);
    if (recognised && snippets.empty()) std::abort();
    if (snippets.size() > value.array().size()) std::abort();
    // Taking the texts out of a list given up changes nothing in the snippets.
    if (kelvo::ApplePlistParser::parse(kelvo::PropertyListValue(value)) != snippets) std::abort();
  } catch (const kelvo::PropertyListError&) {
  }
  return 0;
}
