#pragma once

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

namespace zephyra::simlink {
class BuiltInAircraft;
}

namespace zephyra::shell {

// "Simulator": the built-in aircraft's own window. Shows where it is and what weather it holds,
// lets the user place and steer it, and hosts the navigation panel like a cockpit would.
class SimulatorWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SimulatorWindow(simlink::BuiltInAircraft& aircraft, QWidget* parent = nullptr);
    ~SimulatorWindow() override;

    // The area the main window's navigation panel is placed into.
    QWidget* panelHost() const { return cockpit_; }
    // Time acceleration: the rate chosen (1, 2, 4, 8 or 16), for the program's clock.
    std::function<void(double)> onRateChanged;
    // Shows a rate chosen elsewhere (the command line).
    void showRate(double rate);
    // Looks an airport identifier up; set once the database can answer.
    std::function<std::optional<std::pair<double, double>>(const std::string&)> findAirport;

    void refresh();
    // Applies the typed position, heading, altitude and speed.
    void applySettings();
    void toggleRunning();
    // Moves the aircraft to the airport typed in the identifier box.
    bool goToAirport();
    QString weatherSummary() const;

  private:
    simlink::BuiltInAircraft& aircraft_;
    QFrame* cockpit_;
    QLabel* state_;
    QPlainTextEdit* weather_;
    QLineEdit* lat_;
    QLineEdit* lon_;
    QLineEdit* airport_;
    QPushButton* airportGo_;
    QDoubleSpinBox* heading_;
    QDoubleSpinBox* altitude_;
    QDoubleSpinBox* speed_;
    QDoubleSpinBox* magVar_;
    QPushButton* startStop_;
    QComboBox* rate_;
};

}  // namespace zephyra::shell
