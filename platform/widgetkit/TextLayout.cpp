#include "platform/widgetkit/TextLayout.hpp"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "platform/widgetkit/TextMeasurer.hpp"

namespace kelvo::widgetkit {
namespace {

// Widths are compared with this much slack, so that a text measured to fit still fits after
// rounding in the arithmetic.
constexpr double slack = 1e-6;
constexpr int scaleSearchSteps = 12;

std::unique_ptr<icu::BreakIterator> makeIterator(bool lines) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> iterator(
      lines ? icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status)
            : icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  return U_SUCCESS(status) ? std::move(iterator) : nullptr;
}

// Break iterators are costly to make and not thread-safe; each thread keeps its own.
icu::BreakIterator* lineIterator() {
  thread_local const std::unique_ptr<icu::BreakIterator> iterator = makeIterator(true);
  return iterator.get();
}
icu::BreakIterator* characterIterator() {
  thread_local const std::unique_ptr<icu::BreakIterator> iterator = makeIterator(false);
  return iterator.get();
}

struct Range {
  std::size_t start = 0;
  std::size_t end = 0;
};

// A text split into code points with their advances summed up front, so that the width of any
// run is found in constant time, and with the places it may break between lines.
class ShapedText {
 public:
  ShapedText(std::string_view text, FontWeight weight, const TextMeasurer& measurer)
      : utf16_(icu::UnicodeString::fromUTF8(icu::StringPiece(
            text.data(), static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX))))) {
    for (int32_t i = 0; i < utf16_.length(); i = utf16_.moveIndex32(i, 1)) {
      offsets_.push_back(i);
      codePoints_.push_back(static_cast<char32_t>(utf16_.char32At(i)));
    }
    offsets_.push_back(utf16_.length());
    const std::size_t count = codePoints_.size();
    advances_.assign(count + 1, 0);
    kerns_.assign(count + 1, 0);
    characters_.assign(count + 1, 0);
    for (std::size_t i = 0; i < count; ++i) {
      const double advance = measurer.advance(codePoints_[i], weight);
      advances_[i + 1] = advances_[i] + advance;
      characters_[i + 1] = characters_[i] + (advance > 0 ? 1 : 0);
      if (i + 1 < count) {
        kerns_[i + 1] = kerns_[i] + measurer.kerning(codePoints_[i], codePoints_[i + 1], weight);
      } else {
        kerns_[i + 1] = kerns_[i];
      }
    }
    findBreaks();
  }

  std::size_t size() const { return codePoints_.size(); }

  // Width in points of code points [start, end) at a size and letter spacing.
  double width(std::size_t start, std::size_t end, double pointSize, double spacing) const {
    if (end <= start) return 0;
    const double em = advances_[end] - advances_[start] + kerns_[end - 1] - kerns_[start];
    return em * pointSize + spacing * (characters_[end] - characters_[start]);
  }

  // `end` moved back over trailing white space and control characters.
  std::size_t trimmedEnd(std::size_t start, std::size_t end) const {
    while (end > start && (u_isUWhiteSpace(static_cast<UChar32>(codePoints_[end - 1])) ||
                           u_iscntrl(static_cast<UChar32>(codePoints_[end - 1])))) {
      --end;
    }
    return end;
  }

  std::string utf8(std::size_t start, std::size_t end) const {
    std::string out;
    utf16_.tempSubStringBetween(offsets_[start], offsets_[end]).toUTF8String(out);
    return out;
  }

  // Break opportunities after position 0, ascending, the last at size(); and whether each is a
  // hard break (a new line in the text).
  const std::vector<std::size_t>& breaks() const { return breaks_; }
  bool isHardBreak(std::size_t index) const { return hard_[index]; }
  const std::vector<std::size_t>& graphemes() const { return graphemes_; }

 private:
  std::size_t codePointIndex(int32_t utf16Index) const {
    return static_cast<std::size_t>(std::lower_bound(offsets_.begin(), offsets_.end(), utf16Index) -
                                    offsets_.begin());
  }

  void findBreaks() {
    graphemes_.push_back(0);
    if (icu::BreakIterator* characters = characterIterator()) {
      characters->setText(utf16_);
      for (int32_t at = characters->next(); at != icu::BreakIterator::DONE;
           at = characters->next()) {
        graphemes_.push_back(codePointIndex(at));
      }
    } else {
      for (std::size_t i = 1; i <= size(); ++i) graphemes_.push_back(i);
    }
    if (graphemes_.back() != size()) graphemes_.push_back(size());

    if (icu::BreakIterator* lines = lineIterator()) {
      lines->setText(utf16_);
      for (int32_t at = lines->next(); at != icu::BreakIterator::DONE; at = lines->next()) {
        const int32_t status = lines->getRuleStatus();
        breaks_.push_back(codePointIndex(at));
        hard_.push_back(status >= UBRK_LINE_HARD && status < UBRK_LINE_HARD_LIMIT);
      }
    }
    if (breaks_.empty() || breaks_.back() != size()) {
      breaks_.push_back(size());
      hard_.push_back(true);
    }
  }

  icu::UnicodeString utf16_;
  std::vector<int32_t> offsets_;
  std::vector<char32_t> codePoints_;
  std::vector<double> advances_;
  std::vector<double> kerns_;
  std::vector<int> characters_;
  std::vector<std::size_t> breaks_;
  std::vector<bool> hard_;
  std::vector<std::size_t> graphemes_;
};

