#include "platform/widgetkit/TextMeasurer.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <mutex>
#include <unordered_map>

namespace kelvo::widgetkit {
namespace {

// DejaVu Sans' own proportions, used when its files cannot be read.
constexpr double estimatedAdvance = 0.6;
constexpr TextMeasurer::VerticalMetrics estimatedMetrics{0.928, 0.236, 1.164};

enum FaceIndex { regularFace, boldFace, lightFace, faceCount };

// The face a viewer picks for a CSS weight when only DejaVu's three weights exist.
FaceIndex faceFor(FontWeight weight) {
  const int css = cssWeight(weight);
  if (css >= 600) return boldFace;
  if (css <= 300) return lightFace;
  return regularFace;
}

bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

struct TextMeasurer::Faces {
  FT_Library library = nullptr;
  std::array<FT_Face, faceCount> faces{};
  // FreeType faces are not thread-safe; the caches are shared, so one lock guards both.
  mutable std::mutex lock;
  mutable std::array<std::unordered_map<char32_t, double>, faceCount> advances;

  ~Faces() {
    for (FT_Face face : faces) {
      if (face) FT_Done_Face(face);
    }
    if (library) FT_Done_FreeType(library);
  }

  // The face of a weight, else the regular one; null when no face could be read.
  FT_Face face(FaceIndex index) const { return faces[index] ? faces[index] : faces[regularFace]; }
};

TextMeasurer::TextMeasurer(const std::filesystem::path& directory)
    : faces_(std::make_unique<Faces>()) {
  if (FT_Init_FreeType(&faces_->library) != 0) {
    faces_->library = nullptr;
    return;
  }
  static constexpr std::array<const char*, faceCount> files{"DejaVuSans.ttf", "DejaVuSans-Bold.ttf",
                                                            "DejaVuSans-ExtraLight.ttf"};
  for (int i = 0; i < faceCount; ++i) {
    const std::string path = (directory / files[i]).string();
    FT_Face face = nullptr;
    if (FT_New_Face(faces_->library, path.c_str(), 0, &face) == 0) {
      if (face->units_per_EM > 0 && FT_IS_SCALABLE(face)) {
        faces_->faces[i] = face;
      } else {
        FT_Done_Face(face);
      }
    }
  }
}

TextMeasurer::~TextMeasurer() = default;

const TextMeasurer& TextMeasurer::shared() {
  static const TextMeasurer measurer(debianFontDirectory);
  return measurer;
}

bool TextMeasurer::hasFonts() const { return faces_->faces[regularFace] != nullptr; }

double TextMeasurer::advance(char32_t codePoint, FontWeight weight) const {
  if (isControl(codePoint)) return 0;
  const FaceIndex index = faceFor(weight);
  const std::lock_guard guard(faces_->lock);
  FT_Face face = faces_->face(index);
  if (!face) return estimatedAdvance;
  auto& cache = faces_->advances[faces_->faces[index] ? index : regularFace];
  if (const auto found = cache.find(codePoint); found != cache.end()) return found->second;
  // A character the font lacks measures as the font's missing-glyph box.
  const FT_UInt glyph = FT_Get_Char_Index(face, codePoint);
  double value = estimatedAdvance;
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0) {
    value = static_cast<double>(face->glyph->advance.x) / face->units_per_EM;
  }
  cache.emplace(codePoint, value);
  return value;
}

double TextMeasurer::kerning(char32_t left, char32_t right, FontWeight weight) const {
  if (isControl(left) || isControl(right)) return 0;
  const std::lock_guard guard(faces_->lock);
  FT_Face face = faces_->face(faceFor(weight));
  if (!face || !FT_HAS_KERNING(face)) return 0;
  FT_Vector delta{};
  if (FT_Get_Kerning(face, FT_Get_Char_Index(face, left), FT_Get_Char_Index(face, right),
                     FT_KERNING_UNSCALED, &delta) != 0) {
    return 0;
  }
  return static_cast<double>(delta.x) / face->units_per_EM;
}

TextMeasurer::VerticalMetrics TextMeasurer::verticalMetrics(FontWeight weight) const {
  const std::lock_guard guard(faces_->lock);
  FT_Face face = faces_->face(faceFor(weight));
  if (!face) return estimatedMetrics;
  const double units = face->units_per_EM;
  const double ascender = face->ascender / units;
  const double descender = -face->descender / units;
  const double lineHeight = face->height / units;
  return {ascender, descender, lineHeight > 0 ? lineHeight : ascender + descender};
}

}  // namespace kelvo::widgetkit
