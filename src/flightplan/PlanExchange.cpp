#include "flightplan/PlanExchange.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>

#include "flightplan/NavaidFinder.h"
#include "flightplan/PlanNumbers.h"
#include "platform/Files.h"
#include "weather/SimBriefOfp.h"

namespace zephyra::flightplan {

namespace {

// "1 entry", "3 entries": a count of things for the notes.
std::string counted(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

constexpr double kFeetPerMetre = 1.0 / 0.3048;

// An altitude in feet as the plan holds it: feet, or whole metres under metric units.
double planAltitude(double feet, bool planInMetres) {
    return static_cast<double>(std::lround(planInMetres ? feet / kFeetPerMetre : feet));
}

// A plan altitude in feet, as FlightGear's route gives its restrictions.
std::string feetText(const PlanStore::Row& r, bool planInMetres) {
    return planInMetres ? std::to_string(std::lround(r.alt * kFeetPerMetre)) : r.altText;
}
constexpr double kSameWaypointDegrees = 0.01;
constexpr const char* kGpxNamespace = "http://www.topografix.com/GPX/1/1";
constexpr const char* kOwnNamespace = "urn:zephyra:plan";
constexpr int kMaxDepth = 64;
// Plan files give an element a handful of attributes; the reader takes time that grows with
// the square of their number (100,000 took 32 s), so more than this is refused unread.
constexpr int kMaxAttributes = 32;

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string sixDecimals(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

// What the waypoint store knows of a plan entry: the waypoint of that name within 0.01 degrees.
struct Known {
    std::string ident;
    std::string type;  // store type letter: A, V, N, W or C (station)
};

class StoreLookup {
  public:
    StoreLookup(const PlanStore& plan, const WaypointStore* store) : store_(store) {
        if (store == nullptr) {
            return;
        }
        for (int i = 0; i < plan.PlanCount; ++i) {
            byName_.emplace(plan.WaypLst[static_cast<std::size_t>(i)], std::vector<int>{});
        }
        for (int k = 1; k <= store->WpsCount; ++k) {
            const auto it = byName_.find(store->WpsName[static_cast<std::size_t>(k)]);
            if (it != byName_.end()) {
                it->second.push_back(k);
            }
        }
    }

    std::optional<Known> find(const PlanStore::Row& r) const {
        const auto it = byName_.find(r.name);
        if (it == byName_.end()) {
            return std::nullopt;
        }
        for (const int i : it->second) {
            const auto k = static_cast<std::size_t>(i);
            if (std::fabs(store_->WpsLat[k] - r.lat) <= kSameWaypointDegrees &&
                std::fabs(store_->WpsLon[k] - r.lon) <= kSameWaypointDegrees) {
                const bool station = store_->WpsType[k] == "C";
                Known known{std::string(station ? store_->WpsFreq[k] : store_->WpsIdent[k]),
                            std::string(store_->WpsType[k])};
                if (!known.ident.empty()) {
                    return known;
                }
            }
        }
        return std::nullopt;
    }

  private:
    const WaypointStore* store_;
    std::unordered_map<std::string, std::vector<int>, TextHash, std::equal_to<>> byName_;
};

void typed(QXmlStreamWriter& w, const char* name, const char* type, const std::string& value) {
    w.writeStartElement(QString::fromLatin1(name));
    w.writeAttribute(QStringLiteral("type"), QString::fromLatin1(type));
    w.writeCharacters(q(value));
    w.writeEndElement();
}

// A small element tree read with the stream reader, so both formats are walked the same way.
struct XmlNode {
    std::string name;  // local name
    std::string text;
    std::vector<std::unique_ptr<XmlNode>> children;

    const XmlNode* child(const std::string& n) const {
        for (const auto& c : children) {
            if (c->name == n) {
                return c.get();
            }
        }
        return nullptr;
    }
    std::string childText(const std::string& n) const {
        const XmlNode* c = child(n);
        return c == nullptr ? std::string() : c->text;
    }
    std::unordered_map<std::string, std::string> attributes;
};

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) {
        return {};
    }
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// The line of the first start tag with more than kMaxAttributes attributes (one "=" each
// outside quoted values), found before any of it is read; nothing when there is none. Comments,
// CDATA and processing instructions are passed over; the look stops at a document type, which
// the reader refuses anyway.
std::optional<int> lineOfCrowdedTag(const std::string& text) {
    int line = 1;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\n') {
            ++line;
        }
        if (text[k] != '<' || k + 1 >= text.size()) {
            continue;
        }
        const auto skipTo = [&](const char* end) {
            const auto at = text.find(end, k + 1);
            const std::size_t stop = at == std::string::npos ? text.size() : at;
            line += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(k),
                                                text.begin() + static_cast<std::ptrdiff_t>(stop),
                                                '\n'));
            k = stop;
        };
        const char next = text[k + 1];
        if (text.compare(k, 4, "<!--") == 0) {
            skipTo("-->");
        } else if (text.compare(k, 9, "<![CDATA[") == 0) {
            skipTo("]]>");
        } else if (next == '?') {
            skipTo("?>");
        } else if (next == '!') {
            return std::nullopt;
        } else if (next != '/') {
            const int tagLine = line;
            int attributes = 0;
            char quote = 0;
            for (++k; k < text.size() && (quote != 0 || text[k] != '>'); ++k) {
                const char c = text[k];
                line += c == '\n' ? 1 : 0;
                if (quote != 0) {
                    quote = c == quote ? 0 : quote;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=' && ++attributes > kMaxAttributes) {
                    return tagLine;
                }
            }
        }
    }
    return std::nullopt;
}

