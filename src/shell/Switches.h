#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QObject>
#include <functional>

namespace zephyra::platform {
class Dialogs;
}

namespace zephyra::shell {

// A check box whose click (mouse or keyboard) asks its switch instead of flipping itself, so
// the box, its picture button and its Yes/No label change together, by one rule.
class SwitchBox : public QCheckBox {
    Q_OBJECT
  public:
    SwitchBox(const QString& text, QWidget* parent);
    std::function<void()> onToggle;

  protected:
    void nextCheckState() override;
};

// An image that reports a click (the drawn send-weather switch).
class ClickableImage : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The main window's three switches: send weather (box, drawn switch and Yes/No label always
// agree), autopilot update (only with a sent plan) and automatic waypoint switching.
class Switches : public QObject {
    Q_OBJECT
  public:
    struct Controls {
        SwitchBox* sendWeather;  // upd_vane
        ClickableImage* off;     // Image7
        ClickableImage* on;      // Image9
        QLabel* sendLabel;       // Text5
        SwitchBox* apUpdate;     // UPDHDG
        QLabel* apLabel;         // Label16
        SwitchBox* autoSwitch;   // AutSwitch
        QLabel* autoLabel;       // Label17
        QLabel* activeWaypoint;  // FWAYP
    };
    Switches(const Controls& controls, platform::Dialogs& dialogs, QObject* parent);

    void setSendWeather(bool on);
    void toggleSendWeather();
    void setApUpdate(bool on);
    // Needs a sent plan; the AP_Upd setting is left alone.
    void toggleApUpdate();
    void setAutoSwitch(bool on);
    void toggleAutoSwitch();

  private:
    Controls c_;
    platform::Dialogs& dialogs_;
};

}  // namespace zephyra::shell
