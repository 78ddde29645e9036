#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvo::CardPayload {

/// The position in a paged document. The page count is fixed and never negative; the index is
/// zero-based, always within the pages (0 when there are none), and moves only through the
/// operations below.
class Pagination {
 public:
  /// A negative count is taken as 0; the index is clamped into the pages.
  Pagination(std::int64_t pageCount, std::int64_t pageIndex);

  std::int64_t pageCount() const { return pageCount_; }
  std::int64_t pageIndex() const { return pageIndex_; }

  bool hasPages() const { return pageCount_ > 0; }
  bool isPaged() const { return pageCount_ >= 2; }
  bool canGoForward() const { return pageIndex_ + 1 < pageCount_; }
  bool canGoBack() const { return pageIndex_ > 0; }

  /// One page on, when there is one.
  void goForward();
  /// One page back, when there is one.
  void goBack();
  /// The given page, clamped into the pages.
  void go(std::int64_t toPageIndex);

  /// "Page 1 of 12", both numbers in the current locale with its grouping; none without pages.
  std::optional<std::string> label() const;

  /// The page count fit to store on a card: none for 0 or less.
  static std::optional<std::int64_t> storable(std::int64_t pageCount);

  friend bool operator==(const Pagination&, const Pagination&) = default;

 private:
  std::int64_t clamped(std::int64_t index) const;

  std::int64_t pageCount_;
  std::int64_t pageIndex_;
};

}  // namespace kelvo::CardPayload
