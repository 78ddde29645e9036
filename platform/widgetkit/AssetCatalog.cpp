#include "platform/widgetkit/AssetCatalog.hpp"

#include <utility>

namespace kelvo::widgetkit {

void AssetCatalog::add(std::string name, std::filesystem::path relativePath) {
  files_.insert_or_assign(std::move(name), std::move(relativePath));
}

std::optional<std::filesystem::path> AssetCatalog::file(std::string_view name) const {
  const auto found = files_.find(name);
  if (found == files_.end()) return std::nullopt;
  return root_ / found->second;
}

}  // namespace kelvo::widgetkit
