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

std::vector<weather::WpsRecord> airportsFirst(std::vector<weather::WpsRecord> records,
                                              bool cut = true) {
    std::stable_sort(records.begin(), records.end(),
                     [](const weather::WpsRecord& a, const weather::WpsRecord& b) {
                         return typeRank(a.Type) < typeRank(b.Type);
                     });
    if (cut && records.size() > 10) {
        records.resize(10);
    }
    return records;
}

// Whether the words of a simplified text hold these words, whole ("ord" is not in "oxford").
bool holdsWords(const std::string& text, const std::string& words) {
    return (" " + text + " ").find(" " + words + " ") != std::string::npos;
}

// The airports whose name or city holds the words of the text (letter case and punctuation
// aside), the largest first, each size in table order; `exact` gets those whose whole name it
// is or whose city begins with it, `others` the other records whose name holds it.
std::vector<weather::WpsRecord> airportsNamed(weather::WeatherDb& db, const std::string& wanted,
                                              std::vector<weather::WpsRecord>* exact = nullptr,
                                              std::vector<weather::WpsRecord>* others = nullptr) {
    const auto facts = db.airportFacts();
    std::vector<std::pair<int, weather::WpsRecord>> found;
    db.forEachWps([&](weather::WpsRecord& w) {
        const std::string name = simplified(w.Name);
        if (w.Type != "A") {
            if (others != nullptr && name.find(wanted) != std::string::npos) {
                others->push_back(std::move(w));
            }
            return true;
        }
        const auto f = facts.find(w.Ident);
        const std::string city = f == facts.end() ? std::string() : simplified(f->second.city);
        if (!holdsWords(name, wanted) && !holdsWords(city, wanted)) {
            return true;
        }
        // "Paris (Orly, Val-de-Marne)" is a city of Paris.
        if (exact != nullptr && (name == wanted || (city + " ").rfind(wanted + " ", 0) == 0)) {
            exact->push_back(w);
        }
        found.emplace_back(f == facts.end() ? 2 : f->second.rank, std::move(w));
        return true;
    });
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<weather::WpsRecord> out;
    for (auto& [rank, w] : found) {
        out.push_back(std::move(w));
    }
    return out;
}

bool listed(const std::vector<weather::WpsRecord>& records, const weather::WpsRecord& w) {
    return std::any_of(records.begin(), records.end(),
                       [&](const auto& r) { return r.rowid == w.rowid; });
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
        // Airports of the identifier, then airports whose name or city holds the text (the
        // largest first), then the NAVAIDs and fixes of the identifier; the other names follow.
        auto ids = db_->wpsByIdent(text);
        std::stable_partition(ids.begin(), ids.end(), [](const auto& w) { return w.Type == "A"; });
        const auto idAirports =
            std::count_if(ids.begin(), ids.end(), [](const auto& w) { return w.Type == "A"; });
        byIdent_.assign(ids.begin(), ids.begin() + idAirports);
        if (const std::string wanted = simplified(text); !wanted.empty()) {
            for (auto& w : airportsNamed(*db_, wanted)) {
                if (!listed(byIdent_, w)) {
                    byIdent_.push_back(std::move(w));
                }
            }
        }
        byIdent_.insert(byIdent_.end(), ids.begin() + idAirports, ids.end());
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
    const auto isAirport = [](const weather::WpsRecord& w) { return w.Type == "A"; };
    const std::string wanted = simplified(text);
    std::vector<weather::WpsRecord> exact, others;
    auto named = wanted.empty() ? std::vector<weather::WpsRecord>{}
                                : airportsNamed(db, wanted, &exact, &others);
    if (named.empty() && !byIdent.empty()) {
        out.matches = static_cast<int>(byIdent.size());
        if (byIdent.size() == 1 || std::count_if(byIdent.begin(), byIdent.end(), isAirport) == 1) {
            out.chosen = byIdent.size() == 1
                             ? byIdent.front()
                             : *std::find_if(byIdent.begin(), byIdent.end(), isAirport);
        } else {
            out.candidates = airportsFirst(std::move(byIdent));
        }
        return out;
    }
    // Airports by name or city first, the largest first; then the other records of the
    // identifier, then those whose name holds the text.
    std::vector<weather::WpsRecord> all = named;
    for (auto* group : {&byIdent, &others}) {
        for (auto& w : airportsFirst(*group, false)) {
            if (!listed(all, w)) {
                all.push_back(std::move(w));
            }
        }
    }
    out.matches = static_cast<int>(all.size());
    const auto facts = db.airportFacts();
    auto rank = [&](const weather::WpsRecord& w) {
        const auto f = facts.find(w.Ident);
        return f == facts.end() ? 2 : f->second.rank;
    };
    // The airports the text names: by whole name, by city, by code. The largest is taken when
    // it is larger than the others ("Lima" is Jorge Chavez, not Turin's LIMA; "ORD" is O'Hare,
    // not the airport of Ord).
    for (const auto& w : byIdent) {
        if (isAirport(w) && !listed(exact, w)) {
            exact.push_back(w);
        }
    }
    std::stable_sort(exact.begin(), exact.end(),
                     [&](const auto& a, const auto& b) { return rank(a) > rank(b); });
    if (!exact.empty() && (exact.size() == 1 || rank(exact[0]) > rank(exact[1]))) {
        out.chosen = exact.front();
    } else if (all.size() == 1) {
        out.chosen = all.front();
    } else {
        if (all.size() > 10) {
            all.resize(10);
        }
        out.candidates = std::move(all);
    }
    return out;
}

}  // namespace zephyra::flightplan
