// Reads bytes as an XML property list and, when it reads, as a text-replacement list. What the
// plain reader reads must come out as the document reader reads it, and a list given up to the
// text-replacement parser must give what a list lent to it gives.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/import/ApplePlistParser.hpp"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  if (const auto plain = kelvo::foundation_internal::readPlain(text)) {
    if (!same(*plain, kelvo::foundation_internal::readDocument(text))) std::abort();
  }
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
