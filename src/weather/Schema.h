#pragma once

#include <string>

struct sqlite3;

namespace zephyra::weather {

inline constexpr const char* kDatabaseFileName = "vanedb.mdb";

// Creates the tables, the unique key on Weather.ID and the stored queries (views) when they are
// missing. Returns false with the engine's message on failure.
bool createSchema(sqlite3* db, std::string* error = nullptr);

}  // namespace zephyra::weather
