#pragma once

#include <variant>

#include "weather/Records.h"

namespace zephyra::weather {

// Every Weather field with the member that holds it, in table order.
using Member = std::variant<std::string WeatherRecord::*, int WeatherRecord::*,
                            double WeatherRecord::*, bool WeatherRecord::*>;
struct Field {
    const char* name;
    Member member;
};

#define ZF(name)                    \
    Field {                         \
#name, &WeatherRecord::name \
    }
inline const Field kFields[] = {
    ZF(ID),
    ZF(Observation),
    ZF(Time),
    ZF(cl1Base),
    ZF(cl1Top),
    ZF(cl1CoverCode),
    ZF(Cl1Coverage),
    ZF(Cl1Turb),
    ZF(Cl1Icing),
    ZF(Cl1Dev),
    ZF(cl2Base),
    ZF(cl2Top),
    ZF(cl2CoverCode),
    ZF(Cl2Coverage),
    ZF(Cl2Turb),
    ZF(Cl2Icing),
    ZF(Cl2Dev),
    ZF(Visibility),
    ZF(VisibVary),
    ZF(Pressure),
    ZF(Altimeter),
    ZF(Dew),
    ZF(t0Alt),
    ZF(t0Deg),
    ZF(t1alt),
    ZF(t1Deg),
    ZF(t2Alt),
    ZF(t2Deg),
    ZF(t3alt),
    ZF(t3Deg),
    ZF(w0Depth),
    ZF(w0Dir),
    ZF(w0Spd),
    ZF(w0Gust),
    ZF(w0Turb),
    ZF(w1Base),
    ZF(w1Top),
    ZF(w1Dir),
    ZF(w1Spd),
    ZF(w1Turb),
    ZF(w1Gust),
    ZF(w2Base),
    ZF(w2Top),
    ZF(w2Dir),
    ZF(w2Spd),
    ZF(w2Turb),
    ZF(w2Gust),
    ZF(w3Base),
    ZF(w3Top),
    ZF(w3Dir),
    ZF(w3Spd),
    ZF(w3Turb),
    ZF(w3Gust),
    ZF(Thunder),
    ZF(Precip),
    ZF(Upd_Ts),
    ZF(RawText),
    ZF(ObsTime),
    ZF(TempScale),
    ZF(Estimated),
    ZF(FlightCategory),
};
#undef ZF
inline constexpr int kFieldCount = static_cast<int>(sizeof(kFields) / sizeof(kFields[0]));

}  // namespace zephyra::weather
