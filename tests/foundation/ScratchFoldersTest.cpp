// The folders every test binary makes for itself (tests/support): what a child process does
// neither leaves one behind nor takes its parent's away.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryDirectory;

// The scratch folder of this run: the one that holds the user folders.
fs::path scratchFolder() { return fs::path(std::getenv("XDG_CONFIG_HOME")).parent_path(); }

bool inside(const fs::path& path, const fs::path& folder) {
  return path.string().starts_with(folder.string() + "/");
}

// The child runs the test body again and dies without unwinding: the folders it makes on the
// way, the test's own included, go where its parent removes them.
TEST(ScratchFoldersDeathTest, WhatAChildMakesBeforeDyingIsInsideItsParentsScratchFolder) {
  const fs::path scratch = scratchFolder();
  const TemporaryDirectory before;
  std::ofstream(before.path() / "note") << "made before the death statement";
  EXPECT_EXIT(
      {
        const TemporaryDirectory during;
        std::ofstream(during.path() / "note") << "made by the dying statement";
        const bool kept = inside(before.path(), scratch) && inside(during.path(), scratch);
        std::fprintf(stderr, "%s: %s and %s in %s\n", kept ? "inside" : "outside",
                     before.path().c_str(), during.path().c_str(), scratch.c_str());
        std::_Exit(kept ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "inside: ");
}

// An exception thrown in a forked child unwinds into gtest there, not into an _exit.
TEST(ScratchFoldersTest, AForkedChildThatThrowsLeavesItsParentsFoldersInPlace) {
  const TemporaryDirectory folder;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::alarm(10);  // without the stop, the child would go on through the remaining tests
    // What gtest prints there goes to the test's own folder, not the machine's null device.
    const int quiet =
        ::open((folder.path() / "child-output").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ::dup2(quiet, STDOUT_FILENO);
    ::dup2(quiet, STDERR_FILENO);
    throw std::runtime_error("thrown in a forked child");
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == testing::strayChildStatus) << status;
  EXPECT_TRUE(fs::is_directory(folder.path()));
  EXPECT_TRUE(fs::is_directory(scratchFolder() / "config"));
}

}  // namespace
}  // namespace kelvo
