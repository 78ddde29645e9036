#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

/// A table of text fields held compactly: every field's bytes back to back in one buffer, with
/// 32-bit offsets for where each field and each row ends. Rows may differ in width; fields
/// compare by canonical equivalence.
///
///   CSVReader::Rows rows{{";sig", "Best"}, {"ty"}};
///   // rows[0][1] == "Best"; rows[1].size() == 1; rows[0].strings() copies a row's texts out
namespace kelvo::CSVReader {

class Rows;

/// A row of a `Rows`: its fields as views, valid while the table is unchanged.
class Row {
 public:
  class iterator;
  using const_iterator = iterator;
  using value_type = std::string_view;
  using size_type = std::size_t;

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  std::string_view operator[](std::size_t j) const;
  std::string_view front() const { return (*this)[0]; }
  iterator begin() const;
  iterator end() const;
  /// The fields as owned texts.
  std::vector<std::string> strings() const;

  friend bool operator==(const Row& a, const Row& b);

 private:
  friend class Rows;
  Row(const Rows& rows, std::size_t first, std::size_t count, std::size_t start)
      : rows_(&rows), first_(first), count_(count), start_(start) {}

  const Rows* rows_;
  std::size_t first_;  // the table's index of the first field
  std::size_t count_;
  std::size_t start_;  // where the first field's bytes start
};

class Row::iterator {
 public:
  using value_type = std::string_view;
  using reference = std::string_view;
  using difference_type = std::ptrdiff_t;
  using iterator_concept = std::forward_iterator_tag;
  using iterator_category = std::input_iterator_tag;

  iterator() = default;
  std::string_view operator*() const;
  iterator& operator++();
  iterator operator++(int) {
    iterator old = *this;
    ++*this;
    return old;
  }
  friend bool operator==(const iterator& a, const iterator& b) { return a.field_ == b.field_; }

 private:
  friend class Row;
  iterator(const Rows* rows, std::size_t field, std::size_t start)
      : rows_(rows), field_(field), start_(start) {}

  const Rows* rows_ = nullptr;
  std::size_t field_ = 0;
  std::size_t start_ = 0;
};

class Rows {
 public:
  class iterator;
  using const_iterator = iterator;
  using value_type = Row;
  using size_type = std::size_t;

  /// The most bytes of text, and the most fields, a table holds.
  static constexpr std::size_t maxTextSize = std::numeric_limits<std::uint32_t>::max();
  static constexpr std::size_t maxFields = std::numeric_limits<std::uint32_t>::max();

  Rows() = default;
  Rows(std::initializer_list<std::initializer_list<std::string_view>> rows);

  std::size_t size() const { return rowEnds_.size(); }
  bool empty() const { return rowEnds_.size() == 0; }
  Row operator[](std::size_t i) const {
    const std::size_t first = i == 0 ? 0 : rowEnds_[i - 1];
    return Row(*this, first, rowEnds_[i] - first, first == 0 ? 0 : fieldEnds_[first - 1]);
  }
  Row front() const { return (*this)[0]; }
  Row back() const { return (*this)[size() - 1]; }
  iterator begin() const;
  iterator end() const;

  void push_back(std::initializer_list<std::string_view> fields);
  void push_back(std::span<const std::string> fields);

  // Building a row piece by piece, as a reader does. Bytes appended go to the field being
  // built; fields ended since the last row are not seen until the row ends. Going past
  // `maxTextSize` or `maxFields` throws `std::length_error`.
  void reserveText(std::size_t bytes) { text_.reserve(bytes); }
  void append(std::string_view bytes) {
    if (bytes.size() > maxTextSize - text_.size()) tooLong();
    text_.append(bytes);
  }
  void endField() {
    if (fieldEnds_.size() == maxFields) tooLong();
    fieldEnds_.push_back(static_cast<std::uint32_t>(text_.size()));
  }
  void endRow() { rowEnds_.push_back(static_cast<std::uint32_t>(fieldEnds_.size())); }
  /// Drops the last row (and any fields begun after it).
  void pop_back();
  void clear();

  friend bool operator==(const Rows& a, const Rows& b);

 private:
  friend class Row;

  // 32-bit offsets in fixed chunks: a long table never copies them to grow, so reading never
  // holds an old and a new copy at once; the first chunk starts small for small tables.
  class Offsets {
   public:
    Offsets() = default;
    Offsets(const Offsets& other) { *this = other; }
    Offsets& operator=(const Offsets& other);
    Offsets(Offsets&&) noexcept = default;
    Offsets& operator=(Offsets&&) noexcept = default;

    std::size_t size() const { return size_; }
    std::uint32_t operator[](std::size_t i) const { return chunks_[i >> chunkBits][i & chunkMask]; }
    void push_back(std::uint32_t offset) {
      if (size_ == capacity_) grow();
      chunks_[size_ >> chunkBits][size_ & chunkMask] = offset;
      ++size_;
    }
    void resize_down(std::size_t size) { size_ = size; }

   private:
    static constexpr unsigned chunkBits = 12;
    static constexpr std::size_t chunkSize = std::size_t(1) << chunkBits;
    static constexpr std::size_t chunkMask = chunkSize - 1;
    void grow();

    std::vector<std::unique_ptr<std::uint32_t[]>> chunks_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
  };

  [[noreturn]] static void tooLong();

  std::string text_;
  Offsets fieldEnds_;  // one past each field's last byte
  Offsets rowEnds_;    // one past each row's last field
};

class Rows::iterator {
 public:
  using value_type = Row;
  using reference = Row;
  using difference_type = std::ptrdiff_t;
  using iterator_concept = std::forward_iterator_tag;
  using iterator_category = std::input_iterator_tag;

  iterator() = default;
  Row operator*() const { return (*rows_)[index_]; }
  iterator& operator++() {
    ++index_;
    return *this;
  }
  iterator operator++(int) {
    iterator old = *this;
    ++index_;
    return old;
  }
  friend bool operator==(const iterator& a, const iterator& b) { return a.index_ == b.index_; }

 private:
  friend class Rows;
  iterator(const Rows* rows, std::size_t index) : rows_(rows), index_(index) {}

  const Rows* rows_ = nullptr;
  std::size_t index_ = 0;
};

inline std::string_view Row::operator[](std::size_t j) const {
  const std::size_t field = first_ + j;
  const std::size_t start = j == 0 ? start_ : rows_->fieldEnds_[field - 1];
  return std::string_view(rows_->text_.data() + start, rows_->fieldEnds_[field] - start);
}

inline std::string_view Row::iterator::operator*() const {
  return std::string_view(rows_->text_.data() + start_, rows_->fieldEnds_[field_] - start_);
}

inline Row::iterator& Row::iterator::operator++() {
  start_ = rows_->fieldEnds_[field_];
  ++field_;
  return *this;
}

inline Row::iterator Row::begin() const { return iterator(rows_, first_, start_); }
inline Row::iterator Row::end() const { return iterator(rows_, first_ + count_, 0); }
inline Rows::iterator Rows::begin() const { return iterator(this, 0); }
inline Rows::iterator Rows::end() const { return iterator(this, size()); }

}  // namespace kelvo::CSVReader
