#include "Common/Kalib/Kalibmessages.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <array>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Common/Kalib/Kalibutils.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// Every statement the engine runs on a database, in order.
int RecordStatement(unsigned, void* context, void*, void* sql) {
  const char* text = static_cast<const char*>(sql);
  if (text[0] != '-' || text[1] != '-')  // trigger bodies are reported as comments
    static_cast<Texts*>(context)->push_back(text);
  return 0;
}

class KalibmessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reset();
    KasetTraceSink([this](const std::string& text) { traces.push_back(text); });
  }
  void TearDown() override {
    Reset();
    KasetTraceSink({});
  }
  static void Reset() {
    TKaMessage& catalogue = TKaMessage::Instance();
    catalogue.ReleaseDb();
    catalogue.ReleaseDbOverride();
    catalogue.SetUpdateDefaults(false);
  }

  // A new in-memory database with TMESSAGE and the given rows.
  static SmartPtr<TKaDb> MakeDb(const std::vector<std::array<std::string, 3>>& rows = {}) {
    SmartPtr<TKaDb> db = TKaMessage::OpenDbEx(":memory:");
    for (const auto& r : rows)
      db->ExecuteQueryEx("INSERT INTO TMESSAGE VALUES ('" + KaquoteSql(r[0]) + "','" + KaquoteSql(r[1]) + "','" +
                         KaquoteSql(r[2]) + "')");
    return db;
  }

  // From now on the statements run on db go to log.
  static void Watch(const SmartPtr<TKaDb>& db, Texts& log) {
    log.clear();
    sqlite3_trace_v2(db->GetHandle(), SQLITE_TRACE_STMT, RecordStatement, &log);
  }

  static std::string Read(const std::string& section, const std::string& name) {
    return "SELECT C_VALUE FROM TMESSAGE WHERE C_SECTION='" + section + "' AND C_NAME='" + name + "'";
  }

  TKaMessage& catalogue = TKaMessage::Instance();
  Texts traces;
  Texts log;
};

TEST_F(KalibmessagesTest, WithoutCatalogueEveryLookupIsItsDefault) {
  Texts overrideLog;
  SmartPtr<TKaDb> over = MakeDb({{"Common", "066", "Yes"}});
  ASSERT_TRUE(catalogue.AttachDbOverride(over));
  Watch(over, overrideLog);
  EXPECT_EQ(KacommonMessage(66, "Oui"), "Oui");
  EXPECT_EQ(catalogue.GetMessage("Any", "thing", "fallback"), "fallback");
  EXPECT_EQ(TKaMessage::CacheSize(), 0u);
  EXPECT_TRUE(overrideLog.empty());
}

TEST_F(KalibmessagesTest, FirstLookupCachesAndLaterOnesDoNotQuery) {
  SmartPtr<TKaDb> db = MakeDb({{"Common", "001", "Okay"}});
  ASSERT_TRUE(catalogue.AttachDb(db));
  Watch(db, log);

  EXPECT_EQ(KacommonMessage(1, "Ok"), "Okay");
  EXPECT_EQ(KacommonMessage(60, "Information"), "Information");  // no row: the default is cached
  EXPECT_EQ(log, (Texts{Read("Common", "001"), Read("Common", "060")}));
  EXPECT_EQ(TKaMessage::CacheSize(), 2u);
  EXPECT_TRUE(TKaMessage::IsCached("Common", "060"));
  EXPECT_FALSE(TKaMessage::IsCached("common", "060"));  // keys keep their case

  db->ExecuteQueryEx("INSERT INTO TMESSAGE VALUES ('Common','060','Info')");
  log.clear();
  EXPECT_EQ(KacommonMessage(1, "Ok"), "Okay");
  EXPECT_EQ(KacommonMessage(60, "Information"), "Information");
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(traces.empty());

  // A new catalogue starts afresh.
  catalogue.ReleaseDb();
  EXPECT_EQ(TKaMessage::CacheSize(), 0u);
  ASSERT_TRUE(catalogue.AttachDb(db));
  EXPECT_EQ(KacommonMessage(60, "Information"), "Info");
}

TEST_F(KalibmessagesTest, CommonNamesHaveAtLeastThreeDigits) {
  SmartPtr<TKaDb> db = MakeDb();
  ASSERT_TRUE(catalogue.AttachDb(db));
  Watch(db, log);
  for (int number : {1, 60, 1234, -5}) KacommonMessage(number, "x");
  EXPECT_EQ(log, (Texts{Read("Common", "001"), Read("Common", "060"), Read("Common", "1234"), Read("Common", "-05")}));
}

