#include "core/model/CardPayloadPagination.hpp"

#include <algorithm>

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/NumberFormat.hpp"

namespace kelvo::CardPayload {

Pagination::Pagination(std::int64_t pageCount, std::int64_t pageIndex)
    : pageCount_(std::max<std::int64_t>(pageCount, 0)), pageIndex_(0) {
  pageIndex_ = clamped(pageIndex);
}

std::int64_t Pagination::clamped(std::int64_t index) const {
  if (pageCount_ == 0) return 0;
  return std::clamp<std::int64_t>(index, 0, pageCount_ - 1);
}

void Pagination::goForward() {
  if (canGoForward()) ++pageIndex_;
}

void Pagination::goBack() {
  if (canGoBack()) --pageIndex_;
}

void Pagination::go(std::int64_t toPageIndex) { pageIndex_ = clamped(toPageIndex); }

std::optional<std::string> Pagination::label() const {
  if (pageCount_ == 0) return std::nullopt;
  return localized("Page %@ of %@", formatInteger(pageIndex_ + 1), formatInteger(pageCount_));
}

std::optional<std::int64_t> Pagination::storable(std::int64_t pageCount) {
  if (pageCount <= 0) return std::nullopt;
  return pageCount;
}

}  // namespace kelvo::CardPayload
