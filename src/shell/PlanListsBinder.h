#pragma once

#include <QObject>
#include <functional>
#include <optional>

#include "flightplan/FlightPlan.h"
#include "flightplan/PlanExchange.h"

namespace zephyra::shell {

class VaneWindow;
class FindBoxBinder;
class NavigationStatusBinder;
struct AppContext;

// The flight-plan lists of the main window (WaypLst, AltLst, SpdLst kept in step), the
// altitude and speed boxes, and the plan buttons: Add, Insert, Delete, Clear, Modify,
// Set Speed, Set Altitude, Load, Save and Auto-generate.
class PlanListsBinder : public QObject {
    Q_OBJECT
  public:
    PlanListsBinder(AppContext& context, VaneWindow& vane, flightplan::FlightPlan& flight,
                    FindBoxBinder& find, NavigationStatusBinder& navigation);

    // Puts a loaded plan's custom weather into the weather database (the Weather Builder's
    // processing). While it is not set, loading such a plan says so and keeps the weather.
    std::function<void()> customWeatherProcessing;

    void add();             // Command20
    void addFromPicture();  // Picture25: records the generation's departure or arrival first
    void insert();          // Command19
    void remove();          // Command16
    void clear();           // Command18
    void modify();          // Command17
    void setSpeed();        // Command23
    void setAltitude();     // Command24
    void save();            // Command13
    void load();            // Command14
    void autoGenerate();    // Picture7
    // The Share menu above the plan: export to and import from other programs' formats.
    void exportPlan(flightplan::ExchangeFormat format);
    void importPlan();
    // Loads the whole plan into the chosen FlightGear's route manager, the active waypoint
    // marked as the current one. The menu entry is disabled while FlightGear is not the
    // simulator.
    void sendToFlightGear();

    // The selected plan row, if any.
    std::optional<int> selectedRow() const;
    // Shows the plan store in the three lists, keeping the selected row unless told not to.
    void showPlan(bool keepSelection = true);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onPicture(const QString& name, Qt::MouseButton button);
    void applyGenerateButton(flightplan::GenerateButton state);
    void loadFrom(const std::string& path);
    void afterLoad(bool weatherApplied);
    void selectRow(int row);
    std::string altText() const;
    std::string spdText() const;

    AppContext& ctx_;
    VaneWindow& vane_;
    flightplan::FlightPlan& flight_;
    FindBoxBinder& find_;
    NavigationStatusBinder& navigation_;
    bool syncing_ = false;
};

}  // namespace zephyra::shell
