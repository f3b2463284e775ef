#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zephyra::weather {

// NOAA's bulk weather products as the report readers take them: gzip-compressed bodies and CSV
// files whose column "raw_text" holds the reports (the Aviation Weather Center's
// metars.cache.csv, with or without its status lines before the header).

// A gzip stream starts with the bytes 1F 8B.
bool looksGzipped(std::string_view bytes);

// Inflates a gzip stream (several members one after the other are allowed). Nothing when the
// bytes are not gzip, are damaged or end before the stream does; error says which.
std::optional<std::string> gunzip(std::string_view bytes, std::string* error = nullptr);

// The bounds of a CSV row the program reads (NOAA's products, the data files build-db reads).
// Their rows have a few dozen fields of a few hundred characters; a row with more fields or
// more characters (line ends inside quotes included) is skipped whole, and nothing of it is
// kept past the bound, so a file of commas cannot cost a string per comma.
inline constexpr std::size_t kMaxCsvFields = 256;
inline constexpr std::size_t kMaxCsvRowBytes = 64 * 1024;

// Rows of CSV text: fields split at commas, double quotes around a field may hold commas, line
// ends and doubled quotes; rows end at LF, CR LF or CR CR LF. Rows beyond the bounds above are
// left out.
std::vector<std::vector<std::string>> readCsvRows(std::string_view text);

// Where the header row of a NOAA CSV product starts: the first of the file's first lines that
// names a column "raw_text" (and is within the bounds above). Nothing for any other text.
std::optional<std::size_t> csvHeaderStart(std::string_view text);

// The reports of a NOAA CSV product: the "raw_text" field of every row behind the header,
// wherever the column stands (rows beyond the bounds above give none). Nothing when the text
// has no such header.
std::optional<std::vector<std::string>> csvReports(std::string_view text);

// The named columns of a NOAA CSV product, in one pass that keeps nothing else: row after row,
// the field of each name in the order asked for (empty where a row is short or the header lacks
// the name). Rows whose first named column is empty, and rows beyond the bounds above, are
// left out. Nothing when the text has no header naming "raw_text".
std::optional<std::vector<std::string>> csvColumns(std::string_view text,
                                                   std::initializer_list<std::string_view> names);

// What a report reader gets of a file's bytes: gzip is inflated and a NOAA CSV product becomes
// its reports, one per line with CR LF; any other text comes back unchanged. False (with the
// reason in error) when the bytes are gzip that cannot be inflated.
bool toReportText(std::string& bytes, std::string* error = nullptr);

}  // namespace zephyra::weather