TEST_F(KalibmessagesTest, OverrideWinsOnEveryLookupAndIsNeverCached) {
  Texts overrideLog;
  SmartPtr<TKaDb> db = MakeDb({{"Common", "066", "Ja"}, {"Common", "067", "Nein"}});
  SmartPtr<TKaDb> over = MakeDb({{"Common", "066", "Yes"}, {"Common", "067", ""}});
  ASSERT_TRUE(catalogue.AttachDb(db));
  Watch(db, log);
  EXPECT_EQ(KacommonMessage(66, "Oui"), "Ja");  // cached before the override comes
  ASSERT_TRUE(catalogue.AttachDbOverride(over));
  Watch(over, overrideLog);

  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(KacommonMessage(66, "Oui"), "Yes");
    EXPECT_EQ(KacommonMessage(67, "Non"), "Nein");  // an empty override text does not count
  }
  EXPECT_EQ(overrideLog.size(), 4u);
  EXPECT_EQ(log, (Texts{Read("Common", "066"), Read("Common", "067")}));
  EXPECT_EQ(TKaMessage::CacheSize(), 2u);

  // An override that cannot be read counts as no override.
  over->ExecuteQueryEx("DROP TABLE TMESSAGE");
  EXPECT_EQ(KacommonMessage(66, "Oui"), "Ja");

  catalogue.ReleaseDbOverride();
  EXPECT_EQ(KacommonMessage(66, "Oui"), "Ja");
}

TEST_F(KalibmessagesTest, FailingReadGivesTheDefaultAndCachesNothing) {
  SmartPtr<TKaDb> db = MakeDb();
  ASSERT_TRUE(catalogue.AttachDb(db));
  Watch(db, log);
  db->ExecuteQueryEx("DROP TABLE TMESSAGE");
  traces.clear();

  EXPECT_EQ(catalogue.GetMessage("S", "N", "default"), "default");
  EXPECT_EQ(TKaMessage::CacheSize(), 0u);
  EXPECT_EQ(traces, Texts{"SQLite |TKaDatabase Error (exception) : SQL error or missing database --- " + Read("S", "N")});

  // The next lookup asks again.
  TKaMessage::CreateMessageTableEx(*db);
  db->ExecuteQueryEx("INSERT INTO TMESSAGE VALUES ('S','N','stored')");
  EXPECT_EQ(catalogue.GetMessage("S", "N", "default"), "stored");
  EXPECT_EQ(TKaMessage::CacheSize(), 1u);
}

TEST_F(KalibmessagesTest, UpdateModeWritesTheDefaultsBack) {
  SmartPtr<TKaDb> db = MakeDb({{"Common", "066", "Oui"}, {"Common", "067", "Nope"}});
  ASSERT_TRUE(catalogue.AttachDb(db));
  Watch(db, log);
  catalogue.SetUpdateDefaults(true);
  EXPECT_TRUE(catalogue.GetUpdateDefaults());

  // Equal: nothing traced, nothing written.
  EXPECT_EQ(KacommonMessage(66, "Oui"), "Oui");
  EXPECT_EQ(log, Texts{Read("Common", "066")});
  EXPECT_TRUE(traces.empty());

  // Missing: no trace, but removed and stored (the quote doubled in the stored text).
  log.clear();
  EXPECT_EQ(KacommonMessage(65, "Question (l'Attention)"), "Question (l'Attention)");
  EXPECT_EQ(log, (Texts{Read("Common", "065"), "DELETE FROM TMESSAGE WHERE C_SECTION='Common' AND C_NAME='065'",
                        "INSERT INTO TMESSAGE VALUES('Common','065','Question (l''Attention)')"}));
  EXPECT_TRUE(traces.empty());

  // Different: traced and rewritten.
  log.clear();
  EXPECT_EQ(KacommonMessage(67, "Non"), "Non");
  EXPECT_EQ(traces, Texts{"TKaMessage Error : (Common,067) Non <> Nope"});
  EXPECT_EQ(log.size(), 3u);

  EXPECT_EQ(TKaMessage::CacheSize(), 0u);
  EXPECT_EQ(db->ExecuteSimpleQueryEx(Read("Common", "065")), "Question (l'Attention)");
  EXPECT_EQ(db->ExecuteSimpleQueryEx(Read("Common", "067")), "Non");
  EXPECT_EQ(db->ExecuteSimpleQueryEx("SELECT COUNT(*) FROM TMESSAGE"), "3");

  // Back to normal lookups: now served from the database and cached.
  catalogue.SetUpdateDefaults(false);
  EXPECT_EQ(KacommonMessage(67, "Autre"), "Non");
  EXPECT_EQ(TKaMessage::CacheSize(), 1u);
}

TEST_F(KalibmessagesTest, UpdateModeSwallowsWriteFailuresAndSkipsTheStore) {
  SmartPtr<TKaDb> db = MakeDb({{"Common", "067", "Nope"}});
  db->ExecuteQueryEx("CREATE TRIGGER KEEP BEFORE DELETE ON TMESSAGE BEGIN SELECT RAISE(ABORT, 'kept'); END");
  ASSERT_TRUE(catalogue.AttachDb(db));
  Watch(db, log);
  catalogue.SetUpdateDefaults(true);

  EXPECT_EQ(KacommonMessage(67, "Non"), "Non");
  EXPECT_EQ(log, (Texts{Read("Common", "067"), "DELETE FROM TMESSAGE WHERE C_SECTION='Common' AND C_NAME='067'"}));
  EXPECT_EQ(db->ExecuteSimpleQueryEx(Read("Common", "067")), "Nope");
  ASSERT_EQ(traces.size(), 2u);
  EXPECT_EQ(traces[0], "TKaMessage Error : (Common,067) Non <> Nope");
  EXPECT_EQ(traces[1].rfind("SQLite |TKaDatabase Error (exception) : ", 0), 0u);
}

