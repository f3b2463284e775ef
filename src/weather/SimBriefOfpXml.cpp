#include <QByteArray>
#include <QXmlStreamReader>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

#include "weather/SimBriefOfp.h"

// The OFP's XML through Qt's stream reader: a document type is refused before any entity in it
// could be declared, so none is expanded or fetched, and an undeclared one is an error of the
// reader's own.
namespace zephyra::weather {

namespace {

constexpr std::size_t kMaxDepth = 64;
constexpr std::size_t kMaxText = 65536;  // an element's text kept; the route is the longest

std::string trimmed(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) {
        return {};
    }
    const auto e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

std::optional<double> number(const std::string& text) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') {
        ++b;
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || end != e || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

// An altitude in feet: SimBrief writes plain feet ("35000"); a flight level ("FL350"), as an
// edited OFP may hold, is read as its hundreds of feet.
std::optional<double> altitudeFeet(const std::string& text) {
    if (text.size() > 2 && (text[0] == 'F' || text[0] == 'f') &&
        (text[1] == 'L' || text[1] == 'l')) {
        const std::optional<double> level = number(text.substr(2));
        return level && *level >= 0.0 ? std::optional<double>(*level * 100.0) : std::nullopt;
    }
    return number(text);
}

class OfpReader {
  public:
    explicit OfpReader(std::string_view text) : text_(text) {}

    std::optional<SimBriefOfp> run(std::string* error) {
        if (text_.size() > kMaxOfpBytes) {
            return fail(0, "the file is larger than 16 MB, far more than an OFP", error);
        }
        QXmlStreamReader reader(
            QByteArray::fromRawData(text_.data(), static_cast<qsizetype>(text_.size())));
        bool rootSeen = false;
        while (!reader.atEnd()) {
            const auto token = reader.readNext();
            const auto line = reader.lineNumber();
            if (token == QXmlStreamReader::DTD) {
                return fail(line,
                            "the file declares a document type (<!DOCTYPE>), which OFPs do "
                            "not have",
                            error);
            }
            if (token == QXmlStreamReader::StartElement) {
                if (!rootSeen && reader.name() != QStringLiteral("OFP")) {
                    return fail(line,
                                "the root element is <" + reader.name().toString().toStdString() +
                                    ">, not SimBrief's <OFP>",
                                error);
                }
                rootSeen = true;
                if (open_.size() >= kMaxDepth) {
                    return fail(
                        line,
                        "the elements are nested more than " + std::to_string(kMaxDepth) + " deep",
                        error);
                }
                open_.push_back(reader.name().toString().toStdString());
                if (!start()) {
                    return fail(line, why_, error);
                }
            } else if (token == QXmlStreamReader::EndElement) {
                end();
                open_.pop_back();
            } else if (token == QXmlStreamReader::Characters && !open_.empty() &&
                       text_buffer_.size() < kMaxText) {
                text_buffer_ += reader.text().toString().toStdString();
            }
        }
        if (reader.hasError()) {
            std::string why = reader.errorString().toStdString();
            while (!why.empty() && why.back() == '.') {
                why.pop_back();
            }
            return fail(reader.lineNumber(),
                        rootSeen ? "the file is not well-formed XML: " + why
                                 : "the file is not XML: " + why,
                        error);
        }
        if (!rootSeen) {
            return fail(0, "the file holds no XML element", error);
        }
        if (ofp_.fixes.empty()) {
            // SimBrief answers a failed fetch with an OFP that holds only its status.
            const bool refused = !status_.empty() && status_ != "Success";
            return fail(0,
                        refused ? "SimBrief did not give an OFP: " + status_
                                : "the OFP has no navlog fixes",
                        error);
        }
        return std::move(ofp_);
    }

  private:
    std::optional<SimBriefOfp> fail(qint64 line, const std::string& why, std::string* error) {
        if (error != nullptr) {
            *error = line <= 0 ? why : "line " + std::to_string(line) + ": " + why;
        }
        return std::nullopt;
    }

    bool within(std::initializer_list<std::string_view> path) const {
        return open_.size() == path.size() && std::equal(path.begin(), path.end(), open_.begin());
    }

    bool start() {
        text_buffer_.clear();
        if (within({"OFP", "navlog", "fix"})) {
            if (ofp_.fixes.size() >= kMaxOfpFixes) {
                why_ = "the navlog holds more than " + std::to_string(kMaxOfpFixes) + " fixes";
                return false;
            }
            ofp_.fixes.emplace_back();
        } else if (within({"OFP", "navlog", "fix", "wind_data", "level"})) {
            auto& levels = ofp_.fixes.back().levels;
            if (levels.size() >= kMaxOfpLevels) {
                why_ = "a fix has more than " + std::to_string(kMaxOfpLevels) + " wind levels";
                return false;
            }
            levels.emplace_back();
            levels.back().altitudeFeet = std::nan("");
        }
        return true;
    }

