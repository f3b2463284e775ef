#include "weather/FullReading.h"

#include <cmath>
#include <string>

#include "weather/Estimates.h"

namespace zephyra::weather {

namespace {

constexpr double kPressureSlackHpa = 1.0;  // the classic reading rounds inches to hPa

bool listsElement(const std::string& estimated, char element) {
    return estimated.find(element) != std::string::npos;
}

}  // namespace

void applyFullReading(WeatherRecord& r, const Observation& full) {
    if (full.id != r.ID) {
        return;
    }
    bool missingT = listsElement(r.Estimated, 'T');
    bool missingP = listsElement(r.Estimated, 'P');
    const bool missingV = listsElement(r.Estimated, 'V');

    if (full.temperature) {
        const int whole = static_cast<int>(std::lround(*full.temperature));
        if (missingT || std::abs(r.t0Deg - whole) > 1) {
            r.t0Deg = whole;
        }
        missingT = false;
    } else {
        missingT = true;
    }
    r.Dew = full.dewPoint ? static_cast<int>(std::lround(*full.dewPoint)) : r.t0Deg;

    if (const std::optional<double> hpa = full.pressureHectopascals()) {
        if (missingP || std::fabs(r.Pressure - *hpa) > kPressureSlackHpa) {
            r.Pressure = *hpa;
        }
        missingP = false;
    } else {
        missingP = true;
    }
    const bool dateAssumed = observationDateAssumed(r);
    r.Estimated = missingElements(missingT, missingP, missingV);
    if (dateAssumed) {
        markObservationDateAssumed(r);
    }
    r.FlightCategory = flightCategoryName(flightCategory(full));
}

}  // namespace zephyra::weather
