#include "weather/WeatherDb.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>

#include "weather/Packs.h"
#include "weather/Schema.h"
#include "weather/WeatherFields.h"
#include "weather/WeatherRows.h"

namespace zephyra::weather {

namespace {

std::string columnList() {
    std::string s;
    for (const auto& f : kFields) {
        s += s.empty() ? "" : ", ";
        s += f.name;
    }
    return s;
}

std::string insertSql() {
    std::string values;
    for (int i = 0; i < kFieldCount; ++i) {
        values += i == 0 ? "?" : ", ?";
    }
    return "INSERT INTO Weather (" + columnList() + ") VALUES (" + values + ")";
}

std::string insertBatchSql() {
    return "INSERT OR IGNORE INTO Weather (" + columnList() + ") SELECT " + columnList() +
           " FROM weather_rows(?)";
}

std::string updateSql() {
    std::string set;
    for (int i = 1; i < kFieldCount; ++i) {
        set += i == 1 ? "" : ", ";
        set += std::string(kFields[i].name) + " = ?" + std::to_string(i + 1);
    }
    return "UPDATE Weather SET " + set + " WHERE ID = ?1";
}

std::string selectSql(const char* where) {
    return "SELECT " + columnList() + " FROM Weather " + where;
}

void bindRecord(Statement& st, const WeatherRecord& r, int first = 1) {
    for (int i = 0; i < kFieldCount; ++i) {
        std::visit(
            [&](auto member) {
                using T = std::decay_t<decltype(r.*member)>;
                if constexpr (std::is_same_v<T, bool>) {
                    // Yes/No fields hold -1 for true, as the program has always stored them.
                    st.bind(first + i, (r.*member) ? -1 : 0);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    st.bindStatic(first + i, r.*member);
                } else {
                    st.bind(first + i, r.*member);
                }
            },
            kFields[i].member);
    }
}

WeatherRecord readRecord(const Statement& st) {
    WeatherRecord r;
    for (int i = 0; i < kFieldCount; ++i) {
        std::visit(
            [&](auto member) {
                using T = std::decay_t<decltype(r.*member)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    r.*member = st.text(i);
                } else if constexpr (std::is_same_v<T, int>) {
                    r.*member = st.integer(i);
                } else if constexpr (std::is_same_v<T, double>) {
                    r.*member = st.real(i);
                } else {
                    r.*member = st.integer(i) != 0;
                }
            },
            kFields[i].member);
    }
    return r;
}

WpsRecord readWps(const Statement& st) {
    WpsRecord w;
    w.rowid = st.integer64(0);
    w.Name = st.text(1);
    w.Type = st.text(2);
    w.Frequency = st.text(3);
    w.Lat = st.text(4);
    w.NS = st.integer(5);
    w.Lon = st.text(6);
    w.we = st.integer(7);
    w.Ident = st.text(8);
    return w;
}

constexpr const char* kWpsColumns = "rowid, Name, Type, Frequency, Lat, NS, Lon, we, Ident";

std::string lowerAscii(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The file the program opens must exist and hold something; SQLite would take a missing or
// empty file for a new database.
bool usableFile(const std::string& path, std::string& problem) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        problem = "missing";
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        problem = "a folder, not a database file";
        return false;
    }
    if (std::filesystem::is_regular_file(status) && std::filesystem::file_size(path, ec) == 0 &&
        !ec) {
        problem = "empty";
        return false;
    }
    return true;
}

