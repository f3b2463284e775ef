#include "weather/SimBriefOfp.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

#include "weather/WindsAloftField.h"
#include "weather/WindsAloftText.h"

namespace zephyra::weather {

namespace {

constexpr std::size_t kMaxDepth = 64;
constexpr std::size_t kMaxText = 65536;  // an element's text kept; the route is the longest

bool isNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) != 0 || c == '_' || c == '-' || c == '.' || c == ':' || u >= 0x80;
}

std::string trimmed(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) {
        return {};
    }
    return std::string(s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1));
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

void appendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Walks the document once, start and end tags and text, keeping only what an OFP says.
class OfpScanner {
  public:
    explicit OfpScanner(std::string_view text) : text_(text) {}

    std::optional<SimBriefOfp> run(std::string* error) {
        if (text_.size() > kMaxOfpBytes) {
            return fail(0, "the file is larger than 16 MB, far more than an OFP", error);
        }
        std::size_t at = text_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        bool rootSeen = false;
        while (at < text_.size()) {
            if (text_[at] != '<') {
                const auto next = std::min(text_.find('<', at), text_.size());
                if (!textBetween(at, next, rootSeen)) {
                    return fail(at, why_, error);
                }
                at = next;
                continue;
            }
            const auto step = markup(at, rootSeen);
            if (!step) {
                return fail(at, why_, error);
            }
            at = *step;
        }
        if (!rootSeen) {
            return fail(at, "the file holds no XML element", error);
        }
        if (!open_.empty()) {
            return fail(at, "the file ends inside <" + open_.back() + ">", error);
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
    std::optional<SimBriefOfp> fail(std::size_t at, const std::string& why, std::string* error) {
        if (error != nullptr) {
            const auto line =
                1 +
                std::count(text_.begin(),
                           text_.begin() + static_cast<std::ptrdiff_t>(std::min(at, text_.size())),
                           '\n');
            *error = at == 0 ? why : "line " + std::to_string(line) + ": " + why;
        }
        return std::nullopt;
    }

    bool textBetween(std::size_t from, std::size_t to, bool rootSeen) {
        const std::string_view raw = text_.substr(from, to - from);
        if (open_.empty()) {
            if (raw.find_first_not_of(" \t\r\n") != std::string_view::npos) {
                why_ = rootSeen ? "text after the root element" : "the file is not XML";
                return false;
            }
            return true;
        }
        for (std::size_t k = 0; k < raw.size(); ++k) {
            if (raw[k] != '&') {
                keep(raw[k]);
                continue;
            }
            const auto semi = raw.find(';', k);
            if (semi == std::string_view::npos || semi - k > 12) {
                why_ = "a \"&\" that starts no reference";
                return false;
            }
            const std::string_view name = raw.substr(k + 1, semi - k - 1);
            static const std::map<std::string_view, char> kOwn = {
                {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
            if (const auto it = kOwn.find(name); it != kOwn.end()) {
                keep(it->second);
            } else if (name.size() > 1 && name[0] == '#') {
                const bool hex = name[1] == 'x';
                unsigned long code = 0;
                const auto digits = name.substr(hex ? 2 : 1);
                const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(),
                                                       code, hex ? 16 : 10);
                if (ec != std::errc() || end != digits.data() + digits.size() || code == 0 ||
                    code > 0x10FFFF) {
                    why_ = "a character reference that is no character";
                    return false;
                }
                std::string utf8;
                appendUtf8(utf8, code);
                for (const char c : utf8) {
                    keep(c);
                }
            } else {
                why_ = "the entity \"&" + std::string(name) +
                       ";\", which is not declared (OFPs use none)";
                return false;
            }
            k = semi;
        }
        return true;
    }

    void keep(char c) {
        if (text_buffer_.size() < kMaxText) {
            text_buffer_ += c;
        }
    }

    // One piece of markup at text_[at] == '<'; where the next piece starts, or nothing.
    std::optional<std::size_t> markup(std::size_t at, bool& rootSeen) {
        const auto skipPast = [&](std::string_view end,
                                  const char* what) -> std::optional<std::size_t> {
            const auto stop = text_.find(end, at);
            if (stop == std::string_view::npos) {
                why_ = std::string("the file ends inside ") + what;
                return std::nullopt;
            }
            return stop + end.size();
        };
        if (text_.compare(at, 4, "<!--") == 0) {
            return skipPast("-->", "a comment");
        }
        if (text_.compare(at, 9, "<![CDATA[") == 0) {
            const auto end = skipPast("]]>", "a CDATA section");
            if (end && !open_.empty()) {
                for (std::size_t k = at + 9; k + 3 < *end; ++k) {
                    keep(text_[k]);
                }
            }
            return end;
        }
        if (text_.compare(at, 2, "<?") == 0) {
            return skipPast("?>", "a processing instruction");
        }
        if (text_.compare(at, 2, "<!") == 0) {
            why_ = "the file declares a document type (<!DOCTYPE>), which an OFP does not have";
            return std::nullopt;
        }
        const bool closing = text_.compare(at, 2, "</") == 0;
        std::size_t k = at + (closing ? 2 : 1);
        const std::size_t nameStart = k;
        while (k < text_.size() && isNameChar(text_[k])) {
            ++k;
        }
        if (k == nameStart) {
            why_ = "a \"<\" that starts no element";
            return std::nullopt;
        }
        std::string name(text_.substr(nameStart, k - nameStart));
        if (const auto colon = name.rfind(':'); colon != std::string::npos) {
            name.erase(0, colon + 1);
        }
        // Attributes are passed over, a quoted value whole.
        char quote = 0;
        for (; k < text_.size() && (quote != 0 || text_[k] != '>'); ++k) {
            if (quote != 0) {
                quote = text_[k] == quote ? 0 : quote;
            } else if (text_[k] == '"' || text_[k] == '\'') {
                quote = text_[k];
            } else if (text_[k] == '<') {
                why_ = "a tag that is not closed";
                return std::nullopt;
            }
        }
        if (k >= text_.size()) {
            why_ = "the file ends inside the tag <" + name + ">";
            return std::nullopt;
        }
        const bool empty = !closing && text_[k - 1] == '/';
        if (closing) {
            if (open_.empty() || open_.back() != name) {
                why_ = "</" + name + "> closes " +
                       (open_.empty() ? std::string("nothing") : "<" + open_.back() + ">");
                return std::nullopt;
            }
            end();
            open_.pop_back();
            return k + 1;
        }
        if (open_.empty() && rootSeen) {
            why_ = "a second root element <" + name + ">";
            return std::nullopt;
        }
        if (open_.empty() && name != "OFP") {
            why_ = "the root element is <" + name + ">, not SimBrief's <OFP>";
            return std::nullopt;
        }
        if (open_.size() >= kMaxDepth) {
            why_ = "the elements are nested more than " + std::to_string(kMaxDepth) + " deep";
            return std::nullopt;
        }
        rootSeen = true;
        open_.push_back(std::move(name));
        if (!start()) {
            return std::nullopt;
        }
        if (empty) {
            end();
            open_.pop_back();
        }
        return k + 1;
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

std::optional<int> whole(const std::optional<double>& v, double lo, double hi) {
    if (!v || *v < lo || *v > hi) {
        return std::nullopt;
    }
    return static_cast<int>(std::lround(*v));
}

// A fix's wind at one level as the FB reader gives it: light and variable below 5 knots
// without a direction.
std::optional<AloftLevel> aloftLevel(double altitudeFeet, const std::optional<double>& direction,
                                     const std::optional<double>& speed,
                                     const std::optional<double>& temperature) {
    const auto knots = whole(speed, 0, 500);
    if (!std::isfinite(altitudeFeet) || std::fabs(altitudeFeet) > 100000 || !knots) {
        return std::nullopt;
    }
    AloftLevel l;
    l.altitudeFeet = static_cast<int>(std::lround(altitudeFeet));
    l.speedKnots = knots;
    l.direction = whole(direction, 0, 360);
    if (l.direction) {
        *l.direction %= 360;
    }
    l.lightAndVariable = !l.direction;
    l.temperature = whole(temperature, -100, 60);
    return l;
}

}  // namespace

bool looksLikeXml(std::string_view text) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.remove_prefix(3);
    }
    const auto first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos &&
           (text.compare(first, 5, "<?xml") == 0 || text.compare(first, 4, "<OFP") == 0);
}

std::optional<SimBriefOfp> readSimBriefOfp(std::string_view text, std::string* error) {
    auto ofp = OfpScanner(text).run(error);
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

std::shared_ptr<const AloftData> ofpAloftData(const SimBriefOfp& ofp) {
    WindsAloftText product;
    product.product = "SimBrief OFP " + ofp.origin.icao + "-" + ofp.destination.icao;
    std::map<std::string, GeoPosition> positions;
    for (std::size_t i = 0; i < ofp.fixes.size(); ++i) {
        const OfpFix& f = ofp.fixes[i];
        if (!f.latitude || !f.longitude) {
            continue;
        }
        AloftSite site;
        // Sites are told apart by their identifiers: a fix flown twice gets its number too.
        site.id = f.ident.empty() ? "fix " + std::to_string(i + 1) : f.ident;
        if (positions.count(site.id) != 0) {
            site.id += " (" + std::to_string(i + 1) + ")";
        }
        for (const OfpWindLevel& l : f.levels) {
            if (auto level = aloftLevel(l.altitudeFeet, l.direction, l.speedKnots, l.temperature)) {
                site.levels.push_back(*level);
            }
        }
        if (site.levels.empty() && f.altitudeFeet) {
            if (auto level =
                    aloftLevel(*f.altitudeFeet, f.windDirection, f.windKnots, f.temperature)) {
                site.levels.push_back(*level);
            }
        }
        if (site.levels.empty()) {
            continue;
        }
        std::stable_sort(site.levels.begin(), site.levels.end(), [](const auto& a, const auto& b) {
            return a.altitudeFeet < b.altitudeFeet;
        });
        site.levels.erase(std::unique(site.levels.begin(), site.levels.end(),
                                      [](const auto& a, const auto& b) {
                                          return a.altitudeFeet == b.altitudeFeet;
                                      }),
                          site.levels.end());
        positions[site.id] = GeoPosition{*f.latitude, *f.longitude};
        product.sites.push_back(std::move(site));
    }
    if (product.sites.empty()) {
        return nullptr;
    }
    return std::make_shared<WindsAloftField>(std::move(product), std::move(positions));
}

}  // namespace zephyra::weather
