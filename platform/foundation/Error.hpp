#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvo {

/// Base of every exception the core throws. Exceptions serve input and output only:
/// files, stores, decoding of stored or received JSON, wire framing and importers.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Stops the process on a programming error: writes `message` to standard error and aborts.
/// Bad input never comes here.
[[noreturn]] void fatal(std::string_view message);

}  // namespace kelvo
