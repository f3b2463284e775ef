#include "weather/ObservationTime.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace zephyra::weather {

namespace {

bool digits(std::string_view s) {
    if (s.empty()) {
        return false;
    }
    for (const char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

int number(std::string_view s) {
    int n = 0;
    for (const char c : s) {
        n = n * 10 + (c - '0');
    }
    return n;
}

std::optional<ReferenceDate> checked(int year, int month, int day) {
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    return ReferenceDate{year, month, day};
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

void monthBefore(int& year, int& month) {
    if (--month == 0) {
        month = 12;
        --year;
    }
}

}  // namespace

std::optional<ReferenceDate> dateLine(std::string_view line) {
    // "YYYY/MM/DD HH:MM"
    if (line.size() < 10 || line[4] != '/' || line[7] != '/' || !digits(line.substr(0, 4)) ||
        !digits(line.substr(5, 2)) || !digits(line.substr(8, 2))) {
        return std::nullopt;
    }
    return checked(number(line.substr(0, 4)), number(line.substr(5, 2)), number(line.substr(8, 2)));
}

std::optional<ReferenceDate> isoDate(std::string_view text) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !digits(text.substr(0, 4)) ||
        !digits(text.substr(5, 2)) || !digits(text.substr(8, 2))) {
        return std::nullopt;
    }
    return checked(number(text.substr(0, 4)), number(text.substr(5, 2)), number(text.substr(8, 2)));
}

std::optional<ReferenceDate> fileDate(const std::string& path) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(path, ec);
    if (ec) {
        return std::nullopt;
    }
    const auto system = std::chrono::file_clock::to_sys(written);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
    std::tm tm{};
    if (gmtime_r(&seconds, &tm) == nullptr) {
        return std::nullopt;
    }
    return checked(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

std::string observationTime(std::string_view line, const std::optional<ReferenceDate>& ref) {
    if (!ref) {
        return {};
    }
    // The groups after the first (the station, or "METAR"/"SPECI" before it); the time group is
    // near the front.
    std::size_t start = 0;
    for (int group = 0; group < 4 && start < line.size(); ++group) {
        while (start < line.size() && line[start] == ' ') {
            ++start;
        }
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        const std::string_view g = line.substr(start, end - start);
        start = end;
        if (g.size() != 7 || g[6] != 'Z' || !digits(g.substr(0, 6))) {
            continue;
        }
        const int day = number(g.substr(0, 2));
        const int hour = number(g.substr(2, 2));
        const int minute = number(g.substr(4, 2));
        if (day < 1 || day > 31 || hour > 23 || minute > 59) {
            return {};
        }
        int year = ref->year;
        int month = ref->month;
        if (day > ref->day + 1) {  // the end of the month before
            monthBefore(year, month);
        }
        // A day past the month's end (the 31st in a November file) belongs to a month before
        // that has it: no date that does not exist is stored.
        while (month >= 1 && month <= 12 && day > daysInMonth(year, month)) {
            monthBefore(year, month);
        }
        char text[64];  // room for any int the format could print
        if (year < 0 || year > 9999 || month < 0 || month > 99) {
            std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02dZ", year, month, day, hour,
                          minute);
            return text;
        }
        // Every report of a load comes here: the digits are placed by hand.
        const auto put = [&text](int at, int value, int width) {
            for (int i = width - 1; i >= 0; --i) {
                text[at + i] = static_cast<char>('0' + value % 10);
                value /= 10;
            }
        };
        std::memcpy(text, "0000-00-00T00:00Z", 18);
        put(0, year, 4);
        put(5, month, 2);
        put(8, day, 2);
        put(11, hour, 2);
        put(14, minute, 2);
        return std::string(text, 17);
    }
    return {};
}

std::optional<double> observationSeconds(const std::string& t) {
    // "YYYY-MM-DDTHH:MMZ"
    if (t.size() != 17 || t[10] != 'T' || t[13] != ':' || t[16] != 'Z') {
        return std::nullopt;
    }
    const auto date = isoDate(t);
    if (!date || !digits(t.substr(11, 2)) || !digits(t.substr(14, 2))) {
        return std::nullopt;
    }
    const long long days = daysFromCivil(date->year, date->month, date->day);
    return static_cast<double>(days * 86400 + number(t.substr(11, 2)) * 3600LL +
                               number(t.substr(14, 2)) * 60LL);
}

std::string observedText(const std::string& t, double nowSeconds) {
    const auto seconds = observationSeconds(t);
    if (!seconds) {
        return {};
    }
    std::string text = t.substr(11, 5) + "Z";
    if (nowSeconds > 0 && nowSeconds >= *seconds) {
        const long long minutes = static_cast<long long>((nowSeconds - *seconds) / 60);
        char age[64];
        if (minutes >= 48 * 60) {
            std::snprintf(age, sizeof age, ", %lld days ago", minutes / (24 * 60));
        } else {
            std::snprintf(age, sizeof age, ", %lld h %02lld min ago", minutes / 60, minutes % 60);
        }
        text += age;
    }
    return text;
}

}  // namespace zephyra::weather
