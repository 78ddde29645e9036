#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/data/Container.hpp"
#include "platform/data/internal/Database.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data::testing {

// SQLite's own check of the file at `url`, over a connection of its own that is closed again
// before returning. A fatal failure returns early; wrap the call in ASSERT_NO_FATAL_FAILURE to
// stop the test there.
inline void expectIntact(const std::filesystem::path& url) {
  data_internal::Database database(url.string());
  data_internal::Statement check = database.prepare("PRAGMA integrity_check");
  ASSERT_TRUE(check.step());
  EXPECT_EQ(check.columnText(0), "ok");
}

// The store after a crash or a failed save, as the next process finds it: checked, then opened.
inline std::unique_ptr<Container> reopenChecked(const std::filesystem::path& url) {
  expectIntact(url);
  return openContainer(url);
}

/// The bytes of the file at `path`.
inline std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

/// The bytes of a log that holds frames: another database's, read while it is open.
inline std::string logWithFrames(const std::filesystem::path& folder) {
  const std::string path = (folder / "other.db").string();
  sqlite3* other = nullptr;
  sqlite3_open(path.c_str(), &other);
  sqlite3_exec(other, "PRAGMA journal_mode = WAL; CREATE TABLE t(x); INSERT INTO t VALUES (1);",
               nullptr, nullptr, nullptr);
  std::string bytes = fileBytes(path + "-wal");
  sqlite3_close(other);
  std::filesystem::remove(path);
  return bytes;
}

}  // namespace kelvo::data::testing
