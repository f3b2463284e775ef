#pragma once

#include <QObject>
#include <string>

#include "flightplan/FlightPlan.h"

class QPushButton;

namespace zephyra::shell {

class VaneWindow;
struct AppContext;

// The "Briefing" button of the plan controls: writes the route briefing of the plan (the
// weather in the database, the winds aloft loaded, departure now) as briefing.html in the
// user's folder and opens it in the user's browser through the platform.
class BriefingBinder : public QObject {
    Q_OBJECT
  public:
    BriefingBinder(AppContext& context, VaneWindow& vane, const flightplan::FlightPlan& flight);

    // Writes the page and opens it; false, with the reason in a message, when it cannot.
    bool open();
    // Where the page is written.
    std::string pagePath() const;
    QPushButton* button() const { return button_; }

  private:
    AppContext& ctx_;
    const flightplan::FlightPlan& flight_;
    QPushButton* button_;
};

}  // namespace zephyra::shell
