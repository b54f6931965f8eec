#include "Common/Kalib/Kalibdb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Common/Kalib/Kalibutils.h"

namespace {

namespace fs = std::filesystem;

class KalibdbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KasetTraceSink([this](const std::string& text) { traces.push_back(text); });
  }
  void TearDown() override { KasetTraceSink({}); }

  // An open in-memory database with a small table.
  void OpenSample(TKaDb& db) {
    db.OpenEx(":memory:");
    db.ExecuteQueryEx("CREATE TABLE T (K INTEGER PRIMARY KEY, V TEXT, W TEXT)");
    db.ExecuteQueryEx("INSERT INTO T VALUES (1, 'one', 'uno'); INSERT INTO T VALUES (2, NULL, 'dos')");
    traces.clear();
  }

  // No prepared statement may outlive the call that made it.
  static bool NoStatementLeft(const TKaDb& db) { return sqlite3_next_stmt(db.GetHandle(), nullptr) == nullptr; }

  std::vector<std::string> traces;
};

TEST_F(KalibdbTest, ErrorTextOfEveryCode) {
  const std::pair<int, const char*> table[] = {
      {0, "Successful result"},
      {1, "SQL error or missing database"},
      {2, "An internal logic error in SQLite"},
      {3, "Access permission denied"},
      {4, "Callback routine requested an abort"},
      {5, "The database file is locked"},
      {6, "A table in the database is locked"},
      {7, "A malloc() failed"},
      {8, "Attempt to write a readonly database"},
      {9, "Operation terminated by sqlite_interrupt()"},
      {10, "Some kind of disk I/O error occurred"},
      {11, "The database disk image is malformed"},
      {12, "(Internal Only) Table or record not found"},
      {13, "Insertion failed because database is full"},
      {14, "Unable to open the database file"},
      {15, "Database lock protocol error"},
      {16, "(Internal Only) Database table is empty"},
      {17, "The database schema changed"},
      {18, "Too much data for one row of a table"},
      {19, "Abort due to contraint violation"},
      {20, "Data type mismatch"},
      {21, "Library used incorrectly"},
      {22, "Uses OS features not supported on host"},
      {23, "Authorization denied"},
      {100, "sqlite_step() has another row ready"},
      {101, "sqlite_step() has finished executing"},
      {24, "SQL Error N.C"},
      {99, "SQL Error N.C"},
      {102, "SQL Error N.C"},
      {-1, "SQL Error N.C"},
      {SQLITE_IOERR_READ, "SQL Error N.C"},
  };
  for (const auto& [code, text] : table) EXPECT_EQ(TKaDb::ErrorText(code), text) << code;
}

TEST_F(KalibdbTest, SimpleQueryReadsFirstColumnOfFirstRowOnly) {
  TKaDb db;
  OpenSample(db);
  EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT V FROM T ORDER BY K"), "one");
  EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT V FROM T WHERE K = 2"), "");   // NULL
  EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT V FROM T WHERE K = 99"), "");  // no row
  EXPECT_EQ(db.ExecuteSimpleQueryEx(""), "");
  EXPECT_EQ(db.ExecuteSimpleQueryEx("  -- nothing to run\n"), "");
  EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT COUNT(*) FROM T"), "2");
  EXPECT_TRUE(traces.empty());
  EXPECT_TRUE(NoStatementLeft(db));
}

TEST_F(KalibdbTest, OtherThanOneColumnIsOnlyTraced) {
  TKaDb db;
  OpenSample(db);
  const std::string two = "SELECT W, V FROM T ORDER BY K DESC";
  EXPECT_EQ(db.ExecuteSimpleQueryEx(two), "dos");
  const std::string none = "UPDATE T SET W = 'deux' WHERE K = 2";
  EXPECT_EQ(db.ExecuteSimpleQueryEx(none), "");
  EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT W FROM T WHERE K = 2"), "deux");  // it did run
  const std::string prefix = "SQLite | TKaDb Warning : ExecuteSimpleQueryEx - sql not valid in ExecuteSimpleQueryEx --- ";
  EXPECT_EQ(traces, (std::vector<std::string>{prefix + two, prefix + none}));
}

TEST_F(KalibdbTest, FailuresThrowWithStatementAndTextAndKeepTheConnection) {
  TKaDb db;
  OpenSample(db);
  struct Case {
    bool simple;
    std::string sql;
    const char* error;
  } cases[] = {
      {true, "SELEC V FROM T", "SQL error or missing database"},             // prepare fails
      {true, "SELECT V FROM MISSING", "SQL error or missing database"},
      {true, "INSERT INTO T VALUES (1, 'x', 'y') RETURNING V", "Abort due to contraint violation"},  // step fails
      {false, "INSERT INTO T VALUES (2, 'x', 'y')", "Abort due to contraint violation"},
      {false, "DROP TABLE MISSING", "SQL error or missing database"},
  };
  for (const auto& c : cases) {
    traces.clear();
    try {
      if (c.simple)
        db.ExecuteSimpleQueryEx(c.sql);
      else
        db.ExecuteQueryEx(c.sql);
      ADD_FAILURE() << "no exception for " << c.sql;
    } catch (const TKaDbException& e) {
      EXPECT_EQ(e.mSql, c.sql);
      EXPECT_EQ(e.mError, c.error);
      TKaDbException copy = e;
      EXPECT_EQ(copy.mError, e.mError);
    }
    EXPECT_EQ(traces, std::vector<std::string>{"SQLite |TKaDatabase Error (exception) : " + std::string(c.error) +
                                                " --- " + c.sql});
    EXPECT_TRUE(NoStatementLeft(db)) << c.sql;
  }
  EXPECT_TRUE(db.IsOpen());
  EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT COUNT(*) FROM T"), "2");
}

