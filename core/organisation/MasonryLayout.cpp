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
  return static_cast<int>(std::clamp(quotient, static_cast<double>(lower),
                                     static_cast<double>(upper)));
}

std::vector<std::vector<std::size_t>> distribute(std::span<const double> heights, int columns,
                                                 double spacing) {
  const auto count = static_cast<std::size_t>(std::clamp(columns, 1, maximumColumns));
  const double gap = spacing > 0 ? spacing : 0;
  std::vector<std::vector<std::size_t>> layout(count);
  // The shortest column on top, the leftmost among equal heights.
  using Column = std::pair<double, std::size_t>;
  std::priority_queue<Column, std::vector<Column>, std::greater<>> shortest;
  for (std::size_t column = 0; column < count; ++column) shortest.emplace(0.0, column);
  for (std::size_t index = 0; index < heights.size(); ++index) {
    const double height = std::isfinite(heights[index]) && heights[index] > 0 ? heights[index] : 0;
    auto [running, column] = shortest.top();
    shortest.pop();
    if (!layout[column].empty()) running += gap;
    running += height;
    layout[column].push_back(index);
    shortest.emplace(running, column);
  }
  return layout;
}

}  // namespace kelvo::MasonryLayout