    void end() {
        const std::string value = trimmed(text_buffer_);
        text_buffer_.clear();
        const std::string& leaf = open_.back();
        if (open_.size() == 3 && open_[1] == "origin") {
            airport(ofp_.origin, leaf, value);
        } else if (open_.size() == 3 && open_[1] == "destination") {
            airport(ofp_.destination, leaf, value);
        } else if (within({"OFP", "fetch", "status"})) {
            status_ = value.substr(0, 200);
        } else if (within({"OFP", "general", "initial_altitude"})) {
            ofp_.initialAltitudeFeet = altitudeFeet(value);
        } else if (within({"OFP", "general", "cruise_tas"})) {
            ofp_.cruiseTas = number(value);
        } else if (within({"OFP", "general", "route"})) {
            ofp_.route = value;
        } else if (open_.size() == 4 && open_[1] == "navlog" && open_[2] == "fix") {
            fix(ofp_.fixes.back(), leaf, value);
        } else if (open_.size() == 6 && open_[1] == "navlog" && open_[2] == "fix" &&
                   open_[3] == "wind_data" && open_[4] == "level") {
            OfpWindLevel& l = ofp_.fixes.back().levels.back();
            if (leaf == "altitude") {
                l.altitudeFeet = altitudeFeet(value).value_or(std::nan(""));
            } else if (leaf == "wind_dir") {
                l.direction = number(value);
            } else if (leaf == "wind_spd") {
                l.speedKnots = number(value);
            } else if (leaf == "oat") {
                l.temperature = number(value);
            }
        }
    }

    static void airport(OfpAirport& a, const std::string& leaf, const std::string& value) {
        if (leaf == "icao_code") {
            a.icao = value;
        } else if (leaf == "name") {
            a.name = value;
        } else if (leaf == "pos_lat") {
            a.latitude = number(value);
        } else if (leaf == "pos_long") {
            a.longitude = number(value);
        } else if (leaf == "elevation") {
            a.elevationFeet = number(value);
        }
    }

    static void fix(OfpFix& f, const std::string& leaf, const std::string& value) {
        static const std::map<std::string_view, std::optional<double> OfpFix::*> kNumbers = {
            {"pos_lat", &OfpFix::latitude},
            {"pos_long", &OfpFix::longitude},
            {"ind_airspeed", &OfpFix::indicatedKnots},
            {"true_airspeed", &OfpFix::trueKnots},
            {"wind_dir", &OfpFix::windDirection},
            {"wind_spd", &OfpFix::windKnots},
            {"oat", &OfpFix::temperature}};
        if (leaf == "altitude_feet") {
            f.altitudeFeet = altitudeFeet(value);
        } else if (const auto it = kNumbers.find(leaf); it != kNumbers.end()) {
            f.*(it->second) = number(value);
        } else if (leaf == "ident") {
            f.ident = value;
        } else if (leaf == "name") {
            f.name = value;
        } else if (leaf == "type") {
            f.type = value;
        }
    }

    std::string_view text_;
    std::vector<std::string> open_;
    std::string text_buffer_;
    std::string why_;
    std::string status_;  // fetch/status: "Success", or why SimBrief gave no plan
    SimBriefOfp ofp_;
};

bool onEarth(const std::optional<double>& lat, const std::optional<double>& lon) {
    return (!lat || std::fabs(*lat) <= 90.0) && (!lon || std::fabs(*lon) <= 180.0);
}

std::string degreesText(const std::optional<double>& v) {
    if (!v) {
        return "none";
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", *v);
    return buf;
}

}  // namespace

std::optional<SimBriefOfp> readSimBriefOfp(std::string_view text, std::string* error) {
    auto ofp = OfpReader(text).run(error);
    if (!ofp) {
        return std::nullopt;
    }
    const auto refuse = [&](const std::string& what, const std::optional<double>& lat,
                            const std::optional<double>& lon) -> std::optional<SimBriefOfp> {
        if (error != nullptr) {
            *error = what + " lies off the Earth (latitude " + degreesText(lat) + ", longitude " +
                     degreesText(lon) + "; they run -90 to 90 and -180 to 180)";
        }
        return std::nullopt;
    };
    if (!onEarth(ofp->origin.latitude, ofp->origin.longitude)) {
        return refuse("the origin", ofp->origin.latitude, ofp->origin.longitude);
    }
    if (!onEarth(ofp->destination.latitude, ofp->destination.longitude)) {
        return refuse("the destination", ofp->destination.latitude, ofp->destination.longitude);
    }
    for (std::size_t i = 0; i < ofp->fixes.size(); ++i) {
        const OfpFix& f = ofp->fixes[i];
        if (!onEarth(f.latitude, f.longitude)) {
            return refuse("fix " + std::to_string(i + 1) + " (" + f.ident + ")", f.latitude,
                          f.longitude);
        }
    }
    return ofp;
}

namespace {

std::shared_ptr<const AloftData> readOfpAloft(std::string_view text, std::string* error) {
    const auto ofp = readSimBriefOfp(text, error);
    if (!ofp) {
        return nullptr;
    }
    auto field = ofpAloftData(*ofp);
    if (!field && error != nullptr) {
        *error = "the OFP gives no wind at any fix";
    }
    return field;
}

}  // namespace

void readOfpAloftFiles() {
    setXmlAloftReader(&readOfpAloft);
}

}  // namespace zephyra::weather
