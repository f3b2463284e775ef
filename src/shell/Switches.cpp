#include "shell/Switches.h"

#include <QMouseEvent>

#include "platform/Dialogs.h"

namespace zephyra::shell {

namespace {

QString yesNo(bool on) {
    return on ? QStringLiteral("Yes") : QStringLiteral("No");
}

}  // namespace

SwitchBox::SwitchBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void SwitchBox::nextCheckState() {
    if (onToggle) {
        onToggle();
    } else {
        QCheckBox::nextCheckState();
    }
}

void ClickableImage::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void ClickableImage::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

Switches::Switches(const Controls& controls, platform::Dialogs& dialogs, QObject* parent)
    : QObject(parent), c_(controls), dialogs_(dialogs) {
    c_.sendWeather->onToggle = [this] { toggleSendWeather(); };
    c_.apUpdate->onToggle = [this] { toggleApUpdate(); };
    c_.autoSwitch->onToggle = [this] { toggleAutoSwitch(); };
    connect(c_.off, &ClickableImage::clicked, this, [this] { setSendWeather(true); });
    connect(c_.on, &ClickableImage::clicked, this, [this] { setSendWeather(false); });
}

void Switches::setSendWeather(bool on) {
    c_.off->setVisible(!on);
    c_.on->setVisible(on);
    c_.sendWeather->setChecked(on);
    c_.sendLabel->setText(yesNo(on));
}

void Switches::toggleSendWeather() {
    setSendWeather(!c_.sendWeather->isChecked());
}

void Switches::setApUpdate(bool on) {
    c_.apUpdate->setChecked(on);
    c_.apLabel->setText(yesNo(on));
}

void Switches::toggleApUpdate() {
    if (c_.activeWaypoint->text().isEmpty()) {
        dialogs_.inform("Must load and send flight plan first!");
        return;
    }
    setApUpdate(c_.apLabel->text() == QLatin1String("No"));
}

void Switches::setAutoSwitch(bool on) {
    c_.autoSwitch->setChecked(on);
    c_.autoLabel->setText(yesNo(on));
}

void Switches::toggleAutoSwitch() {
    setAutoSwitch(c_.autoLabel->text() == QLatin1String("No"));
}

}  // namespace zephyra::shell
