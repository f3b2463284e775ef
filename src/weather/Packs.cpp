#include "weather/Packs.h"

#include <sqlite3.h>

#include <bit>
#include <cstring>

#include "weather/Statement.h"

namespace zephyra::weather::packs {

std::string signature(sqlite3* db, const char* table, const char* key) {
    // Each of MIN and MAX alone is answered by one descent of a b-tree; a COUNT(*) would read
    // every page of the table. Changes that keep both are caught by the triggers, which drop
    // the pack.
    const auto edge = [&](const char* which) {
        return Statement(db, std::string("SELECT IFNULL(") + which + "(" + key + "), '') FROM \"" +
                                 table + "\"");
    };
    Statement first = edge("MIN");
    Statement last = edge("MAX");
    if (first.step() != SQLITE_ROW || last.step() != SQLITE_ROW) {
        return {};
    }
    // A pack holds numbers in this machine's byte order: one made elsewhere does not match.
    constexpr const char* kByteOrder = std::endian::native == std::endian::little ? "/L" : "/B";
    return first.text(0) + ".." + last.text(0) + kByteOrder;
}

std::optional<Bytes> read(sqlite3* db, const char* name, const std::string& signature) {
    if (signature.empty()) {
        return std::nullopt;
    }
    Statement st(db, "SELECT rowid FROM Packs WHERE Name = ? AND Signature = ?");
    if (!st.valid()) {
        return std::nullopt;  // a database from before packs, opened read-only
    }
    st.bind(1, std::string(name));
    st.bind(2, signature);
    if (st.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    // Read straight into the buffer kept: SQLite copies the blob from the file without
    // another copy of its own.
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(db, "main", "Packs", "Data", st.integer64(0), 0, &blob) != SQLITE_OK) {
        sqlite3_blob_close(blob);
        return std::nullopt;
    }
    Bytes bytes(static_cast<std::size_t>(sqlite3_blob_bytes(blob)));
    const int rc = sqlite3_blob_read(blob, bytes.data(), static_cast<int>(bytes.size()), 0);
    sqlite3_blob_close(blob);
    if (rc != SQLITE_OK) {
        return std::nullopt;
    }
    return bytes;
}

bool write(sqlite3* db, const char* name, const std::string& signature, std::string_view bytes) {
    if (signature.empty() || sqlite3_db_readonly(db, "main") == 1) {
        return false;
    }
    Statement st(db, "INSERT OR REPLACE INTO Packs (Name, Signature, Data) VALUES (?, ?, ?)");
    if (!st.valid()) {
        return false;
    }
    st.bind(1, std::string(name));
    st.bind(2, signature);
    sqlite3_bind_blob64(st.get(), 3, bytes.data(), bytes.size(), SQLITE_STATIC);
    return st.step() == SQLITE_DONE;
}

void Writer::text(std::string_view s) {
    integer(static_cast<std::int32_t>(s.size()));
    out_.append(s);
}

void Writer::integer(std::int32_t v) {
    out_.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void Writer::real(double v) {
    out_.append(reinterpret_cast<const char*>(&v), sizeof v);
}

bool WaypointColumns::parse(std::string_view bytes) {
    count_ = 0;
    Reader in(bytes);
    const std::int32_t count = in.integer();
    // Each record takes at least five offsets, we and two reals.
    if (count < 0 || static_cast<std::size_t>(count) > bytes.size() / 40) {
        return false;
    }
    const auto n = static_cast<std::size_t>(count);
    const auto take = [&](std::size_t size) -> const char* {
        if (!in.ok() || in.left() < size) {
            return nullptr;
        }
        const char* at = bytes.data() + (bytes.size() - in.left());
        in.skip(size);
        return at;
    };
    for (Column& c : columns_) {
        c.offsets = take(4 * (n + 1));
        const std::int32_t size = in.integer();
        const char* texts = size >= 0 ? take(static_cast<std::size_t>(size)) : nullptr;
        if (c.offsets == nullptr || texts == nullptr) {
            return false;
        }
        c.texts = std::string_view(texts, static_cast<std::size_t>(size));
        // Offsets from 0 to the end of the texts, never going back.
        if (offset(c, 0) != 0 || offset(c, count) != c.texts.size()) {
            return false;
        }
        for (std::int32_t i = 0; i < count; ++i) {
            if (offset(c, i + 1) < offset(c, i)) {
                return false;
            }
        }
    }
    we_ = take(4 * n);
    latitudes_ = take(8 * n);
    longitudes_ = take(8 * n);
    if (we_ == nullptr || latitudes_ == nullptr || longitudes_ == nullptr || !in.atEnd()) {
        return false;
    }
    count_ = count;
    return true;
}

namespace {

// A signature names the layout as well: a pack of another layout is not taken.
std::string waypointSignature(sqlite3* db) {
    const std::string table = signature(db, "WPS", "rowid");
    return table.empty() ? table : table + "/columns";
}

// The WPS rows in the pack's layout; empty when the table cannot be read.
std::string waypointRows(sqlite3* db) {
    Statement st(db,
                 "SELECT Name, Type, Frequency, Ident, Lon, we, Lat, NS FROM WPS ORDER BY rowid");
    if (!st.valid()) {
        return {};
    }
    std::string texts[WaypointColumns::kTexts];
    Writer offsets[WaypointColumns::kTexts];
    Writer we, latitudes, longitudes;
    for (auto& o : offsets) {
        o.integer(0);
    }
    std::int32_t count = 0;
    int rc = SQLITE_OK;
    while ((rc = st.step()) == SQLITE_ROW) {
        for (int c = 0; c < WaypointColumns::kTexts; ++c) {
            texts[c].append(st.view(c));
            offsets[c].integer(static_cast<std::int32_t>(texts[c].size()));
        }
        const int w = st.integer(5);
        we.integer(w);
        latitudes.real(waypointLatitude(st.view(6), st.integer(7)));
        longitudes.real(waypointLongitude(st.view(4), w));
        ++count;
    }
    if (rc != SQLITE_DONE) {
        return {};
    }
    Writer pack;
    pack.integer(count);
    std::string bytes = pack.bytes();
    for (int c = 0; c < WaypointColumns::kTexts; ++c) {
        bytes += offsets[c].bytes();
        Writer size;
        size.integer(static_cast<std::int32_t>(texts[c].size()));
        bytes += size.bytes();
        bytes += texts[c];
    }
    return bytes + we.bytes() + latitudes.bytes() + longitudes.bytes();
}

}  // namespace

bool withWaypoints(sqlite3* db, const std::function<bool(const WaypointColumns&)>& use) {
    const std::string sig = waypointSignature(db);
    WaypointColumns columns;
    if (const auto bytes = read(db, kWaypoints, sig)) {
        if (columns.parse(bytes->view())) {
            return use(columns);
        }
    }
    const std::string bytes = waypointRows(db);
    if (bytes.empty() || !columns.parse(bytes)) {
        return false;
    }
    // A database that cannot be written gets no pack: its rows are read each time.
    write(db, kWaypoints, sig, bytes);
    return use(columns);
}

bool forEachWaypoint(sqlite3* db, const std::function<bool(const WeatherDb::WpsEntry&)>& visit) {
    return withWaypoints(db, [&](const WaypointColumns& c) {
        WeatherDb::WpsEntry e;
        for (int i = 0; i < c.count(); ++i) {
            e.Name = c.text(WaypointColumns::kName, i);
            e.Type = c.text(WaypointColumns::kType, i);
            e.Frequency = c.text(WaypointColumns::kFrequency, i);
            e.Ident = c.text(WaypointColumns::kIdent, i);
            e.Lon = c.text(WaypointColumns::kLon, i);
            e.we = c.we(i);
            e.latitude = c.latitude(i);
            e.longitude = c.longitude(i);
            if (!visit(e)) {
                break;
            }
        }
        return true;
    });
}

std::string stationRows(sqlite3* db, const std::string& sig) {
    Statement st(db,
                 "SELECT ID, Name, Latitude, Longitude, Altitude, \"State Code\", Country, Celcius "
                 "FROM Stations ORDER BY ID");
    Writer pack;
    std::int32_t count = 0;
    pack.integer(0);  // the count, filled in at the end
    int rc = SQLITE_OK;
    while ((rc = st.step()) == SQLITE_ROW) {
        for (const int column : {0, 1, 2, 3}) {
            pack.text(st.view(column));
        }
        pack.real(st.real(4));
        pack.text(st.view(5));
        pack.text(st.view(6));
        pack.integer(st.integer(7) != 0 ? 1 : 0);
        ++count;
    }
    if (rc != SQLITE_DONE) {
        return {};
    }
    std::string bytes = pack.bytes();
    std::memcpy(bytes.data(), &count, sizeof count);
    st = Statement();
    write(db, kStations, sig, bytes);
    return bytes;
}

void rebuild(sqlite3* db) {
    Statement drop(db, "DELETE FROM Packs");
    drop.step();
    forEachWaypoint(db, [](const WeatherDb::WpsEntry&) { return true; });
    stationRows(db, signature(db, "Stations", "ID"));
}

}  // namespace zephyra::weather::packs
