#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo {

/// The words of widget rows.
struct KelvoWidgetText {
  /// The most characters a row title keeps before it is cut.
  static constexpr std::int64_t rowTitleLimit = 28;

  /// The localised "Untitled".
  static std::string untitled();

  /// `title` on one line: runs of white space become one blank, both ends are trimmed, and a
  /// title longer than `limit` characters keeps its first `limit` (less trailing blanks) and
  /// ends in "…". A blank title, or a `limit` of 0 or less, gives `untitled()`.
  static std::string rowTitle(std::string_view title, std::int64_t limit = rowTitleLimit);
};

}  // namespace kelvo