bool holdsShippedTables(sqlite3* db, std::string& problem) {
    Statement st(db,
                 "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                 "('Stations', 'WPS')");
    if (!st.valid() || st.step() != SQLITE_ROW) {
        problem = sqlite3_errmsg(db);
        return false;
    }
    if (st.integer(0) != 2) {
        problem = "the station and waypoint tables are missing";
        return false;
    }
    return true;
}

// Whether the file and its folder (for the write-ahead log) can be written.
bool writable(const std::string& path) {
    const auto folder = std::filesystem::path(path).parent_path();
    return ::access(path.c_str(), W_OK) == 0 &&
           ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

// A path as a file URI's path: every byte but letters, digits, "/", "-", ".", "_" and "~"
// percent-encoded.
std::string uriPath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

}  // namespace

std::string unusableMessage(const std::string& path, const std::string& problem) {
    return "The weather database \"" + path + "\" is " + problem + ". Rebuild it with \"" +
           kRebuildCommand + "\".";
}

struct WeatherDb::Statements {
    Statement insertWeather;
    Statement insertWeatherBatch;
    Statement deleteWeather;
    Statement findWeather;
    Statement updateWeather;
    Statement updateVariedWinds;
    Statement findStation;
    Statement searchWps;
};

namespace {

// The scratch copies of this process by name, each with its connection (the copy lives in it)
// and the statements prepared on it.
struct Scratch {
    sqlite3* db = nullptr;
    std::unique_ptr<WeatherDb::Statements> statements;
};

std::map<std::string, Scratch>& scratchFiles() {
    static std::map<std::string, Scratch> files;
    return files;
}

// Opens the file. A database that cannot be written is read as it is (no schema changes,
// nobody writes it meanwhile), unless a program that crashed left its log beside it: the log
// then holds the newest weather, and SQLite reads it, with the log's index, read-only. Without
// that index (which cannot be made there) the file alone is read.
int openFile(const std::string& path, bool readOnly, bool create, sqlite3** db) {
    if (readOnly) {
        std::error_code ec;
        if (std::filesystem::file_size(path + "-wal", ec) > 0 && !ec &&
            std::filesystem::exists(path + "-shm", ec)) {
            if (sqlite3_open_v2(path.c_str(), db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                                nullptr) == SQLITE_OK &&
                sqlite3_exec(*db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr,
                             nullptr) == SQLITE_OK) {
                return SQLITE_OK;
            }
            sqlite3_close_v2(*db);
            *db = nullptr;
        }
        const std::string uri = "file:" + uriPath(path) + "?immutable=1";
        return sqlite3_open_v2(
            uri.c_str(), db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    }
    return sqlite3_open_v2(
        path.c_str(), db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0), nullptr);
}

// A connection is only ever used by one thread at a time: no locking per connection, and no
// memory statistics, which otherwise take a lock on every allocation.
void configureSqlite() {
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return sqlite3_initialize() == SQLITE_OK;
    }();
    (void)configured;
}

}  // namespace

WeatherDb::WeatherDb(sqlite3* db, bool ownsConnection, std::unique_ptr<Statements> statements)
    : db_(db),
      ownsConnection_(ownsConnection),
      st_(statements != nullptr ? std::move(statements) : std::make_unique<Statements>()) {}

WeatherDb::~WeatherDb() {
    // Closing the last connection copies the write-ahead log back into the file. A scratch
    // copy's connection stays open for the next opening, which takes over the statements.
    if (!ownsConnection_) {
        for (auto& [path, scratch] : scratchFiles()) {
            if (scratch.db == db_ && scratch.statements == nullptr) {
                for (auto* st : {&st_->insertWeather, &st_->insertWeatherBatch, &st_->deleteWeather,
                                 &st_->findWeather, &st_->updateWeather, &st_->updateVariedWinds,
                                 &st_->findStation, &st_->searchWps}) {
                    st->reset();
                }
                scratch.statements = std::move(st_);
                return;
            }
        }
        return;
    }
    if (checkpoint_.valid()) {
        if (!checkpointStarted_) {
            checkpointGo_.set_value(false);
        }
        checkpoint_.wait();
    }
    st_.reset();
    sqlite3_close_v2(db_);
}

void WeatherDb::prepareCheckpoint() {
    // A scratch copy keeps no log, and a read-only file is not written.
    if (!ownsConnection_ || readOnly_ || (checkpoint_.valid() && !checkpointStarted_)) {
        return;
    }
    if (checkpoint_.valid()) {
        checkpoint_.wait();  // the previous copy, done or nearly
    }
    const char* file = sqlite3_db_filename(db_, "main");
    if (file == nullptr || *file == '\0') {
        return;
    }
    checkpointGo_ = std::promise<bool>();
    checkpointStarted_ = false;
    std::promise<void> logReady;
    logReady_ = logReady.get_future();
    // Without a thread to spare, the last close copies the log as it always did.
    try {
        checkpoint_ = std::async(
            std::launch::async, [path = std::string(file), go = checkpointGo_.get_future(),
                                 ready = std::move(logReady)]() mutable {
                sqlite3* db = nullptr;
                if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                    nullptr) == SQLITE_OK) {
                    sqlite3_busy_timeout(db, 2000);
                    // The first write into a new or restarted log writes its header and syncs it,
                    // and the first sync of the log syncs its folder too: some milliseconds of
                    // fsync. A write of the file's user version, unchanged, does both here while
                    // the load decodes, so the load's commit only appends to the log. (A pragma
                    // takes no parameter; the number is the file's own.)
                    Statement version(db, "PRAGMA user_version");
                    if (version.step() == SQLITE_ROW) {
                        const std::string same =
                            "PRAGMA user_version = " + std::to_string(version.integer(0));
                        version = Statement();
                        sqlite3_exec(db, same.c_str(), nullptr, nullptr, nullptr);
                    }
                    ready.set_value();
                    // What cannot be copied now is copied when the last connection closes, as
                    // without this.
                    if (go.get()) {
                        sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                                  nullptr);
                    }
                } else {
                    ready.set_value();
                }
                sqlite3_close_v2(db);
            });
    } catch (const std::system_error&) {
        checkpoint_ = {};
        logReady_ = {};
    }
}

