#include "Common/Kalib/Kalibdb.h"

#include <sqlite3.h>

#include "Common/Kalib/Kalibutils.h"

namespace {

// File names are code page 1252 like every text of the library; the engine wants UTF-8.
std::string Cp1252ToUtf8(const std::string& text) {
  // 0x80-0x9F; 0 marks the five positions the code page leaves undefined.
  static const char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    char32_t u = c;
    if (c >= 0x80 && c <= 0x9F) u = high[c - 0x80] ? high[c - 0x80] : c;
    if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | (u >> 6));
      out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | (u >> 12));
      out += char(0x80 | ((u >> 6) & 0x3F));
      out += char(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// Finalizes on every way out of a query, exceptions included.
struct Statement {
  sqlite3_stmt* handle = nullptr;
  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { sqlite3_finalize(handle); }
};

}  // namespace

TKaDb::TKaDb(int kind) : mKind(kind) {}

TKaDb::~TKaDb() {
  Katrace("TKaDb Information : Destructor");
  Close();
}

void TKaDb::OpenEx(const std::string& fileName) {
  if (!IsSqlite()) RaiseDbException(fileName, ErrorText(SQLITE_MISUSE));
  Close();
  sqlite3* handle = nullptr;
  const int rc =
      sqlite3_open_v2(Cp1252ToUtf8(fileName).c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(handle);  // the engine may hand out a handle even when it fails
    RaiseDbException(fileName, ErrorText(rc));
  }
  mHandle = handle;
  mFileName = fileName;
}

bool TKaDb::Close() {
  if (!IsOpen()) return false;
  sqlite3_close(mHandle);
  mHandle = nullptr;
  mFileName.clear();
  return true;
}

void TKaDb::ExecuteQueryEx(const std::string& sql) {
  if (!IsOpen()) return;
  const int rc = sqlite3_exec(mHandle, sql.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) RaiseDbException(sql, ErrorText(rc));
}

std::string TKaDb::ExecuteSimpleQueryEx(const std::string& sql) {
  if (!IsOpen() || sql.empty()) return std::string();

  Statement stmt;
  const int prepared = sqlite3_prepare_v2(mHandle, sql.data(), int(sql.size()), &stmt.handle, nullptr);
  if (prepared != SQLITE_OK) RaiseDbException(sql, ErrorText(prepared));
  // Only blanks or comments: there is no statement, so no row either.
  if (stmt.handle == nullptr) return std::string();

  if (sqlite3_column_count(stmt.handle) != 1)
    Katrace("SQLite | TKaDb Warning : ExecuteSimpleQueryEx - sql not valid in ExecuteSimpleQueryEx --- " + sql);

  const int stepped = sqlite3_step(stmt.handle);
  if (stepped != SQLITE_OK && stepped != SQLITE_ROW && stepped != SQLITE_DONE)
    RaiseDbException(sql, ErrorText(stepped));

  std::string result;
  if (stepped == SQLITE_ROW) {
    if (const unsigned char* text = sqlite3_column_text(stmt.handle, 0))
      result.assign(reinterpret_cast<const char*>(text), std::size_t(sqlite3_column_bytes(stmt.handle, 0)));
  }
  return result;
}

bool TKaDb::TableExistsEx(const std::string& table) {
  return ExecuteSimpleQueryEx("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name='" +
                              KaquoteSql(table) + "' COLLATE NOCASE") == "1";
}

std::string TKaDb::ErrorText(int code) {
  switch (code) {
    case 0: return "Successful result";
    case 1: return "SQL error or missing database";
    case 2: return "An internal logic error in SQLite";
    case 3: return "Access permission denied";
    case 4: return "Callback routine requested an abort";
    case 5: return "The database file is locked";
    case 6: return "A table in the database is locked";
    case 7: return "A malloc() failed";
    case 8: return "Attempt to write a readonly database";
    case 9: return "Operation terminated by sqlite_interrupt()";
    case 10: return "Some kind of disk I/O error occurred";
    case 11: return "The database disk image is malformed";
    case 12: return "(Internal Only) Table or record not found";
    case 13: return "Insertion failed because database is full";
    case 14: return "Unable to open the database file";
    case 15: return "Database lock protocol error";
    case 16: return "(Internal Only) Database table is empty";
    case 17: return "The database schema changed";
    case 18: return "Too much data for one row of a table";
    case 19: return "Abort due to contraint violation";
    case 20: return "Data type mismatch";
    case 21: return "Library used incorrectly";
    case 22: return "Uses OS features not supported on host";
    case 23: return "Authorization denied";
    case 100: return "sqlite_step() has another row ready";
    case 101: return "sqlite_step() has finished executing";
    default: return "SQL Error N.C";
  }
}

void TKaDb::RaiseDbException(const std::string& sql, const std::string& error) const {
  if (mKind == KindSqlite)
    Katrace("SQLite |TKaDatabase Error (exception) : " + error + " --- " + sql);
  else if (mKind == KindIbx)
    Katrace("IBX |TKaDatabase Error (exception) : " + error + " --- " + sql);
  throw TKaDbException(sql, error);
}

std::string KaquoteSql(const std::string& text) {
  std::string quoted;
  quoted.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return quoted;
}