// Greedy line breaking into at most `cap` lines.
std::vector<Range> wrap(const ShapedText& text, double pointSize, double spacing, double maxWidth,
                        std::size_t cap) {
  std::vector<Range> lines;
  const auto& breaks = text.breaks();
  const auto& graphemes = text.graphemes();
  std::size_t start = 0;
  std::size_t next = 0;  // the first break after `start`
  while (start < text.size() && lines.size() < cap) {
    while (next < breaks.size() && breaks[next] <= start) ++next;
    std::size_t accepted = start;
    for (std::size_t k = next; k < breaks.size(); ++k) {
      const std::size_t end = text.trimmedEnd(start, breaks[k]);
      if (text.width(start, end, pointSize, spacing) > maxWidth + slack) break;
      accepted = breaks[k];
      if (text.isHardBreak(k)) break;
    }
    if (accepted == start) {
      // A word too wide for a line of its own breaks between characters, one at the least.
      const std::size_t wordEnd = next < breaks.size() ? breaks[next] : text.size();
      auto g = std::upper_bound(graphemes.begin(), graphemes.end(), start);
      accepted = g != graphemes.end() ? *g : text.size();
      for (++g; g != graphemes.end() && *g <= wordEnd; ++g) {
        if (text.width(start, text.trimmedEnd(start, *g), pointSize, spacing) > maxWidth + slack) {
          break;
        }
        accepted = *g;
      }
    }
    lines.push_back({start, text.trimmedEnd(start, accepted)});
    start = accepted;
  }
  return lines;
}

struct Attempt {
  double scale = 1;
  bool tight = false;
};

class Fitter {
 public:
  // `width` and `height` are unbounded when infinite.
  Fitter(const ShapedText& text, const TextOptions& options, double width, double height,
         const TextMeasurer& measurer)
      : text_(text),
        options_(options),
        maxWidth_(width),
        height_(height),
        metrics_(measurer.verticalMetrics(options.font.weight)),
        ellipsisAdvance_(measurer.advance(U'…', options.font.weight)) {}

  double pointSize(Attempt attempt) const { return options_.font.pointSize * attempt.scale; }
  double spacing(Attempt attempt) const {
    return attempt.tight ? -TextLayout::maximumTightening * pointSize(attempt) : 0;
  }

  std::size_t maxLines(Attempt attempt) const {
    std::size_t limit = SIZE_MAX;
    if (options_.lineLimit) limit = static_cast<std::size_t>(std::max(1, *options_.lineLimit));
    const double lineHeight = metrics_.lineHeight * pointSize(attempt);
    if (lineHeight > 0 && std::isfinite(height_)) {
      const double fitting = std::floor(height_ / lineHeight + slack);
      limit = std::min(limit, static_cast<std::size_t>(std::max(1.0, std::min(fitting, 1e9))));
    }
    return limit;
  }

  bool fits(Attempt attempt) const {
    const std::size_t limit = maxLines(attempt);
    const std::size_t cap = limit == SIZE_MAX ? SIZE_MAX : limit + 1;
    return wrap(text_, pointSize(attempt), spacing(attempt), maxWidth_, cap).size() <= limit;
  }

