#include "reports/StationReport.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "weather/Estimates.h"
#include "weather/Observation.h"
#include "weather/ObservationText.h"
#include "weather/ObservationTime.h"
#include "weather/TafStore.h"
#include "weather/WeatherDb.h"

namespace zephyra::reports {

namespace {

// Cloud cover in words, with the base above the station, or nothing for a cover out of range.
std::string layerText(int cover, int base, int elevationFeet, const ReportUnits& units,
                      bool clearWhenZero) {
    const char* words = nullptr;
    if (cover == 0 && clearWhenZero) {
        return " clear.";
    }
    if (cover < 4 && (cover > 0 || !clearWhenZero)) {
        words = " scattered at ";
    } else if (cover >= 4 && cover < 8) {
        words = " broken at ";
    } else if (cover == 8) {
        words = " overcast at ";
    }
    if (words == nullptr) {
        return {};
    }
    const double height = std::floor((base - elevationFeet) * units.heightFactor);
    return words + plainNumber(height) + units.heightUnit;
}

// A unit text ending in "." with a note put before the full stop.
std::string withNote(const std::string& unit, const std::string& note) {
    if (note.empty() || unit.empty() || unit.back() != '.') {
        return unit + note;
    }
    return unit.substr(0, unit.size() - 1) + note + ".";
}

// Rounds to two decimals as a "000.00" picture does (halves away from zero).
double twoDecimals(double value) {
    return std::round(value * 100.0) / 100.0;
}

}  // namespace

int shownTemperature(const weather::WeatherRecord& r, bool fahrenheit) {
    if (r.celsius() != fahrenheit) {
        return r.t0Deg;
    }
    const double converted = fahrenheit ? r.t0Deg * 1.8 + 32.0 : (r.t0Deg - 32.0) / 1.8;
    return static_cast<int>(std::lround(converted));
}

std::string plainNumber(double value) {
    if (value == 0.0) {
        return "0";  // no "-0"
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

ReportUnits reportUnits(const std::string& uom) {
    if (uom == "M") {
        return {0.30497, " metres.", 1.6, " Kilometres."};
    }
    if (uom == "F") {
        return {1.0, " feet.", 1.6, " Kilometres."};
    }
    return {};
}

std::string composeStationReport(const weather::WeatherRecord& r, int elevationFeet,
                                 const std::string& uom, int unlimitedVisibility,
                                 double nowSeconds) {
    const ReportUnits units = reportUnits(uom);
    const bool us = uom == "U";
    std::string text = r.ID + " REPORT\n";
    text += "Skies:" + layerText(r.Cl1Coverage, r.cl1Base, elevationFeet, units, true) + "\n";
    if (r.Cl2Coverage != 0) {
        text += "Second layer of clouds" +
                layerText(r.Cl2Coverage, r.cl2Base, elevationFeet, units, false) + "\n";
    }
    text += "Surface winds are " + plainNumber(r.w0Spd) + " knots from " + plainNumber(r.w0Dir) +
            " degrees.\n";
    text += "Temperature is " + std::to_string(shownTemperature(r, us)) +
            weather::estimateNote(r, 'T') + ".\n";
    const double visibility = r.Visibility > unlimitedVisibility
                                  ? static_cast<double>(unlimitedVisibility)
                                  : r.Visibility;
    text += "Visibility is " + plainNumber(twoDecimals(visibility) * units.distanceFactor) +
            withNote(units.distanceUnit, weather::estimateNote(r, 'V')) + "\n";
    char buf[48];
    if (us) {
        std::snprintf(buf, sizeof buf, "%05.2f", r.Pressure * 0.02953);
        text += std::string("Reported barometer is ") + buf + weather::estimateNote(r, 'P') + ".\n";
    } else {
        std::snprintf(buf, sizeof buf, "%04.0f", std::round(r.Pressure));
        text += std::string("Reported pressure is ") + buf + weather::estimateNote(r, 'P') + ".\n";
    }
    if (!r.RawText.empty()) {
        text += r.RawText + "\n";
    }
    if (const std::string observed = weather::observedWithDate(r, nowSeconds); !observed.empty()) {
        text += "observed " + observed + "\n";
    }
    if (r.Observation == "METAR" && !r.RawText.empty()) {
        text += weather::observationInWords(weather::readObservation(r.RawText), uom == "M");
    }
    return text;
}

std::string composeTafReport(const weather::Taf& taf, double nowSeconds) {
    std::string text = "TAF";
    if (taf.issued != 0) {
        const auto t = static_cast<std::time_t>(taf.issued);
        std::tm tm{};
        gmtime_r(&t, &tm);
        // Month names of our own: the program's locale may not be English.
        static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        char iso[24];
        std::strftime(iso, sizeof iso, "%Y-%m-%dT%H:%MZ", &tm);
        text += " issued " + std::to_string(tm.tm_mday) + " " + kMonths[tm.tm_mon] + " " +
                weather::observedText(iso, nowSeconds);
    }
    text += "\n" + taf.raw + "\n";
    for (const std::string& line : weather::describeTaf(taf)) {
        text += line + "\n";
    }
    return text;
}

ReportAge reportAge(const weather::WeatherRecord& r, double nowSeconds) {
    ReportAge age;
    const std::string observed = weather::observedWithDate(r, nowSeconds);
    if (observed.empty()) {
        return age;
    }
    age.observed = "observed " + observed;
    age.text = r.ID + " " + age.observed;
    const auto seconds = weather::observationSeconds(r.ObsTime);
    if (seconds && nowSeconds - *seconds > kStaleReportSeconds) {
        age.warning = "Old weather: " + age.text + ". It may no longer be what the pilot flies in.";
    }
    return age;
}

int stationAltitudeFeet(weather::WeatherDb& db, const std::string& id) {
    const auto station = db.findStation(id);
    if (!station) {
        return 0;
    }
    return static_cast<int>(std::floor(station->Altitude * 3.281));
}

StationReport stationReport(weather::WeatherDb& db, const std::string& id, const std::string& uom,
                            int unlimitedVisibility, double nowSeconds, bool withTaf) {
    const int elevation = stationAltitudeFeet(db, id);
    const auto record = db.findWeather(id);
    if (!record) {
        return {false, kStationNotFound};
    }
    std::string text =
        composeStationReport(*record, elevation, uom, unlimitedVisibility, nowSeconds);
    if (const auto taf = withTaf ? weather::loadedTaf(db, id) : std::nullopt) {
        if (!text.empty() && text.back() != '\n') {
            text += '\n';
        }
        text += composeTafReport(*taf, nowSeconds);
    }
    return {true, std::move(text)};
}

}  // namespace zephyra::reports
