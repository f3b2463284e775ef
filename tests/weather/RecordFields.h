#pragma once

#include "FieldCheck.h"
#include "weather/Records.h"

namespace zephyra::test {

// The numeric fields of a weather record by their names, to read and to set.
// clang-format off
#define ZEPHYRA_RECORD_FIELDS(F) F(cl1Base) F(cl1Top) F(Cl1Coverage) F(Cl1Turb) F(Cl1Icing) \
    F(Cl1Dev) F(cl2Base) F(cl2Top) F(Cl2Coverage) F(Cl2Turb) F(Cl2Icing) F(Cl2Dev) F(Visibility) \
    F(VisibVary) F(Pressure) F(Altimeter) F(Dew) F(t0Alt) F(t0Deg) F(t1alt) F(t1Deg) F(t2Alt) \
    F(t2Deg) F(t3alt) F(t3Deg) F(w0Depth) F(w0Dir) F(w0Spd) F(w0Gust) F(w0Turb) F(w1Base) \
    F(w1Top) F(w1Dir) F(w1Spd) F(w1Turb) F(w1Gust) F(w2Base) F(w2Top) F(w2Dir) F(w2Spd) \
    F(w2Turb) F(w2Gust) F(w3Base) F(w3Top) F(w3Dir) F(w3Spd) F(w3Turb) F(w3Gust) F(Thunder) \
    F(Precip)
#define GET(m) ZEPHYRA_FIELD(weather::WeatherRecord, m),
#define SET(m) ZEPHYRA_SETTER(weather::WeatherRecord, m),
// clang-format on
inline const FieldTable<weather::WeatherRecord> kRecordFields = {ZEPHYRA_RECORD_FIELDS(GET)};
inline const FieldSetters<weather::WeatherRecord> kRecordSetters = {ZEPHYRA_RECORD_FIELDS(SET)};
#undef GET
#undef SET

// A record with the fields set from "name=value name=value ...".
inline weather::WeatherRecord record(const std::string& fields) {
    return withFields(weather::WeatherRecord{}, kRecordSetters, fields);
}

}  // namespace zephyra::test