// Parses the whole document; on error says what and on which line. Document types are refused
// outright, so no entity is declared, expanded or fetched.
std::unique_ptr<XmlNode> parseXml(const std::string& text, std::string& error) {
    if (const auto line = lineOfCrowdedTag(text)) {
        error = "Line " + std::to_string(*line) + ": an element has more than " +
                std::to_string(kMaxAttributes) +
                " attributes, which plan files do not have; it was not read.";
        return nullptr;
    }
    QXmlStreamReader reader(
        QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())));
    auto root = std::make_unique<XmlNode>();
    std::vector<XmlNode*> open{root.get()};
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::DTD) {
            error = "Line " + std::to_string(reader.lineNumber()) +
                    ": the file declares a document type (<!DOCTYPE>), which plan files do not "
                    "have; it was not read.";
            return nullptr;
        }
        if (token == QXmlStreamReader::StartElement) {
            if (static_cast<int>(open.size()) > kMaxDepth) {
                error = "Line " + std::to_string(reader.lineNumber()) +
                        ": the elements are nested more than " + std::to_string(kMaxDepth) +
                        " deep.";
                return nullptr;
            }
            auto node = std::make_unique<XmlNode>();
            node->name = reader.name().toString().toStdString();
            for (const auto& a : reader.attributes()) {
                node->attributes[a.name().toString().toStdString()] =
                    a.value().toString().toStdString();
            }
            XmlNode* raw = node.get();
            open.back()->children.push_back(std::move(node));
            open.push_back(raw);
        } else if (token == QXmlStreamReader::EndElement) {
            open.back()->text = trimmed(open.back()->text);
            open.pop_back();
        } else if (token == QXmlStreamReader::Characters && open.size() > 1) {
            open.back()->text += reader.text().toString().toStdString();
        }
    }
    if (reader.hasError()) {
        std::string why = reader.errorString().toStdString();
        if (!why.ends_with('.')) {
            why += '.';  // some of the reader's sentences end in one already
        }
        error = "The file is not well-formed XML. Line " + std::to_string(reader.lineNumber()) +
                ": " + why;
        return nullptr;
    }
    if (root->children.empty()) {
        error = "The file holds no XML element.";
        return nullptr;
    }
    return root;
}

std::optional<double> number(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const auto v = readNumber(text);
    if (!v || !std::isfinite(*v)) {
        return std::nullopt;
    }
    return v;
}

// One entry as a file gives it, before it becomes a plan row.
struct Entry {
    std::string name;
    std::optional<double> lat, lon, altFeet, speed;
};

