#include "weather/import/TextInput.h"

#include <zlib.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "platform/Files.h"
#include "weather/NoaaProducts.h"

namespace zephyra::weather::import {

std::string locateDataFile(const std::string& folder, const std::string& name) {
    const std::string plain = platform::joinPath(folder, name);
    if (platform::fileExists(plain)) {
        return plain;
    }
    if (platform::fileExists(plain + ".gz")) {
        return plain + ".gz";
    }
    return {};
}

bool readDataFile(const std::string& path, std::string& contents, std::string* error) {
    contents.clear();
    // gzread passes files that are not gzip data through unchanged.
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (error != nullptr) {
            *error = "\"" + path + "\" could not be opened.";
        }
        return false;
    }
    gzbuffer(file, 1 << 17);
    char buffer[1 << 16];
    while (true) {
        const int n = gzread(file, buffer, sizeof buffer);
        if (n < 0) {
            int code = 0;
            const char* message = gzerror(file, &code);
            if (error != nullptr) {
                *error = "\"" + path + "\" could not be read: " + (message ? message : "") + ".";
            }
            gzclose(file);
            return false;
        }
        if (n == 0) {
            break;
        }
        if (contents.size() + static_cast<std::size_t>(n) > platform::kMaxReadFileBytes) {
            if (error != nullptr) {
                *error = "\"" + path + "\" holds more than a data file can (256 MB).";
            }
            gzclose(file);
            contents.clear();
            return false;
        }
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    gzclose(file);
    return true;
}

namespace {

bool isUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int follow = 0;
        if (c < 0x80) {
            follow = 0;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
        } else {
            return false;
        }
        if (follow > 0 && i + static_cast<std::size_t>(follow) >= text.size()) {
            return false;
        }
        for (int k = 1; k <= follow; ++k) {
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) !=
                0x80) {
                return false;
            }
        }
        i += static_cast<std::size_t>(follow) + 1;
    }
    return true;
}

}  // namespace

std::string toUtf8(std::string_view text) {
    if (isUtf8(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<double> parseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string titleCaseIfCapitals(std::string_view text) {
    for (const char c : text) {
        if (std::islower(static_cast<unsigned char>(c))) {
            return std::string(text);
        }
    }
    std::string out(text);
    bool wordStart = true;
    for (auto& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
            c = static_cast<char>(wordStart ? std::toupper(u) : std::tolower(u));
            wordStart = false;
        } else {
            // An apostrophe stays inside the word ("INT'L" reads "Int'l"); a letter after a
            // digit keeps its capital ("88D", "RWY 09L").
            wordStart = c != '\'';
        }
    }
    return out;
}

CsvTable::CsvTable(std::string_view text) : text_(text) {
    // A byte order mark some editors add would otherwise stick to the first column's name.
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
        text_.remove_prefix(3);
    }
    std::size_t firstLineEnd = 0;
    readRecord(header_, firstLineEnd);
    if (tooLong_) {
        header_.clear();
    }
    for (auto& name : header_) {
        name = std::string(trim(name));
    }
}

int CsvTable::column(std::string_view name) const {
    for (std::size_t i = 0; i < header_.size(); ++i) {
        if (header_[i] == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool CsvTable::next() {
    while (pos_ < text_.size()) {
        std::size_t firstLineEnd = 0;
        if (!readRecord(fields_, firstLineEnd)) {
            return false;
        }
        if (tooLong_) {
            ++malformed_;
            continue;
        }
        if (fields_.size() == 1 && fields_[0].empty()) {
            continue;  // blank line
        }
        if (fields_.size() == header_.size()) {
            return true;
        }
        ++malformed_;
        // A stray quote can swallow the lines after it; start again on the next line so one
        // broken record costs only its own line.
        if (pos_ > firstLineEnd) {
            pos_ = firstLineEnd;
        }
    }
    return false;
}

const std::string& CsvTable::field(int column) const {
    static const std::string empty;
    if (column < 0 || static_cast<std::size_t>(column) >= fields_.size()) {
        return empty;
    }
    return fields_[static_cast<std::size_t>(column)];
}

bool CsvTable::readRecord(std::vector<std::string>& fields, std::size_t& firstLineEnd) {
    fields.clear();
    tooLong_ = false;
    if (pos_ >= text_.size()) {
        return false;
    }
    firstLineEnd = text_.find('\n', pos_);
    firstLineEnd = firstLineEnd == std::string_view::npos ? text_.size() : firstLineEnd + 1;

    std::string field;
    bool quoted = false;
    std::size_t i = pos_;
    while (i < text_.size()) {
        const char c = text_[i];
        if (i - pos_ >= kMaxCsvRowBytes || fields.size() >= kMaxCsvFields) {
            fields.clear();
            tooLong_ = true;
            pos_ = firstLineEnd;
            return true;
        }
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text_.size() && text_[i + 1] == '"') {
                    field += '"';
                    i += 2;
                    continue;
                }
                quoted = false;
            } else {
                field += c;
            }
            ++i;
            continue;
        }
        if (c == '"' && field.empty()) {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || c == '\r') {
            ++i;
            if (c == '\r' && i < text_.size() && text_[i] == '\n') {
                ++i;
            }
            break;
        } else {
            field += c;
        }
        ++i;
    }
    fields.push_back(std::move(field));
    pos_ = i;
    return true;
}

}  // namespace zephyra::weather::import
