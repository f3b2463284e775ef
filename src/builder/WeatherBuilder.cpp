#include "builder/WeatherBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "flightplan/PlanFile.h"
#include "flightplan/PlanNumbers.h"
#include "platform/Files.h"

namespace zephyra::builder {

const std::array<const char*, 10> kDensityTexts = {"None", "Clear", "1/8", "2/8", "3/8",
                                                   "4/8",  "5/8",   "6/8", "7/8", "Overcast"};
const std::array<const char*, 20> kVisibilityTexts = {
    "Unlimited", "40 Miles", "30 Miles", "25 Miles", "20 Miles",  "15 Miles", "10 Miles",
    "7 Miles",   "5 Miles",  "4 Miles",  "3 Miles",  "2.5 Miles", "2 Miles",  "1 Mile",
    "3/4 Mile",  "1/2 Mile", "3/8 Mile", "1/4 Mile", "1/8 Mile",  "1/16 Mile"};
const std::array<double, 20> kVisibilityMiles = {
    100, 40, 30, 25, 20, 15, 10, 7, 5, 4, 3, 2.5, 2, 1, 0.75, 0.5, 0.375, 0.25, 0.125, 0.0625};
const std::array<const char*, 10> kPrecipitationTexts = {
    "None", "Light Drizzle", "Drizzle",          "Heavy Drizzle", "Light Rain",
    "Rain", "Heavy Rain",    "Scattered Storms", "Medium Storms", "Heavy Storms"};

const char* const kBuilderHelp =
    "To use Weather Builder:\n"
    "1. Load a flight Plan and highlight a waypoint in the flight plan box.\n"
    "2. Select the Cloud 1 density, then enter the base and top of the the lower (cloud 1) "
    "layer.\n"
    "3. Enter the same info for Cloud layer 2. If you do not have a Cloud 2 layer you can omit "
    "the layer 2 settings.\n"
    "4. You can edit your selections by selecting one of the little circles that specify Cloud "
    "Layer 1, 2 or the wind layer. For the winds, enter the tops only.\n"
    "5. Enter Visibiliy, the outside air temperature, and finally the barometric pressure. "
    "These last 4 settings are optional.\n"
    "6. Click the Attach to Flight Plan button. You will get a confirmation message if weather "
    "was successfully added to the waypoint. If not, you will get a message telling you of your "
    "error in entering the data.\n"
    "7. Start the process over again for another waypoint.";

namespace {

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) {
        return {};
    }
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// A number that fits the range, rounded as whole numbers are; nothing otherwise.
std::optional<long long> wholeIn(const std::string& text, double lo, double hi) {
    const auto v = flightplan::readNumber(text);
    if (!v || !std::isfinite(*v)) {
        return std::nullopt;
    }
    const double r = flightplan::roundHalfEven(*v);
    if (r < lo || r > hi) {
        return std::nullopt;
    }
    return static_cast<long long>(r);
}
std::optional<long long> whole16(const std::string& t) {
    return wholeIn(t, -32768, 32767);
}
std::optional<long long> whole32(const std::string& t) {
    return wholeIn(t, -2147483648.0, 2147483647.0);
}

std::string numberText(double v) {
    return flightplan::standardText(v);
}

constexpr double kFeetPerMetre = 3.3;  // the Builder's own factor, kept both ways
constexpr double kInchesPerMillibar = 0.02953;

}  // namespace

std::optional<int> coverageOf(const std::string& density) {
    if (density == "Clear") {
        return 0;
    }
    if (density == "Overcast") {
        return 8;
    }
    const auto slash = density.find("/8");
    if (slash != std::string::npos && slash > 0 && density[slash - 1] >= '0' &&
        density[slash - 1] <= '9') {
        return density[slash - 1] - '0';
    }
    return std::nullopt;
}

std::string densityText(double eighths) {
    const int e = static_cast<int>(std::nearbyint(eighths));
    if (e <= 0) {
        return "Clear";
    }
    if (e >= 8) {
        return "Overcast";
    }
    return std::to_string(e) + "/8";
}

double visibilityMiles(const std::string& text) {
    if (text == "Unlimited") {
        return 100;
    }
    const auto mile = text.find("Mile");
    if (mile == std::string::npos) {
        return 100;
    }
    if (text.rfind("2.5", 0) == 0) {
        return 2.5;
    }
    const auto slash = text.find('/');
    if (slash != std::string::npos) {
        const auto num = flightplan::readNumber(text.substr(0, 1));
        const auto den = flightplan::readNumber(text.substr(slash + 1, 2));
        return num && den && *den != 0 ? *num / *den : 100;
    }
    const auto miles = flightplan::readNumber(text.substr(0, mile));
    return miles ? *miles : 100;
}

