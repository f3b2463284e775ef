#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "flightplan/PlanStore.h"

namespace zephyra::builder {

// The texts of the Weather Builder's combo boxes, in list order.
extern const std::array<const char*, 10> kDensityTexts;        // Cld1Cmb, Cld2Cmb
extern const std::array<const char*, 20> kVisibilityTexts;     // VisiCmb
extern const std::array<double, 20> kVisibilityMiles;          // the same, in miles
extern const std::array<const char*, 10> kPrecipitationTexts;  // PrecipCmb, codes 0 to 9

inline constexpr const char* kBuilderLabel =
    "All entries must be entered in measurements above MSL. ";
extern const char* const kBuilderHelp;

// Eighths of a density text: "Clear" 0, "1/8" to "7/8", "Overcast" 8; nothing for "None".
std::optional<int> coverageOf(const std::string& density);
// The density text of a number of eighths.
std::string densityText(double eighths);
// Miles of a visibility text ("Unlimited" 100, "3/4 Mile" 0.75, "2.5 Miles" 2.5).
double visibilityMiles(const std::string& text);

// What the Builder's controls hold: the texts Attach reads and ShowPlanWeather writes.
struct BuilderControls {
    std::string Cld1Cmb = "None", Cld2Cmb = "None";
    std::string Cld1B, Cld1T, Cld2B, Cld2T, SWTop;
    std::string W0DirTxt, W0SpdTxt;
    std::string VisiCmb = "Unlimited";
    int PrecipCmb = 0;
    std::string TempTxt, BaroTxt;
};

struct AttachOutcome {
    bool attached = false;
    std::string message;  // the one message shown (title "Added Weather" when attached)
    int entry = -1;       // the entry written
    bool added = false;   // a new entry (the counter grew)
};

// The Weather Builder's own plan and its custom-weather entries: Load, Save, Attach and the
// entry shown on selection. The window binds its controls to this.
class WeatherBuilder {
  public:
    flightplan::PlanStore plan;  // FltPlnLst, AltLst, SpdLst and the plan coordinates
    std::string approachLine;    // an "Approach=" first line, written back first
    std::vector<flightplan::PlanWxEntry> entries =
        std::vector<flightplan::PlanWxEntry>(flightplan::PlanStore::kWeatherEntries);
    std::int16_t counter = 0;  // entries in use; new entries take its value as number
    bool changed = false;      // an attachment since the last save (the closing question)
    bool listChanged = false;  // the plan list's data-changed state: a load or an attachment
                               // since the last save
    std::int16_t planChangedFlag = 0;  // program-wide: 1 after an attachment or a save

    // uom: "U", "M" or "F". selectedRow: the selected plan line, if any.
    AttachOutcome attach(const BuilderControls& c, const std::string& uom,
                         std::optional<int> selectedRow);
    // The entry attached to a plan line (matched by its line text), if any.
    std::optional<int> entryForLine(const std::string& lineText) const;
    // ShowPlanWeather: the controls' texts for an entry, in the units of the setting (the
    // inverse of Attach's conversions).
    static BuilderControls showPlanWeather(const flightplan::PlanWxEntry& entry,
                                           const std::string& uom = "U");
    // The entry Attach starts from: no clouds, calm, wind top 3000, unlimited visibility,
    // 27 degrees Fahrenheit, 30.00 inches.
    static flightplan::PlanWxEntry defaultEntry();

    // Reads a plan file's text. keepWeather is asked at a weather section: yes takes its
    // entries for editing; no ends the reading there. Weather not taken is cleared (counter
    // 0). False when no entry line could be read.
    bool loadText(const std::string& text, const std::function<bool()>& keepWeather);
    // loadText of a file, which must be a regular file of at most 16 MB; otherwise false and,
    // when the file could not be read at all, error says why.
    bool loadFile(const std::string& path, const std::function<bool()>& keepWeather,
                  std::string* error = nullptr);
    // The file text: the approach line, the plan lines, the weather of entries 0 to counter-1.
    std::string saveText() const;
    bool saveFile(const std::string& path, std::string* error = nullptr);
};

}  // namespace zephyra::builder
