#pragma once

#include <QFrame>
#include <QLabel>
#include <QPoint>

namespace zephyra::shell {

// The panel's title: the user drags the panel by it; releasing the right button hides the
// panel.
class PanelTitle : public QLabel {
    Q_OBJECT
  public:
    PanelTitle(QFrame& panel, QWidget* parent);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QFrame& panel_;
    bool dragging_ = false;
    QPoint origin_;
};

// The navigation panel (Picture11): the current waypoint, heading, distance and time en route,
// shown inside the simulator's window. Pressing it gives it the pressed border, which stays.
class NavigationPanel : public QFrame {
    Q_OBJECT
  public:
    explicit NavigationPanel(QWidget* parent);

    PanelTitle* title() const { return title_; }
    bool pressedLook() const { return frameShape() != QFrame::NoFrame; }
    // Moves the panel into host (when it is not there yet) and shows it.
    void showIn(QWidget* host);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    PanelTitle* title_;
};

}  // namespace zephyra::shell
