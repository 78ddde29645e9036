#pragma once

// The masonry grid: how many columns fit a width, and how items of different heights are dealt
// out to them, each to the shortest column. Layout units only; it knows nothing of cards.
//
//   const std::vector<double> heights{120, 80, 200, 60};
//   const int columns = MasonryLayout::columnCount(520, 240, 16, 1, 6);  // 2
//   const auto layout = MasonryLayout::distribute(heights, columns, 16);  // {0, 3}, {1, 2}

#include <cstddef>
#include <span>
#include <vector>

/// The masonry grid: how many columns fit a width, and how items of different heights are dealt
/// out to them. Works on layout units only; knows nothing of cards.
namespace kelvo::MasonryLayout {

/// No screen shows more columns; a larger count is taken as this.
inline constexpr int maximumColumns = 4'096;

/// The most columns of at least `minimumWidth` with `spacing` between them that fit `width`,
/// within [max(1, lower), max(upper, that)]. A width that is not a positive finite number, or a
/// minimum width plus spacing that is not positive, gives the lower bound.
int columnCount(double width, double minimumWidth, double spacing, int lower, int upper);

/// Deals item indexes to `columns` columns (at least one, at most `maximumColumns`): each item
/// goes to the shortest column, the leftmost among equals, with `spacing` between items of one
/// column. Heights that are not positive finite numbers count as 0.
std::vector<std::vector<std::size_t>> distribute(std::span<const double> heights, int columns,
                                                 double spacing);

}  // namespace kelvo::MasonryLayout
