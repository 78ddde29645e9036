#include "platform/data/Database.hpp"

#include <gtest/gtest.h>

#include "platform/data/StoreError.hpp"

namespace kelvo::data {
namespace {

std::int64_t countRows(Database& database) {
  Statement statement = database.prepare("SELECT count(*) FROM t");
  EXPECT_TRUE(statement.step());
  return statement.columnInt64(0);
}

TEST(DatabaseTest, StatementsBindAndReadEveryStorageClass) {
  Database database(":memory:");
  database.execute("CREATE TABLE t (a, b, c, d, e)");
  Statement insert = database.prepare("INSERT INTO t VALUES (?1, ?2, ?3, ?4, ?5)");
  const std::uint8_t blob[] = {0, 255};
  const std::string text("te\0xt", 5);
  insert.bind(1, std::int64_t{-5});
  insert.bind(2, 0.25);
  insert.bindText(3, text);
  insert.bindBlob(4, blob);
  insert.bindNull(5);
  insert.run();
  // An empty blob stays a blob, not NULL.
  insert.bindBlob(4, {});
  insert.run();
  EXPECT_EQ(database.changes(), 1);

  Statement select = database.prepare("SELECT a, b, c, d, e FROM t ORDER BY rowid");
  ASSERT_TRUE(select.step());
  EXPECT_EQ(select.columnCount(), 5);
  EXPECT_EQ(select.columnInt64(0), -5);
  EXPECT_EQ(select.columnDouble(1), 0.25);
  EXPECT_EQ(select.columnType(2), Statement::ColumnType::text);
  EXPECT_EQ(select.columnText(2), text);
  EXPECT_EQ(std::vector<std::uint8_t>(select.columnBlob(3).begin(), select.columnBlob(3).end()),
            (std::vector<std::uint8_t>{0, 255}));
  EXPECT_EQ(select.columnType(4), Statement::ColumnType::null);
  ASSERT_TRUE(select.step());
  EXPECT_EQ(select.columnType(3), Statement::ColumnType::blob);
  EXPECT_TRUE(select.columnBlob(3).empty());
  EXPECT_FALSE(select.step());
  // A reset statement runs again.
  select.reset();
  EXPECT_TRUE(select.step());
}

TEST(DatabaseTest, TransactionsRollBackUnlessCommitted) {
  Database database(":memory:");
  database.execute("CREATE TABLE t (x)");
  {
    Transaction transaction(database);
    database.execute("INSERT INTO t VALUES (1)");
    EXPECT_TRUE(database.inTransaction());
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

TEST(DatabaseTest, FailuresCarrySQLitesExtendedCodes) {
  Database database(":memory:");
  database.execute("CREATE TABLE t (x UNIQUE)");
  database.execute("INSERT INTO t VALUES (1)");
  Statement insert = database.prepare("INSERT INTO t VALUES (?1)");
  insert.bind(1, std::int64_t{1});
  try {
    insert.run();
    ADD_FAILURE() << "inserted a duplicate";
  } catch (const StoreError& error) {
    EXPECT_EQ(error.kind(), StoreError::Kind::sqlite);
    EXPECT_EQ(error.extendedCode(), 2067);  // SQLITE_CONSTRAINT_UNIQUE
    EXPECT_EQ(error.primaryCode(), 19);     // SQLITE_CONSTRAINT
    EXPECT_NE(std::string(error.what()).find("UNIQUE"), std::string::npos);
  }
  // The statement is usable again after a failure.
  insert.bind(1, std::int64_t{2});
  insert.run();
  EXPECT_EQ(countRows(database), 2);
  EXPECT_THROW(database.prepare("SELEC nonsense"), StoreError);
  EXPECT_THROW(database.execute("INSERT INTO missing VALUES (1)"), StoreError);
  try {
    Database("/no/such/folder/db.sqlite");
    ADD_FAILURE() << "opened a file in a missing folder";
  } catch (const StoreError& error) {
    EXPECT_EQ(error.primaryCode(), 14);  // SQLITE_CANTOPEN
  }
}

}  // namespace
}  // namespace kelvo::data
