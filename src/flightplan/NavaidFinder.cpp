#include "flightplan/NavaidFinder.h"

namespace zephyra::flightplan {

std::string NavaidFinder::describe(const weather::WpsRecord& w) {
    return w.Name + "-" + w.Type;
}

void NavaidFinder::take(const weather::WpsRecord& w) {
    current_ = FoundNavaid{w.Name, w.Type, w.latitudeDegrees(), w.longitudeDegrees()};
}

NavaidFinder::Shown NavaidFinder::find(const std::string& text) {
    search_.reset();
    current_.reset();
    db_ = weather::WeatherDb::open(path_, nullptr, false);
    if (!db_) {
        return {kNotFound, false};
    }
    search_.emplace(db_->searchWps(text));
    const auto first = search_->first();
    if (!first) {
        return {kNotFound, false};
    }
    take(*first);
    return {describe(*first), true};
}

std::optional<NavaidFinder::Shown> NavaidFinder::next() {
    if (!search_ || !search_->current()) {
        return std::nullopt;
    }
    const auto found = search_->next();
    if (!found) {
        return Shown{kNoMoreMatches, false};
    }
    take(*found);
    return Shown{describe(*found), true};
}

}  // namespace zephyra::flightplan
