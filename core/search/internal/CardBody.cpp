#include "core/search/internal/CardBody.hpp"

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace kelvo::search_internal {
namespace {

constexpr std::size_t runSize(std::size_t count, std::size_t total, bool wide) {
  return count * (wide ? 4 : 2) + total;
}

// Lays texts out as a run, one after another: see `SearchableCard::inRun`.
class RunWriter {
 public:
  RunWriter(std::byte* run, std::size_t count, bool wide)
      : end_(run), out_(reinterpret_cast<char*>(run) + runSize(count, 0, wide)), wide_(wide) {}

  void append(std::string_view text) {
    if (!text.empty()) std::memcpy(out_ + at_, text.data(), text.size());
    at_ += static_cast<std::uint32_t>(text.size());
    if (wide_) {
      std::memcpy(end_, &at_, sizeof at_);
      end_ += sizeof at_;
    } else {
      const auto narrow = static_cast<std::uint16_t>(at_);
      std::memcpy(end_, &narrow, sizeof narrow);
      end_ += sizeof narrow;
    }
  }

 private:
  std::byte* end_;
  char* out_;
  std::uint32_t at_ = 0;
  bool wide_;
};

}  // namespace

CardBody::CardBody(const SearchableCard::Head& head, CarvedBlocks<CardBody>::Carved first,
                   CarvedBlocks<char>::Carved second)
    : head_(head),
      references_(1),
      placement_(first.placement),
      longPlacement_(second.placement),
      longRun_(static_cast<const std::byte*>(second.at)) {
  // A card reads its head at the pieces' own address, and its short texts right after them.
  static_assert(std::is_standard_layout_v<CardBody> && offsetof(CardBody, head_) == 0);
  static_assert(sizeof(CardBody) == SearchableCard::fixedSize);
  static_assert(alignof(CardBody) <= CarvedBlocks<CardBody>::alignment);
  static_assert(std::uint32_t{content} == std::uint32_t{SearchableCard::shortTextCount_} &&
                (wideLongEnds & (SearchableCard::lastUsedAtGiven | SearchableCard::wideShortEnds |
                                 ((1U << content) - 1))) == 0);
}

CardBody* CardBody::make(const Contents& contents) {
  std::size_t shortTotal = 0;
  for (const std::optional<std::string_view>& text : contents.shortTexts) {
    shortTotal += text.value_or("").size();
  }
  std::size_t longTotal = contents.content.size() + contents.extractedText.size();
  for (const std::string& tag : contents.tags) longTotal += tag.size();
  // Ends are 32-bit, as containers refuse what they cannot hold.
  constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max();
  if (shortTotal + longTotal > limit || contents.tags.size() > limit - firstTag) {
    throw std::length_error("SearchableCard: texts longer than 4 GiB");
  }
  constexpr std::size_t narrowLimit = std::numeric_limits<std::uint16_t>::max();
  const bool wideShort = shortTotal > narrowLimit;
  const bool wideLong = longTotal > narrowLimit;
  const std::size_t longCount = firstTag - content + contents.tags.size();
  const auto first =
      CarvedBlocks<CardBody>::allocate(sizeof(CardBody) + runSize(content, shortTotal, wideShort));
  CarvedBlocks<char>::Carved second{nullptr, 0};
  if (longTotal > 0 || !contents.tags.empty()) {
    try {
      second = CarvedBlocks<char>::allocate(runSize(longCount, longTotal, wideLong));
    } catch (...) {
      CarvedBlocks<CardBody>::deallocate(first.at, first.placement);
      throw;
    }
  }
  std::uint8_t flags = (wideShort ? SearchableCard::wideShortEnds : 0) |
                       (wideLong ? wideLongEnds : 0) |
                       (contents.lastUsedAt ? SearchableCard::lastUsedAtGiven : 0);
  for (std::uint32_t k = 0; k < content; ++k) {
    if (contents.shortTexts[k]) flags |= static_cast<std::uint8_t>(1U << k);
  }
  auto* pieces =
      ::new (first.at) CardBody({.tagCount = static_cast<std::uint32_t>(contents.tags.size()),
                                 .type = contents.type,
                                 .flags = flags,
                                 .useCount = contents.useCount,
                                 .lastUsedAt = contents.lastUsedAt.value_or(Date()),
                                 .id = contents.id},
                                first, second);
  pieces->write(contents);
  return pieces;
}

void CardBody::write(const Contents& contents) {
  RunWriter shortTexts(const_cast<std::byte*>(shortRun()), content, wide(title));
  for (const std::optional<std::string_view>& text : contents.shortTexts) {
    shortTexts.append(text.value_or(""));
  }
  if (longRun_ == nullptr) return;
  RunWriter longTexts(const_cast<std::byte*>(longRun_), firstTag - content + head_.tagCount,
                      wide(content));
  longTexts.append(contents.content);
  longTexts.append(contents.extractedText);
  for (const std::string& tag : contents.tags) longTexts.append(tag);
}

void CardBody::release() noexcept {
  if (references_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  const CarvedBlocks<CardBody>::Carved first{this, placement_};
  const CarvedBlocks<char>::Carved second{const_cast<std::byte*>(longRun_), longPlacement_};
  this->~CardBody();
  CarvedBlocks<char>::deallocate(second.at, second.placement);
  CarvedBlocks<CardBody>::deallocate(first.at, first.placement);
}

}  // namespace kelvo::search_internal
