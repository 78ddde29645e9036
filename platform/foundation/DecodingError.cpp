#include "platform/foundation/DecodingError.hpp"

namespace kelvo {
namespace {

std::string joined(const std::vector<std::string>& path) {
  std::string text;
  for (const std::string& key : path) {
    if (!text.empty()) text += '.';
    text += key;
  }
  return text;
}

std::string message(const std::string& description, const std::vector<std::string>& path) {
  if (path.empty()) return description;
  return description + " (at " + joined(path) + ")";
}

}  // namespace

DecodingError::DecodingError(Kind kind, std::string description,
                             std::vector<std::string> codingPath, std::string type,
                             std::optional<std::size_t> offset)
    : Error(message(description, codingPath)),
      kind_(kind),
      description_(std::move(description)),
      codingPath_(std::move(codingPath)),
      type_(std::move(type)),
      offset_(offset) {}

std::string DecodingError::codingPathText() const { return joined(codingPath_); }

}  // namespace kelvo