AttachOutcome WeatherBuilder::attach(const BuilderControls& c, const std::string& uom,
                                     std::optional<int> selectedRow) {
    AttachOutcome out;
    auto refuse = [&](const char* message) {
        out.message = message;
        return out;
    };
    if (c.Cld1Cmb == "None") {
        return refuse("Cloud 1 can't be set to None.");
    }
    // The entry's defaults.
    std::array<double, 16> f{};
    f[11] = 3000;
    f[12] = 100;
    f[14] = 27;
    f[15] = 30.0;

    const auto top1 = whole32(c.Cld1T);
    if (!top1) {
        return refuse("Invalid Number In Cloud 1 Tops Box");
    }
    const auto base1 = whole32(c.Cld1B);
    if (!base1) {
        return refuse("Invalid number In Cloud 1 Bottoms Box");
    }
    f[3] = coverageOf(c.Cld1Cmb).value_or(0);
    if (*top1 <= *base1) {
        return refuse("Cloud 1 Tops Must Be Higher Than Cloud 1 Base");
    }
    if (*base1 < 1) {
        return refuse("Cloud 1 Base must be greater than 0");
    }
    f[4] = static_cast<double>(*base1);
    f[5] = static_cast<double>(*top1);

    if (c.Cld2Cmb != "None") {
        const auto top2 = whole32(c.Cld2T);
        if (!top2) {
            return refuse("Invalid Number In Cloud 2 Tops Box");
        }
        const auto base2 = whole32(c.Cld2B);
        if (!base2) {
            return refuse("Invalid number In Cloud 2 Bottoms Box");
        }
        f[6] = coverageOf(c.Cld2Cmb).value_or(0);
        if (*top2 <= *base2) {
            return refuse("Cloud 2 Tops Must Be Higher Than Cloud 2 Base");
        }
        if (*base2 < *top1) {
            return refuse("Cloud 2 Base must be higher the Cloud 1 Tops");
        }
        f[7] = static_cast<double>(*base2);
        f[8] = static_cast<double>(*top2);
    }

    // Wind, temperature and pressure boxes that hold no number keep their defaults.
    if (const auto v = whole16(c.W0SpdTxt)) {
        f[9] = static_cast<double>(*v);
    }
    if (const auto v = whole16(c.W0DirTxt)) {
        f[10] = static_cast<double>(std::min<long long>(*v, 359));
    }
    // Only typed heights, temperatures and pressures are in the user's units; the defaults
    // are already in feet, Fahrenheit and inches.
    const auto windTop = whole32(c.SWTop);
    if (windTop) {
        f[11] = static_cast<double>(*windTop);
    }
    f[12] = visibilityMiles(c.VisiCmb);
    f[13] = std::clamp(c.PrecipCmb, 0, 9);
    long long temperature = 27;
    const auto typedTemperature = whole16(c.TempTxt);
    if (typedTemperature) {
        const long long v = *typedTemperature;
        temperature = v > 200 ? 150 : v < -100 ? -150 : v;
    }
    double pressure = 30.0;
    auto typedPressure = flightplan::readNumber(c.BaroTxt);
    if (typedPressure && !std::isfinite(*typedPressure)) {
        typedPressure.reset();
    }
    if (typedPressure) {
        pressure = *typedPressure;
    }
    if (uom == "U" && (pressure > 32.0 || pressure < 25)) {
        pressure = 29.91;
    }

    if (!selectedRow || *selectedRow < 0 || *selectedRow >= plan.PlanCount) {
        return refuse("You must select a waypoint to attach to.");
    }
    const auto row = static_cast<std::size_t>(*selectedRow);
    const double lat = plan.PlanLat[row];
    const double lon = plan.PlanLon[row];
    int index = counter;
    for (int a = 0; a < counter; ++a) {
        const auto& e = entries[static_cast<std::size_t>(a)];
        if (e.field[1] == lat && e.field[2] == lon) {
            index = a;
            break;
        }
    }
    if (index >= flightplan::PlanStore::kWeatherEntries) {
        return refuse("This flight plan already carries weather at 201 waypoints.");
    }

    if (uom == "M") {
        for (int k : {4, 5, 7, 8, 11}) {
            if (k != 11 || windTop) {
                f[static_cast<std::size_t>(k)] =
                    flightplan::roundHalfEven(f[static_cast<std::size_t>(k)] * kFeetPerMetre);
            }
        }
    }
    if (uom == "M" || uom == "F") {
        if (typedPressure) {
            pressure *= kInchesPerMillibar;
        }
        if (typedTemperature) {
            temperature = static_cast<long long>(
                flightplan::roundHalfEven(static_cast<double>(temperature) * 1.8 + 32));
        }
    }
    char baro[32];
    std::snprintf(baro, sizeof baro, "%05.2f", pressure);
    f[14] = static_cast<double>(temperature);
    f[15] = flightplan::readNumber(baro).value_or(30.0);
    f[1] = lat;
    f[2] = lon;

    char number[16];
    std::snprintf(number, sizeof number, "%04d", index);
    auto& entry = entries[static_cast<std::size_t>(index)];
    entry.id = number + plan.WaypLst[row];
    for (std::size_t k = 1; k < 16; ++k) {
        entry.field[k] = f[k];
    }
    out.added = index == counter;
    if (out.added) {
        ++counter;
    }
    changed = true;
    listChanged = true;
    planChangedFlag = 1;
    out.attached = true;
    out.entry = index;
    out.message = "Weather successfully added to " + plan.WaypLst[row] + ".";
    return out;
}

