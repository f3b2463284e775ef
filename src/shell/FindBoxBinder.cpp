#include "shell/FindBoxBinder.h"

#include <QEvent>
#include <QPushButton>

#include "shell/AppContext.h"
#include "shell/VaneWindow.h"

namespace zephyra::shell {

FindBoxBinder::FindBoxBinder(AppContext& context, VaneWindow& vane)
    : QObject(&vane), vane_(vane), finder_(context.databasePath()) {
    QLineEdit* fwp = vane.textBox("FWP");
    connect(vane.command("Command21"), &QPushButton::clicked, this, [this] { find(); });
    connect(vane.command("Command22"), &QPushButton::clicked, this, [this] { next(); });
    connect(fwp, &QLineEdit::returnPressed, this, [this] { find(); });
    connect(fwp, &QLineEdit::textChanged, this,
            [&vane] { vane.picture("Picture22")->setEnabled(true); });
    connect(vane.textBox("FoundWayp"), &QLineEdit::textChanged, this,
            [&vane] { vane.picture("Picture21")->setEnabled(true); });
    fwp->installEventFilter(this);
}

void FindBoxBinder::find(std::optional<std::pair<double, double>> at) {
    const auto shown = finder_.find(vane_.textBox("FWP")->text().trimmed().toStdString(), at);
    setFoundText(shown.text);
    vane_.command("Command22")->setEnabled(shown.nextEnabled);
}

void FindBoxBinder::next() {
    BusyCursor busy;
    if (const auto shown = finder_.next()) {
        setFoundText(shown->text);
        vane_.command("Command22")->setEnabled(shown->nextEnabled);
    }
}

std::string FindBoxBinder::foundText() const {
    return vane_.textBox("FoundWayp")->text().toStdString();
}

void FindBoxBinder::setFoundText(const std::string& text) {
    QLineEdit* box = vane_.textBox("FoundWayp");
    box->setText(QString::fromStdString(text));
    // The identifier leads the text: a name too long for the box loses its end, not its start,
    // and the tool tip gives the whole text.
    box->setCursorPosition(0);
    const bool cut =
        box->fontMetrics().horizontalAdvance(box->text()) > box->contentsRect().width() - 8;
    box->setToolTip(cut ? box->text() : QString());
}

bool FindBoxBinder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            box->selectAll();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zephyra::shell
