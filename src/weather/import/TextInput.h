#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zephyra::weather::import {

// The path of name inside folder, or of name + ".gz" when only the compressed copy is there
// (a fresh download is used before the shipped copy). Empty when neither exists.
std::string locateDataFile(const std::string& folder, const std::string& name);

// Reads a whole file, uncompressing it when it is gzip data.
bool readDataFile(const std::string& path, std::string& contents, std::string* error = nullptr);

// The text unchanged when it is valid UTF-8, else read as Latin-1 (older NOAA lists).
std::string toUtf8(std::string_view text);

std::string_view trim(std::string_view text);

// A plain decimal number ("-84.43", "116900", "+5"); nothing else, and finite.
std::optional<double> parseNumber(std::string_view text);

// "ADELAIDE AIRPORT" becomes "Adelaide Airport"; text with any lower-case letter is kept.
std::string titleCaseIfCapitals(std::string_view text);

// A CSV table (RFC 4180: quoted fields, doubled quotes, CRLF or LF) whose first record names the
// columns. Records with a different number of fields, or beyond the bounds of a CSV row
// (weather::kMaxCsvFields, kMaxCsvRowBytes), are skipped and counted; a header beyond them
// names no column.
class CsvTable {
  public:
    explicit CsvTable(std::string_view text);

    // The index of the named column, or -1.
    int column(std::string_view name) const;
    // Moves to the next well-formed record; false at the end.
    bool next();
    // The field of the current record; empty for a column index of -1.
    const std::string& field(int column) const;
    int malformed() const { return malformed_; }

  private:
    // Reads one record from pos_ into fields; firstLineEnd is where its first physical line ends.
    // A record beyond the bounds leaves fields empty, sets tooLong_ and moves on to
    // firstLineEnd.
    bool readRecord(std::vector<std::string>& fields, std::size_t& firstLineEnd);

    std::string_view text_;
    std::size_t pos_ = 0;
    std::vector<std::string> header_;
    std::vector<std::string> fields_;
    int malformed_ = 0;
    bool tooLong_ = false;
};

}  // namespace zephyra::weather::import
