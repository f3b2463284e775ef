#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "flightplan/NavaidFinder.h"

namespace zephyra::shell {

class VaneWindow;
struct AppContext;

// The Find box of the main window: FWP, Find (Picture22/Command21, or Enter), Next
// (Picture21/Command22) and the found-waypoint box FoundWayp, over the NAVAID search.
class FindBoxBinder : public QObject {
    Q_OBJECT
  public:
    FindBoxBinder(AppContext& context, VaneWindow& vane);

    // Command21; with a position, the identifier match there comes first.
    void find(std::optional<std::pair<double, double>> at = {});
    void next();  // Command22
    // The NAVAID that Add, Insert and Modify use, and the text the found box shows.
    const std::optional<flightplan::FoundNavaid>& current() const { return finder_.current(); }
    std::string foundText() const;
    void setFoundText(const std::string& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    VaneWindow& vane_;
    flightplan::NavaidFinder finder_;
};

}  // namespace zephyra::shell
