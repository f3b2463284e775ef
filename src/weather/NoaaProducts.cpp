#include "weather/NoaaProducts.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace zephyra::weather {

namespace {

// A day of worldwide reports inflates to a few megabytes; far more is not a weather file.
constexpr std::size_t kMaxInflatedBytes = 256u * 1024 * 1024;
// The status lines NOAA writes before a CSV header are few; reports never name the column.
constexpr int kHeaderSearchLines = 20;

// The line feeds in text, counting no further than limit.
std::size_t linesUpTo(std::string_view text, std::size_t limit) {
    std::size_t lines = 0;
    const char* at = text.data();
    const char* const end = at + text.size();
    while (lines < limit && at < end &&
           (at = static_cast<const char*>(std::memchr(at, '\n', std::size_t(end - at))))) {
        ++lines;
        ++at;
    }
    return lines;
}

void setError(std::string* error, const char* text) {
    if (error != nullptr) {
        *error = text;
    }
}

}  // namespace

bool looksGzipped(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
           static_cast<unsigned char>(bytes[1]) == 0x8b;
}

std::optional<std::string> gunzip(std::string_view bytes, std::string* error) {
    if (!looksGzipped(bytes)) {
        setError(error, "The data is not gzip-compressed.");
        return std::nullopt;
    }
    z_stream stream{};
    // 15 window bits plus 16: a gzip header and trailer around the deflate data.
    if (inflateInit2(&stream, 15 + 16) != Z_OK) {
        setError(error, "The gzip data could not be read.");
        return std::nullopt;
    }
    std::string out;
    out.reserve(std::min<std::size_t>(bytes.size() * 4, kMaxInflatedBytes));
    std::size_t offset = 0;
    bool streamEnded = false;
    char buffer[65536];
    while (true) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - offset, 1u << 30);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + offset));
        stream.avail_in = static_cast<uInt>(chunk);
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        const int rc = inflate(&stream, Z_NO_FLUSH);
        const std::size_t used = chunk - stream.avail_in;
        offset += used;
        out.append(buffer, sizeof buffer - stream.avail_out);
        if (out.size() > kMaxInflatedBytes) {
            inflateEnd(&stream);
            setError(error, "The data inflates to more than a weather file can hold.");
            return std::nullopt;
        }
        if (rc == Z_STREAM_END) {
            streamEnded = true;
            // Another member may follow; trailing zero padding does not count as one.
            if (offset < bytes.size() && looksGzipped(bytes.substr(offset))) {
                inflateReset(&stream);
                streamEnded = false;
                continue;
            }
            break;
        }
        if (rc == Z_BUF_ERROR && offset >= bytes.size()) {
            break;  // the input ran out before the stream ended
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            inflateEnd(&stream);
            setError(error, "The gzip data is damaged.");
            return std::nullopt;
        }
        if (offset >= bytes.size() && stream.avail_out != 0) {
            break;
        }
    }
    inflateEnd(&stream);
    if (!streamEnded) {
        setError(error, "The gzip data ends early (the file is incomplete).");
        return std::nullopt;
    }
    return out;
}

std::vector<std::vector<std::string>> readCsvRows(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    bool rowHasText = false;
    // Past a bound the row is only scanned to its end: nothing more of it is kept.
    std::size_t rowBytes = 0;
    bool overlong = false;
    const auto endRow = [&] {
        if (rowHasText && !overlong) {
            row.push_back(std::move(field));
            rows.push_back(std::move(row));
        }
        row.clear();
        field.clear();
        rowHasText = false;
        rowBytes = 0;
        overlong = false;
    };
    const auto keep = [&](char c) {
        if (!overlong) {
            field += c;
        }
    };
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (++rowBytes > kMaxCsvRowBytes && !overlong) {
            overlong = true;
            row.clear();
            field.clear();
        }
        if (quoted) {
            if (c == '"' && k + 1 < text.size() && text[k + 1] == '"') {
                keep('"');
                ++k;
                ++rowBytes;
            } else if (c == '"') {
                quoted = false;
            } else {
                keep(c);
            }
            continue;
        }
        switch (c) {
            case '"':
                quoted = true;
                rowHasText = true;
                break;
            case ',':
                if (!overlong && row.size() + 1 >= kMaxCsvFields) {
                    overlong = true;
                    row.clear();
                }
                if (!overlong) {
                    row.push_back(std::move(field));
                }
                field.clear();
                rowHasText = true;
                break;
            case '\n':
                endRow();
                break;
            case '\r':
                // CR before CR or LF belongs to the line end; a lone CR ends the row itself.
                if (k + 1 >= text.size() || (text[k + 1] != '\r' && text[k + 1] != '\n')) {
                    endRow();
                }
                break;
            default:
                keep(c);
                rowHasText = true;
                break;
        }
    }
    endRow();
    return rows;
}

