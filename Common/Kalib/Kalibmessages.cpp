#include "Common/Kalib/Kalibmessages.h"

#include <cstdio>
#include <map>

#include "Common/Kalib/Kalibutils.h"

namespace {

std::map<std::string, std::string>& Cache() {
  static std::map<std::string, std::string> cache;
  return cache;
}

std::string Key(const std::string& section, const std::string& name) { return section + "." + name; }

// Section and name are quoted like the text: a quote in either must not end the literal.
std::string Where(const std::string& section, const std::string& name) {
  return " WHERE C_SECTION='" + KaquoteSql(section) + "' AND C_NAME='" + KaquoteSql(name) + "'";
}

std::string ReadSql(const std::string& section, const std::string& name) {
  return "SELECT C_VALUE FROM TMESSAGE" + Where(section, name);
}

std::string RemoveSql(const std::string& section, const std::string& name) {
  return "DELETE FROM TMESSAGE" + Where(section, name);
}

std::string StoreSql(const std::string& section, const std::string& name, const std::string& value) {
  return "INSERT INTO TMESSAGE VALUES('" + KaquoteSql(section) + "','" + KaquoteSql(name) + "','" +
         KaquoteSql(value) + "')";
}

}  // namespace

TKaMessage& TKaMessage::Instance() {
  // The cache is made first so that it outlives the catalogue, whose destructor empties it.
  Cache();
  static TKaMessage instance;
  return instance;
}

TKaMessage::~TKaMessage() {
  ReleaseDb();
  ReleaseDbOverride();
}

std::string TKaMessage::GetMessage(const std::string& section, const std::string& name,
                                   const std::string& defaultText) {
  if (!mpDb) return defaultText;

  if (mpDbOverride) {
    try {
      std::string value = mpDbOverride->ExecuteSimpleQueryEx(ReadSql(section, name));
      if (!value.empty()) return value;
    } catch (const TKaDbException&) {
      // An unreadable override counts as no override.
    }
  }

  const std::string key = Key(section, name);
  if (auto found = Cache().find(key); found != Cache().end()) return found->second;

  std::string value;
  try {
    value = mpDb->ExecuteSimpleQueryEx(ReadSql(section, name));
  } catch (const TKaDbException&) {
    return defaultText;
  }

  if (mUpdateDefaults) {
    if (value == defaultText) return defaultText;
    if (!value.empty())
      Katrace("TKaMessage Error : (" + section + "," + name + ") " + defaultText + " <> " + value);
    try {
      mpDb->ExecuteQueryEx(RemoveSql(section, name));
      mpDb->ExecuteQueryEx(StoreSql(section, name, defaultText));
    } catch (const TKaDbException&) {
      // Left as it was; the caller still gets the default.
    }
    return defaultText;
  }

  if (value.empty()) value = defaultText;
  Cache().emplace(key, value);
  return value;
}

void TKaMessage::ReleaseDb() {
  mpDb = SmartPtr<TKaDb>();
  Cache().clear();
}

void TKaMessage::ReleaseDbOverride() { mpDbOverride = SmartPtr<TKaDb>(); }

bool TKaMessage::Attach(SmartPtr<TKaDb>& slot, const SmartPtr<TKaDb>& db) {
  const SmartPtr<TKaDb> keep(db);  // db may be the slot itself
  if (!keep || !keep->IsOpen()) return false;
  try {
    if (!keep->TableExistsEx("TMESSAGE")) return false;
  } catch (const TKaDbException&) {
    return false;
  }
  slot = keep;
  return true;
}

bool TKaMessage::AttachDb(const SmartPtr<TKaDb>& db) {
  const SmartPtr<TKaDb> keep(db);
  if (!Attach(mpDb, keep)) return false;
  Cache().clear();
  return true;
}

bool TKaMessage::AttachDbOverride(const SmartPtr<TKaDb>& db) { return Attach(mpDbOverride, db); }

SmartPtr<TKaDb> TKaMessage::OpenDbEx(const std::string& fileName) {
  SmartPtr<TKaDb> db(new TKaDb(TKaDb::KindSqlite));
  db->OpenEx(fileName);
  CreateMessageTableEx(*db);
  return db;
}

void TKaMessage::CreateMessageTableEx(TKaDb& db) {
  if (db.IsOpen() && !db.TableExistsEx("TMESSAGE")) db.ExecuteQueryEx(TableDefinition);
}

std::size_t TKaMessage::CacheSize() { return Cache().size(); }

bool TKaMessage::IsCached(const std::string& section, const std::string& name) {
  return Cache().count(Key(section, name)) != 0;
}

std::string KacommonMessage(int number, const std::string& defaultText) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d", number);
  return TKaMessage::Instance().GetMessage("Common", name, defaultText);
}
