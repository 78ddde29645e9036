#include "core/model/FileNames.hpp"

namespace kelvo::FileNames {
namespace {

std::string_view withoutTrailingSlashes(std::string_view name) {
  const std::size_t end = name.find_last_not_of('/');
  return end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1);
}

}  // namespace

std::string_view lastPathComponent(std::string_view name) {
  const std::string_view trimmed = withoutTrailingSlashes(name);
  const std::size_t slash = trimmed.rfind('/');
  return slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string_view pathExtension(std::string_view name) {
  const std::string_view component = lastPathComponent(name);
  const std::size_t dot = component.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : component.substr(dot + 1);
}

std::string_view deletingPathExtension(std::string_view name) {
  const std::string_view extension = pathExtension(name);
  if (extension.empty()) return name;
  const std::string_view trimmed = withoutTrailingSlashes(name);
  return trimmed.substr(0, trimmed.size() - extension.size() - 1);
}

}  // namespace kelvo::FileNames
