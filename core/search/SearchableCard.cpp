#include "core/search/SearchableCard.hpp"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>
#include <utility>

#include "core/model/VariableTemplate.hpp"
#include "core/search/SmartFilter.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Hash.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// Bodies are carved one after another from blocks, so that cards made together lie together
// and a pass over a library reads memory in order; bodies spread among their own texts cost
// each card a cache miss of its own. A block goes with the last body carved from it.
class BodyBlocks {
 public:
  static void* allocate(std::size_t size) {
    const std::size_t step = roundedUp(header + size);
    if (step > blockSize / 8) fatal("SearchableCard: a body larger than its blocks allow");
    Block*& block = carving().block;
    if (block == nullptr || block->used + step > blockSize) {
      if (block != nullptr) release(block);
      block = ::new (::operator new(blockSize)) Block();
    }
    std::byte* start = reinterpret_cast<std::byte*>(block) + block->used;
    block->used += step;
    block->users.fetch_add(1, std::memory_order_relaxed);
    std::memcpy(start, &block, sizeof block);
    return start + header;
  }

  static void deallocate(void* pointer) noexcept {
    Block* block = nullptr;
    std::memcpy(&block, static_cast<std::byte*>(pointer) - header, sizeof block);
    release(block);
  }

 private:
  // Small enough that a few long-lived bodies among many short-lived ones pin little memory.
  static constexpr std::size_t blockSize = 16 * 1024;
  static constexpr std::size_t header = 16;  // where each body notes its block

  static constexpr std::size_t roundedUp(std::size_t size) { return (size + 15) / 16 * 16; }

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

template <class T>
struct BodyAllocator {
  using value_type = T;
  BodyAllocator() = default;
  template <class U>
  explicit BodyAllocator(const BodyAllocator<U>&) {}
  T* allocate(std::size_t count) {
    static_assert(alignof(T) <= 16);
    return static_cast<T*>(BodyBlocks::allocate(count * sizeof(T)));
  }
  void deallocate(T* pointer, std::size_t) noexcept { BodyBlocks::deallocate(pointer); }
  friend bool operator==(const BodyAllocator&, const BodyAllocator&) { return true; }
};

bool sameText(const std::string& a, const std::string& b) {
  return a == b || text::canonicallyEqual(a, b);
}

bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  if (!a || !b) return !a && !b;
  return sameText(*a, *b);
}

void combineText(std::size_t& seed, const std::optional<std::string>& value) {
  hashCombine(seed, value ? text::canonicalHash(*value) : 0x5A5A5A5AULL);
  hashCombine(seed, value.has_value());
}

}  // namespace

SearchableCard::SearchableCard(UUID id, CardType type, std::string title, std::string content,
                               std::string extractedText, std::vector<std::string> autoTags,
                               std::string shelfName, std::string projectName,
                               std::optional<std::string> factLabel,
                               std::optional<std::string> sourceApp, std::int64_t useCount,
                               std::optional<Date> lastUsedAt)
    : body_(std::allocate_shared<const Body>(
          BodyAllocator<Body>(),
          Body{type, useCount, lastUsedAt, std::move(title), id, std::move(sourceApp),
               std::move(shelfName), std::move(content), std::move(extractedText),
               std::move(autoTags), std::move(projectName), std::move(factLabel)})) {}

bool SearchableCard::hasVariables() const {
  return type() == CardType::text && VariableTemplate(content()).hasVariables();
}

bool SearchableCard::isLink() const { return type() == CardType::text && kelvo::isLink(content()); }

bool operator==(const SearchableCard& a, const SearchableCard& b) {
  if (a.body_ == b.body_) return true;
  const auto& x = *a.body_;
  const auto& y = *b.body_;
  if (x.id != y.id || x.type != y.type || x.useCount != y.useCount ||
      x.lastUsedAt != y.lastUsedAt || x.autoTags.size() != y.autoTags.size()) {
    return false;
  }
  if (!sameText(x.title, y.title) || !sameText(x.content, y.content) ||
      !sameText(x.extractedText, y.extractedText) || !sameText(x.shelfName, y.shelfName) ||
      !sameText(x.projectName, y.projectName) || !sameText(x.factLabel, y.factLabel) ||
      !sameText(x.sourceApp, y.sourceApp)) {
    return false;
  }
  for (std::size_t i = 0; i < x.autoTags.size(); ++i) {
    if (!sameText(x.autoTags[i], y.autoTags[i])) return false;
  }
  return true;
}

}  // namespace kelvo

size_t std::hash<kelvo::SearchableCard>::operator()(
    const kelvo::SearchableCard& card) const noexcept {
  using kelvo::text::canonicalHash;
  const auto& body = *card.body_;
  std::size_t seed = std::hash<kelvo::UUID>{}(body.id);
  kelvo::hashCombine(seed, static_cast<std::size_t>(body.type));
  for (const std::string* field :
       {&body.title, &body.content, &body.extractedText, &body.shelfName, &body.projectName}) {
    kelvo::hashCombine(seed, canonicalHash(*field));
  }
  kelvo::hashCombine(seed, body.autoTags.size());
  for (const std::string& tag : body.autoTags) kelvo::hashCombine(seed, canonicalHash(tag));
  kelvo::combineText(seed, body.factLabel);
  kelvo::combineText(seed, body.sourceApp);
  kelvo::hashCombine(seed, std::hash<std::int64_t>{}(body.useCount));
  kelvo::hashCombine(seed, body.lastUsedAt ? std::hash<kelvo::Date>{}(*body.lastUsedAt) : 0x33);
  return seed;
}
