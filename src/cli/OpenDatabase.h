#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "platform/Files.h"
#include "platform/Folders.h"
#include "weather/WeatherDb.h"

namespace zephyra::cli {

// The database a command uses without --db: the user's.
inline std::string defaultDatabase() {
    return platform::joinPath(platform::folders().user, "vanedb.mdb");
}

// The program's database, never created; when it cannot be used, nothing, after a line on err
// that starts with who is speaking ("zephyra-cli", "zephyra-cli plan") and says why.
inline std::unique_ptr<weather::WeatherDb> openDatabaseOrSay(const std::string& database,
                                                             const std::string& who,
                                                             std::ostream& err) {
    std::string error;
    auto db = weather::WeatherDb::open(database, &error, false);
    if (!db) {
        // The usual reasons name the file; the rare ones from SQLite itself do not.
        err << who << ": "
            << (error.find(database) == std::string::npos
                    ? "cannot open the database " + database + ": " + error
                    : error)
            << "\n";
    }
    return db;
}

}  // namespace zephyra::cli
