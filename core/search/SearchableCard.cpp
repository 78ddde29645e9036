#include "core/search/SearchableCard.hpp"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "core/model/VariableTemplate.hpp"
#include "core/search/SmartFilter.hpp"
#include "platform/foundation/Hash.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// Bodies are carved one after another from blocks, so that cards made together lie together
// and a pass over a library reads memory in order; bodies spread about the heap cost each card
// a cache miss of its own. The fixed fields and the texts come from blocks of their own kinds,
// so that a pass over the fields alone meets few pages. A block goes with the last piece carved
// from it; a piece too large for a block has an allocation of its own. Each piece's place in
// its block (in steps of eight bytes; 0 for one of its own) is kept in the card, so that the
// block needs no note beside every piece.
template <class Kind>
class BodyBlocks {
 public:
  struct Carved {
    void* at;
    std::uint16_t placement;
  };

  static Carved allocate(std::size_t size) {
    if (size == 0) return {nullptr, 0};
    const std::size_t step = roundedUp(size);
    if (step > blockSize / 8) return {::operator new(size), 0};
    Block*& block = carving().block;
    if (block == nullptr || block->used + step > blockSize) {
      if (block != nullptr) release(block);
      block = ::new (::operator new(blockSize)) Block();
    }
    const std::size_t offset = block->used;
    block->used += step;
    block->users.fetch_add(1, std::memory_order_relaxed);
    return {reinterpret_cast<std::byte*>(block) + offset,
            static_cast<std::uint16_t>(offset / alignment)};
  }

  static void deallocate(void* pointer, std::uint16_t placement) noexcept {
    if (placement == 0) {
      ::operator delete(pointer);
    } else {
      release(reinterpret_cast<Block*>(static_cast<std::byte*>(pointer) -
                                       std::size_t{placement} * alignment));
    }
  }

 private:
  // Small enough that a few long-lived bodies among many short-lived ones pin little memory.
  static constexpr std::size_t blockSize = 16 * 1024;
  static constexpr std::size_t alignment = 8;
  static_assert(blockSize / alignment <= std::numeric_limits<std::uint16_t>::max());

  static constexpr std::size_t roundedUp(std::size_t size) {
    return (size + alignment - 1) / alignment * alignment;
  }

  struct Block {
    std::atomic<std::size_t> users{1};  // its bodies, and the thread carving from it
    std::size_t used = roundedUp(sizeof(Block));
  };

  static void release(Block* block) noexcept {
    if (block->users.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      block->~Block();
      ::operator delete(block);
    }
  }

  // The block this thread carves from, given up when the thread ends.
  struct Carving {
    Block* block = nullptr;
    ~Carving() {
      if (block != nullptr) release(block);
    }
  };
  static Carving& carving() {
    thread_local Carving current;
    return current;
  }
};

bool sameText(std::string_view a, std::string_view b) {
  return a == b || text::canonicallyEqual(a, b);
}

bool sameText(std::optional<std::string_view> a, std::optional<std::string_view> b) {
  if (!a || !b) return !a && !b;
  return sameText(*a, *b);
}

void combineText(std::size_t& seed, std::optional<std::string_view> value) {
  hashCombine(seed, value ? text::canonicalHash(*value) : 0x5A5A5A5AULL);
  hashCombine(seed, value.has_value());
}

}  // namespace