class Builder {
  public:
    Builder(const ImportDefaults& defaults, PlanImport& result)
        : defaults_(defaults), result_(result) {
        defaultSpeed_ = readNumber(defaults.spdText).value_or(250.0);
        defaultAlt_ = readInt32(defaults.altText).value_or(0);
    }

    bool add(Entry e, int index) {
        const std::string name = cleanEntryName(e.name);
        const std::string shown = name.empty() ? "entry " + std::to_string(index + 1) : name;
        if (!e.lat || !e.lon) {
            result_.message =
                "Entry " + std::to_string(index + 1) + " (" + shown + ") has no position" +
                (e.name.empty() ? std::string() : " and no waypoint has that identifier") +
                ". Nothing was imported.";
            return false;
        }
        if (std::fabs(*e.lat) > 90.0 || std::fabs(*e.lon) > 180.0) {
            result_.message = "The position of \"" + shown + "\" (" + standardText(*e.lat) + ", " +
                              standardText(*e.lon) +
                              ") is outside the Earth's latitudes (-90 to 90) and longitudes "
                              "(-180 to 180). Nothing was imported.";
            return false;
        }
        PlanStore::Row row;
        row.name = name.empty() ? "WP" + std::to_string(index + 1) : name;
        row.lat = *e.lat;
        row.lon = *e.lon;
        if (e.altFeet && std::fabs(*e.altFeet) < 1e6) {
            row.alt = planAltitude(*e.altFeet, defaults_.planInMetres);
        } else {
            row.alt = defaultAlt_;
            ++noAltitude_;
        }
        row.altText = std::to_string(static_cast<long>(row.alt));
        if (e.speed && *e.speed != 0.0 && !isFlyableSpeed(*e.speed)) {
            result_.message = "The speed of \"" + shown + "\" (" + standardText(*e.speed) +
                              ") is one no aircraft flies: " + kFlyableSpeeds +
                              ". Nothing was imported.";
            return false;
        }
        if (e.speed && *e.speed != 0.0) {
            row.spd = *e.speed;
        } else {
            row.spd = defaultSpeed_;
            ++noSpeed_;
        }
        row.spdText = standardText(row.spd);
        if (name != e.name && !e.name.empty()) {
            ++cleaned_;
        }
        plan_.append(row);
        return true;
    }

    void finish(PlanStore& target) {
        if (noAltitude_ > 0) {
            result_.notes.push_back(
                counted(noAltitude_, "entry", "entries") + " had no altitude in the file and " +
                (noAltitude_ == 1 ? "takes " : "take ") + std::to_string(defaultAlt_) +
                (defaults_.planInMetres ? " m." : " ft."));
        }
        if (noSpeed_ > 0) {
            result_.notes.push_back(
                counted(noSpeed_, "entry", "entries") + " had no speed in the file and " +
                (noSpeed_ == 1 ? "takes" : "take") + " the plan's default speed, " +
                standardText(defaultSpeed_) + ".");
        }
        if (cleaned_ > 0) {
            result_.notes.push_back(std::to_string(cleaned_) +
                                    " names held \"|\" or line breaks, which were taken out.");
        }
        target = std::move(plan_);
        result_.ok = true;
    }

    const ImportDefaults& defaults() const { return defaults_; }

  private:
    const ImportDefaults& defaults_;
    PlanImport& result_;
    PlanStore plan_;
    double defaultSpeed_ = 250.0;
    std::int32_t defaultAlt_ = 0;
    int noAltitude_ = 0, noSpeed_ = 0, cleaned_ = 0;
};

std::string tooMany(std::size_t n, const char* what) {
    return "The file holds " + std::to_string(n) + " " + what +
           "; a plan holds at most 2,001 entries. Nothing was imported (points are not thinned "
           "out).";
}

