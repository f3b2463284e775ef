#pragma once

#include <QObject>
#include <QPointer>

#include "builder/WeatherBuilderWindow.h"

namespace zephyra::shell {

class VaneWindow;
struct AppContext;

// Binds the Weather Builder to the main window: Picture10 opens the window "METGEN" (not while
// waypoints load), and a plan loaded with its custom weather puts that weather into the
// database before the waypoints are loaded again.
class BuilderBinder : public QObject {
    Q_OBJECT
  public:
    BuilderBinder(AppContext& context, VaneWindow& vane);

    void showWeatherBuilder();  // Picture10
    void processPlanWeather();  // the Yes answer of plan Load
    builder::WeatherBuilderWindow* window() const { return window_; }

  private:
    AppContext& ctx_;
    VaneWindow& vane_;
    QPointer<builder::WeatherBuilderWindow> window_;
};

}  // namespace zephyra::shell
