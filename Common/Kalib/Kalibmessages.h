#pragma once
// The catalogue of user-visible texts, addressed by section and name, stored in table
// TMESSAGE and cached for the whole process. Every lookup carries its built-in default,
// which wins whenever the catalogue has nothing better; database failures never reach
// the caller.
#include <cstddef>
#include <string>

#include "Common/Kalib/Kalibdb.h"
#include "Common/Kalib/SmartPtr.h"

class TKaMessage {
 public:
  static constexpr const char* TableDefinition =
      "CREATE TABLE TMESSAGE (C_SECTION VARCHAR(32) NOT NULL, C_NAME VARCHAR(32) NOT NULL, "
      "C_VALUE VARCHAR(255), PRIMARY KEY(C_SECTION, C_NAME))";

  // The single catalogue, created on first use; no database attached, update mode off.
  static TKaMessage& Instance();

  TKaMessage(const TKaMessage&) = delete;
  TKaMessage& operator=(const TKaMessage&) = delete;
  virtual ~TKaMessage();

  std::string GetMessage(const std::string& section, const std::string& name, const std::string& defaultText);

  // Drops the catalogue database and empties the message cache.
  void ReleaseDb();
  void ReleaseDbOverride();

  // Attaching needs an open database holding TMESSAGE; otherwise nothing changes and the
  // result is false. A new catalogue starts with an empty cache.
  bool AttachDb(const SmartPtr<TKaDb>& db);
  // The override database is read before the cache and the catalogue on every lookup.
  bool AttachDbOverride(const SmartPtr<TKaDb>& db);

  // Update mode: the built-in defaults are written into the catalogue database.
  void SetUpdateDefaults(bool update) { mUpdateDefaults = update; }
  bool GetUpdateDefaults() const { return mUpdateDefaults; }

  // Opens (creating when missing) a database file and creates TMESSAGE in it when missing.
  static SmartPtr<TKaDb> OpenDbEx(const std::string& fileName);
  // Creates TMESSAGE when the open database lacks it.
  static void CreateMessageTableEx(TKaDb& db);

  // The process-wide cache: how many messages it holds, and whether it holds one.
  static std::size_t CacheSize();
  static bool IsCached(const std::string& section, const std::string& name);

 private:
  TKaMessage() = default;
  bool Attach(SmartPtr<TKaDb>& slot, const SmartPtr<TKaDb>& db);

  SmartPtr<TKaDb> mpDb;
  SmartPtr<TKaDb> mpDbOverride;
  bool mUpdateDefaults = false;
};

// A message of section "Common", named by number with at least three digits ("%03d").
std::string KacommonMessage(int number, const std::string& defaultText);