void importFlightGear(const XmlNode& root, PlanStore& plan, const ImportDefaults& defaults,
                      PlanImport& result) {
    const XmlNode* route = root.child("route");
    std::vector<const XmlNode*> wps;
    if (route != nullptr) {
        for (const auto& c : route->children) {
            if (c->name == "wp") {
                wps.push_back(c.get());
            }
        }
    }
    if (wps.empty()) {
        result.message = "The FlightGear route holds no route/wp entries. Nothing was imported.";
        return;
    }
    if (wps.size() > static_cast<std::size_t>(PlanStore::kCapacity)) {
        result.message = tooMany(wps.size(), "waypoints");
        return;
    }
    Builder builder(defaults, result);
    int looked = 0;
    for (std::size_t i = 0; i < wps.size(); ++i) {
        const XmlNode& wp = *wps[i];
        const std::string type = wp.childText("type");
        std::string ident = wp.childText("ident");
        const std::string icao = wp.childText("icao");
        Entry e;
        e.name = wp.childText("name");
        if (e.name.empty()) {
            e.name = type == "runway" && !icao.empty() ? icao + " " + ident : ident;
        }
        e.lat = number(wp.childText("lat"));
        e.lon = number(wp.childText("lon"));
        if ((!e.lat || !e.lon) && defaults.findIdent) {
            const auto found = defaults.findIdent(type == "runway" && !icao.empty() ? icao : ident);
            if (found) {
                e.lat = found->lat;
                e.lon = found->lon;
                ++looked;
            }
        }
        if (wp.child("altitude-ft") != nullptr) {
            e.altFeet = number(wp.childText("altitude-ft"));
        }
        const std::string restrict = wp.childText("speed-restrict");
        for (const char* key : {"speed", "speed-kts", "speed-mach"}) {
            if (wp.child(key) != nullptr && !restrict.empty()&& restrict != "none") {
                e.speed = number(wp.childText(key));
            }
        }
        if (!builder.add(std::move(e), static_cast<int>(i))) {
            return;
        }
    }
    if (looked > 0) {
        result.notes.push_back(counted(looked, "entry", "entries") +
                               " gave no position; the waypoint of their identifier "
                               "gave it.");
    }
    builder.finish(plan);
}

void collect(const XmlNode& parent, const char* name, std::vector<const XmlNode*>& out) {
    for (const auto& c : parent.children) {
        if (c->name == name) {
            out.push_back(c.get());
        }
    }
}

void importGpx(const XmlNode& root, PlanStore& plan, const ImportDefaults& defaults,
               PlanImport& result) {
    std::vector<const XmlNode*> points;
    const char* what = "route points";
    if (const XmlNode* rte = root.child("rte")) {
        collect(*rte, "rtept", points);
    }
    if (points.empty()) {
        if (const XmlNode* trk = root.child("trk")) {
            what = "track points";
            for (const auto& seg : trk->children) {
                if (seg->name == "trkseg") {
                    collect(*seg, "trkpt", points);
                }
            }
        }
    }
    if (points.empty()) {
        what = "waypoints";
        collect(root, "wpt", points);
    }
    if (points.empty()) {
        result.message = "The GPX file holds no route, track or waypoints. Nothing was imported.";
        return;
    }
    if (points.size() > static_cast<std::size_t>(PlanStore::kCapacity)) {
        result.message = tooMany(points.size(), what);
        return;
    }
    Builder builder(defaults, result);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const XmlNode& p = *points[i];
        Entry e;
        e.name = p.childText("name");
        if (e.name.empty()) {
            e.name = !p.childText("cmt").empty() ? p.childText("cmt") : p.childText("desc");
        }
        const auto lat = p.attributes.find("lat");
        const auto lon = p.attributes.find("lon");
        if (lat != p.attributes.end()) {
            e.lat = number(lat->second);
        }
        if (lon != p.attributes.end()) {
            e.lon = number(lon->second);
        }
        if (const auto ele = number(p.childText("ele"))) {
            e.altFeet = *ele * kFeetPerMetre;
        }
        if (const XmlNode* ext = p.child("extensions")) {
            e.speed = number(ext->childText("speed"));
        }
        if (!builder.add(std::move(e), static_cast<int>(i))) {
            return;
        }
    }
    builder.finish(plan);
}

bool sameAirport(const weather::OfpFix& fix, const weather::OfpAirport& airport) {
    return !airport.icao.empty() && fix.ident == airport.icao;
}

