#pragma once

#include <QFrame>
#include <QIcon>
#include <QString>

namespace zephyra::shell {

// A picture used as a button: pressing draws a single-line border, releasing removes it and
// reports which mouse button was released. Moving over it reports a hover (for help tips).
class PictureButton : public QFrame {
    Q_OBJECT
  public:
    PictureButton(const QString& objectName, const QIcon& icon, const QString& caption,
                  QWidget* parent);

    // A pressed border that stays after release (the navigation panel keeps its border).
    void setStickyBorder(bool sticky) { sticky_ = sticky; }
    bool pressedLook() const { return frameShape() != QFrame::NoFrame; }
    QString caption() const { return caption_; }

  signals:
    void released(Qt::MouseButton button);
    void hovered();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QIcon icon_;
    QString caption_;
    bool sticky_ = false;
    bool hover_ = false;
};

}  // namespace zephyra::shell
