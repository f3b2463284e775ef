#pragma once

#include <QObject>
#include <QWidget>

namespace zephyra::shell {

// The main window's compact mode: a double-click anywhere on the status area makes the window
// small and always on top, the next one restores it. Which way it goes is judged by the width,
// so a window the user narrowed by hand counts as compact.
class CompactMode : public QObject {
    Q_OBJECT
  public:
    // Pixels the main window's status area is taller than the classic one (room for the whole
    // station report and the age of its observation); both heights grow by as much (15 twips a
    // pixel).
    static constexpr int kReportRoom = 70;
    // Sizes in twips (1/1440 inch).
    static constexpr int kNormalWidth = 9090;
    // Pixels of the winds aloft line under the weather download.
    static constexpr int kAloftRow = 22;
    static constexpr int kNormalHeight = 6180 + (kReportRoom + kAloftRow) * 15;
    static constexpr int kCompactWidth = 4935;
    static constexpr int kCompactHeight = 2940 + kReportRoom * 15;
    static constexpr int kCompactThreshold = 7000;

    explicit CompactMode(QWidget& window);

    // A double-click on this control switches the mode.
    void watch(QWidget* control);
    void toggle();

    bool topmost() const;
    int widthTwips() const;
    int heightTwips() const;
    static double twipsPerPixel(const QWidget* widget);
    // Gives the window its normal size.
    void setNormalSize();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setSizeTwips(int width, int height);
    QWidget& window_;
};

}  // namespace zephyra::shell
