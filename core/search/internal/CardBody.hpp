// Internal to core/search: include "core/search/SearchableCard.hpp" instead.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/search/SearchableCard.hpp"

namespace kelvo::search_internal {

/// Carves pieces of memory one after another from 16 KiB blocks, so that cards made together lie
/// together and a pass over a library reads memory in order; pieces spread about the heap cost
/// each card a cache miss of its own. Each `Kind` has blocks of its own, so that a pass over one
/// kind meets few pages. A thread carves from a block of its own until the block is full; a block
/// goes once its last piece has gone and its thread has moved on. A piece's place in its block
/// (in steps of eight bytes; 0 for a piece with an allocation of its own) is kept by the piece's
/// owner, so that the block needs no note beside every piece.
template <class Kind>
class CarvedBlocks {
 public:
  // Small enough that a few long-lived pieces among many short-lived ones pin little memory.
  static constexpr std::size_t blockSize = 16 * 1024;
  static constexpr std::size_t alignment = 8;
  /// Larger pieces get an allocation of their own, so that a block holds at least seven.
  static constexpr std::size_t largestCarved = blockSize / 8;

  struct Carved {
    void* at;
    std::uint16_t placement;
  };

  /// `size` bytes aligned to eight; nothing for none.
  static Carved allocate(std::size_t size) {
    if (size == 0) return {nullptr, 0};
    const std::size_t step = roundedUp(size);
    if (step > largestCarved) return {::operator new(size), 0};
    Block*& block = carving().block;
    if (block == nullptr || block->used + step > blockSize) {
      if (block != nullptr) release(block);
      block = ::new (::operator new(blockSize)) Block();
      blocks_.fetch_add(1, std::memory_order_relaxed);
    }
    const std::size_t offset = block->used;
    block->used += step;
    block->users.fetch_add(1, std::memory_order_relaxed);
    return {reinterpret_cast<std::byte*>(block) + offset,
            static_cast<std::uint16_t>(offset / alignment)};
  }

  /// Gives back a piece `allocate` returned, on any thread.
  static void deallocate(void* at, std::uint16_t placement) noexcept {
    if (placement == 0) {
      ::operator delete(at);
    } else {
      release(reinterpret_cast<Block*>(static_cast<std::byte*>(at) -
                                       std::size_t{placement} * alignment));
    }
  }

  /// Blocks of this kind not yet given back, on all threads.
  static std::size_t blocksInUse() noexcept { return blocks_.load(std::memory_order_relaxed); }

 private:
  static_assert(blockSize / alignment <= std::numeric_limits<std::uint16_t>::max());

  static constexpr std::size_t roundedUp(std::size_t size) {
    return (size + alignment - 1) / alignment * alignment;
  }

  struct Block {
    std::atomic<std::size_t> users{1};  // its pieces, and the thread carving from it
    std::size_t used = roundedUp(sizeof(Block));
  };
  static_assert(sizeof(Block) >= alignment);  // so that no carved piece has placement 0

  static void release(Block* block) noexcept {
    if (block->users.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      block->~Block();
      ::operator delete(block);
      blocks_.fetch_sub(1, std::memory_order_relaxed);
    }
  }

  static inline std::atomic<std::size_t> blocks_{0};

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

/// One card's fields in two pieces, shared by every copy of the card. The first holds what
/// filters, sorts and rankers read of every card: the fixed fields (`SearchableCard::Head`), the
/// count of cards sharing the pieces, and a run of the five short texts (where each ends, then the
/// texts back to back; `SearchableCard` reads it inline). The second holds a run of the long texts
/// and the tags, read when searching and testing the content; a card with empty long texts and
/// no tags has none. A run's ends are 16-bit unless its texts pass 64 KiB.
class CardBody {
 public:
  /// The texts by place: the short ones, then the long ones, then the tags from `firstTag` on.
  enum Text : std::uint32_t {
    title,
    shelfName,
    projectName,
    factLabel,
    sourceApp,
    content,  // the first of the second piece
    extractedText,
    firstTag
  };

  /// What a card is made of. The texts are copied into the pieces, not kept.
  struct Contents {
    UUID id{};
    CardType type = CardType::text;
    std::array<std::optional<std::string_view>, Text::content> shortTexts{};  // by `Text`
    std::string_view content{};
    std::string_view extractedText{};
    std::span<const std::string> tags{};
    std::int64_t useCount = 0;
    std::optional<Date> lastUsedAt{};
  };

  /// New pieces holding `contents`, held once. Throws `std::length_error` when the texts pass
  /// 4 GiB, which 32-bit ends cannot reach.
  static CardBody* make(const Contents& contents);
  /// The pieces `card` holds.
  static const CardBody& of(const SearchableCard& card) { return *card.pieces_; }

  CardBody(const CardBody&) = delete;
  CardBody& operator=(const CardBody&) = delete;

  const SearchableCard::Head& head() const { return head_; }
  /// Text `k` (tag `i` is text `firstTag + i`).
  std::string_view text(std::uint32_t k) const {
    if (k < content) return SearchableCard::inRun(shortRun(), content, wide(title), k);
    if (longRun_ == nullptr) return {};
    return SearchableCard::inRun(longRun_, firstTag - content + head_.tagCount, wide(content),
                                 k - content);
  }
  /// Whether short text `k` was given, rather than left out.
  bool given(Text k) const { return k < content && (head_.flags & (1U << k)) != 0; }
  /// The bytes each end takes in the run holding text `k`: 2, or 4 when the run passes 64 KiB.
  std::size_t endWidth(Text k) const { return wide(k) ? 4 : 2; }

  void retain() noexcept { references_.fetch_add(1, std::memory_order_relaxed); }
  /// Drops one hold; the last gives both pieces back.
  void release() noexcept;
  std::uint32_t references() const noexcept { return references_.load(std::memory_order_relaxed); }

 private:
  static constexpr std::uint8_t wideLongEnds = 0x80;

  CardBody(const SearchableCard::Head& head, CarvedBlocks<CardBody>::Carved first,
           CarvedBlocks<char>::Carved second);
  ~CardBody() = default;

  void write(const Contents& contents);

  const std::byte* shortRun() const {
    return reinterpret_cast<const std::byte*>(this) + SearchableCard::fixedSize;
  }
  bool wide(std::uint32_t k) const {
    const std::uint8_t bit =
        k < content ? std::uint8_t{SearchableCard::wideShortEnds} : wideLongEnds;
    return (head_.flags & bit) != 0;
  }

  SearchableCard::Head head_;
  std::atomic<std::uint32_t> references_;
  std::uint16_t placement_;      // where the first piece was carved
  std::uint16_t longPlacement_;  // and the second
  const std::byte* longRun_;
};

}  // namespace kelvo::search_internal