SearchableCard::SearchableCard(UUID id, CardType type, std::string_view title,
                               std::string_view content, std::string_view extractedText,
                               const std::vector<std::string>& autoTags, std::string_view shelfName,
                               std::string_view projectName,
                               std::optional<std::string_view> factLabel,
                               std::optional<std::string_view> sourceApp, std::int64_t useCount,
                               std::optional<Date> lastUsedAt) {
  std::string_view fixed[firstTag_];
  fixed[title_] = title;
  fixed[shelfName_] = shelfName;
  fixed[projectName_] = projectName;
  fixed[factLabel_] = factLabel.value_or(std::string_view());
  fixed[sourceApp_] = sourceApp.value_or(std::string_view());
  fixed[content_] = content;
  fixed[extractedText_] = extractedText;
  // Ends are 32-bit, as containers refuse what they cannot hold.
  constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max();
  std::size_t total = 0;
  for (const std::string_view text : fixed) total += text.size();
  for (const std::string& tag : autoTags) total += tag.size();
  if (total > limit || autoTags.size() > limit - firstTag_) {
    throw std::length_error("SearchableCard: texts longer than 4 GiB");
  }
  const std::size_t count = firstTag_ + autoTags.size();
  std::size_t shortTotal = 0;
  for (std::uint32_t k = 0; k < content_; ++k) shortTotal += fixed[k].size();
  const std::size_t longTotal = total - shortTotal;
  const bool wide = std::max(shortTotal, longTotal) > std::numeric_limits<std::uint16_t>::max();
  const std::size_t width = wide ? 4 : 2;
  static_assert(alignof(Body) <= 8);
  const auto head = BodyBlocks<Body>::allocate(sizeof(Body) + count * width + shortTotal);
  const auto texts = BodyBlocks<char>::allocate(longTotal);
  const std::uint8_t present =
      static_cast<std::uint8_t>((factLabel ? hasFactLabel : 0) | (sourceApp ? hasSourceApp : 0) |
                                (lastUsedAt ? hasLastUsedAt : 0) | (wide ? wideEnds : 0));
  body_ = ::new (head.at) Body{{1},
                               static_cast<std::uint32_t>(autoTags.size()),
                               type,
                               present,
                               head.placement,
                               texts.placement,
                               useCount,
                               lastUsedAt.value_or(Date()),
                               id,
                               static_cast<const char*>(texts.at)};
  auto* end = reinterpret_cast<unsigned char*>(body_ + 1);
  char* out = reinterpret_cast<char*>(end + count * width);
  std::uint32_t at = 0;
  std::uint32_t k = 0;
  const auto append = [&](std::string_view text) {
    if (k++ == content_) {
      out = static_cast<char*>(texts.at);
      at = 0;
    }
    if (!text.empty()) std::memcpy(out + at, text.data(), text.size());
    at += static_cast<std::uint32_t>(text.size());
    if (wide) {
      std::memcpy(end, &at, sizeof at);
    } else {
      const auto narrow = static_cast<std::uint16_t>(at);
      std::memcpy(end, &narrow, sizeof narrow);
    }
    end += width;
  };
  for (const std::string_view text : fixed) append(text);
  for (const std::string& tag : autoTags) append(tag);
}

void SearchableCard::release() noexcept {
  if (body_ != nullptr && body_->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    const char* texts = body_->longTexts;
    const std::uint16_t textPlacement = body_->textPlacement;
    const std::uint16_t placement = body_->placement;
    body_->~Body();
    BodyBlocks<char>::deallocate(const_cast<char*>(texts), textPlacement);
    BodyBlocks<Body>::deallocate(body_, placement);
  }
  body_ = nullptr;
}

bool SearchableCard::hasVariables() const {
  return type() == CardType::text && VariableTemplate(std::string(content())).hasVariables();
}

bool SearchableCard::isLink() const { return type() == CardType::text && kelvo::isLink(content()); }

bool operator==(const SearchableCard& a, const SearchableCard& b) {
  if (a.body_ == b.body_) return true;
  if (a.id() != b.id() || a.type() != b.type() || a.useCount() != b.useCount() ||
      a.lastUsedAt() != b.lastUsedAt() || a.body_->tagCount != b.body_->tagCount) {
    return false;
  }
  if (!sameText(a.title(), b.title()) || !sameText(a.content(), b.content()) ||
      !sameText(a.extractedText(), b.extractedText()) || !sameText(a.shelfName(), b.shelfName()) ||
      !sameText(a.projectName(), b.projectName()) || !sameText(a.factLabel(), b.factLabel()) ||
      !sameText(a.sourceApp(), b.sourceApp())) {
    return false;
  }
  const SearchableCard::Tags x = a.autoTags();
  const SearchableCard::Tags y = b.autoTags();
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!sameText(x[i], y[i])) return false;
  }
  return true;
}

}  // namespace kelvo

size_t std::hash<kelvo::SearchableCard>::operator()(
    const kelvo::SearchableCard& card) const noexcept {
  using kelvo::text::canonicalHash;
  std::size_t seed = std::hash<kelvo::UUID>{}(card.id());
  kelvo::hashCombine(seed, static_cast<std::size_t>(card.type()));
  for (const std::string_view field :
       {card.title(), card.content(), card.extractedText(), card.shelfName(), card.projectName()}) {
    kelvo::hashCombine(seed, canonicalHash(field));
  }
  const kelvo::SearchableCard::Tags tags = card.autoTags();
  kelvo::hashCombine(seed, tags.size());
  for (const std::string_view tag : tags) kelvo::hashCombine(seed, canonicalHash(tag));
  kelvo::combineText(seed, card.factLabel());
  kelvo::combineText(seed, card.sourceApp());
  kelvo::hashCombine(seed, std::hash<std::int64_t>{}(card.useCount()));
  const std::optional<kelvo::Date> lastUsedAt = card.lastUsedAt();
  kelvo::hashCombine(seed, lastUsedAt ? std::hash<kelvo::Date>{}(*lastUsedAt) : 0x33);
  return seed;
}