std::optional<int> WeatherBuilder::entryForLine(const std::string& lineText) const {
    const std::string wanted = trim(lineText);
    for (int a = 0; a < counter; ++a) {
        std::string id = trim(entries[static_cast<std::size_t>(a)].id);
        if (id.size() > 4) {
            id = id.substr(4);
        }
        if (id == wanted) {
            return a;
        }
    }
    return std::nullopt;
}

flightplan::PlanWxEntry WeatherBuilder::defaultEntry() {
    flightplan::PlanWxEntry e;
    e.field[11] = 3000;
    e.field[12] = 100;
    e.field[14] = 27;
    e.field[15] = 30.0;
    return e;
}

BuilderControls WeatherBuilder::showPlanWeather(const flightplan::PlanWxEntry& entry,
                                                const std::string& uom) {
    const auto& f = entry.field;
    const bool metres = uom == "M";
    const bool metric = metres || uom == "F";
    // The inverse of Attach's conversions: what the user typed comes back in the same units.
    auto height = [&](double feet) {
        return numberText(metres ? flightplan::roundHalfEven(feet / kFeetPerMetre) : feet);
    };
    BuilderControls c;
    // A layer that was never attached shows no density and empty boxes.
    if (f[4] != 0) {
        c.Cld1Cmb = densityText(f[3]);
        c.Cld1B = height(f[4]);
        c.Cld1T = height(f[5]);
    }
    if (f[7] != 0) {
        c.Cld2Cmb = densityText(f[6]);
        c.Cld2B = height(f[7]);
        c.Cld2T = height(f[8]);
    }
    c.SWTop = height(f[11]);
    c.W0SpdTxt = numberText(f[9]);
    c.W0DirTxt = numberText(f[10]);
    for (std::size_t i = 0; i < kVisibilityMiles.size(); ++i) {
        if (kVisibilityMiles[i] == f[12]) {
            c.VisiCmb = kVisibilityTexts[i];
        }
    }
    c.PrecipCmb = std::clamp(static_cast<int>(std::nearbyint(f[13])), 0, 9);
    if (metric) {
        c.TempTxt = numberText(flightplan::roundHalfEven((f[14] - 32) / 1.8));
        c.BaroTxt = numberText(flightplan::roundHalfEven(f[15] / kInchesPerMillibar));
    } else {
        c.TempTxt = numberText(f[14]);
        char baro[32];
        std::snprintf(baro, sizeof baro, "%05.2f", f[15]);
        c.BaroTxt = baro;
    }
    return c;
}

namespace {

// Takes a weather section for editing or refuses it; the plan reader does the rest.
class BuilderLoadHost final : public flightplan::PlanLoadHost {
  public:
    explicit BuilderLoadHost(const std::function<bool()>& ask) : ask_(ask) {}
    bool useCustomWeather() override { return ask_(); }
    void processCustomWeather() override {}

  private:
    const std::function<bool()>& ask_;
};

}  // namespace

bool WeatherBuilder::loadText(const std::string& text, const std::function<bool()>& keepWeather) {
    std::string body = text;
    approachLine.clear();
    if (body.rfind("Approach=", 0) == 0) {
        const auto end = body.find('\n');
        approachLine = body.substr(0, end);
        if (!approachLine.empty() && approachLine.back() == '\r') {
            approachLine.pop_back();
        }
        body = end == std::string::npos ? std::string() : body.substr(end + 1);
    }
    flightplan::PlanStore read;
    BuilderLoadHost host(keepWeather);
    const auto result = flightplan::readPlan(body, read, host);
    plan = std::move(read);
    // Weather not taken for editing (none in the file, or refused) is cleared, so no entry of
    // an earlier plan is saved into this one.
    const int n = result.weatherLoaded ? plan.PlanWxCount + 1 : 0;
    std::copy_n(plan.PlanWx.begin(), n, entries.begin());
    std::fill(entries.begin() + n, entries.end(), flightplan::PlanWxEntry{});
    counter = static_cast<std::int16_t>(n);
    listChanged = true;
    return plan.PlanCount > 0;
}

bool WeatherBuilder::loadFile(const std::string& path, const std::function<bool()>& keepWeather,
                              std::string* error) {
    std::string text;
    std::string reason;
    if (!platform::readRegularFile(path, text, reason, flightplan::kMaxPlanFileBytes,
                                   "flight plan")) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    }
    return loadText(text, keepWeather);
}

std::string WeatherBuilder::saveText() const {
    flightplan::PlanStore out = plan;
    out.hasCustomWeather = counter > 0;
    out.PlanWxCount = static_cast<std::int16_t>(counter > 0 ? counter - 1 : 0);
    std::copy(entries.begin(), entries.end(), out.PlanWx.begin());
    std::string text = flightplan::formatPlan(out);
    if (!approachLine.empty()) {
        text = approachLine + "\r\n" + text;
    }
    return text;
}

bool WeatherBuilder::saveFile(const std::string& path, std::string* error) {
    if (!platform::writeFile(path, saveText(), error)) {
        return false;
    }
    changed = false;
    listChanged = false;
    planChangedFlag = 1;
    return true;
}

}  // namespace zephyra::builder