// A fix's wind as a custom-weather entry at a plan entry: the wind from the ground up to the
// fix's altitude, its temperature brought down to sea level at the standard 1.98 degrees per
// 1,000 ft, no clouds, unlimited visibility and the standard 29.92 inches.
PlanWxEntry fixWeatherEntry(const weather::OfpFix& fix, const PlanStore::Row& row, int number) {
    PlanWxEntry e;
    char id[16];
    std::snprintf(id, sizeof id, "%04d", number);
    e.id = id + row.name;
    e.field[1] = row.lat;
    e.field[2] = row.lon;
    e.field[9] = std::clamp(std::round(*fix.windKnots), 0.0, 500.0);
    e.field[10] = std::fmod(std::round(*fix.windDirection), 360.0);
    e.field[11] = std::round(*fix.altitudeFeet);
    e.field[12] = 100;
    const double seaLevel =
        fix.temperature ? *fix.temperature + 1.98 * *fix.altitudeFeet / 1000.0 : 15.0;
    e.field[14] = std::round(seaLevel * 1.8 + 32.0);
    e.field[15] = 29.92;
    return e;
}

void importSimBrief(const std::string& text, PlanStore& plan, const ImportDefaults& defaults,
                    PlanImport& result) {
    std::string error;
    const auto ofp = weather::readSimBriefOfp(text, &error);
    if (!ofp) {
        error = error.empty() ? "it is not an OFP" : error;
        error[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(error[0])));
        result.message = "The SimBrief OFP was not read: " + error + ". Nothing was imported.";
        return;
    }
    std::size_t first = 0, last = ofp->fixes.size();
    const bool originFix = sameAirport(ofp->fixes.front(), ofp->origin);
    const bool destinationFix = last > 1 && sameAirport(ofp->fixes.back(), ofp->destination);
    first += originFix ? 1 : 0;
    last -= destinationFix ? 1 : 0;
    if (last - first + 2 > static_cast<std::size_t>(PlanStore::kCapacity)) {
        result.message = tooMany(last - first + 2, "entries with its airports");
        return;
    }
    Builder builder(defaults, result);
    std::vector<std::pair<int, const weather::OfpFix*>> winds;
    std::optional<double> speed;
    int carried = 0, looked = 0;
    const auto fixEntry = [&](const weather::OfpFix& f) {
        Entry e;
        e.name = f.ident.empty() ? f.name : f.ident;
        e.lat = f.latitude;
        e.lon = f.longitude;
        if ((!e.lat || !e.lon) && defaults.findIdent) {
            if (const auto found = defaults.findIdent(f.ident)) {
                e.lat = found->lat;
                e.lon = found->lon;
                ++looked;
            }
        }
        e.altFeet = f.altitudeFeet;
        if (f.indicatedKnots && *f.indicatedKnots != 0.0) {
            speed = f.indicatedKnots;
        } else if (speed) {
            ++carried;
        }
        e.speed = speed;
        return e;
    };
    const auto airportEntry = [&](const weather::OfpAirport& a, const weather::OfpFix* fix) {
        Entry e = fix != nullptr ? fixEntry(*fix) : Entry{};
        e.name = a.icao.empty() ? a.name : a.icao;
        if (a.latitude && a.longitude) {
            e.lat = a.latitude;
            e.lon = a.longitude;
        } else if (!e.lat && defaults.findIdent) {
            if (const auto found = defaults.findIdent(a.icao)) {
                e.lat = found->lat;
                e.lon = found->lon;
                ++looked;
            }
        }
        if (a.elevationFeet) {
            e.altFeet = a.elevationFeet;
        }
        return e;
    };
    int index = 0;
    const auto add = [&](Entry e, const weather::OfpFix* fix) {
        if (fix != nullptr && fix->windDirection && fix->windKnots && fix->altitudeFeet) {
            winds.emplace_back(index, fix);
        }
        return builder.add(std::move(e), index++);
    };
    const weather::OfpFix* const originOwn = originFix ? &ofp->fixes.front() : nullptr;
    if (!add(airportEntry(ofp->origin, originOwn), originOwn)) {
        return;
    }
    for (std::size_t i = first; i < last; ++i) {
        if (!add(fixEntry(ofp->fixes[i]), &ofp->fixes[i])) {
            return;
        }
    }
    const weather::OfpFix* const destinationOwn = destinationFix ? &ofp->fixes.back() : nullptr;
    if (!add(airportEntry(ofp->destination, destinationOwn), destinationOwn)) {
        return;
    }
    if (carried > 0) {
        result.notes.push_back(counted(carried, "fix", "fixes") + " had no speed in the file and " +
                               (carried == 1 ? "takes" : "take") + " the one before.");
    }
    if (looked > 0) {
        result.notes.push_back(counted(looked, "entry", "entries") +
                               " gave no position; the waypoint of their identifier "
                               "gave it.");
    }
    builder.finish(plan);
    for (const auto& [row, fix] : winds) {
        if (result.fixWeather.size() == static_cast<std::size_t>(PlanStore::kWeatherEntries)) {
            result.notes.push_back(
                "The OFP gives winds at " + std::to_string(winds.size()) +
                " entries; a plan carries weather at 201, so the last were left out.");
            break;
        }
        result.fixWeather.push_back(
            fixWeatherEntry(*fix, plan.row(row), static_cast<int>(result.fixWeather.size())));
    }
}