  TextLayout finish(Attempt attempt, bool truncate) const {
    TextLayout layout;
    layout.pointSize = pointSize(attempt);
    layout.letterSpacing = spacing(attempt);
    layout.lineHeight = metrics_.lineHeight * layout.pointSize;
    layout.ascent =
        (metrics_.ascender + (metrics_.lineHeight - metrics_.ascender - metrics_.descender) / 2) *
        layout.pointSize;
    const std::size_t limit = maxLines(attempt);
    std::vector<Range> ranges =
        wrap(text_, layout.pointSize, layout.letterSpacing, maxWidth_, limit);
    double widest = 0;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      const Range range = ranges[i];
      if (truncate && i + 1 == ranges.size()) {
        layout.lines.push_back(truncated(range.start, layout, widest));
        layout.truncated = true;
        continue;
      }
      layout.lines.push_back(text_.utf8(range.start, range.end));
      widest = std::max(
          widest, text_.width(range.start, range.end, layout.pointSize, layout.letterSpacing));
    }
    layout.size = {widest, static_cast<double>(layout.lines.size()) * layout.lineHeight};
    return layout;
  }

 private:
  // The last line: the rest of its paragraph, cut between characters so that it and "…" fit.
  std::string truncated(std::size_t start, const TextLayout& layout, double& widest) const {
    std::size_t paragraphEnd = text_.size();
    const auto& breaks = text_.breaks();
    for (std::size_t k = 0; k < breaks.size(); ++k) {
      if (breaks[k] > start && text_.isHardBreak(k)) {
        paragraphEnd = breaks[k];
        break;
      }
    }
    const double ellipsisWidth = ellipsisAdvance_ * layout.pointSize + layout.letterSpacing;
    const auto& graphemes = text_.graphemes();
    const auto first = std::lower_bound(graphemes.begin(), graphemes.end(), start);
    const auto last = std::upper_bound(first, graphemes.end(), paragraphEnd);
    // Widths grow with every character, so the longest fitting cut is found by bisection.
    const auto fitting = [&](std::size_t end) {
      const std::size_t trimmed = text_.trimmedEnd(start, end);
      return text_.width(start, trimmed, layout.pointSize, layout.letterSpacing) + ellipsisWidth <=
             maxWidth_ + slack;
    };
    const auto cut = std::partition_point(first, last, fitting);
    const std::size_t end = cut == first ? start : text_.trimmedEnd(start, *(cut - 1));
    widest = std::max(
        widest, text_.width(start, end, layout.pointSize, layout.letterSpacing) + ellipsisWidth);
    return text_.utf8(start, end) + std::string(TextLayout::ellipsis);
  }

  const ShapedText& text_;
  const TextOptions& options_;
  double maxWidth_;
  double height_;
  TextMeasurer::VerticalMetrics metrics_;
  double ellipsisAdvance_;
};

}  // namespace

TextLayout layoutText(std::string_view text, const TextOptions& options,
                      std::optional<double> width, std::optional<double> height,
                      const TextMeasurer& measurer) {
  TextOptions safe = options;
  if (!(safe.font.pointSize > 0) || !std::isfinite(safe.font.pointSize)) safe.font.pointSize = 0;
  if (!(safe.minimumScaleFactor > 0.01)) safe.minimumScaleFactor = 0.01;
  if (!(safe.minimumScaleFactor <= 1)) safe.minimumScaleFactor = 1;  // also catches NaN
  // An absent or meaningless bound is no bound.
  const auto bound = [](std::optional<double> length) {
    const double value = length.value_or(infinity);
    return std::isnan(value) ? infinity : std::max(0.0, value);
  };

  const ShapedText shaped(text, safe.font.weight, measurer);
  const Fitter fitter(shaped, safe, bound(width), bound(height), measurer);

  Attempt attempt{1, false};
  if (fitter.fits(attempt)) return fitter.finish(attempt, false);
  if (safe.allowsTightening) {
    attempt.tight = true;
    if (fitter.fits(attempt)) return fitter.finish(attempt, false);
  }
  const double minimum = safe.minimumScaleFactor;
  if (minimum < 1 && fitter.fits({minimum, attempt.tight})) {
    double low = minimum;
    double high = 1;
    for (int step = 0; step < scaleSearchSteps; ++step) {
      const double middle = (low + high) / 2;
      (fitter.fits({middle, attempt.tight}) ? low : high) = middle;
    }
    return fitter.finish({low, attempt.tight}, false);
  }
  return fitter.finish({minimum, attempt.tight}, true);
}

TextLayout layoutText(std::string_view text, const TextOptions& options,
                      std::optional<double> width, std::optional<double> height) {
  return layoutText(text, options, width, height, TextMeasurer::shared());
}

}  // namespace kelvo::widgetkit
