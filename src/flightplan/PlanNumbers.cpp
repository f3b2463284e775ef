#include "flightplan/PlanNumbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace zephyra::flightplan {

namespace {

std::string trimBlanks(const std::string& text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) {
        ++b;
    }
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) {
        --e;
    }
    return text.substr(b, e - b);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> readNumber(const std::string& text) {
    const std::string t = trimBlanks(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
    bool digits = false;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
        digits = true;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
            digits = true;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            ++i;
        }
        bool expDigits = false;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
            expDigits = true;
        }
        if (!expDigits) {
            return std::nullopt;
        }
    }
    if (i != t.size()) {
        return std::nullopt;
    }
    const double v = std::strtod(t.c_str(), nullptr);
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

double roundHalfEven(double value) {
    const double f = std::floor(value);
    const double diff = value - f;
    if (diff > 0.5) {
        return f + 1.0;
    }
    if (diff < 0.5) {
        return f;
    }
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

std::optional<std::int32_t> readInt32(const std::string& text) {
    const auto v = readNumber(text);
    if (!v) {
        return std::nullopt;
    }
    const double r = roundHalfEven(*v);
    if (r < -2147483648.0 || r > 2147483647.0) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(r);
}

std::string standardText(double value) {
    if (value == 0.0) {
        return "0";
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string s = buf;
    // Drop trailing zeros of the fraction (the exponent, if any, stays).
    const auto e = s.find('E');
    std::string mantissa = s.substr(0, e);
    const std::string exponent = e == std::string::npos ? std::string() : s.substr(e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0') {
            mantissa.pop_back();
        }
        if (!mantissa.empty() && mantissa.back() == '.') {
            mantissa.pop_back();
        }
    }
    return mantissa + exponent;
}

std::string printForm(double value) {
    const std::string digits = standardText(value);
    return (value < 0.0 ? digits : " " + digits) + " ";
}

std::string fourDecimals(double value) {
    char buf[48];
    // The same digits as "%.4f" (both round exactly), at a fraction of printf's cost: the
    // navigator shows its position this way at every tick.
    const auto [end, error] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 4);
    std::string s;
    if (error == std::errc()) {
        s.assign(buf, end);
    } else {
        std::snprintf(buf, sizeof buf, "%.4f", value);
        s = buf;
    }
    if (s == "-0.0000") {
        s = "0.0000";
    }
    return s;
}

std::string floorText(double value) {
    const double f = std::floor(value);
    if (!std::isfinite(f) || std::fabs(f) > 9.0e15) {
        return "0";
    }
    return std::to_string(static_cast<long long>(f));
}

}  // namespace zephyra::flightplan

namespace zephyra::flightplan {

std::string altitudeSpeedText(double feet, double indicatedKt) {
    const long long ft = std::llround(std::clamp(feet, -1e9, 1e9));
    std::string digits = std::to_string(ft < 0 ? -ft : ft);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), ",");
    }
    const long long kt = std::llround(std::clamp(indicatedKt, -1e6, 1e6));
    return (ft < 0 ? "-" : "") + digits + " ft " + std::to_string(kt) + " kt IAS";
}

}  // namespace zephyra::flightplan
