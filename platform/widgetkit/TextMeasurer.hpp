#pragma once

#include <filesystem>
#include <memory>

#include "platform/widgetkit/Font.hpp"

namespace kelvo::widgetkit {

/// Horizontal and vertical metrics of the system font, in em (multiples of the point size),
/// read with FreeType from the DejaVu Sans files that viewers of our drawings also use.
class TextMeasurer {
 public:
  /// Where Debian's fonts-dejavu-core puts its files.
  static constexpr const char* debianFontDirectory = "/usr/share/fonts/truetype/dejavu";

  /// Vertical metrics in em: the baseline lies `ascender` below a line's top, and lines are
  /// `lineHeight` apart.
  struct VerticalMetrics {
    double ascender = 0;
    double descender = 0;
    double lineHeight = 0;
  };

  /// Reads DejaVuSans.ttf, DejaVuSans-Bold.ttf and DejaVuSans-ExtraLight.ttf from `directory`.
  /// A missing weight falls back to the regular face; with no face at all the metrics are an
  /// estimate (every character 0.6 em wide), so layout still works, only less exactly.
  explicit TextMeasurer(const std::filesystem::path& directory);
  ~TextMeasurer();
  TextMeasurer(const TextMeasurer&) = delete;
  TextMeasurer& operator=(const TextMeasurer&) = delete;

  /// The measurer over the Debian font folder, made on first use.
  static const TextMeasurer& shared();

  /// Whether a real face was read for the regular weight.
  bool hasFonts() const;
  /// The advance of one code point at a weight. Control characters advance nothing.
  /// Safe to call from several threads.
  double advance(char32_t codePoint, FontWeight weight) const;
  /// The kerning adjustment between two neighbouring code points (usually zero or negative).
  double kerning(char32_t left, char32_t right, FontWeight weight) const;
  VerticalMetrics verticalMetrics(FontWeight weight) const;

 private:
  struct Faces;
  std::unique_ptr<Faces> faces_;
};

}  // namespace kelvo::widgetkit
