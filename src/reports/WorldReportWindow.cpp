#include "reports/WorldReportWindow.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

namespace zephyra::reports {

namespace {

QStringList toList(const std::vector<std::string>& items) {
    QStringList list;
    for (const auto& item : items) {
        list << QString::fromStdString(item);
    }
    return list;
}

// Replaces a list's entries only when they changed, so the user's scroll position stays.
void setItems(QComboBox* box, const std::vector<std::string>& items, int current) {
    const QStringList wanted = toList(items);
    QStringList shown;
    for (int i = 0; i < box->count(); ++i) {
        shown << box->itemText(i);
    }
    if (shown != wanted) {
        box->clear();
        box->addItems(wanted);
    }
    const int row = current < box->count() ? current : -1;
    if (box->currentIndex() != row) {
        box->setCurrentIndex(row);
    }
}

}  // namespace

WorldReportWindow::WorldReportWindow(std::string databasePath, std::string uom,
                                     int unlimitedVisibility, platform::Dialogs& dialogs,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window),
      browser_(std::move(databasePath), std::move(uom), unlimitedVisibility),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("VaneReport"));
    setWindowTitle(QStringLiteral("Weather Report"));

    auto* label3 = new QLabel(
        QStringLiteral("Enter Search below or enter ICAO code in \"Stations\" below."), this);
    label3->setObjectName(QStringLiteral("Label3"));
    auto* label1 = new QLabel(QStringLiteral("Region:"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    lblState_ = new QLabel(QStringLiteral("State- Country:"), this);
    lblState_->setObjectName(QStringLiteral("LblState"));
    lblStation_ = new QLabel(QStringLiteral("Stations- ICAO Code:"), this);
    lblStation_->setObjectName(QStringLiteral("LblStation"));

    cmbRegion_ = new QComboBox(this);
    cmbRegion_->setObjectName(QStringLiteral("CmbRegion"));
    cmbState_ = new QComboBox(this);
    cmbState_->setObjectName(QStringLiteral("CmbState"));
    cmbStation_ = new QComboBox(this);
    cmbStation_->setObjectName(QStringLiteral("cmbStation"));
    cmbStation_->setEditable(true);
    cmbStation_->setInsertPolicy(QComboBox::NoInsert);
    for (QComboBox* box : {cmbRegion_, cmbState_, cmbStation_}) {
        box->setMinimumWidth(260);
        box->setMaxVisibleItems(20);
    }

    cmdFindStates_ = new QPushButton(QStringLiteral("Find Country / State Code"), this);
    cmdFindStates_->setObjectName(QStringLiteral("CmdFindStates"));
    cmdFindStations_ = new QPushButton(QStringLiteral("Find Stations"), this);
    cmdFindStations_->setObjectName(QStringLiteral("cmdFindStations"));
    cmdVaneRpt_ = new QPushButton(QStringLiteral("Weather Report"), this);
    cmdVaneRpt_->setObjectName(QStringLiteral("cmdVaneRpt"));
    command1_ = new QPushButton(QStringLiteral("Clear"), this);
    command1_->setObjectName(QStringLiteral("Command1"));

    rtbVane_ = new QPlainTextEdit(this);
    rtbVane_->setObjectName(QStringLiteral("RTBVane"));
    rtbVane_->setReadOnly(true);
    rtbVane_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    rtbVane_->setMinimumHeight(260);

    hidenState_ = new QLineEdit(this);
    hidenState_->setObjectName(QStringLiteral("HidenState"));
    hidenState_->hide();

    auto* grid = new QGridLayout;
    grid->addWidget(label1, 0, 0);
    grid->addWidget(cmbRegion_, 0, 1);
    grid->addWidget(cmdFindStates_, 0, 2);
    grid->addWidget(lblState_, 1, 0);
    grid->addWidget(cmbState_, 1, 1);
    grid->addWidget(cmdFindStations_, 1, 2);
    grid->addWidget(lblStation_, 2, 0);
    grid->addWidget(cmbStation_, 2, 1);
    grid->addWidget(cmdVaneRpt_, 2, 2);
    grid->setColumnStretch(1, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(command1_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label3);
    layout->addLayout(grid);
    layout->addWidget(rtbVane_, 1);
    layout->addLayout(bottom);
    resize(640, 480);

    connect(cmbRegion_, &QComboBox::activated, this, [this](int index) {
        browser_.chooseCountry(index);
        refresh();
    });
    connect(cmbState_, &QComboBox::activated, this, [this](int index) {
        browser_.chooseState(index);
        refresh();
    });
    connect(cmbStation_, &QComboBox::activated, this, [this](int index) {
        browser_.chooseStation(index);
        refresh();
    });
    connect(cmbStation_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        browser_.typeStation(text.toStdString());
        refresh();
    });
    connect(cmdFindStates_, &QPushButton::clicked, this, [this] {
        browser_.findStates();
        refresh();
    });
    connect(cmdFindStations_, &QPushButton::clicked, this, [this] {
        browser_.findStations();
        refresh();
    });
    connect(cmdVaneRpt_, &QPushButton::clicked, this, [this] {
        browser_.typeStation(cmbStation_->currentText().toStdString());
        const std::string message = browser_.report();
        refresh();
        say(message);
    });
    connect(command1_, &QPushButton::clicked, this, [this] {
        browser_.clear();
        refresh();
    });
    refresh();
}

void WorldReportWindow::load(const std::string& currentStationText) {
    const std::string message = browser_.load(currentStationText);
    refresh();
    say(message);
}

void WorldReportWindow::say(const std::string& message) {
    if (!message.empty()) {
        dialogs_.inform(message);
    }
}

void WorldReportWindow::refresh() {
    if (refreshing_) {
        return;
    }
    refreshing_ = true;
    const auto& v = browser_.view();
    setItems(cmbRegion_, v.countries, v.country);
    setItems(cmbState_, v.states, v.state);
    // The station box is only written when it shows something else, so typing flows on.
    const QString station = QString::fromStdString(v.stationText);
    const auto listed = std::find(v.stations.begin(), v.stations.end(), v.stationText);
    setItems(cmbStation_, v.stations,
             listed == v.stations.end() ? -1 : static_cast<int>(listed - v.stations.begin()));
    if (cmbStation_->currentText() != station) {
        cmbStation_->setEditText(station);
    }
    hidenState_->setText(QString::fromStdString(v.hiddenState));
    lblState_->setEnabled(v.stateEnabled);
    cmbState_->setEnabled(v.stateEnabled);
    cmdFindStations_->setEnabled(v.findStationsEnabled);
    lblStation_->setEnabled(v.stationEnabled);
    cmbStation_->setEnabled(v.stationEnabled);
    cmdVaneRpt_->setEnabled(v.reportEnabled);
    const QString reports = QString::fromStdString(v.reports);
    if (rtbVane_->toPlainText() != reports) {
        rtbVane_->setPlainText(reports);
        rtbVane_->verticalScrollBar()->setValue(rtbVane_->verticalScrollBar()->maximum());
    }
    refreshing_ = false;
}

}  // namespace zephyra::reports