std::optional<std::size_t> csvHeaderStart(std::string_view text) {
    std::size_t start = 0;
    for (int line = 0; line < kHeaderSearchLines && start < text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view candidate = text.substr(start, end - start);
        if (candidate.size() <= kMaxCsvRowBytes &&
            candidate.find("raw_text") != std::string_view::npos) {
            const auto rows = readCsvRows(candidate);
            if (!rows.empty()) {
                const auto& fields = rows.front();
                if (std::find(fields.begin(), fields.end(), "raw_text") != fields.end()) {
                    return start;
                }
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> csvColumns(std::string_view text,
                                                   std::initializer_list<std::string_view> names) {
    const auto header = csvHeaderStart(text);
    if (!header || names.size() == 0) {
        return std::nullopt;
    }
    text.remove_prefix(*header);
    const auto headerEnd = text.find('\n');
    const auto fields = readCsvRows(text.substr(0, headerEnd)).front();
    // The slot of each field index in a row's output, -1 for the columns not asked for.
    std::vector<int> slotOf(fields.size() + 1, -1);
    int slot = 0;
    for (const std::string_view name : names) {
        const auto at = static_cast<std::size_t>(std::find(fields.begin(), fields.end(), name) -
                                                 fields.begin());
        if (at < fields.size() && slotOf[at] < 0) {
            slotOf[at] = slot;
        }
        ++slot;
    }
    const auto slotAt = [&slotOf](std::size_t index) {
        return index < slotOf.size() ? slotOf[index] : -1;
    };
    std::vector<std::string> values;
    if (headerEnd == std::string_view::npos) {
        return values;
    }
    // A row per line, but never more than a day's worth up front: a file of empty rows
    // reserves little.
    values.reserve(names.size() * linesUpTo(text, 1u << 16));

    // One pass that keeps only the columns asked for: a file holds some forty columns per
    // row. A row counts once it has ended within the bounds.
    std::vector<std::string> row(names.size());
    std::string field;
    std::size_t index = 0, rowBytes = 0;
    int current = slotAt(0);
    bool quoted = false, overlong = false;
    const auto endField = [&] {
        if (current >= 0) {
            row[std::size_t(current)].swap(field);
            field.clear();
        }
    };
    const auto endRow = [&] {
        endField();
        if (!overlong && !row.front().empty()) {
            for (std::string& value : row) {
                values.push_back(std::move(value));
            }
        }
        for (std::string& value : row) {
            value.clear();
        }
        field.clear();
        index = 0;
        current = slotAt(0);
        rowBytes = 0;
        overlong = false;
    };
    // Characters from..end of the text go to the field, within the row's bound.
    const auto take = [&](std::size_t from, std::size_t end) {
        rowBytes += end - from;
        if (rowBytes > kMaxCsvRowBytes) {
            overlong = true;
        }
        if (current >= 0 && !overlong) {
            field.append(text.substr(from, end - from));
        }
    };
    static constexpr auto kSpecial = [] {
        std::array<bool, 256> special{};
        for (const unsigned char c : {',', '"', '\n', '\r'}) {
            special[c] = true;
        }
        return special;
    }();
    const auto special = [](char c) { return kSpecial[static_cast<unsigned char>(c)]; };
    std::size_t k = headerEnd + 1;
    while (k < text.size()) {
        if (quoted) {
            const std::size_t quote = std::min(text.find('"', k), text.size());
            take(k, quote);
            if (quote + 1 < text.size() && text[quote + 1] == '"') {
                take(quote + 1, quote + 2);  // a doubled quote is one quote
                ++rowBytes;
                k = quote + 2;
            } else {
                ++rowBytes;
                quoted = false;
                k = quote + 1;
            }
            continue;
        }
        std::size_t stop = k;
        while (stop < text.size() && !special(text[stop])) {
            ++stop;
        }
        take(k, stop);
        if (stop >= text.size()) {
            break;
        }
        const char c = text[stop];
        k = stop + 1;
        if (++rowBytes > kMaxCsvRowBytes) {
            overlong = true;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            endField();
            if (++index >= kMaxCsvFields) {
                overlong = true;
            }
            current = slotAt(index);
        } else if (c == '\n') {
            endRow();
        } else if (k >= text.size() || (text[k] != '\r' && text[k] != '\n')) {
            endRow();  // a CR before CR or LF belongs to the line end; a lone CR ends the row
        }
    }
    endRow();
    return values;
}

std::optional<std::vector<std::string>> csvReports(std::string_view text) {
    return csvColumns(text, {"raw_text"});
}

namespace {

// The first "YYYY-MM-DDTHH:MM" in the text (a CSV row's observation_time), as a cycle file's
// date line "YYYY/MM/DD HH:MM"; empty when there is none.
std::string firstTimeAsDateLine(std::string_view text) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t k = 0; k + 16 <= text.size(); ++k) {
        const std::string_view t = text.substr(k, 16);
        if (t[4] == '-' && t[7] == '-' && t[10] == 'T' && t[13] == ':' && digit(t[0]) &&
            digit(t[1]) && digit(t[2]) && digit(t[3]) && digit(t[5]) && digit(t[6]) &&
            digit(t[8]) && digit(t[9]) && digit(t[11]) && digit(t[12]) && digit(t[14]) &&
            digit(t[15])) {
            return std::string(t.substr(0, 4)) + "/" + std::string(t.substr(5, 2)) + "/" +
                   std::string(t.substr(8, 2)) + " " + std::string(t.substr(11, 5));
        }
    }
    return {};
}

}  // namespace

bool toReportText(std::string& bytes, std::string* error) {
    // A compressed file may come compressed once more on the way (a server's Content-Encoding).
    for (int layer = 0; layer < 2 && looksGzipped(bytes); ++layer) {
        auto inflated = gunzip(bytes, error);
        if (!inflated) {
            return false;
        }
        bytes = std::move(*inflated);
    }
    if (auto reports = csvReports(bytes)) {
        // The reports' time groups give no month or year: a date line in front gives them, as
        // in a cycle file.
        std::string text = firstTimeAsDateLine(bytes);
        if (!text.empty()) {
            text += "\r\n";
        }
        std::size_t size = text.size();
        for (const auto& r : *reports) {
            size += r.size() + 2;
        }
        text.reserve(size);
        for (auto& r : *reports) {
            // A report is one line; a line end inside a quoted field would split it.
            std::replace(r.begin(), r.end(), '\r', ' ');
            std::replace(r.begin(), r.end(), '\n', ' ');
            text += r;
            text += "\r\n";
        }
        bytes = std::move(text);
    }
    return true;
}

}  // namespace zephyra::weather
