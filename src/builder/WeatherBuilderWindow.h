#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "builder/WeatherBuilder.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace zephyra::platform {
class Dialogs;
}

namespace zephyra::builder {

// The Weather Builder window "METGEN": the Builder's plan in three lists, the weather controls
// and the buttons Attach, Load, Save, Exit and Help over a WeatherBuilder.
class WeatherBuilderWindow : public QWidget {
    Q_OBJECT
  public:
    // uom gives the unit setting ("U", "M" or "F") when Attach converts; folder is where the
    // file dialogs open.
    WeatherBuilderWindow(platform::Dialogs& dialogs, std::function<std::string()> uom,
                         std::string folder, QWidget* parent = nullptr);

    WeatherBuilder& builder() { return builder_; }
    // Control by its name (Cld1Cmb, Cld1B, FltPlnLst, Command14 ...).
    template <class T>
    T* control(const char* name) const {
        return findChild<T*>(QString::fromLatin1(name));
    }

    void attach();                // Command14
    void load();                  // Command6
    void save();                  // Command5
    void exitBuilder();           // Command15
    void help();                  // Command1
    void selectLayer(int index);  // OptCB
    void selectRow(int row);      // FltPlnLst click
    void showPlanWeather(const flightplan::PlanWxEntry& entry);
    // The three lists from the Builder's plan.
    void showPlan();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void build();
    BuilderControls controls() const;
    void setControls(const BuilderControls& c);

    platform::Dialogs& dialogs_;
    std::function<std::string()> uom_;
    std::string folder_;
    WeatherBuilder builder_;
    QListWidget* lists_[3] = {};
    QLabel* heightLabels_[2] = {};
};

}  // namespace zephyra::builder
