#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <optional>
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

/// The bytes of a file; none for a file that cannot be read.
inline std::string fileContents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

/// An environment variable set, or unset for a null value, while the value lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* found = std::getenv(name)) old_ = found;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnvironment() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

/// Runs `check` in a child process and tells whether it returned true there. A crash, or a wait
/// the alarm ends, is a failure: a call that blocks fails the test instead of hanging the run.
inline ::testing::AssertionResult inChild(const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(10);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) {
    return ::testing::AssertionFailure() << "no child";
  }
  if (WIFSIGNALED(status)) {
    return ::testing::AssertionFailure() << "killed by " << strsignal(WTERMSIG(status));
  }
  if (WEXITSTATUS(status) != 0) return ::testing::AssertionFailure() << "a check failed";
  return ::testing::AssertionSuccess();
}

}  // namespace kelvo::testing