std::unique_ptr<Transaction> WeatherDb::transaction() {
    // A write while the checkpoint's connection writes the log's header would find the log
    // busy and sleep a millisecond or more in SQLite's busy handler: it waits for just that.
    if (logReady_.valid()) {
        logReady_.wait();
        logReady_ = {};
    }
    return std::make_unique<Transaction>(db_);
}

void WeatherDb::checkpointInBackground() {
    prepareCheckpoint();
    if (checkpoint_.valid() && !checkpointStarted_) {
        checkpointStarted_ = true;
        checkpointGo_.set_value(true);
    }
}

std::unique_ptr<WeatherDb> WeatherDb::openScratchCopy(const std::string& source,
                                                      const std::string& name, std::string* error) {
    configureSqlite();
    forgetScratch(name);
    std::string problem;
    if (!usableFile(source, problem)) {
        if (error != nullptr) {
            *error = unusableMessage(source, problem);
        }
        return nullptr;
    }
    sqlite3* from = nullptr;
    sqlite3* copy = nullptr;
    const auto fail = [&](const std::string& why) -> std::unique_ptr<WeatherDb> {
        if (error != nullptr) {
            *error = unusableMessage(source, why);
        }
        sqlite3_close_v2(from);
        sqlite3_close_v2(copy);
        return nullptr;
    };
    // The copy is read through the source's write-ahead log, so it holds what a connection
    // to the file would see.
    if (openFile(source, !writable(source), false, &from) != SQLITE_OK) {
        return fail(from != nullptr ? sqlite3_errmsg(from) : "out of memory");
    }
    sqlite3_busy_timeout(from, 2000);
    if (!holdsShippedTables(from, problem)) {
        return fail("damaged (" + problem + ")");
    }
    // The source's pages pass through a small cache of its own on their way to the copy.
    sqlite3_exec(from, "PRAGMA cache_size = -1024", nullptr, nullptr, nullptr);
    if (sqlite3_open_v2(":memory:", &copy,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        return fail("out of memory");
    }
    // A database in memory takes the source's page size before the copy or not at all. (A
    // pragma takes no parameter; the number is the file's own.)
    {
        Statement size(from, "PRAGMA page_size");
        const int page = size.step() == SQLITE_ROW ? size.integer(0) : 0;
        const std::string same = "PRAGMA page_size = " + std::to_string(page);
        sqlite3_exec(copy, same.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", from, "main");
    const int copied = backup != nullptr ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    sqlite3_backup_finish(backup);
    if (copied != SQLITE_DONE) {
        return fail(sqlite3_errmsg(copy));
    }
    sqlite3_close_v2(from);
    from = nullptr;
    sqlite3_exec(copy, "PRAGMA journal_mode=MEMORY; PRAGMA temp_store=MEMORY;", nullptr, nullptr,
                 nullptr);
    std::string schemaError;
    if (!createSchema(copy, &schemaError) || !registerWeatherRows(copy)) {
        return fail("damaged (" +
                    (schemaError.empty() ? std::string(sqlite3_errmsg(copy)) : schemaError) + ")");
    }
    scratchFiles()[name].db = copy;
    return std::unique_ptr<WeatherDb>(new WeatherDb(copy, false, nullptr));
}

void WeatherDb::forgetScratch(const std::string& path) {
    if (const auto it = scratchFiles().find(path); it != scratchFiles().end()) {
        it->second.statements.reset();
        sqlite3_close_v2(it->second.db);
        scratchFiles().erase(it);
    }
}

void WeatherDb::dropScratchJournal(const std::string& path) {
    if (const auto it = scratchFiles().find(path);
        it != scratchFiles().end() && it->second.db != nullptr) {
        sqlite3_exec(it->second.db, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
    }
}

std::unique_ptr<WeatherDb> WeatherDb::open(const std::string& path, std::string* error,
                                           bool create) {
    configureSqlite();
    const auto scratch = scratchFiles().find(path);
    if (scratch != scratchFiles().end() && scratch->second.db != nullptr) {
        return std::unique_ptr<WeatherDb>(
            new WeatherDb(scratch->second.db, false, std::move(scratch->second.statements)));
    }
    std::string problem;
    if (!create && !usableFile(path, problem)) {
        if (error != nullptr) {
            *error = unusableMessage(path, problem);
        }
        return nullptr;
    }
    sqlite3* db = nullptr;
    const bool readOnly = !create && !writable(path);
    const int rc = openFile(path, readOnly, create, &db);
    if (rc != SQLITE_OK) {
        if (error != nullptr) {
            *error = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
        }
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    std::string schemaError;
    // A file that is not a database, or one without the shipped tables, is never "repaired"
    // into an empty database: the user is told to rebuild it.
    if (!create && !holdsShippedTables(db, schemaError)) {
        if (error != nullptr) {
            *error = unusableMessage(path, "damaged (" + schemaError + ")");
        }
        sqlite3_close_v2(db);
        return nullptr;
    }
    if (readOnly) {
        if (!registerWeatherRows(db)) {
            if (error != nullptr) {
                *error = unusableMessage(path, "damaged (" + std::string(sqlite3_errmsg(db)) + ")");
            }
            sqlite3_close_v2(db);
            return nullptr;
        }
        auto opened = std::unique_ptr<WeatherDb>(new WeatherDb(db, true, nullptr));
        opened->readOnly_ = true;
        return opened;
    }
    // Write-ahead logging keeps the file valid through a crash or kill in the middle of a load,
    // and NORMAL sync keeps a 5,000-station load fast.
    sqlite3_exec(db, kPageSizePragma, nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-32768; "
                 "PRAGMA temp_store=MEMORY;",
                 nullptr, nullptr, nullptr);
    // Every action opens the database and closes it when done, and closing the last connection
    // checkpoints the log. Within one opening, the log is checkpointed after a commit that
    // leaves kLogBytes in it, counted in this file's pages (SQLite's own 1,000 pages would be
    // 64 MB with 64 KB pages).
    {
        Statement pageSize(db, "PRAGMA page_size");
        const int page = pageSize.step() == SQLITE_ROW ? pageSize.integer(0) : 0;
        sqlite3_wal_autocheckpoint(db, std::max(1, kLogBytes / std::max(page, 512)));
    }
    if (!createSchema(db, &schemaError) || !registerWeatherRows(db)) {
        if (schemaError.empty()) {
            schemaError = sqlite3_errmsg(db);
        }
        if (error != nullptr) {
            *error = create ? schemaError : unusableMessage(path, "damaged (" + schemaError + ")");
        }
        sqlite3_close_v2(db);
        return nullptr;
    }
    return std::unique_ptr<WeatherDb>(new WeatherDb(db, true, nullptr));
}

std::string WeatherDb::lastError() const {
    if (!refused_.empty()) {
        return refused_;
    }
    // The engine's "attempt to write a readonly database", in the user's words.
    if (readOnly_ && sqlite3_errcode(db_) == SQLITE_READONLY) {
        return "the database is read-only";
    }
    return sqlite3_errmsg(db_);
}

Statement& WeatherDb::cached(Statement& slot, const char* sql) {
    if (!slot.valid()) {
        slot = Statement(db_, sql);
    }
    slot.reset();
    return slot;
}

bool WeatherDb::emptyWeather() {
    return sqlite3_exec(db_, "DELETE FROM Weather", nullptr, nullptr, nullptr) == SQLITE_OK;
}

WeatherDb::AddResult WeatherDb::addWeather(const WeatherRecord& record) {
    static const std::string sql = insertSql();
    Statement& st = cached(st_->insertWeather, sql.c_str());
    bindRecord(st, record);
    const int rc = st.step();
    st.reset();
    if (rc == SQLITE_DONE) {
        return AddResult::Added;
    }
    const int code = sqlite3_extended_errcode(db_);
    if (code == SQLITE_CONSTRAINT_PRIMARYKEY || code == SQLITE_CONSTRAINT_UNIQUE) {
        return AddResult::DuplicateKey;
    }
    return AddResult::Failed;
}

bool WeatherDb::replaceWeather(const std::vector<const WeatherRecord*>& records) {
    refused_.clear();
    if (!emptyWeather()) {
        return false;
    }
    // Into an emptied table no row can meet a stored one, so the rows go in without a
    // statement journal (which would copy every page the deletion freed): a row the table
    // would refuse (a station given twice) is skipped instead, the count shows it, and the
    // caller rolls the transaction back.
    static const std::string sql = insertBatchSql();
    Statement& st = cached(st_->insertWeatherBatch, sql.c_str());
    sqlite3_bind_pointer(st.get(), 1, const_cast<WeatherBatch*>(&records), kWeatherRowsPointer,
                         nullptr);
    const int rc = st.step();
    st.reset();
    // The batch lives no longer than this call.
    st.clearBindings();
    if (rc != SQLITE_DONE) {
        return false;
    }
    if (static_cast<std::size_t>(sqlite3_changes(db_)) != records.size()) {
        refused_ = "a station given twice";
        return false;
    }
    return true;
}

bool WeatherDb::deleteWeather(const std::string& id) {
    Statement& st = cached(st_->deleteWeather, "DELETE FROM Weather WHERE ID = ?");
    st.bind(1, id);
    const bool ok = st.step() == SQLITE_DONE && sqlite3_changes(db_) > 0;
    st.reset();
    return ok;
}

WeatherDb::AddResult WeatherDb::addOrReplaceWeather(const WeatherRecord& record, bool* replaced) {
    if (replaced != nullptr) {
        *replaced = false;
    }
    AddResult result = addWeather(record);
    if (result == AddResult::DuplicateKey && deleteWeather(record.ID)) {
        if (replaced != nullptr) {
            *replaced = true;
        }
        result = addWeather(record);
    }
    return result;
}

std::optional<WeatherRecord> WeatherDb::findWeather(const std::string& id) {
    static const std::string sql = selectSql("WHERE ID = ?");
    Statement& st = cached(st_->findWeather, sql.c_str());
    st.bind(1, id);
    std::optional<WeatherRecord> found;
    if (st.step() == SQLITE_ROW) {
        found = readRecord(st);
    }
    st.reset();
    return found;
}

bool WeatherDb::updateWeather(const WeatherRecord& record) {
    static const std::string sql = updateSql();
    Statement& st = cached(st_->updateWeather, sql.c_str());
    bindRecord(st, record);
    const bool ok = st.step() == SQLITE_DONE;
    st.reset();
    return ok;
}

bool WeatherDb::updateVariedWinds(const WeatherRecord& r) {
    Statement& st = cached(st_->updateVariedWinds,
                           "UPDATE Weather SET w3Turb = ?, w2Turb = ?, w2Dir = ?, w3Dir = ?, "
                           "w2Spd = ?, w3Spd = ? WHERE ID = ?");
    st.bind(1, r.w3Turb);
    st.bind(2, r.w2Turb);
    st.bind(3, r.w2Dir);
    st.bind(4, r.w3Dir);
    st.bind(5, r.w2Spd);
    st.bind(6, r.w3Spd);
    st.bind(7, r.ID);
    const bool ok = st.step() == SQLITE_DONE;
    st.reset();
    return ok;
}

int WeatherDb::weatherCount() {
    Statement st(db_, "SELECT COUNT(*) FROM Weather");
    return st.step() == SQLITE_ROW ? st.integer(0) : 0;
}

std::optional<StationRecord> WeatherDb::findStation(const std::string& id) {
    Statement& st = cached(st_->findStation,
                           "SELECT ID, Name, Latitude, Longitude, Altitude, \"State Code\", "
                           "Country, Celcius FROM Stations WHERE ID = ?");
    st.bind(1, id);
    std::optional<StationRecord> found;
    if (st.step() == SQLITE_ROW) {
        found = StationRecord{st.text(0), st.text(1), st.text(2), st.text(3),
                              st.real(4), st.text(5), st.text(6), st.integer(7) != 0};
    }
    st.reset();
    return found;
}

StationList WeatherDb::stationList() {
    StationList list;
    list.entries.reserve(static_cast<std::size_t>(weatherCount()) + 1);
    Statement st(db_,
                 "SELECT ID, Latitude, Longitude, Name, \"State Code\", Country FROM "
                 "SelectStations");
    while (st.step() == SQLITE_ROW) {
        list.entries.push_back({st.text(0), stationLatitude(st.view(1)),
                                stationLongitude(st.view(2)), st.text(3), st.text(4), st.text(5)});
    }
    return list;
}

bool WeatherDb::hasWaypoints() {
    Statement st(db_, "SELECT EXISTS (SELECT 1 FROM WPS)");
    return st.step() == SQLITE_ROW && st.integer(0) != 0;
}

bool WeatherDb::forEachWps(const std::function<bool(WpsRecord&)>& visit) {
    Statement st(db_, std::string("SELECT ") + kWpsColumns + " FROM WPS ORDER BY rowid");
    if (!st.valid()) {
        return false;
    }
    int rc = SQLITE_OK;
    while ((rc = st.step()) == SQLITE_ROW) {
        WpsRecord row = readWps(st);
        if (!visit(row)) {
            return true;
        }
    }
    return rc == SQLITE_DONE;
}

bool WeatherDb::forEachWpsEntry(const std::function<bool(const WpsEntry&)>& visit) {
    return packs::forEachWaypoint(db_, visit);
}

std::optional<WpsRecord> WeatherDb::findWpsByIdent(const std::string& ident) {
    Statement st(db_, std::string("SELECT ") + kWpsColumns +
                          " FROM WPS WHERE Ident = ? COLLATE NOCASE ORDER BY rowid LIMIT 1");
    st.bind(1, ident);
    if (st.step() == SQLITE_ROW) {
        return readWps(st);
    }
    return std::nullopt;
}

std::vector<WpsRecord> WeatherDb::wpsByIdent(const std::string& ident) {
    // An airport's other codes find it too; a database from before them has no AirportCodes.
    Statement withCodes(db_, std::string("SELECT ") + kWpsColumns +
                                 " FROM WPS WHERE Ident = ?1 COLLATE NOCASE OR (Type = 'A' AND "
                                 "Ident IN (SELECT Ident FROM AirportCodes WHERE Code = ?1)) "
                                 "ORDER BY rowid");
    Statement plain(db_, std::string("SELECT ") + kWpsColumns +
                             " FROM WPS WHERE Ident = ? COLLATE NOCASE ORDER BY rowid");
    Statement& st = withCodes.valid() ? withCodes : plain;
    st.bind(1, ident);
    std::vector<WpsRecord> out;
    while (st.step() == SQLITE_ROW) {
        out.push_back(readWps(st));
    }
    return out;
}

std::unordered_map<std::string, WeatherDb::AirportFacts> WeatherDb::airportFacts() {
    std::unordered_map<std::string, AirportFacts> out;
    Statement st(db_, "SELECT Ident, City, Rank FROM Airports");
    if (!st.valid()) {
        return out;
    }
    while (st.step() == SQLITE_ROW) {
        out.emplace(st.text(0), AirportFacts{st.text(1), st.integer(2)});
    }
    return out;
}

std::optional<std::pair<double, double>> WeatherDb::airportPosition(const std::string& ident) {
    if (const auto w = findWpsByIdent(ident); w && w->Type == "A") {
        return std::make_pair(w->latitudeDegrees(), w->longitudeDegrees());
    }
    if (const auto s = findStation(ident)) {
        return std::make_pair(stationLatitude(s->Latitude), stationLongitude(s->Longitude));
    }
    return std::nullopt;
}

WeatherDb::WpsSearch::WpsSearch(WeatherDb& db, std::string text)
    : db_(&db), text_(std::move(text)) {}

std::optional<WpsRecord> WeatherDb::WpsSearch::after(long long rowid) {
    // instr() matches the text literally: quotes, "%" and "_" are plain characters here.
    Statement& st = db_->cached(db_->st_->searchWps,
                                "SELECT rowid, Name, Type, Frequency, Lat, NS, Lon, we, Ident "
                                "FROM WPS WHERE rowid > ? AND instr(lower(Name), ?) > 0 "
                                "ORDER BY rowid LIMIT 1");
    st.bind(1, rowid);
    st.bind(2, lowerAscii(text_));
    std::optional<WpsRecord> found;
    if (st.step() == SQLITE_ROW) {
        found = readWps(st);
    }
    st.reset();
    return found;
}

std::optional<WpsRecord> WeatherDb::WpsSearch::first() {
    current_ = after(0);
    return current_;
}

std::optional<WpsRecord> WeatherDb::WpsSearch::next() {
    if (!current_) {
        return std::nullopt;
    }
    auto found = after(current_->rowid);
    if (found) {
        current_ = found;
    }
    return found;
}

}  // namespace zephyra::weather
