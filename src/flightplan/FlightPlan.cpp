#include "flightplan/FlightPlan.h"

#include "flightplan/PlanNumbers.h"

namespace zephyra::flightplan {

namespace {

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

std::int32_t clampedInt32(double value) {
    const double r = roundHalfEven(value);
    if (r < -2147483648.0) {
        return INT32_MIN;
    }
    if (r > 2147483647.0) {
        return INT32_MAX;
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Editing

std::optional<PlanStore::Row> FlightPlan::rowFrom(const std::optional<FoundNavaid>& found,
                                                  const std::string& altText,
                                                  const std::string& spdText) const {
    if (!found) {
        return std::nullopt;
    }
    const auto alt = readNumber(altText);
    const auto spd = readNumber(spdText);
    if (!alt || !spd) {
        return std::nullopt;
    }
    return PlanStore::Row{found->name, altText, spdText, found->lat, found->lon, *alt, *spd};
}

GenerateButton FlightPlan::addFromPicture(const std::optional<FoundNavaid>& found,
                                          const std::string& foundText, const std::string& altText,
                                          const std::string& spdText) {
    if (!foundText.empty() && found) {
        if (plan.PlanCount == 0) {
            ends.departureName = found->name;
            ends.departureLat = found->lat;
            ends.departureLon = found->lon;
        } else {
            ends.arrivalName = found->name;
            ends.arrivalLat = found->lat;
            ends.arrivalLon = found->lon;
            ends.arrivalElevationFt = found->elevationFt;
        }
        if (plan.PlanCount > 2) {
            ends.forgetNames();
        }
    }
    return add(found, altText, spdText);
}

GenerateButton FlightPlan::add(const std::optional<FoundNavaid>& found, const std::string& altText,
                               const std::string& spdText) {
    const auto row = rowFrom(found, altText, spdText);
    if (!row || !plan.append(*row)) {
        return GenerateButton::Unchanged;
    }
    if (plan.PlanCount == 2) {
        return plan.WaypLst[0] != plan.WaypLst[1] ? GenerateButton::Enable
                                                  : GenerateButton::Unchanged;
    }
    return GenerateButton::Disable;
}

bool FlightPlan::insert(std::optional<int> selected, const std::optional<FoundNavaid>& found,
                        const std::string& altText, const std::string& spdText) {
    if (!selected || *selected < 0 || *selected >= plan.PlanCount) {
        return false;
    }
    const auto row = rowFrom(found, altText, spdText);
    return row && plan.insertAt(*selected, *row);
}

bool FlightPlan::remove(std::optional<int> selected) {
    if (!selected || *selected < 0 || *selected >= plan.PlanCount) {
        return false;
    }
    plan.removeAt(*selected);
    return true;
}

void FlightPlan::clear() {
    plan.clearLists();
    passed.clear();
}

void FlightPlan::clearActiveWaypoint() {
    leg.FWAYP.clear();
    display.Hdg.clear();
    display.AltHold.clear();
    display.Dist.clear();
    display.SpdHold.clear();
    leg.PrevWpLat = leg.PrevWpLon = leg.CurWpLat = leg.CurWpLon = 0.0;
    leg.active = leg.hasPrevious = false;
    leg.CurWpAlt = 0;
    leg.CurWpSpd = 0.0;
    leg.PrevWpName.clear();
}

bool FlightPlan::modify(std::optional<int> selected, const std::optional<FoundNavaid>& found,
                        const std::string& foundText, const std::string& altText,
                        const std::string& spdText) {
    if (selected && *selected >= 0 && *selected < plan.PlanCount) {
        const auto row = rowFrom(found, altText, spdText);
        if (!row) {
            return false;
        }
        plan.replaceAt(*selected, *row);
        return true;
    }
    if (foundText.empty()) {
        return false;
    }
    const auto alt = readNumber(altText);
    const auto spd = readNumber(spdText);
    if (!found || !alt || !spd) {
        return false;
    }
    leg.FWAYP = found->name;
    leg.active = true;
    ++leg.targets;
    leg.CurWpLat = found->lat;
    leg.CurWpLon = found->lon;
    leg.CurWpAlt = clampedInt32(*alt);
    leg.CurWpSpd = *spd;
    display.AltHold = std::to_string(leg.CurWpAlt);
    display.SpdHold = standardText(leg.CurWpSpd);
    return true;
}

bool FlightPlan::setSpeed(std::optional<int> selected, const std::string& spdText) {
    const auto spd = readNumber(spdText);
    if (!spd) {
        return false;
    }
    if (selected && *selected >= 0 && *selected < plan.PlanCount) {
        plan.SpdLst[at(*selected)] = spdText;
        plan.PlanSpd[at(*selected)] = *spd;
    } else {
        leg.CurWpSpd = *spd;
        ++leg.targets;
        display.SpdHold = standardText(*spd);
    }
    return true;
}

bool FlightPlan::setAltitude(std::optional<int> selected, const std::string& altText) {
    const auto alt = readNumber(altText);
    if (!alt) {
        return false;
    }
    if (selected && *selected >= 0 && *selected < plan.PlanCount) {
        plan.AltLst[at(*selected)] = altText;
        plan.PlanAlt[at(*selected)] = *alt;
    } else {
        leg.CurWpAlt = clampedInt32(*alt);
        ++leg.targets;
        display.AltHold = std::to_string(leg.CurWpAlt);
    }
    return true;
}

bool FlightPlan::setNextWaypoint() {
    if (plan.PlanCount <= 0) {
        return false;
    }
    if (leg.active) {
        passed.push_back({leg.FWAYP, std::to_string(leg.CurWpAlt), standardText(leg.CurWpSpd),
                          leg.CurWpLat, leg.CurWpLon, static_cast<double>(leg.CurWpAlt),
                          leg.CurWpSpd});
    }
    leg.PrevWpLat = leg.CurWpLat;
    leg.PrevWpLon = leg.CurWpLon;
    leg.PrevWpName = leg.FWAYP;
    leg.hasPrevious = leg.active;
    leg.active = true;
    ++leg.targets;
    leg.FWAYP = plan.WaypLst[0];
    leg.CurWpLat = plan.PlanLat[0];
    leg.CurWpLon = plan.PlanLon[0];
    leg.CurWpAlt = clampedInt32(plan.PlanAlt[0]);
    leg.CurWpSpd = plan.PlanSpd[0];
    display.AltHold = std::to_string(leg.CurWpAlt);
    display.SpdHold = standardText(leg.CurWpSpd);
    plan.removeAt(0);
    return true;
}

PlanStore FlightPlan::wholePlan() const {
    PlanStore whole;
    whole.PlanWx = plan.PlanWx;
    whole.PlanWxCount = plan.PlanWxCount;
    whole.hasCustomWeather = plan.hasCustomWeather;
    for (const auto& r : passed) {
        whole.append(r);
    }
    if (leg.active) {
        whole.append({leg.FWAYP, std::to_string(leg.CurWpAlt), standardText(leg.CurWpSpd),
                      leg.CurWpLat, leg.CurWpLon, static_cast<double>(leg.CurWpAlt), leg.CurWpSpd});
    }
    for (int i = 0; i < plan.PlanCount; ++i) {
        whole.append(plan.row(i));
    }
    return whole;
}

std::optional<int> FlightPlan::activeIndex() const {
    if (!leg.active) {
        return std::nullopt;
    }
    return static_cast<int>(passed.size());
}

}  // namespace zephyra::flightplan
