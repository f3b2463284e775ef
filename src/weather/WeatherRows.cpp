#include "weather/WeatherRows.h"

#include <sqlite3.h>

#include <cmath>
#include <string>
#include <type_traits>

#include "weather/WeatherFields.h"

namespace zephyra::weather {

namespace {

// The hidden column that takes the batch: weather_rows(?1).
constexpr int kBatchColumn = kFieldCount;
// Below this a REAL column keeps a whole value as an integer (2^47).
constexpr double kLargestWhole = 140737488355328.0;

struct Cursor {
    sqlite3_vtab_cursor base{};
    const WeatherBatch* rows = nullptr;
    std::size_t at = 0;
};

int connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** table, char**) {
    static const std::string declaration = [] {
        std::string sql = "CREATE TABLE x(";
        for (const auto& f : kFields) {
            sql += f.name;
            sql += ", ";
        }
        return sql + "batch HIDDEN)";
    }();
    const int rc = sqlite3_declare_vtab(db, declaration.c_str());
    if (rc != SQLITE_OK) {
        return rc;
    }
    // Only for the program's own statements, never from a view or trigger in the file.
    sqlite3_vtab_config(db, SQLITE_VTAB_DIRECTONLY);
    *table = new sqlite3_vtab{};
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab* table) {
    delete table;
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn == kBatchColumn && c.op == SQLITE_INDEX_CONSTRAINT_EQ && c.usable) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->estimatedCost = 1;
            info->idxNum = 1;
            return SQLITE_OK;
        }
    }
    // Without a batch there are no rows.
    info->estimatedCost = 1e12;
    info->idxNum = 0;
    return SQLITE_OK;
}

int open(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    *cursor = &(new Cursor)->base;
    return SQLITE_OK;
}

int close(sqlite3_vtab_cursor* cursor) {
    delete reinterpret_cast<Cursor*>(cursor);
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* base, int idxNum, const char*, int argc, sqlite3_value** argv) {
    auto* cursor = reinterpret_cast<Cursor*>(base);
    cursor->rows = nullptr;
    cursor->at = 0;
    if (idxNum == 1 && argc == 1) {
        cursor->rows =
            static_cast<const WeatherBatch*>(sqlite3_value_pointer(argv[0], kWeatherRowsPointer));
    }
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* base) {
    ++reinterpret_cast<Cursor*>(base)->at;
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* base) {
    const auto* cursor = reinterpret_cast<Cursor*>(base);
    return cursor->rows == nullptr || cursor->at >= cursor->rows->size();
}

int column(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int index) {
    const auto* cursor = reinterpret_cast<Cursor*>(base);
    if (index < 0 || index >= kFieldCount) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    const WeatherRecord& r = *(*cursor->rows)[cursor->at];
    std::visit(
        [&](auto member) {
            using T = std::decay_t<decltype(r.*member)>;
            if constexpr (std::is_same_v<T, bool>) {
                // Yes/No fields hold -1 for true, as the program has always stored them.
                sqlite3_result_int(ctx, (r.*member) ? -1 : 0);
            } else if constexpr (std::is_same_v<T, std::string>) {
                const std::string& s = r.*member;
                sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
            } else if constexpr (std::is_same_v<T, int>) {
                sqlite3_result_int(ctx, r.*member);
            } else {
                // Whole values go in as integers: stored the same, and SQLite need not look at
                // each one to find that out.
                const double v = r.*member;
                if (std::fabs(v) < kLargestWhole &&
                    static_cast<double>(static_cast<sqlite3_int64>(v)) == v) {
                    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
                } else {
                    sqlite3_result_double(ctx, v);
                }
            }
        },
        kFields[index].member);
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* base, sqlite3_int64* id) {
    *id = static_cast<sqlite3_int64>(reinterpret_cast<Cursor*>(base)->at);
    return SQLITE_OK;
}

sqlite3_module makeModule() {
    sqlite3_module m{};
    // No xCreate: the function exists on every connection that registers it and cannot be
    // made into a stored table.
    m.xConnect = connect;
    m.xBestIndex = bestIndex;
    m.xDisconnect = disconnect;
    m.xOpen = open;
    m.xClose = close;
    m.xFilter = filter;
    m.xNext = next;
    m.xEof = eof;
    m.xColumn = column;
    m.xRowid = rowid;
    return m;
}

}  // namespace

bool registerWeatherRows(sqlite3* db) {
    static const sqlite3_module module = makeModule();
    return sqlite3_create_module(db, "weather_rows", &module, nullptr) == SQLITE_OK;
}

}  // namespace zephyra::weather
