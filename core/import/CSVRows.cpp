#include "core/import/CSVRows.hpp"

#include <algorithm>
#include <iterator>

#include "platform/foundation/Text.hpp"

namespace kelvo::CSVReader {

static_assert(std::forward_iterator<Row::iterator> && std::forward_iterator<Rows::iterator>);

std::vector<std::string> Row::strings() const { return {begin(), end()}; }

bool operator==(const Row& a, const Row& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), text::canonicallyEqual);
}

Rows::Rows(std::initializer_list<std::initializer_list<std::string_view>> rows) {
  std::size_t bytes = 0;
  for (const auto& row : rows) {
    for (const std::string_view field : row) bytes += field.size();
  }
  reserveText(bytes);
  for (const auto& row : rows) push_back(row);
}

void Rows::push_back(std::initializer_list<std::string_view> fields) {
  for (const std::string_view field : fields) {
    append(field);
    endField();
  }
  endRow();
}

void Rows::push_back(std::span<const std::string> fields) {
  for (const std::string& field : fields) {
    append(field);
    endField();
  }
  endRow();
}

void Rows::pop_back() {
  rowEnds_.resize_down(rowEnds_.size() - 1);
  const std::size_t fields = empty() ? 0 : rowEnds_[size() - 1];
  fieldEnds_.resize_down(fields);
  text_.resize(fields == 0 ? 0 : fieldEnds_[fields - 1]);
}

void Rows::clear() {
  rowEnds_.resize_down(0);
  fieldEnds_.resize_down(0);
  text_.clear();
}

bool operator==(const Rows& a, const Rows& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

void Rows::tooLong() {
  throw std::length_error("CSVReader::Rows: more than 4 GiB of text or 4 G fields");
}

Rows::Offsets& Rows::Offsets::operator=(const Offsets& other) {
  if (this == &other) return *this;
  resize_down(0);
  for (std::size_t i = 0; i < other.size(); ++i) push_back(other[i]);
  return *this;
}

void Rows::Offsets::grow() {
  if (capacity_ >= chunkSize) {
    chunks_.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(chunkSize));
    capacity_ += chunkSize;
    return;
  }
  // The first chunk doubles up to its full size; its old copy is at most half a chunk.
  const std::size_t capacity = capacity_ == 0 ? 16 : capacity_ * 2;
  auto chunk = std::make_unique_for_overwrite<std::uint32_t[]>(capacity);
  if (chunks_.empty()) {
    chunks_.push_back(std::move(chunk));
  } else {
    std::copy_n(chunks_.front().get(), size_, chunk.get());
    chunks_.front() = std::move(chunk);
  }
  capacity_ = capacity;
}

}  // namespace kelvo::CSVReader
