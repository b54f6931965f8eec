#pragma once
// One SQLite connection, with failed statements reported as TKaDbException.
// Methods whose names end in Ex throw; a closed connection is never an error.
#include <exception>
#include <string>
#include <utility>

struct sqlite3;

// Thrown by value, caught by reference.
class TKaDbException : public std::exception {
 public:
  TKaDbException(std::string sql, std::string error) : mSql(std::move(sql)), mError(std::move(error)) {}
  const char* what() const noexcept override { return mError.c_str(); }

  std::string mSql;    // the statement that failed (the file name for a failed open)
  std::string mError;  // TKaDb::ErrorText of the engine's result
};

class TKaDb {
 public:
  enum : int { KindSqlite = 1, KindIbx = 2 };

  // Closed. Only the SQLite kind can be opened; the IBX kind is known to the traces only.
  explicit TKaDb(int kind = KindSqlite);
  TKaDb(const TKaDb&) = delete;
  TKaDb& operator=(const TKaDb&) = delete;
  virtual ~TKaDb();

  // Opens (creating when missing) the database file; ":memory:" gives a private in-memory
  // database. An open connection is closed first. Throws when the engine refuses.
  void OpenEx(const std::string& fileName);

  bool IsSqlite() const { return mKind == KindSqlite; }
  bool IsIbx() const { return mKind == KindIbx; }
  bool IsOpen() const { return mKind == KindSqlite && mHandle != nullptr; }
  bool Close();

  // A statement that returns no rows.
  void ExecuteQueryEx(const std::string& sql);
  // The first column of the first row, or the empty string.
  std::string ExecuteSimpleQueryEx(const std::string& sql);
  // Whether the main schema has a table of that name (names compare without case, as SQLite's do).
  bool TableExistsEx(const std::string& table);

  static std::string ErrorText(int code);
  [[noreturn]] void RaiseDbException(const std::string& sql, const std::string& error) const;

  const std::string& GetFileName() const { return mFileName; }
  // The engine connection, null when closed (for engine-level hooks such as statement tracing).
  sqlite3* GetHandle() const { return mHandle; }

 private:
  int mKind;
  std::string mFileName;
  sqlite3* mHandle = nullptr;
};

// Doubles every single quote so that the text can stand between single quotes in SQL.
std::string KaquoteSql(const std::string& text);
