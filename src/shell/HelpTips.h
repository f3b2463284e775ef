#pragma once

#include <QLabel>
#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace zephyra::shell {

// The help-tip line of the main window. While tips are enabled, the mouse entering or moving
// over a control writes that control's tip into the line, and a control without a tip empties
// it, so the line never speaks of the control the mouse has left. This class is the line's only
// writer.
class HelpTips : public QObject {
    Q_OBJECT
  public:
    explicit HelpTips(QLabel& line, QObject* parent = nullptr);

    // The tips of the main window's controls, by control name.
    static const std::vector<std::pair<QString, QString>>& table();

    // Gives a control its tip; the control's children (a list's viewport) share it.
    void setTip(QWidget* control, const QString& tip);
    // Watches every control under root; call once the window is built.
    void watch(QWidget& root);

    QString tipFor(const QWidget* control) const;
    bool enabled() const { return enabled_ != 0; }
    // A right-click on the Help picture: enables tips, or disables them and empties the line.
    void toggleEnabled();
    // Writes the line; while tips are disabled it stays empty.
    void show(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLabel& line_;
    std::map<const QWidget*, QString> tips_;
    std::int16_t enabled_ = 0;
};

}  // namespace zephyra::shell