// The first characters of a text, for a message about what it is not.
std::string opening(const std::string& text) {
    std::string out;
    for (const char c : text.substr(0, 40)) {
        out += (static_cast<unsigned char>(c) < 0x20) ? ' ' : c;
    }
    return trimmed(out);
}

// Both formats are written indented by two, as FlightGear writes its own routes.
void startDocument(QXmlStreamWriter& w) {
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(2);
    w.writeStartDocument();
}

}  // namespace

bool isFlyableSpeed(double speed) {
    return (speed >= 0.1 && speed < 1.0) || (speed >= 20.0 && speed <= 4000.0);
}

std::optional<ExchangeFormat> exchangeFormatNamed(const std::string& word) {
    if (word == "fgroute") {
        return ExchangeFormat::FlightGearRoute;
    }
    if (word == "gpx") {
        return ExchangeFormat::Gpx;
    }
    return std::nullopt;
}

std::optional<std::string> importFormatNamed(const std::string& word) {
    static const std::unordered_map<std::string, std::string> kNames = {
        {"fgroute", "FlightGear route"},
        {"gpx", "GPX"},
        {"simbrief", "SimBrief OFP"},
        {"fpl", "Zephyra plan"}};
    const auto it = kNames.find(word);
    return it == kNames.end() ? std::nullopt : std::optional<std::string>(it->second);
}

void attachFixWeather(PlanStore& plan, const std::vector<PlanWxEntry>& weather) {
    if (weather.empty()) {
        return;
    }
    const std::size_t n = std::min(weather.size(), plan.PlanWx.size());
    std::fill(plan.PlanWx.begin(), plan.PlanWx.end(), PlanWxEntry{});
    std::copy_n(weather.begin(), n, plan.PlanWx.begin());
    plan.setCustomWeatherCount(static_cast<std::int16_t>(n - 1));
}

std::string cleanEntryName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        if (c == '|') {
            continue;
        }
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    const auto b = out.find_first_not_of(' ');
    if (b == std::string::npos) {
        return {};
    }
    return out.substr(b, out.find_last_not_of(' ') - b + 1);
}

