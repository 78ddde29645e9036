#include "platform/data/internal/Database.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/data/StoreError.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::data {
namespace {

using data_internal::Database;
using data_internal::Statement;
using data_internal::Transaction;

std::int64_t countRows(Database& database) {
  Statement statement = database.prepare("SELECT count(*) FROM t");
  EXPECT_TRUE(statement.step());
  return statement.columnInt64(0);
}

TEST(DatabaseTest, TransactionsRollBackUnlessCommitted) {
  Database database(":memory:");
  database.execute("CREATE TABLE t (x)");
  {
    Transaction transaction(database);
    database.execute("INSERT INTO t VALUES (1)");
  }
  EXPECT_FALSE(database.inTransaction());
  EXPECT_EQ(countRows(database), 0);
  {
    Transaction transaction(database, Transaction::Mode::deferred);
    database.execute("INSERT INTO t VALUES (1)");
    transaction.commit();
  }
  EXPECT_EQ(countRows(database), 1);
}

TEST(DatabaseTest, FailuresCarrySQLitesExtendedCodesAndLeaveStatementsUsable) {
  Database database(":memory:");
  database.execute("CREATE TABLE t (x UNIQUE, y)");
  database.execute("INSERT INTO t VALUES (1, NULL)");
  Statement insert = database.prepare("INSERT INTO t VALUES (?1, ?2)");
  insert.bind(1, std::int64_t{1});
  try {
    insert.run();
    ADD_FAILURE() << "inserted a duplicate";
  } catch (const StoreError& error) {
    EXPECT_EQ(error.kind(), StoreError::Kind::sqlite);
    EXPECT_EQ(error.extendedCode(), 2067);  // SQLITE_CONSTRAINT_UNIQUE
    EXPECT_EQ(error.primaryCode(), 19);     // SQLITE_CONSTRAINT
  }
  insert.bind(1, std::int64_t{2});
  insert.bindBlob(2, {});
  insert.run();
  EXPECT_EQ(countRows(database), 2);
  // An empty blob stays a blob, not NULL.
  Statement select = database.prepare("SELECT y FROM t WHERE x = 2");
  ASSERT_TRUE(select.step());
  EXPECT_EQ(select.columnType(0), Statement::ColumnType::blob);
  EXPECT_THROW(database.prepare("SELEC nonsense"), StoreError);
}

// Bytes that turn out to be no database once the connection reads are damage, told by one code.
TEST(DatabaseTest, AFileFoundNoDatabaseAtAReadIsDamageWithCode11) {
  kelvo::testing::TemporaryDirectory directory;
  const auto path = directory.path() / "Notes.store";
  std::ofstream(path) << std::string(4096, 'n');
  Database database(path.string());
  try {
    database.execute("SELECT count(*) FROM sqlite_schema");
    ADD_FAILURE() << "read text as a database";
  } catch (const StoreError& error) {
    EXPECT_EQ(error.kind(), StoreError::Kind::incompatibleStore);
    EXPECT_EQ(error.extendedCode(), 11);  // SQLITE_CORRUPT, not SQLite's 26
    EXPECT_EQ(std::string(error.what()), "The store at " + path.string() + " is damaged.");
  }
}

// The file a connection holds stays its own whatever its path comes to name.
TEST(DatabaseTest, TheOpenFileIsTheOneTheConnectionHoldsNotTheOneItsPathNames) {
  kelvo::testing::TemporaryDirectory directory;
  const auto first = directory.path() / "First.store";
  const auto second = directory.path() / "Second.store";
  Database one(first.string());
  one.execute("CREATE TABLE t (x)");
  Database other(second.string());
  other.execute("CREATE TABLE t (x)");
  Database again(first.string());
  const auto held = one.openFile();
  ASSERT_TRUE(held);
  EXPECT_EQ(again.openFile(), held);
  EXPECT_NE(other.openFile(), held);
  std::filesystem::rename(first, directory.path() / "Moved.store");
  std::filesystem::rename(second, first);
  EXPECT_EQ(one.openFile(), held);
  EXPECT_TRUE(one.fileHasMoved());
  // Looking does not change what the connection reads.
  EXPECT_EQ(countRows(one), 0);
  EXPECT_FALSE(Database(":memory:").openFile());
}

}  // namespace
}  // namespace kelvo::data

namespace kelvo::data {
namespace {

// The -shm mappings this process has.
int viewsOfAShm() {
  std::ifstream maps("/proc/self/maps");
  int views = 0;
  for (std::string line; std::getline(maps, line);) {
    views += line.ends_with("-shm") || line.ends_with("-shm (deleted)");
  }
  return views;
}

// A connection whose log was never opened (refused before its first read, the file moved) has no
// view of the -shm, and its close makes none: one made then would outlive it, holding the -shm.
TEST(DatabaseTest, AConnectionThatNeverOpenedItsLogLeavesNoViewOfTheShm) {
  kelvo::testing::TemporaryDirectory directory;
  const auto path = directory.path() / "Moved.store";
  {
    Database made(path.string());
    made.execute("PRAGMA journal_mode = WAL; CREATE TABLE t(x); INSERT INTO t VALUES (1)");
    // Another connection keeps the -wal and -shm beside the path once this one closes.
    Database held(path.string());
    held.execute("SELECT * FROM t");
    for (const bool moved : {false, true}) {
      auto refused = std::make_unique<Database>(path.string());
      refused->noteLogIsOwn();
      if (moved) std::filesystem::rename(path, directory.path() / "Away.store");
      const int before = viewsOfAShm();
      refused.reset();
      EXPECT_EQ(viewsOfAShm(), before) << (moved ? "moved" : "in place");
    }
  }
  EXPECT_EQ(viewsOfAShm(), 0);
}

}  // namespace
}  // namespace kelvo::data
