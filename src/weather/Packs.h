#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "weather/Records.h"
#include "weather/WeatherDb.h"

struct sqlite3;

namespace zephyra::weather {

// The tables that ship with the program and are only read (WPS, Stations) are also kept as one
// blob each, in table order, in the Packs table: a load reads a blob in one step instead of tens
// of thousands of rows. A pack carries its table's signature (first and last key), and
// triggers drop it when the table changes; the next reading of the rows writes it again.
namespace packs {

inline constexpr const char* kWaypoints = "WPS";
inline constexpr const char* kStations = "Stations";

// First and last key of a table, each answered by one b-tree descent, and this machine's byte
// order.
std::string signature(sqlite3* db, const char* table, const char* key);

// A pack's bytes, in a buffer that is not cleared before it is filled (a few megabytes).
class Bytes {
  public:
    Bytes() = default;
    explicit Bytes(std::size_t size) : data_(new char[size]), size_(size) {}
    explicit Bytes(std::string_view copy) : Bytes(copy.size()) {
        std::memcpy(data_.get(), copy.data(), copy.size());
    }
    char* data() { return data_.get(); }
    std::string_view view() const { return {data_.get(), size_}; }
    std::size_t size() const { return size_; }

  private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};

// The bytes of the pack of that name and signature, or nothing when none is stored.
std::optional<Bytes> read(sqlite3* db, const char* name, const std::string& signature);

// Stores a pack, replacing the previous one; false (and nothing stored) when the database
// cannot be written.
bool write(sqlite3* db, const char* name, const std::string& signature, std::string_view bytes);

// The WPS records as the waypoint pack holds them: in table order, each field a column, so a
// waypoint load can copy a column whole. Per text column, the offset of each record's text in
// the column's texts, then the texts back to back; then per record we, latitude and longitude.
class WaypointColumns {
  public:
    enum Text { kName, kType, kFrequency, kIdent, kLon, kTexts };

    // Takes the layout; false when the bytes do not hold it whole and in order.
    bool parse(std::string_view bytes);
    int count() const { return count_; }
    // Record i (0 .. count()-1).
    std::string_view text(Text column, int i) const {
        const Column& c = columns_[column];
        const std::uint32_t begin = offset(c, i);
        return c.texts.substr(begin, offset(c, i + 1) - begin);
    }
    std::int32_t we(int i) const { return at<std::int32_t>(we_, i); }
    // The latitudes (or longitudes) of records 0 .. count()-1, one double after another.
    const char* latitudes() const { return latitudes_; }
    const char* longitudes() const { return longitudes_; }
    double latitude(int i) const { return at<double>(latitudes_, i); }
    double longitude(int i) const { return at<double>(longitudes_, i); }
    // A column's texts back to back, and where record i's text starts in them (i = 0 ..
    // count(): the last is where the texts end).
    std::string_view texts(Text column) const { return columns_[column].texts; }
    std::uint32_t start(Text column, int i) const { return offset(columns_[column], i); }

  private:
    struct Column {
        const char* offsets = nullptr;
        std::string_view texts;
    };
    template <typename T>
    static T at(const char* values, int i) {
        T v;
        std::memcpy(&v, values + sizeof(T) * static_cast<std::size_t>(i), sizeof v);
        return v;
    }
    static std::uint32_t offset(const Column& c, int i) { return at<std::uint32_t>(c.offsets, i); }
    int count_ = 0;
    Column columns_[kTexts];
    const char* we_ = nullptr;
    const char* latitudes_ = nullptr;
    const char* longitudes_ = nullptr;
};

// Hands the WPS records to use (valid only during the call), from their pack when there is one,
// else from the rows (and then stores the pack); returns what use returned, or false when the
// table cannot be read.
bool withWaypoints(sqlite3* db, const std::function<bool(const WaypointColumns&)>& use);

// Visits every WPS record in table order, as withWaypoints reads them.
bool forEachWaypoint(sqlite3* db, const std::function<bool(const WeatherDb::WpsEntry&)>& visit);

// A Stations pack built from the rows, sorted by identifier (and stored): per row ID, Name,
// Latitude, Longitude, Altitude, State Code, Country and Celcius. Empty when the table cannot
// be read. sig is the table's signature.
std::string stationRows(sqlite3* db, const std::string& sig);

// Writes both packs from their tables (a new database).
void rebuild(sqlite3* db);

// Builds a pack: texts, whole numbers and reals in the machine's own byte order (the signature
// names it; a pack is a cache of this program's own, rebuilt from its table when it does not
// match or read back).
class Writer {
  public:
    void text(std::string_view s);
    void integer(std::int32_t v);
    void real(double v);
    const std::string& bytes() const { return out_; }

  private:
    std::string out_;
};

// Reads a pack back; every read is bounds-checked, and after the first bad one ok() is false
// and every later read gives an empty value.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : in_(bytes) {}
    std::string_view text() {
        const std::int32_t n = integer();
        if (n < 0 || in_.size() - pos_ < static_cast<std::size_t>(n)) {
            ok_ = false;
            pos_ = in_.size();
            return {};
        }
        const std::string_view s = in_.substr(pos_, static_cast<std::size_t>(n));
        pos_ += static_cast<std::size_t>(n);
        return s;
    }
    std::int32_t integer() { return take<std::int32_t>(); }
    double real() { return take<double>(); }
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == in_.size(); }
    std::size_t left() const { return in_.size() - pos_; }
    void skip(std::size_t n) {
        if (left() < n) {
            ok_ = false;
            pos_ = in_.size();
        } else {
            pos_ += n;
        }
    }

  private:
    template <typename T>
    T take() {
        T v{};
        if (in_.size() - pos_ < sizeof v) {
            ok_ = false;
            pos_ = in_.size();
            return v;
        }
        std::memcpy(&v, in_.data() + pos_, sizeof v);
        pos_ += sizeof v;
        return v;
    }
    std::string_view in_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace packs
}  // namespace zephyra::weather
