#pragma once

#include <unistd.h>

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

/// The status a forked child ends with when it comes back into the framework (an exception
/// gtest caught) instead of ending itself: TestMain stops it there.
inline constexpr int strayChildStatus = 121;

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
    // A forked child that unwinds must not take its parent's folder away.
    if (::getpid() != owner_) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  pid_t owner_ = ::getpid();
};

}  // namespace kelvo::testing
