#include "weather/Packs.h"

#include <sqlite3.h>

#include <bit>
#include <cstring>

#include "weather/Statement.h"

namespace zephyra::weather::packs {

std::string signature(sqlite3* db, const char* table, const char* key) {
    // Two statements: each alone is answered from the table's structure without a scan.
    Statement count(db, std::string("SELECT COUNT(*) FROM \"") + table + "\"");
    Statement last(db, std::string("SELECT IFNULL(MAX(") + key + "), '') FROM \"" + table + "\"");
    if (count.step() != SQLITE_ROW || last.step() != SQLITE_ROW) {
        return {};
    }
    // A pack holds numbers in this machine's byte order: one made elsewhere does not match.
    constexpr const char* kByteOrder = std::endian::native == std::endian::little ? "/L" : "/B";
    return std::to_string(count.integer64(0)) + "/" + last.text(0) + kByteOrder;
}

bool read(sqlite3* db, const char* name, const std::string& signature,
          const std::function<bool(std::string_view)>& use) {
    if (signature.empty()) {
        return false;
    }
    Statement st(db, "SELECT Data FROM Packs WHERE Name = ? AND Signature = ?");
    if (!st.valid()) {
        return false;  // a database from before packs, opened read-only
    }
    st.bind(1, std::string(name));
    st.bind(2, signature);
    if (st.step() != SQLITE_ROW) {
        return false;
    }
    const auto* data = static_cast<const char*>(sqlite3_column_blob(st.get(), 0));
    const int size = sqlite3_column_bytes(st.get(), 0);
    return use(std::string_view(data == nullptr ? "" : data, static_cast<std::size_t>(size)));
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

namespace {

// WPS pack: the count, then per record Name, Type, Frequency, Ident, Lon, we and the position.
// Walks the records, or only checks them when visit is empty; false when the pack does not
// read back whole.
bool walkWaypointPack(std::string_view bytes,
                      const std::function<bool(const WeatherDb::WpsEntry&)>* visit) {
    Reader in(bytes);
    const std::int32_t count = in.integer();
    // Each record takes at least 5 lengths, we and two reals.
    if (count < 0 || static_cast<std::size_t>(count) > bytes.size() / 40) {
        return false;
    }
    WeatherDb::WpsEntry e;
    for (std::int32_t i = 0; i < count; ++i) {
        e.Name = in.text();
        e.Type = in.text();
        e.Frequency = in.text();
        e.Ident = in.text();
        e.Lon = in.text();
        e.we = in.integer();
        e.latitude = in.real();
        e.longitude = in.real();
        if (visit != nullptr && !(*visit)(e)) {
            return true;
        }
    }
    return in.ok() && in.atEnd();
}

void writeWaypointEntry(Writer& out, const WeatherDb::WpsEntry& e) {
    out.text(e.Name);
    out.text(e.Type);
    out.text(e.Frequency);
    out.text(e.Ident);
    out.text(e.Lon);
    out.integer(e.we);
    out.real(e.latitude);
    out.real(e.longitude);
}

}  // namespace

bool forEachWaypoint(sqlite3* db, const std::function<bool(const WeatherDb::WpsEntry&)>& visit) {
    const std::string sig = signature(db, "WPS", "rowid");
    // The whole pack is checked before the first visit, so a bad one falls back cleanly.
    if (read(db, kWaypoints, sig, [&](std::string_view bytes) {
            return walkWaypointPack(bytes, nullptr) && walkWaypointPack(bytes, &visit);
        })) {
        return true;
    }

    Statement st(db,
                 "SELECT Name, Type, Frequency, Lat, NS, Lon, we, Ident FROM WPS ORDER BY rowid");
    if (!st.valid()) {
        return false;
    }
    // A database that cannot be written gets no pack: its rows are read each time.
    const bool storable = sqlite3_db_readonly(db, "main") == 0;
    Writer pack;
    std::int32_t count = 0;
    pack.integer(0);  // the count, filled in at the end
    int rc = SQLITE_OK;
    WeatherDb::WpsEntry e;
    while ((rc = st.step()) == SQLITE_ROW) {
        e.we = st.integer(6);
        e.latitude = waypointLatitude(st.view(3), st.integer(4));
        e.Lon = st.view(5);
        e.longitude = waypointLongitude(e.Lon, e.we);
        e.Name = st.view(0);
        e.Type = st.view(1);
        e.Frequency = st.view(2);
        e.Ident = st.view(7);
        if (storable) {
            writeWaypointEntry(pack, e);
            ++count;
        }
        if (!visit(e)) {
            return true;  // stopped early: the pack is incomplete
        }
    }
    if (rc != SQLITE_DONE) {
        return false;
    }
    if (!storable) {
        return true;
    }
    std::string bytes = pack.bytes();
    std::memcpy(bytes.data(), &count, sizeof count);
    st = Statement();
    write(db, kWaypoints, sig, bytes);
    return true;
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
