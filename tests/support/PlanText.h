#pragma once

#include <string>

#include "flightplan/PlanNumbers.h"
#include "flightplan/PlanStore.h"

namespace zephyra::test {

// Each entry's name, altitude and speed texts and its position to four decimals, a line each.
inline std::string planEntries(const flightplan::PlanStore& plan) {
    std::string text;
    for (int i = 0; i < plan.PlanCount; ++i) {
        const auto r = plan.row(i);
        text += r.name + "|" + r.altText + "|" + r.spdText + "|" + flightplan::fourDecimals(r.lat) +
                "|" + flightplan::fourDecimals(r.lon) + "\n";
    }
    return text;
}

}  // namespace zephyra::test