TEST_F(KalibdbTest, ClosedConnectionIsNotAnError) {
  {
    TKaDb db;
    EXPECT_TRUE(db.IsSqlite());
    EXPECT_FALSE(db.IsOpen());
    EXPECT_NO_THROW(db.ExecuteQueryEx("NOT EVEN SQL"));
    EXPECT_EQ(db.ExecuteSimpleQueryEx("NOT EVEN SQL"), "");
    EXPECT_FALSE(db.Close());

    db.OpenEx(":memory:");
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.GetFileName(), ":memory:");
    EXPECT_TRUE(db.Close());
    EXPECT_FALSE(db.Close());
    EXPECT_EQ(db.GetFileName(), "");
    EXPECT_EQ(db.GetHandle(), nullptr);
    EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT 1"), "");
    EXPECT_TRUE(traces.empty());
  }
  EXPECT_EQ(traces, std::vector<std::string>{"TKaDb Information : Destructor"});
}

TEST_F(KalibdbTest, IbxKindIsNeverOpenAndTracesItsOwnPrefix) {
  TKaDb db(TKaDb::KindIbx);
  EXPECT_TRUE(db.IsIbx());
  EXPECT_FALSE(db.IsSqlite());
  EXPECT_THROW(db.OpenEx(":memory:"), TKaDbException);
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(db.Close());
  traces.clear();
  try {
    db.RaiseDbException("SELECT 1", "Boom");
    ADD_FAILURE();
  } catch (const TKaDbException& e) {
    EXPECT_EQ(e.mSql, "SELECT 1");
    EXPECT_EQ(e.mError, "Boom");
  }
  EXPECT_EQ(traces, std::vector<std::string>{"IBX |TKaDatabase Error (exception) : Boom --- SELECT 1"});

  // Any other kind traces nothing but still throws.
  TKaDb other(7);
  traces.clear();
  EXPECT_THROW(other.RaiseDbException("x", "y"), TKaDbException);
  EXPECT_TRUE(traces.empty());
}

class KalibdbFileTest : public KalibdbTest {
 protected:
  void SetUp() override {
    KalibdbTest::SetUp();
    dir = fs::temp_directory_path() / ("kalibdb-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    fs::remove_all(dir);
    KalibdbTest::TearDown();
  }
  fs::path dir;
};

TEST_F(KalibdbFileTest, FileIsCreatedAndKeepsItsData) {
  const std::string file = (dir / "store.db").string();
  {
    TKaDb db;
    db.OpenEx(file);
    db.ExecuteQueryEx("CREATE TABLE T (V TEXT); INSERT INTO T VALUES ('kept')");
  }
  EXPECT_TRUE(fs::exists(file));
  TKaDb again;
  again.OpenEx(file);
  EXPECT_EQ(again.ExecuteSimpleQueryEx("SELECT V FROM T"), "kept");
  EXPECT_TRUE(again.TableExistsEx("t"));
  EXPECT_FALSE(again.TableExistsEx("U"));
  EXPECT_FALSE(again.TableExistsEx("T' OR '1'='1"));
}

TEST_F(KalibdbFileTest, OpenFailureThrowsAndLeavesTheObjectClosed) {
  const std::string file = (dir / "no-such-folder" / "x.db").string();
  TKaDb db;
  try {
    db.OpenEx(file);
    ADD_FAILURE();
  } catch (const TKaDbException& e) {
    EXPECT_EQ(e.mSql, file);
    EXPECT_EQ(e.mError, "Unable to open the database file");
  }
  EXPECT_EQ(traces, std::vector<std::string>{"SQLite |TKaDatabase Error (exception) : Unable to open the database file --- " + file});
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(db.Close());
}

TEST_F(KalibdbFileTest, CodePageFileNameBecomesUtf8OnDisk) {
  TKaDb db;
  db.OpenEx((dir / "caf\xE9\x80.db").string());  // e acute and the euro sign in code page 1252
  EXPECT_TRUE(fs::exists(dir / "caf\xC3\xA9\xE2\x82\xAC.db"));
}

TEST_F(KalibdbTest, QuoteDoublesSingleQuotes) {
  EXPECT_EQ(KaquoteSql(""), "");
  EXPECT_EQ(KaquoteSql("plain \"text\""), "plain \"text\"");
  EXPECT_EQ(KaquoteSql("l'a'"), "l''a''");
  EXPECT_EQ(KaquoteSql("''"), "''''");

  TKaDb db;
  OpenSample(db);
  const std::string tricky = "it's '); DROP TABLE T; --";
  db.ExecuteQueryEx("INSERT INTO T VALUES (3, '" + KaquoteSql(tricky) + "', '')");
  EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT V FROM T WHERE K = 3"), tricky);
  EXPECT_EQ(db.ExecuteSimpleQueryEx("SELECT COUNT(*) FROM T"), "3");
}

}  // namespace
