// Copies the icon artwork the widget draws (the icon table's fetch list) out of the artwork
// package into a folder of the same layout, which installs with the widget:
//   kelvo-icon-artwork node_modules/@phosphor-icons/core build/share/kelvo/icons
// Without the package it copies nothing and says so: the widget then draws placeholders.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/design/KelvoIcon.hpp"

namespace {

// Copies only what changed, so that an unchanged tree installs nothing anew.
bool copyIfChanged(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  if (std::filesystem::exists(to, error) &&
      std::filesystem::file_size(to, error) == std::filesystem::file_size(from, error) &&
      std::filesystem::last_write_time(to, error) >=
          std::filesystem::last_write_time(from, error)) {
    return true;
  }
  std::filesystem::create_directories(to.parent_path(), error);
  return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                    error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kelvo-icon-artwork <artwork package> <output folder>\n");
    return 2;
  }
  const std::filesystem::path source = argv[1];
  const std::filesystem::path out = argv[2];
  std::size_t missing = 0;
  std::size_t failed = 0;
  const auto assets = kelvo::kelvoIconFetchList();
  for (const kelvo::KelvoIconAsset& asset : assets) {
    const std::filesystem::path from = source / asset.path();
    std::error_code error;
    if (!std::filesystem::is_regular_file(from, error)) {
      ++missing;
    } else if (!copyIfChanged(from, out / asset.path())) {
      ++failed;
    }
  }
  // A few glyphs the package lacks are drawn as placeholders, and the widget names them then.
  if (missing == assets.size()) {
    std::printf("kelvo-icon-artwork: no artwork in %s; scripts/setup fetches it\n", source.c_str());
  }
  if (failed != 0) {
    std::fprintf(stderr, "kelvo-icon-artwork: %zu icons could not be copied to %s\n", failed,
                 out.c_str());
    return 1;
  }
  return 0;
}
