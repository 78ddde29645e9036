#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo::widgetkit {

/// The images a widget bundle ships: asset names mapped to files under the bundle's resource
/// folder.
class AssetCatalog {
 public:
  AssetCatalog() = default;
  explicit AssetCatalog(std::filesystem::path root) : root_(std::move(root)) {}

  const std::filesystem::path& root() const { return root_; }
  /// Names an asset; a later entry of the same name replaces the earlier one.
  void add(std::string name, std::filesystem::path relativePath);
  std::size_t count() const { return files_.size(); }

  /// The file of an asset, or none for a name the catalogue lacks. The file need not exist.
  std::optional<std::filesystem::path> file(std::string_view name) const;

 private:
  std::filesystem::path root_;
  std::map<std::string, std::filesystem::path, std::less<>> files_;
};

}  // namespace kelvo::widgetkit
