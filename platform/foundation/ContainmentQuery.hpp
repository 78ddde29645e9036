#pragma once

#include <string>
#include <string_view>

namespace kelvo::text {

/// A search text folded once, for the "standard" containment test of search fields: case and
/// diacritics ignored through `folded` (width is not folded), the whole query as one run.
///
///     const text::ContainmentQuery query("zoe");
///     query.isFoundIn("Zoë Park");  // true
class ContainmentQuery {
 public:
  explicit ContainmentQuery(std::string_view query);
  /// Whether `text`, folded the same way, holds the query; never for an empty query.
  bool isFoundIn(std::string_view text) const;

 private:
  std::string folded_;
  bool isASCII_ = true;
};

/// `ContainmentQuery(query).isFoundIn(text)`.
bool localizedStandardContains(std::string_view text, std::string_view query);

}  // namespace kelvo::text