std::string formatFlightGearRoute(const PlanStore& plan, const WaypointStore* store,
                                  bool planInMetres) {
    const StoreLookup lookup(plan, store);
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    startDocument(w);
    w.writeStartElement(QStringLiteral("PropertyList"));
    typed(w, "version", "int", "2");
    // Airports at either end become FlightGear's departure and destination. Their entries are
    // flagged as the departure and approach legs, or FlightGear would add the airports again.
    bool departure = false, destination = false;
    if (plan.PlanCount > 1) {
        const auto first = lookup.find(plan.row(0));
        const auto last = lookup.find(plan.row(plan.PlanCount - 1));
        departure = first && first->type == "A";
        destination = last && last->type == "A";
        if (departure) {
            w.writeStartElement(QStringLiteral("departure"));
            typed(w, "airport", "string", first->ident);
            w.writeEndElement();
        }
        if (destination) {
            w.writeStartElement(QStringLiteral("destination"));
            typed(w, "airport", "string", last->ident);
            w.writeEndElement();
        }
    }
    w.writeStartElement(QStringLiteral("route"));
    for (int i = 0; i < plan.PlanCount; ++i) {
        const auto r = plan.row(i);
        const auto known = lookup.find(r);
        const bool navaid = known && known->type != "C";
        w.writeStartElement(QStringLiteral("wp"));
        if (i > 0) {
            w.writeAttribute(QStringLiteral("n"), QString::number(i));
        }
        typed(w, "type", "string", navaid ? "navaid" : "basic");
        if (i == 0 && departure) {
            typed(w, "departure", "bool", "true");
        }
        if (i + 1 == plan.PlanCount && destination) {
            typed(w, "approach", "bool", "true");
        }
        typed(w, "ident", "string", known ? known->ident : r.name);
        if (known && known->ident != r.name) {
            typed(w, "name", "string", r.name);
        }
        typed(w, "lon", "double", sixDecimals(r.lon));
        typed(w, "lat", "double", sixDecimals(r.lat));
        typed(w, "alt-restrict", "string", "at");
        typed(w, "altitude-ft", "double", feetText(r, planInMetres));
        if (r.spd > 0.0) {
            typed(w, "speed-restrict", "string", r.spd < 1.0 ? "mach" : "at");
            typed(w, "speed", "double", r.spdText);
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return bytes.toStdString();
}

std::vector<std::string> flightGearIdents(const PlanStore& plan, const WaypointStore* store) {
    const StoreLookup lookup(plan, store);
    std::vector<std::string> idents;
    for (int i = 0; i < plan.PlanCount; ++i) {
        const auto r = plan.row(i);
        const auto known = lookup.find(r);
        idents.push_back(known ? known->ident : r.name);
    }
    return idents;
}

std::string formatGpx(const PlanStore& plan, const WaypointStore* store, bool planInMetres) {
    const StoreLookup lookup(plan, store);
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    startDocument(w);
    w.writeDefaultNamespace(QString::fromLatin1(kGpxNamespace));
    w.writeNamespace(QString::fromLatin1(kOwnNamespace), QStringLiteral("zephyra"));
    w.writeStartElement(QString::fromLatin1(kGpxNamespace), QStringLiteral("gpx"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    w.writeAttribute(QStringLiteral("creator"), QStringLiteral("Zephyra"));
    w.writeStartElement(QString::fromLatin1(kGpxNamespace), QStringLiteral("rte"));
    if (plan.PlanCount > 0) {
        w.writeTextElement(QString::fromLatin1(kGpxNamespace), QStringLiteral("name"),
                           q(plan.WaypLst.front() + " to " +
                             plan.WaypLst[static_cast<std::size_t>(plan.PlanCount - 1)]));
    }
    for (int i = 0; i < plan.PlanCount; ++i) {
        const auto r = plan.row(i);
        const auto known = lookup.find(r);
        w.writeStartElement(QString::fromLatin1(kGpxNamespace), QStringLiteral("rtept"));
        w.writeAttribute(QStringLiteral("lat"), q(sixDecimals(r.lat)));
        w.writeAttribute(QStringLiteral("lon"), q(sixDecimals(r.lon)));
        char ele[32];
        std::snprintf(ele, sizeof ele, "%.4f", planInMetres ? r.alt : r.alt / kFeetPerMetre);
        w.writeTextElement(QString::fromLatin1(kGpxNamespace), QStringLiteral("ele"),
                           QString::fromLatin1(ele));
        w.writeTextElement(QString::fromLatin1(kGpxNamespace), QStringLiteral("name"), q(r.name));
        if (known) {
            w.writeTextElement(QString::fromLatin1(kGpxNamespace), QStringLiteral("cmt"),
                               q(known->ident));
            w.writeTextElement(
                QString::fromLatin1(kGpxNamespace), QStringLiteral("type"),
                q(known->type == "C" ? std::string("station") : typeWord(known->type)));
        }
        if (r.spd > 0.0) {
            w.writeStartElement(QString::fromLatin1(kGpxNamespace), QStringLiteral("extensions"));
            w.writeTextElement(QString::fromLatin1(kOwnNamespace), QStringLiteral("speed"),
                               q(r.spdText));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return bytes.toStdString();
}

bool exportPlanFile(const std::string& path, ExchangeFormat format, const PlanStore& plan,
                    const WaypointStore* store, std::string* error, bool planInMetres) {
    const std::string text = format == ExchangeFormat::FlightGearRoute
                                 ? formatFlightGearRoute(plan, store, planInMetres)
                                 : formatGpx(plan, store, planInMetres);
    return platform::writeFile(path, text, error);
}

PlanImport importPlanText(const std::string& text, PlanStore& plan, PlanLoadHost& host,
                          const ImportDefaults& defaults) {
    PlanImport result;
    std::size_t start = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        start = 3;
    }
    // UTF-16 with its byte-order mark can only be XML here; the reader decodes it by the mark.
    // (A .fpl plan is never UTF-16.)
    const bool utf16 = text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0;
    if (utf16) {
        start = text.size() > 2 && text.find('<', 2) != std::string::npos ? text.find('<', 2)
                                                                          : text.size();
    }
    const auto first = text.find_first_not_of(" \t\r\n", start);
    if (first == std::string::npos) {
        result.message = utf16 ? "The file is UTF-16 text without any XML element. Nothing was "
                                 "imported."
                               : "The file is empty. Nothing was imported.";
        return result;
    }
    if (text[first] == '<' || utf16) {
        std::string error;
        const auto root = parseXml(text, error);
        if (!root) {
            result.message = error + " Nothing was imported.";
            return result;
        }
        const XmlNode& top = *root->children.front();
        if (top.name == "PropertyList") {
            result.format = "FlightGear route";
            importFlightGear(top, plan, defaults, result);
        } else if (top.name == "gpx") {
            result.format = "GPX";
            importGpx(top, plan, defaults, result);
        } else if (top.name == "OFP") {
            result.format = "SimBrief OFP";
            importSimBrief(text, plan, defaults, result);
        } else {
            result.message = "The file is XML with the root element <" + top.name +
                             ">, which is neither a FlightGear route (<PropertyList>), GPX "
                             "(<gpx>) nor a SimBrief OFP (<OFP>). Nothing was imported.";
        }
        return result;
    }
    const auto lineEnd = text.find_first_of("\r\n", first);
    const std::string firstLine =
        text.substr(first, lineEnd == std::string::npos ? lineEnd : lineEnd - first);
    if (firstLine.find('|') == std::string::npos && firstLine != "Weather" && firstLine != "ATC") {
        result.message =
            "The file is neither a FlightGear route, GPX, a SimBrief OFP nor a Zephyra plan: it "
            "begins "
            "\"" +
            opening(firstLine) + "\". Nothing was imported.";
        return result;
    }
    result.format = "Zephyra plan";
    PlanStore read;
    const auto r = readPlan(text, read, host);
    if (!r.completed) {
        result.message =
            "Line " + std::to_string(r.stoppedAtLine) + " of the plan could not be read" +
            (r.problem.empty() ? std::string(".") : ": " + r.problem) + " Nothing was imported.";
        return result;
    }
    plan = std::move(read);
    result.ok = true;
    return result;
}

PlanImport importPlanFile(const std::string& path, PlanStore& plan, PlanLoadHost& host,
                          const ImportDefaults& defaults) {
    PlanImport result;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        result.message = "\"" + path + "\" is not a file that can be read.";
        return result;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || static_cast<long long>(size) > kMaxExchangeFileBytes) {
        result.message = "\"" + path +
                         "\" is larger than 16 MB; a plan file is far smaller. "
                         "Nothing was imported.";
        return result;
    }
    std::string text;
    if (!platform::readFile(path, text)) {
        result.message = "\"" + path + "\" could not be read.";
        return result;
    }
    return importPlanText(text, plan, host, defaults);
}

}  // namespace zephyra::flightplan
