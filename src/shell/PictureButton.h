#pragma once

#include <QFrame>
#include <QIcon>
#include <QString>

namespace zephyra::shell {

// The pressed look of a picture: a single-line border, or none.
void setPressedBorder(QFrame& picture, bool pressed);

// A picture used as a button: pressing draws a single-line border, releasing removes it and
// reports which mouse button was released.
class PictureButton : public QFrame {
    Q_OBJECT
  public:
    PictureButton(const QString& objectName, const QIcon& icon, const QString& caption,
                  QWidget* parent);

    bool pressedLook() const { return frameShape() != QFrame::NoFrame; }
    QString caption() const { return caption_; }

  signals:
    void released(Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    QIcon icon_;
    QString caption_;
    bool hover_ = false;
};

}  // namespace zephyra::shell
