#pragma once

#include <filesystem>
#include <iomanip>
#include <ostream>
#include <random>
#include <string>

#include "platform/foundation/Date.hpp"

namespace kelvo {

// Shows dates in failure messages as Unix time, which converters and zone tables speak.
inline void PrintTo(Date date, std::ostream* out) {
  *out << "unix " << std::setprecision(15) << date.timeIntervalSince1970();
}

}  // namespace kelvo

namespace kelvo::testing {

/// The repository's root, for test data kept in the tree.
inline std::filesystem::path sourceDir() { return KELVO_SOURCE_DIR; }

/// A fresh folder under the system's temporary folder, removed when the value goes.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() /
            ("kelvo-test-" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::create_directories(path_);
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace kelvo::testing
