#include "core/organisation/MasonryLayout.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <queue>
#include <utility>

namespace kelvo::MasonryLayout {

int columnCount(double width, double minimumWidth, double spacing, int lower, int upper) {
  lower = std::max(1, lower);
  upper = std::max(upper, lower);
  if (!(std::isfinite(width) && width > 0) || !(minimumWidth > 0)) return lower;
  const double denominator = minimumWidth + spacing;
  if (!(denominator > 0)) return lower;
  const double quotient = std::floor((width + spacing) / denominator);
  if (std::isnan(quotient)) return lower;
  // Clamped while still floating point: a huge quotient does not fit an integer.
  return static_cast<int>(
      std::clamp(quotient, static_cast<double>(lower), static_cast<double>(upper)));
}

namespace {

// The few columns of a screen are scanned; an absurd count goes through a heap.
constexpr std::size_t scannedColumns = 32;

class ShortestColumn {
 public:
  explicit ShortestColumn(std::size_t count) : heights_(count, 0.0) {
    if (count > scannedColumns) {
      for (std::size_t column = 0; column < count; ++column) heap_.emplace(0.0, column);
    }
  }

  // The shortest column, the leftmost among equal heights.
  std::size_t take() {
    if (heap_.empty()) {
      // Written to become conditional moves: heights arrive in no predictable order.
      std::size_t best = 0;
      for (std::size_t column = 1; column < heights_.size(); ++column) {
        best = heights_[column] < heights_[best] ? column : best;
      }
      return best;
    }
    const std::size_t column = heap_.top().second;
    heap_.pop();
    return column;
  }

  void grow(std::size_t column, double gap, double height) {
    heights_[column] += gap;
    heights_[column] += height;
    if (heights_.size() > scannedColumns) heap_.emplace(heights_[column], column);
  }

 private:
  using Entry = std::pair<double, std::size_t>;
  std::vector<double> heights_;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> heap_;
};

}  // namespace

std::vector<std::vector<std::size_t>> distribute(std::span<const double> heights, int columns,
                                                 double spacing) {
  const auto count = static_cast<std::size_t>(std::clamp(columns, 1, maximumColumns));
  const double gap = spacing > 0 ? spacing : 0;
  std::vector<std::vector<std::size_t>> layout(count);
  for (auto& column : layout) column.reserve(heights.size() / count + 1);
  ShortestColumn shortest(count);
  for (std::size_t index = 0; index < heights.size(); ++index) {
    const double height = std::isfinite(heights[index]) && heights[index] > 0 ? heights[index] : 0;
    const std::size_t column = shortest.take();
    shortest.grow(column, layout[column].empty() ? 0 : gap, height);
    layout[column].push_back(index);
  }
  return layout;
}

}  // namespace kelvo::MasonryLayout