TEST_F(KalibmessagesTest, QuotesInSectionOrNameCannotBreakTheStatements) {
  const std::string name = "x' OR '1'='1";
  const std::string section = "It's";
  SmartPtr<TKaDb> db = MakeDb({{"Common", "001", "Okay"}, {section, name, "exact"}});
  ASSERT_TRUE(catalogue.AttachDb(db));

  EXPECT_EQ(catalogue.GetMessage("Common", name, "none"), "none");  // does not match every row
  EXPECT_EQ(catalogue.GetMessage(section, name, "none"), "exact");
  EXPECT_TRUE(TKaMessage::IsCached(section, name));

  catalogue.SetUpdateDefaults(true);
  EXPECT_EQ(catalogue.GetMessage(section, name, "cached"), "exact");  // the cache still answers first
  EXPECT_EQ(catalogue.GetMessage("Other", name, "new"), "new");
  EXPECT_EQ(catalogue.GetMessage("Common", "y'); DELETE FROM TMESSAGE; --", "v"), "v");
  EXPECT_EQ(db->ExecuteSimpleQueryEx("SELECT COUNT(*) FROM TMESSAGE"), "4");
  EXPECT_EQ(db->ExecuteSimpleQueryEx("SELECT C_VALUE FROM TMESSAGE WHERE C_SECTION='Common' AND C_NAME='001'"), "Okay");
  EXPECT_EQ(db->ExecuteSimpleQueryEx("SELECT C_VALUE FROM TMESSAGE WHERE C_NAME='" + KaquoteSql(name) +
                                     "' AND C_SECTION='Other'"),
            "new");
}

TEST_F(KalibmessagesTest, AttachNeedsAnOpenDatabaseWithTheTable) {
  SmartPtr<TKaDb> current = MakeDb({{"A", "B", "from current"}});
  ASSERT_TRUE(catalogue.AttachDb(current));
  Watch(current, log);
  EXPECT_EQ(catalogue.GetMessage("A", "B", "d"), "from current");

  SmartPtr<TKaDb> closed(new TKaDb);
  SmartPtr<TKaDb> bare(new TKaDb);
  bare->OpenEx(":memory:");
  for (const auto& refused : {SmartPtr<TKaDb>(), closed, bare}) {
    EXPECT_FALSE(catalogue.AttachDb(refused));
    EXPECT_FALSE(catalogue.AttachDbOverride(refused));
  }
  // Refusals leave the catalogue and its cache as they were.
  EXPECT_EQ(TKaMessage::CacheSize(), 1u);
  log.clear();
  EXPECT_EQ(catalogue.GetMessage("A", "B", "d"), "from current");
  EXPECT_TRUE(log.empty());
}

TEST_F(KalibmessagesTest, ReleasingTheLastOwnerClosesTheDatabase) {
  {
    SmartPtr<TKaDb> db = MakeDb();
    ASSERT_TRUE(catalogue.AttachDb(db));
  }
  EXPECT_TRUE(traces.empty());  // the catalogue still holds it
  catalogue.ReleaseDb();
  EXPECT_EQ(traces, Texts{"TKaDb Information : Destructor"});

  SmartPtr<TKaDb> kept = MakeDb();
  ASSERT_TRUE(catalogue.AttachDbOverride(kept));
  traces.clear();
  catalogue.ReleaseDbOverride();
  EXPECT_TRUE(traces.empty());
  EXPECT_TRUE(kept->IsOpen());
}

TEST_F(KalibmessagesTest, OpenDbCreatesTheTableOnceInAFile) {
  const fs::path dir = fs::temp_directory_path() / ("kalibmessages-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const std::string file = (dir / "messages.db").string();
  {
    SmartPtr<TKaDb> db = TKaMessage::OpenDbEx(file);
    EXPECT_EQ(db->ExecuteSimpleQueryEx("SELECT sql FROM sqlite_master WHERE name='TMESSAGE'"),
              TKaMessage::TableDefinition);
    ASSERT_TRUE(catalogue.AttachDb(db));
    catalogue.SetUpdateDefaults(true);
    KacommonMessage(2, "Annuler");
    catalogue.ReleaseDb();
  }
  SmartPtr<TKaDb> again = TKaMessage::OpenDbEx(file);  // the table is there already
  ASSERT_TRUE(catalogue.AttachDb(again));
  catalogue.SetUpdateDefaults(false);
  EXPECT_EQ(KacommonMessage(2, "Cancel"), "Annuler");
  catalogue.ReleaseDb();
  again = SmartPtr<TKaDb>();
  fs::remove_all(dir);
}

}  // namespace
