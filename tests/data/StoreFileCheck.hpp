#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

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

}  // namespace kelvo::data::testing
