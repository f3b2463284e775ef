#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace zephyra::platform {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The window that asked is the active one (the user just pressed one of its buttons); the
// main window stands in when none is active.
QWidget* dialogParent(QWidget* fallback) {
    if (QWidget* active = QApplication::activeWindow()) {
        return active;
    }
    return fallback != nullptr && fallback->isVisible() ? fallback : nullptr;
}

}  // namespace

QString QtDialogs::suffixOfFilter(const QString& filter) {
    const qsizetype open = filter.lastIndexOf('(');
    const QString patterns = filter.mid(open + 1).section(')', 0, 0);
    const QString first = patterns.section(' ', 0, 0, QString::SectionSkipEmpty);
    if (!first.startsWith(QStringLiteral("*."))) {
        return {};
    }
    const QString suffix = first.mid(2);
    return suffix.contains('*') || suffix.contains('?') ? QString() : suffix;
}

QString QtDialogs::toQtFilter(const std::string& filter) {
    const QStringList parts = qs(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        const QString shown = QStringLiteral("(%1)").arg(patterns);
        out << (parts[i].contains(shown) ? parts[i] : QStringLiteral("%1 %2").arg(parts[i], shown));
    }
    return out.join(QStringLiteral(";;"));
}

Answer QtDialogs::show(const MessageRequest& request) {
    QMessageBox box(dialogParent(parent_));
    box.setWindowTitle(request.title.empty() ? QStringLiteral("Zephyra") : qs(request.title));
    box.setText(qs(request.text));
    switch (request.icon) {
        case Icon::None:
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    std::vector<std::pair<QPushButton*, Answer>> buttons;
    auto add = [&](QMessageBox::StandardButton b, Answer a) {
        buttons.emplace_back(box.addButton(b), a);
    };
    switch (request.buttons) {
        case Buttons::Ok:
            add(QMessageBox::Ok, Answer::Ok);
            break;
        case Buttons::OkCancel:
            add(QMessageBox::Ok, Answer::Ok);
            add(QMessageBox::Cancel, Answer::Cancel);
            break;
        case Buttons::YesNo:
            add(QMessageBox::Yes, Answer::Yes);
            add(QMessageBox::No, Answer::No);
            break;
        case Buttons::YesNoCancel:
            add(QMessageBox::Yes, Answer::Yes);
            add(QMessageBox::No, Answer::No);
            add(QMessageBox::Cancel, Answer::Cancel);
            break;
    }
    const std::size_t def = static_cast<std::size_t>(std::max(1, request.defaultButton)) - 1;
    if (def < buttons.size()) {
        box.setDefaultButton(buttons[def].first);
    }
    box.exec();
    for (const auto& [button, answer] : buttons) {
        if (box.clickedButton() == button) {
            return answer;
        }
    }
    // Closed with Escape or the close box: the last button (Cancel or No) stands.
    return buttons.back().second;
}

std::optional<std::string> QtDialogs::inputBox(const std::string& prompt, const std::string& title,
                                               const std::string& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(
        dialogParent(parent_), title.empty() ? QStringLiteral("Zephyra") : qs(title), qs(prompt),
        QLineEdit::Normal, qs(defaultText), &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text.toStdString();
}

std::unique_ptr<QFileDialog> QtDialogs::makeFileDialog(const FileRequest& request,
                                                       QWidget* parent) {
    auto dialog = std::make_unique<QFileDialog>(parent, qs(request.title), qs(request.initialDir),
                                                toQtFilter(request.filter));
    // The desktop's own dialog may match patterns by letter case; Qt's never does here.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
    // A name typed without a suffix gets the one of the chosen filter.
    auto* d = dialog.get();
    const auto followFilter = [d](const QString& chosen) {
        d->setDefaultSuffix(suffixOfFilter(chosen));
    };
    QObject::connect(d, &QFileDialog::filterSelected, d, followFilter);
    followFilter(d->selectedNameFilter());
    return dialog;
}

std::optional<std::string> QtDialogs::openFile(const FileRequest& request) {
    auto dialog = makeFileDialog(request, dialogParent(parent_));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().constFirst().toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const FileRequest& request) {
    auto dialog = makeFileDialog(request, dialogParent(parent_));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().constFirst().toStdString();
}

}  // namespace zephyra::platform
