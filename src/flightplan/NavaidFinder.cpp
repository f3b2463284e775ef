#include "flightplan/NavaidFinder.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace zephyra::flightplan {

namespace {

constexpr double kMetresPerFoot = 0.3048;

// Lower case, letters and digits only, other runs as one blank: "John F. Kennedy" and
// "john f kennedy" read alike.
std::string simplified(const std::string& text) {
    std::string out;
    bool gap = false;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) != 0 || c >= 0x80) {
            if (gap && !out.empty()) {
                out += ' ';
            }
            gap = false;
            out += static_cast<char>(std::tolower(c));
        } else {
            gap = true;
        }
    }
    return out;
}

int typeRank(const std::string& type) {
    if (type == "A") {
        return 0;
    }
    if (type == "V") {
        return 1;
    }
    if (type == "N") {
        return 2;
    }
    return 3;
}

std::vector<weather::WpsRecord> airportsFirst(std::vector<weather::WpsRecord> records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const weather::WpsRecord& a, const weather::WpsRecord& b) {
                         return typeRank(a.Type) < typeRank(b.Type);
                     });
    if (records.size() > 10) {
        records.resize(10);
    }
    return records;
}

}  // namespace

std::string typeWord(std::string_view type) {
    if (type == "A") {
        return "airport";
    }
    if (type == "V") {
        return "VOR";
    }
    if (type == "N") {
        return "NDB";
    }
    if (type == "W") {
        return "fix";
    }
    return std::string(type);
}

FoundNavaid foundNavaid(weather::WeatherDb& db, const weather::WpsRecord& w) {
    FoundNavaid found{w.Name, w.Type, w.latitudeDegrees(), w.longitudeDegrees(), std::nullopt};
    if (w.Type == "A" && !w.Ident.empty()) {
        if (const auto station = db.findStation(w.Ident)) {
            found.elevationFt = station->Altitude / kMetresPerFoot;
        }
    }
    return found;
}

std::string NavaidFinder::describe(const weather::WpsRecord& w) {
    std::string out = w.Ident.empty() ? std::string() : w.Ident + " ";
    out += "(" + typeWord(w.Type) + ") " + w.Name;
    if (!w.Frequency.empty()) {
        out += " " + w.Frequency;
    }
    return out;
}

NavaidFinder::Shown NavaidFinder::take(const weather::WpsRecord& w) {
    last_ = w;
    current_ = foundNavaid(*db_, w);
    return {describe(w), true};
}

NavaidFinder::Shown NavaidFinder::find(const std::string& text,
                                       std::optional<std::pair<double, double>> at) {
    search_.reset();
    searchStarted_ = false;
    byIdent_.clear();
    identAt_ = 0;
    last_.reset();
    current_.reset();
    db_ = weather::WeatherDb::open(path_, nullptr, false);
    if (!db_) {
        return {kNotFound, false};
    }
    if (!text.empty()) {
        byIdent_ = db_->wpsByIdent(text);
    }
    if (at) {
        const auto here = std::find_if(byIdent_.begin(), byIdent_.end(), [&](const auto& w) {
            return std::fabs(w.latitudeDegrees() - at->first) < 1e-4 &&
                   std::fabs(w.longitudeDegrees() - at->second) < 1e-4;
        });
        std::rotate(byIdent_.begin(), here, here == byIdent_.end() ? here : here + 1);
    }
    search_.emplace(db_->searchWps(text));
    if (!byIdent_.empty()) {
        return take(byIdent_.front());
    }
    if (const auto first = nextByName()) {
        return take(*first);
    }
    search_.reset();
    return {kNotFound, false};
}

std::optional<weather::WpsRecord> NavaidFinder::nextByName() {
    for (;;) {
        auto found = searchStarted_ ? search_->next() : search_->first();
        searchStarted_ = true;
        if (!found) {
            return std::nullopt;
        }
        const bool listed = std::any_of(byIdent_.begin(), byIdent_.end(),
                                        [&](const auto& w) { return w.rowid == found->rowid; });
        if (!listed) {
            return found;
        }
    }
}

std::optional<NavaidFinder::Shown> NavaidFinder::next() {
    if (!search_ || !last_) {
        return std::nullopt;
    }
    if (identAt_ + 1 < byIdent_.size()) {
        return take(byIdent_[++identAt_]);
    }
    identAt_ = byIdent_.size();
    if (const auto found = nextByName()) {
        return take(*found);
    }
    return Shown{describe(*last_), false};
}

NavaidChoice chooseNavaid(weather::WeatherDb& db, const std::string& text) {
    NavaidChoice out;
    auto byIdent = db.wpsByIdent(text);
    if (!byIdent.empty()) {
        out.matches = static_cast<int>(byIdent.size());
        if (byIdent.size() == 1) {
            out.chosen = byIdent.front();
            return out;
        }
        const auto airports = std::count_if(byIdent.begin(), byIdent.end(),
                                            [](const auto& w) { return w.Type == "A"; });
        if (airports == 1) {
            out.chosen = *std::find_if(byIdent.begin(), byIdent.end(),
                                       [](const auto& w) { return w.Type == "A"; });
            return out;
        }
        out.candidates = airportsFirst(std::move(byIdent));
        return out;
    }
    const std::string wanted = simplified(text);
    if (wanted.empty()) {
        return out;
    }
    std::vector<weather::WpsRecord> byName;
    std::vector<weather::WpsRecord> airportsNamed;
    db.forEachWps([&](weather::WpsRecord& w) {
        const std::string name = simplified(w.Name);
        if (name.find(wanted) != std::string::npos) {
            if (w.Type == "A" && name == wanted) {
                airportsNamed.push_back(w);
            }
            byName.push_back(std::move(w));
        }
        return true;
    });
    out.matches = static_cast<int>(byName.size());
    if (byName.size() == 1) {
        out.chosen = byName.front();
    } else if (airportsNamed.size() == 1) {
        out.chosen = airportsNamed.front();
    } else {
        out.candidates = airportsFirst(std::move(byName));
    }
    return out;
}

}  // namespace zephyra::flightplan
