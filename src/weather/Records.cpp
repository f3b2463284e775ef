#include "weather/Records.h"

#include <cctype>
#include <string_view>

namespace zephyra::weather {

namespace {

// The leading number of a piece of text, like a tolerant reader: "08" → 8, "" or "x" → 0.
double leadingNumber(std::string_view text, std::size_t from, std::size_t length) {
    if (from >= text.size()) {
        return 0.0;
    }
    const std::string_view part = text.substr(from, length);
    double value = 0.0;
    std::size_t i = 0;
    while (i < part.size() && part[i] == ' ') {
        ++i;
    }
    bool any = false;
    for (; i < part.size() && std::isdigit(static_cast<unsigned char>(part[i])); ++i) {
        value = value * 10.0 + (part[i] - '0');
        any = true;
    }
    return any ? value : 0.0;
}

double stationText(std::string_view text, std::size_t degreeDigits, char negative) {
    const double degrees = leadingNumber(text, 0, degreeDigits);
    const double minutes = leadingNumber(text, degreeDigits, 2);
    double value = degrees + (minutes / 0.6) / 100.0;
    if (!text.empty() && std::toupper(static_cast<unsigned char>(text.back())) == negative) {
        value = -value;
    }
    return value;
}

double waypointText(std::string_view text, std::size_t degreeDigits) {
    const double degrees = leadingNumber(text, 0, degreeDigits);
    const double minutes = leadingNumber(text, degreeDigits, 2);
    const double seconds = text.size() >= 2 ? leadingNumber(text, text.size() - 2, 2) : 0.0;
    return degrees + (minutes + seconds / 60.0) / 60.0;
}

}  // namespace

double stationLatitude(std::string_view text) {
    return stationText(text, 2, 'S');
}
double stationLongitude(std::string_view text) {
    return stationText(text, 3, 'W');
}

double waypointLatitude(std::string_view ddmmss, int ns) {
    const double v = waypointText(ddmmss, 2);
    return ns == 0 ? -v : v;
}

double waypointLongitude(std::string_view dddmmss, int we) {
    const double v = waypointText(dddmmss, 3);
    return we < 0 ? -v : v;
}

double WpsRecord::latitudeDegrees() const {
    return waypointLatitude(Lat, NS);
}
double WpsRecord::longitudeDegrees() const {
    return waypointLongitude(Lon, we);
}

}  // namespace zephyra::weather
