#include "platform/data/internal/Database.hpp"

#include <gtest/gtest.h>

#include "platform/data/StoreError.hpp"

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

}  // namespace
}  // namespace kelvo::data
