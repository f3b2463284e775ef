#include "help/HelpWindows.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "platform/Dialogs.h"
#include "platform/Platform.h"

namespace zephyra::help {

// ---------------------------------------------------------------------------------------------
// Quick Link

QuickLinkWindow::QuickLinkWindow(const std::string& programFolder, platform::Platform& platform,
                                 platform::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), file_(programFolder + "/" + kQuickLinkFile), dialogs_(dialogs) {
    setObjectName(QStringLiteral("QL"));
    setWindowTitle(QStringLiteral("Quick Link"));

    auto* label1 = new QLabel(QString::fromUtf8(kQuickLinkText), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    text1_ = new QLineEdit(this);
    text1_->setObjectName(QStringLiteral("Text1"));
    text2_ = new QLineEdit(this);
    text2_->setObjectName(QStringLiteral("Text2"));
    command1_ = new QPushButton(QStringLiteral("Go"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command2_ = new QPushButton(QStringLiteral("Go"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command3_ = new QPushButton(QStringLiteral("Exit"), this);
    command3_->setObjectName(QStringLiteral("Command3"));

    const QuickLinks links = loadQuickLinks(file_);
    text1_->setText(QString::fromStdString(links.first));
    text2_->setText(QString::fromStdString(links.second));

    auto* row1 = new QHBoxLayout;
    row1->addWidget(text1_, 1);
    row1->addWidget(command1_);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(text2_, 1);
    row2->addWidget(command2_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(command3_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addLayout(row1);
    layout->addLayout(row2);
    layout->addLayout(bottom);
    resize(460, 170);

    connect(command1_, &QPushButton::clicked, this, [this, &platform, &dialogs] {
        openLink(text1_->text().toStdString(), platform, dialogs);
    });
    connect(command2_, &QPushButton::clicked, this, [this, &platform, &dialogs] {
        openLink(text2_->text().toStdString(), platform, dialogs);
    });
    connect(command3_, &QPushButton::clicked, this, [this] { close(); });
}

void QuickLinkWindow::closeEvent(QCloseEvent* event) {
    text1_->setText(QString::fromStdString(normaliseLink(text1_->text().toStdString())));
    text2_->setText(QString::fromStdString(normaliseLink(text2_->text().toStdString())));
    if (std::string error; !saveQuickLinks(
            file_, {text1_->text().toStdString(), text2_->text().toStdString()}, &error)) {
        dialogs_.message({"The links could not be saved. " + error, "Quick Link",
                          platform::Buttons::Ok, platform::Icon::Exclamation, 1});
    }
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Quick Help

HelpWindow::HelpWindow(const std::string& programFolder, platform::Platform& platform,
                       platform::Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), platform_(platform) {
    setObjectName(QStringLiteral("VaneHelp"));
    setWindowTitle(QStringLiteral("Quick Help"));

    richTextBox1_ = new QTextBrowser(this);
    richTextBox1_->setObjectName(QStringLiteral("RichTextBox1"));
    // Links are followed here: pages and pictures beside the guide open in the view, web
    // addresses in the user's browser.
    richTextBox1_->setOpenLinks(false);
    const QString document = QString::fromStdString(programFolder + "/" + kHelpDocument);
    if (QFileInfo::exists(document)) {
        richTextBox1_->setSource(QUrl::fromLocalFile(document), QTextDocument::MarkdownResource);
    } else {
        richTextBox1_->setMarkdown(
            QStringLiteral("# Zephyra\n\nThe user's guide `%1` is missing from the program "
                           "folder `%2`.\n")
                .arg(QString::fromUtf8(kHelpDocument), QString::fromStdString(programFolder)));
    }
    connect(richTextBox1_, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { followLink(url); });

    command1_ = new QPushButton(QStringLiteral("Close"), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command2_ = new QPushButton(QStringLiteral("Version"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command3_ = new QPushButton(QStringLiteral("Tutorials"), this);
    command3_->setObjectName(QStringLiteral("Command3"));
    // A button of the classic window without caption or action; kept out of sight.
    auto* command4 = new QPushButton(this);
    command4->setObjectName(QStringLiteral("Command4"));
    command4->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(command3_);
    buttons->addWidget(command2_);
    buttons->addStretch(1);
    buttons->addWidget(command1_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(richTextBox1_, 1);
    layout->addLayout(buttons);
    resize(960, 700);

    connect(command1_, &QPushButton::clicked, this, [this] { close(); });
    connect(command2_, &QPushButton::clicked, this,
            [&dialogs] { dialogs.inform(kVersionMessage); });
    connect(command3_, &QPushButton::clicked, this, [this] {
        close();
        if (showTutorial) {
            showTutorial();
        }
    });
}

void HelpWindow::followLink(const QUrl& url) {
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto")) {
        platform_.openUrl(url.toString().toStdString(), {});
        return;
    }
    if (url.path().isEmpty() && url.hasFragment()) {
        richTextBox1_->scrollToAnchor(url.fragment());
        return;
    }
    richTextBox1_->setSource(url);
}

// ---------------------------------------------------------------------------------------------
// Tutorials

LabelButton::LabelButton(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setMinimumSize(90, 26);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
    setCursor(Qt::PointingHandCursor);
    paintColours(false);
}

void LabelButton::paintColours(bool down) {
    // The 16-colour palette's green (2) and bright green (10).
    const QColor green(0x00, 0x80, 0x00);
    const QColor brightGreen(0x00, 0xFF, 0x00);
    QPalette p = palette();
    p.setColor(QPalette::Window, down ? brightGreen : green);
    p.setColor(QPalette::WindowText, down ? green : brightGreen);
    setPalette(p);
    setFrameShadow(down ? QFrame::Sunken : QFrame::Raised);
}

void LabelButton::mousePressEvent(QMouseEvent* event) {
    down_ = true;
    paintColours(true);
    event->accept();
}

void LabelButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasDown = down_;
    down_ = false;
    paintColours(false);
    event->accept();
    if (wasDown) {
        emit released();
    }
}

TutorWindow::TutorWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Tutor"));
    setWindowTitle(QStringLiteral("Tutorials"));

    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = label1_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    label1_->setFont(titleFont);
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setWordWrap(true);
    label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label2_->setMinimumHeight(110);
    label3_ = new QLabel(this);
    label3_->setObjectName(QStringLiteral("Label3"));
    label4_ = new QLabel(this);
    label4_->setObjectName(QStringLiteral("Label4"));

    command3_ = new QPushButton(QStringLiteral("Setup"), this);
    command3_->setObjectName(QStringLiteral("Command3"));
    command4_ = new QPushButton(QStringLiteral("Weather"), this);
    command4_->setObjectName(QStringLiteral("Command4"));
    command5_ = new QPushButton(QStringLiteral("Flight Plans"), this);
    command5_->setObjectName(QStringLiteral("Command5"));
    // The paging buttons work behind the label-buttons, which are what the user sees.
    command1_ = new QPushButton(QStringLiteral("Prev."), this);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->hide();
    command2_ = new QPushButton(QStringLiteral("Next"), this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->hide();
    label5_ = new LabelButton(QStringLiteral("Previous"), this);
    label5_->setObjectName(QStringLiteral("Label5"));
    label6_ = new LabelButton(QStringLiteral("Next"), this);
    label6_->setObjectName(QStringLiteral("Label6"));

    auto* page = new QHBoxLayout;
    page->addWidget(label1_, 1);
    page->addWidget(new QLabel(QStringLiteral("Course"), this));
    page->addWidget(label4_);
    page->addSpacing(8);
    page->addWidget(new QLabel(QStringLiteral("Page"), this));
    page->addWidget(label3_);
    auto* paging = new QHBoxLayout;
    paging->addWidget(label5_);
    paging->addStretch(1);
    paging->addWidget(label6_);
    auto* courses = new QHBoxLayout;
    courses->addWidget(command3_);
    courses->addWidget(command4_);
    courses->addWidget(command5_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(page);
    layout->addWidget(label2_, 1);
    layout->addLayout(paging);
    layout->addLayout(courses);
    setFixedWidth(440);

    const std::pair<QPushButton*, char> courseButtons[] = {
        {command3_, 'A'}, {command4_, 'B'}, {command5_, 'C'}};
    for (const auto& [button, course] : courseButtons) {
        connect(button, &QPushButton::clicked, this, [this, c = course] {
            tutorial_.startCourse(c);
            refresh();
        });
    }
    connect(command1_, &QPushButton::clicked, this, [this] {
        tutorial_.previous();
        refresh();
    });
    connect(command2_, &QPushButton::clicked, this, [this] {
        tutorial_.next();
        refresh();
    });
    connect(label5_, &LabelButton::released, command1_, &QPushButton::click);
    connect(label6_, &LabelButton::released, command2_, &QPushButton::click);
    refresh();
}

QPushButton* TutorWindow::courseButton(char course) const {
    return course == 'A' ? command3_ : course == 'B' ? command4_ : command5_;
}

void TutorWindow::refresh() {
    const auto& v = tutorial_.view();
    label1_->setText(QString::fromStdString(v.title));
    label2_->setText(QString::fromStdString(v.text));
    label3_->setText(QString::fromStdString(v.number));
    label4_->setText(QString::fromStdString(v.course));
    label5_->setVisible(v.previousVisible);
    label6_->setVisible(v.nextVisible);
}

}  // namespace zephyra::help
