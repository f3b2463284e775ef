#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "delivery/WeatherDelivery.h"
#include "reports/StationReport.h"

namespace zephyra::shell {

class VaneWindow;
struct AppContext;

// Binds the main window to weather delivery: the Closest and Random_Timer ticks, "Manual
// Update", the station report in a message box (Command4) and in the weather display
// (Command6), and the "Send Weather to FS" switch that gates every send.
class DeliveryActions : public QObject, public delivery::DeliveryHost {
    Q_OBJECT
  public:
    DeliveryActions(AppContext& context, VaneWindow& vane);

    delivery::WeatherDelivery& delivery() { return delivery_; }

    // The first navigation tick that reads a position starts the tracking with one tick.
    void startTracking();
    void closestTick();     // Closest
    void randomTick();      // Random_Timer
    void manualUpdate();    // Update_Vane
    void showReportBox();   // Command4
    void showReportLine();  // Command6
    // After a load: the shown station with its new report (or none, when the new weather
    // does not hold it); the next search sends the closest station's new weather.
    void showLoadedWeather();
    // Whether the last tick sent blended weather.
    bool blending() const { return blending_; }

    // DeliveryHost
    void setStatus(const std::string& text) override;
    bool windowEnabled() override;
    bool sendWeatherOn() override;
    std::optional<std::pair<double, double>> aircraftPosition() override;
    void showClosestStation(const std::string& text) override;
    void showLastStation(const std::string& text) override;
    void refreshReport() override;

  private:
    // Settings may change in the Settings window between ticks, and other parts of the
    // program write Text3 and LastStation.
    void refreshSettings();
    // The report the report buttons show: the weather here while blending (the blend at the
    // aircraft as last sent), else the closest station's.
    reports::StationReport shownReport(bool withTaf);
    // The blended mode's send, on the Closest timer at the blend's pace.
    void blendTick();
    static constexpr int kClosestIntervalMs = 60000;

    AppContext& ctx_;
    VaneWindow& vane_;
    std::string lastWarning_;  // the old-weather warning last given
    bool blending_ = false;    // the last tick was a blended one
    bool blendStale_ = true;   // weather was loaded since the blend last read it
    delivery::WeatherDelivery delivery_;
    std::shared_ptr<const weather::AloftField> aloftGiven_;  // the field the delivery has
};

}  // namespace zephyra::shell
