#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/widgetkit/Font.hpp"
#include "platform/widgetkit/Geometry.hpp"

namespace kelvo::widgetkit {

class TextMeasurer;

/// How a text may be fitted into its space.
struct TextOptions {
  Font font;
  /// The most lines the text may take; none for no limit.
  std::optional<int> lineLimit;
  /// How far the text may shrink, as a fraction of its size (0.01 to 1; 1 never shrinks).
  double minimumScaleFactor = 1;
  /// Whether letters may be drawn closer together before the text shrinks.
  bool allowsTightening = false;
};

/// A text broken into lines that fit a width: at full size if it can, else drawn tighter, else
/// shrunk down to the minimum scale, and at last cut with "…" at the end of its last line.
struct TextLayout {
  /// The most a text is tightened: letter spacing of minus this fraction of the point size.
  static constexpr double maximumTightening = 0.04;
  static constexpr std::string_view ellipsis = "…";

  std::vector<std::string> lines;
  /// The point size drawn, after shrinking.
  double pointSize = 0;
  /// Spacing added after every character, in points (negative when tightened).
  double letterSpacing = 0;
  /// Distance from a line's top to its baseline, and from one line's top to the next.
  double ascent = 0;
  double lineHeight = 0;
  /// The widest line and the height of all lines.
  Size size;
  bool truncated = false;
};

/// Lays out `text` in at most `width` and `height` points (none for unbounded). Hard line
/// breaks are kept; lines break where the language allows, and inside a word only when the word
/// alone is too wide. A text always keeps at least one line, even one too tall for `height`.
/// Bytes that are not UTF-8 are drawn as U+FFFD.
TextLayout layoutText(std::string_view text, const TextOptions& options,
                      std::optional<double> width, std::optional<double> height,
                      const TextMeasurer& measurer);
TextLayout layoutText(std::string_view text, const TextOptions& options,
                      std::optional<double> width, std::optional<double> height);

}  // namespace kelvo::widgetkit
