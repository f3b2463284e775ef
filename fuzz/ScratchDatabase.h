#pragma once

// One database for a whole fuzzing run, in a scratch folder of its own that goes away at exit.

#include <filesystem>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "weather/WeatherDb.h"

namespace zephyra::fuzz {

struct ScratchDatabase {
    explicit ScratchDatabase(const std::string& tag) : folder(scratchPath(tag)) {
        std::filesystem::create_directories(folder);
        db = weather::WeatherDb::open((folder / "vanedb.mdb").string());
        require(db != nullptr);
    }
    ~ScratchDatabase() {
        db.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    // Closes and opens the file again; closing waits for the work the connection left to a
    // thread of its own (a load's background copy of its log into the file).
    void reopen() {
        db.reset();
        db = weather::WeatherDb::open((folder / "vanedb.mdb").string());
        require(db != nullptr);
    }
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;
    std::filesystem::path folder;
    std::unique_ptr<weather::WeatherDb> db;
};

}  // namespace zephyra::fuzz
