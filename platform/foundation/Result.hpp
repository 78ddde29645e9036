#pragma once

#include <utility>
#include <variant>

#include "platform/foundation/Error.hpp"

namespace kelvo {

/// A value or the error that took its place, for operations whose failures are ordinary values
/// rather than exceptions.
///
///   Result<int, Refusal> r = Refusal::tooLong;
///   if (r) use(r.value()); else show(r.error());
template <class T, class E>
class Result {
 public:
  Result(T value) : storage_(std::in_place_index<0>, std::move(value)) {}
  Result(E error) : storage_(std::in_place_index<1>, std::move(error)) {}

  bool hasValue() const { return storage_.index() == 0; }
  explicit operator bool() const { return hasValue(); }

  /// The value; asking a failure for it is a programming error.
  const T& value() const& {
    if (!hasValue()) fatal("Result::value() called on an error");
    return std::get<0>(storage_);
  }
  T&& value() && {
    if (!hasValue()) fatal("Result::value() called on an error");
    return std::get<0>(std::move(storage_));
  }
  /// The error; asking a success for it is a programming error.
  const E& error() const {
    if (hasValue()) fatal("Result::error() called on a value");
    return std::get<1>(storage_);
  }

  const T* operator->() const { return &value(); }
  const T& operator*() const& { return value(); }

  friend bool operator==(const Result&, const Result&) = default;

 private:
  std::variant<T, E> storage_;
};

}  // namespace kelvo
