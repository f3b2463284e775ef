#pragma once

#include <string_view>

// The few text tests the report readers share, each named for exactly what it accepts.
namespace zephyra::weather::text {

// True when part occurs anywhere in text (an empty part always does). Groups are a few
// characters long, so a plain scan beats a library search per test.
inline bool contains(std::string_view text, std::string_view part) {
    const std::size_t n = part.size();
    if (n > text.size()) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    const char first = part.front();
    const std::size_t last = text.size() - n;
    for (std::size_t k = 0; k <= last; ++k) {
        if (text[k] == first && text.substr(k, n) == part) {
            return true;
        }
    }
    return false;
}

// 0 to 9 only, whatever the locale.
inline bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// A to Z and a to z only, whatever the locale.
inline bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool startsWithDigit(std::string_view text) {
    return !text.empty() && isAsciiDigit(text.front());
}

// One digit or more and nothing else: no sign, no blank, no decimal point.
inline bool isDigitsOnly(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (!isAsciiDigit(c)) {
            return false;
        }
    }
    return true;
}

// Digits with at most one decimal point anywhere ("12", "1.5", ".5", "3."), at least one digit.
inline bool isDecimalNumber(std::string_view text) {
    bool digit = false;
    bool point = false;
    for (const char c : text) {
        if (isAsciiDigit(c)) {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

// A station identifier: a letter, then letters or digits, shortest to longest characters long.
inline bool isStationIdentifier(std::string_view text, std::size_t shortest, std::size_t longest) {
    if (text.size() < shortest || text.size() > longest || !isAsciiLetter(text.front())) {
        return false;
    }
    for (const char c : text) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c)) {
            return false;
        }
    }
    return true;
}

// Two digits from 0 to limit.
inline bool isTwoDigitsUpTo(std::string_view text, int limit) {
    return text.size() == 2 && isDigitsOnly(text) &&
           (text[0] - '0') * 10 + (text[1] - '0') <= limit;
}

// A time of day "HHMM": hours 00 to 23, minutes 00 to 59.
inline bool isHourMinute(std::string_view text) {
    return text.size() == 4 && isTwoDigitsUpTo(text.substr(0, 2), 23) &&
           isTwoDigitsUpTo(text.substr(2), 59);
}

// A report's day and time "DDHHMMZ": day 01 to 31, then "HHMM", then "Z".
inline bool isDayTimeGroup(std::string_view text) {
    return text.size() == 7 && text[6] == 'Z' && isTwoDigitsUpTo(text.substr(0, 2), 31) &&
           text.substr(0, 2) != "00" && isHourMinute(text.substr(2, 4));
}

}  // namespace zephyra::weather::text
