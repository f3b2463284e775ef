#pragma once

#include <string>

struct sqlite3;

namespace zephyra::weather {

inline constexpr const char* kDatabaseFileName = "vanedb.mdb";

// Pages of a new database file. A weather load rewrites the whole Weather table; with large
// pages it goes to disk in a few dozen writes instead of hundreds. Has an effect only before
// the file's first table (and before it is switched to write-ahead logging).
inline constexpr const char* kPageSizePragma = "PRAGMA page_size = 65536;";

// Creates the tables, the unique key on Weather.ID and the stored queries (views) when they are
// missing. Returns false with the engine's message on failure.
bool createSchema(sqlite3* db, std::string* error = nullptr);

}  // namespace zephyra::weather
