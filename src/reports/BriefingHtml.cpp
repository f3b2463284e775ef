#include <algorithm>
#include <cmath>
#include <cstdio>

#include "flightplan/PlanTable.h"
#include "reports/Briefing.h"

// The briefing as one page: plain HTML with its style inline, no script, readable on a screen
// and on paper.
namespace zephyra::reports {

namespace {

const char* const kStyle =
    "body{font-family:sans-serif;font-size:13px;margin:16px;color:#111}"
    "h1{font-size:20px;margin:0 0 4px}h2{font-size:15px;margin:18px 0 6px;"
    "border-bottom:1px solid #888}"
    "table{border-collapse:collapse;margin:4px 0}"
    "th,td{border:1px solid #bbb;padding:2px 6px;text-align:left;vertical-align:top}"
    "th{background:#eee}td.n{text-align:right;white-space:nowrap}"
    ".raw{font-family:monospace;white-space:pre-wrap;background:#f4f4f4;padding:4px}"
    ".dec{white-space:pre-wrap}.warn{color:#a00;font-weight:bold}"
    ".now{background:#fff3b0;font-weight:bold}.rules{color:#444;font-size:12px}"
    ".VFR{color:#080}.MVFR{color:#0050e0}.IFR{color:#c00}.LIFR{color:#b000b0}"
    // On paper a long table breaks between rows and repeats its heading on every page.
    "@media print{body{margin:0}h2,h3{page-break-after:avoid}table{page-break-inside:auto}"
    "thead{display:table-header-group}tr,img{page-break-inside:avoid}}";

std::string fixed(double value, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

std::string degrees(double value) {
    long d = std::lround(value) % 360;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03ld", d == 0 ? 360 : d);
    return buf;
}

std::string windText(bool forecast, const std::optional<double>& direction, double knots) {
    if (!forecast) {
        return "&ndash;";
    }
    return direction ? degrees(*direction) + "/" + fixed(knots, 0) : "calm";
}

std::string temperatureText(const std::optional<double>& c) {
    return c ? fixed(*c, 0) + "&deg;C" : "&ndash;";
}

std::string cell(const std::string& html, bool number = false) {
    return number ? "<td class=\"n\">" + html + "</td>" : "<td>" + html + "</td>";
}

// Day of the month and time, "25 17:12Z": a flight may land on the next day.
std::string clockOf(std::int64_t seconds) {
    const std::string t = briefingTime(seconds);
    return t.size() > 8 ? t.substr(8) : t;
}

void routeSection(const Briefing& b, std::string& h) {
    h += "<h2 id=\"route\">Route</h2><table><thead><tr>"
         "<th>From</th><th>To</th><th>Alt ft</th><th>Crs &deg;T</th><th>Nm</th><th>TAS kt</th>"
         "<th>Wind</th><th>Temp</th><th>GS kt</th><th>Time</th><th>ETA</th></tr></thead>";
    for (const auto& l : b.legs) {
        h += "<tr>" + cell(htmlEscaped(l.from)) + cell(htmlEscaped(l.to)) +
             cell(fixed(l.altitudeFeet, 0), true) + cell(degrees(l.courseTrue), true) +
             cell(fixed(l.distanceNm, 0), true) +
             cell(l.tasKt ? fixed(*l.tasKt, 0) : "&ndash;", true) +
             cell(windText(l.forecast, l.windDirection, l.windKnots)) +
             cell(temperatureText(l.temperatureC), true) +
             cell(l.groundSpeedKt ? fixed(*l.groundSpeedKt, 0) : "&ndash;", true) +
             cell(l.minutes ? flightplan::hoursText(*l.minutes / 60.0) : "&ndash;", true) +
             cell(l.eta != 0 ? clockOf(l.eta) : "&ndash;", true) + "</tr>";
    }
    h += "<tr><th colspan=\"4\">Total</th>" + cell(fixed(b.totalNm, 0), true) +
         "<td colspan=\"4\"></td>" +
         cell(b.totalMinutes ? flightplan::hoursText(*b.totalMinutes / 60.0) : "&ndash;", true) +
         cell(b.arrival != 0 ? clockOf(b.arrival) : "&ndash;", true) + "</tr></table>";
    const bool reached =
        std::any_of(b.legs.begin(), b.legs.end(), [](const BriefingLeg& l) { return l.forecast; });
    h += "<p class=\"rules\">" +
         (b.windSource.empty() ? std::string("No winds aloft: ground speed = true airspeed.")
          : !reached           ? "The winds aloft from " + htmlEscaped(b.windSource) +
                           " do not reach the route: ground speed = true airspeed."
                     : "Winds aloft from " + htmlEscaped(b.windSource) +
                           ", each leg at its altitude and time.") +
         " The plan's speeds in knots are indicated; each leg's true airspeed is that at its "
         "altitude and temperature. Courses are true; times from the departure at " +
         briefingTime(b.departure) + ".</p>";
}

void metarTafSection(const char* role, const BriefingMetar& m, const BriefingTaf& t,
                     std::string& h) {
    h += std::string("<h2>") + role + ": " + htmlEscaped(m.station) + "</h2>";
    h += "<h3>METAR</h3>";
    if (!m.found) {
        h += "<p class=\"warn\">No METAR for " + htmlEscaped(m.station) + ".</p>";
    } else {
        h += "<div class=\"raw\">" + htmlEscaped(m.raw) + "</div><div class=\"dec\">" +
             htmlEscaped(m.decoded) + "</div>";
    }
    h += "<h3>TAF</h3>";
    if (!t.found) {
        h += "<p class=\"warn\">No TAF for " + htmlEscaped(t.station) + ".</p>";
        return;
    }
    h += "<div class=\"raw\">" + htmlEscaped(t.raw) + "</div>";
    h += "<p>Issued " + briefingTime(t.issued) + ", valid " + briefingTime(t.validFrom) + " to " +
         briefingTime(t.validTo) + ". ";
    h += t.covers ? "Marked: in force at " + briefingTime(t.at) + "."
                  : "<span class=\"warn\">Not valid at " + briefingTime(t.at) + ".</span>";
    h += "</p><table>";
    for (std::size_t i = 0; i < t.lines.size(); ++i) {
        const bool now = i < t.inForce.size() && t.inForce[i];
        h += std::string(now ? "<tr class=\"now\">" : "<tr>") + cell(now ? "&#9654;" : "") +
             cell(htmlEscaped(t.lines[i])) + "</tr>";
    }
    h += "</table>";
}

void stationsSection(const Briefing& b, std::string& h) {
    h += "<h2 id=\"categories\">Flight categories along the route</h2><p class=\"rules\">Every "
         "reporting station "
         "within " +
         fixed(kRouteStationNm, 0) +
         " nm of a leg, from the departure on; the category from each report's ceiling and "
         "visibility.</p>";
    if (b.stations.empty()) {
        h += "<p class=\"warn\">No reporting station near the route.</p>";
        return;
    }
    h += "<table><thead><tr><th>Station</th><th>Off route nm</th><th>Category</th>"
         "<th>Observed</th><th>Report</th></tr></thead>";
    for (const auto& s : b.stations) {
        const std::string category = s.category.empty() ? "unknown" : s.category;
        h += "<tr>" + cell(htmlEscaped(s.id)) + cell(fixed(s.offRouteNm, 0), true) +
             "<td class=\"" + htmlEscaped(category) + "\"><b>" + htmlEscaped(category) +
             "</b></td>" + cell(s.observed != 0 ? clockOf(s.observed) : "&ndash;") +
             "<td class=\"raw\">" + htmlEscaped(s.raw) + "</td></tr>";
    }
    h += "</table>";
}

void aloftSection(const Briefing& b, std::string& h) {
    h += "<h2 id=\"aloft\">Winds and temperatures aloft</h2>";
    if (b.aloft.empty()) {
        h += "<p class=\"warn\">No winds aloft forecast reaches the route.</p>";
        return;
    }
    h += "<table><thead><tr><th>At</th><th>Alt ft</th><th>Wind</th><th>Temp</th><th>Source</th>"
         "<th>Valid</th></tr></thead>";
    for (const auto& a : b.aloft) {
        h += "<tr>" + cell(htmlEscaped(a.place)) + cell(fixed(a.altitudeFeet, 0), true) +
             cell(windText(true, a.direction, a.speedKnots)) +
             cell(temperatureText(a.temperatureC), true) + cell(htmlEscaped(a.source)) +
             cell(briefingTime(a.valid)) + "</tr>";
    }
    h += "</table>";
}

void sourcesSection(const Briefing& b, std::string& h) {
    h += "<h2 "
         "id=\"sources\">Sources</h2><table><tr><th>Source</th><th>From</th><th>Time</th><th>Note</"
         "th></tr>";
    for (const auto& s : b.sources) {
        h += "<tr>" + cell(htmlEscaped(s.name)) + cell(htmlEscaped(s.detail)) +
             cell(briefingTime(s.time)) +
             (s.warning.empty() ? cell("fit for the flight")
                                : "<td class=\"warn\">" + htmlEscaped(s.warning) + "</td>") +
             "</tr>";
    }
    h += "</table><p class=\"rules\">Rules: the newest METAR no more than 2 h older than the "
         "departure; each TAF valid at the time it is read for (departure: off-blocks, "
         "destination: the ETA); the winds aloft valid within 6 h of the flight.</p>";
}

}  // namespace

std::string briefingHtml(const Briefing& b) {
    std::string h =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>"
        "Route briefing " +
        htmlEscaped(b.title) + "</title><style>" + kStyle + "</style></head><body>";
    h += "<h1>Route briefing: " + htmlEscaped(b.title) + "</h1>";
    h += "<p>Departure " + briefingTime(b.departure) + ", arrival " + briefingTime(b.arrival) +
         ", " + fixed(b.totalNm, 0) + " nm. Written " + briefingTime(b.written) + ".</p>";
    bool warned = false;
    for (const auto& s : b.sources) {
        if (!s.warning.empty()) {
            h += std::string(warned ? "" : "<ul>") + "<li class=\"warn\">" + htmlEscaped(s.name) +
                 ": " + htmlEscaped(s.warning) + "</li>";
            warned = true;
        }
    }
    h += warned ? "</ul>" : "";
    if (!b.mapPng.empty()) {
        h += "<p><img alt=\"Map of the route\" style=\"max-width:100%;border:1px solid #888\" "
             "src=\"data:image/png;base64," +
             base64(b.mapPng) + "\"></p>";
    }
    routeSection(b, h);
    metarTafSection("Departure", b.departureMetar, b.departureTaf, h);
    metarTafSection("Destination", b.destinationMetar, b.destinationTaf, h);
    stationsSection(b, h);
    aloftSection(b, h);
    sourcesSection(b, h);
    h += "</body></html>\n";
    return h;
}

}  // namespace zephyra::reports
