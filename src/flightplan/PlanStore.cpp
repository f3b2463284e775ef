#include "flightplan/PlanStore.h"

namespace zephyra::flightplan {

namespace {

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

}  // namespace

bool PlanStore::append(const Row& row) {
    return insertAt(PlanCount, row);
}

bool PlanStore::insertAt(int s, const Row& row) {
    if (full() || s < 0 || s > PlanCount) {
        return false;
    }
    for (int i = PlanCount; i > s; --i) {
        PlanLat[at(i)] = PlanLat[at(i - 1)];
        PlanLon[at(i)] = PlanLon[at(i - 1)];
        PlanAlt[at(i)] = PlanAlt[at(i - 1)];
        PlanSpd[at(i)] = PlanSpd[at(i - 1)];
    }
    WaypLst.insert(WaypLst.begin() + s, row.name);
    AltLst.insert(AltLst.begin() + s, row.altText);
    SpdLst.insert(SpdLst.begin() + s, row.spdText);
    ++PlanCount;
    replaceAt(s, row);
    return true;
}

void PlanStore::replaceAt(int s, const Row& row) {
    if (s < 0 || s >= PlanCount) {
        return;
    }
    WaypLst[at(s)] = row.name;
    AltLst[at(s)] = row.altText;
    SpdLst[at(s)] = row.spdText;
    PlanLat[at(s)] = row.lat;
    PlanLon[at(s)] = row.lon;
    PlanAlt[at(s)] = row.alt;
    PlanSpd[at(s)] = row.spd;
}

void PlanStore::removeAt(int s) {
    if (s < 0 || s >= PlanCount) {
        return;
    }
    WaypLst.erase(WaypLst.begin() + s);
    AltLst.erase(AltLst.begin() + s);
    SpdLst.erase(SpdLst.begin() + s);
    for (int i = s; i + 1 < PlanCount; ++i) {
        PlanLat[at(i)] = PlanLat[at(i + 1)];
        PlanLon[at(i)] = PlanLon[at(i + 1)];
        PlanAlt[at(i)] = PlanAlt[at(i + 1)];
        PlanSpd[at(i)] = PlanSpd[at(i + 1)];
    }
    --PlanCount;
}

void PlanStore::clearLists() {
    WaypLst.clear();
    AltLst.clear();
    SpdLst.clear();
    PlanCount = 0;
}

PlanStore::Row PlanStore::row(int i) const {
    return {WaypLst[at(i)], AltLst[at(i)],  SpdLst[at(i)], PlanLat[at(i)],
            PlanLon[at(i)], PlanAlt[at(i)], PlanSpd[at(i)]};
}

}  // namespace zephyra::flightplan
