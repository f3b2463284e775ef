#include "shell/PlanTableBinder.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "flightplan/PlanTable.h"
#include "shell/AppContext.h"
#include "shell/OnScreen.h"
#include "shell/PlanControls.h"
#include "shell/VaneWindow.h"
#include "simlink/SimLink.h"
#include "weather/AloftField.h"

namespace zephyra::shell {

namespace {

QString fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString course(double degrees) {
    long c = std::lround(degrees) % 360;
    if (c == 0) {
        c = 360;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03ld", c);
    return QString::fromLatin1(buf);
}

// The wind columns, shaded apart from the plan's own.
constexpr int kWindColumn = 13;
const QColor kWindShade(236, 242, 250);

// "242/32"; "calm" for a light and variable wind; a dash where no forecast reaches.
QString windText(const flightplan::LegWind& wind) {
    if (!wind.forecast) {
        return QStringLiteral("–");
    }
    if (!wind.windDirection) {
        return QStringLiteral("calm");
    }
    return course(*wind.windDirection) + QLatin1Char('/') + fixed(wind.windKnots, 0);
}

// "tail 32", "head 12".
QString headTail(double tailwind) {
    const long kt = std::lround(tailwind);
    if (kt == 0) {
        return QStringLiteral("0");
    }
    return (kt > 0 ? QStringLiteral("tail ") : QStringLiteral("head ")) +
           QString::number(std::labs(kt));
}

QString windNote(const flightplan::PlanTable& plan) {
    if (!plan.windsAloft) {
        return QStringLiteral("No winds aloft are loaded: the shaded columns are without wind.");
    }
    QString valid;
    for (const std::int64_t t : {plan.windValidFirst, plan.windValidLast}) {
        const std::string iso = weather::isoTime(t);
        const QString text =
            iso.size() >= 13
                ? QString::fromStdString(iso.substr(0, 10) + " " + iso.substr(11, 2) + "Z")
                : QString();
        if (!text.isEmpty() && !valid.contains(text)) {
            valid += (valid.isEmpty() ? QString() : QStringLiteral(" to ")) + text;
        }
    }
    return QStringLiteral("Winds aloft: ") + QString::fromStdString(plan.windSource) +
           (valid.isEmpty() ? QString() : QStringLiteral(", valid ") + valid) +
           QStringLiteral("; the shaded columns fly each leg in the wind at its altitude.");
}

}  // namespace

PlanTableBinder::PlanTableBinder(AppContext& context, VaneWindow& vane)
    : QObject(&vane), ctx_(context), vane_(vane) {
    button_ = new QPushButton(QStringLiteral("Table"), &vane_);
    button_->setObjectName(QStringLiteral("PlanTableButton"));
    const QRect lists = vane_.list("WaypLst")->geometry();
    button_->setGeometry(QRect(lists.x() + 104, lists.y() - 19, 46, 18));
    button_->setToolTip(QStringLiteral(
        "Shows the plan as a table: identifier, type, frequency, course, distances and times."));
    connect(button_, &QPushButton::clicked, this, [this] { open(); });
    timer_ = ctx_.scheduler.createTimer([this] {
        if (window_ && window_->isVisible()) {
            refresh();
        }
    });
}

PlanTableBinder::~PlanTableBinder() = default;

void PlanTableBinder::open() {
    if (!window_) {
        window_ = std::make_unique<QWidget>(nullptr, Qt::Window);
        window_->setObjectName(QStringLiteral("PlanTableWindow"));
        window_->setWindowTitle(QStringLiteral("Flight Plan Table"));
        auto* layout = new QVBoxLayout(window_.get());
        table_ = new QTableWidget(window_.get());
        table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table_->setSelectionMode(QAbstractItemView::NoSelection);
        table_->verticalHeader()->hide();
        layout->addWidget(table_);
        note_ = new QLabel(window_.get());
        note_->setWordWrap(true);
        layout->addWidget(note_);
        window_->resize(1180, 380);
        placeOnScreen(*window_, vane_);
    }
    refresh();
    window_->show();
    window_->raise();
    timer_->setInterval(kRefreshMs);
}

void PlanTableBinder::refresh() {
    if (table_ == nullptr) {
        return;
    }
    const double v = ctx_.sim.get_MagVar();
    std::optional<double> magVar;
    if (std::isfinite(v) && v != simlink::SimLink::kNoPosition && v != 9992.0) {
        magVar = v;
    }
    // A copy of the pointer keeps the field whole while a new load replaces it.
    const std::shared_ptr<const weather::AloftField> aloft = ctx_.aloft;
    const flightplan::PlanWindsInput winds{aloft.get(),
                                           static_cast<std::int64_t>(ctx_.scheduler.wallClock()),
                                           ctx_.settings.heightsInMetres()};
    const auto plan =
        flightplan::planTable(vane_.planControls().flight(), ctx_.waypoints, magVar, &winds);
    const QStringList headers = {
        QString(),
        QStringLiteral("Identifier"),
        QStringLiteral("Type"),
        QStringLiteral("Name"),
        QStringLiteral("Frequency"),
        plan.magnetic ? QStringLiteral("Course °M") : QStringLiteral("Course °T"),
        QStringLiteral("Leg nm"),
        QStringLiteral("Total nm"),
        QStringLiteral("Leg time"),
        QStringLiteral("Total time"),
        QStringLiteral("Altitude"),
        QStringLiteral("Speed"),
        QStringLiteral("TAS kt"),
        QStringLiteral("Wind °T/kt"),
        QStringLiteral("Head/tail kt"),
        QStringLiteral("GS kt"),
        QStringLiteral("Time in wind"),
        QStringLiteral("Total in wind")};
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(static_cast<int>(plan.rows.size()) + 1);
    auto put = [&](int row, int column, const QString& text, bool dim, bool bold) {
        auto* item = new QTableWidgetItem(text);
        if (dim) {
            item->setForeground(QColor(128, 128, 128));
        }
        if (bold) {
            QFont f = item->font();
            f.setBold(true);
            item->setFont(f);
        }
        if (column >= 5) {
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (column >= kWindColumn) {
            item->setBackground(kWindShade);
        }
        table_->setItem(row, column, item);
    };
    int r = 0;
    std::optional<double> windMinutes = 0.0;
    for (const auto& row : plan.rows) {
        using State = flightplan::PlanTableRow::State;
        const bool passed = row.state == State::Passed;
        const bool active = row.state == State::Active;
        if (row.wind && windMinutes) {
            windMinutes =
                row.wind->minutes ? std::optional(*windMinutes + *row.wind->minutes) : std::nullopt;
        }
        const QString cells[] = {
            passed ? QStringLiteral("passed") : (active ? QStringLiteral("active") : QString()),
            QString::fromStdString(row.ident),
            QString::fromStdString(row.type),
            QString::fromStdString(row.name),
            QString::fromStdString(row.frequency),
            row.course ? course(*row.course) : QString(),
            row.legNm ? fixed(*row.legNm, 0) : QString(),
            fixed(row.totalNm, 0),
            row.legHours ? QString::fromStdString(flightplan::hoursText(*row.legHours)) : QString(),
            row.totalHours ? QString::fromStdString(flightplan::hoursText(*row.totalHours))
                           : QString(),
            QString::fromStdString(row.altitude),
            QString::fromStdString(row.speed),
            row.wind && row.wind->tasKt ? fixed(*row.wind->tasKt, 0)
            : row.tasKt                 ? fixed(*row.tasKt, 0)
                                        : QString(),
            row.wind ? windText(*row.wind) : QString(),
            row.wind && row.wind->forecast ? headTail(row.wind->tailwindKt) : QString(),
            row.wind && row.wind->groundSpeedKt ? fixed(*row.wind->groundSpeedKt, 0) : QString(),
            row.wind && row.wind->minutes
                ? QString::fromStdString(flightplan::hoursText(*row.wind->minutes / 60.0))
                : QString(),
            windMinutes ? QString::fromStdString(flightplan::hoursText(*windMinutes / 60.0))
                        : QString(),
        };
        for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) {
            put(r, c, cells[c], passed, active);
        }
        ++r;
    }
    put(r, 3, QStringLiteral("Total"), false, true);
    put(r, 7, fixed(plan.totalNm, 0), false, true);
    put(r, 9,
        plan.totalHours ? QString::fromStdString(flightplan::hoursText(*plan.totalHours))
                        : QString(),
        false, true);
    for (int c = kWindColumn; c < kWindColumn + 4; ++c) {
        put(r, c, QString(), false, true);
    }
    put(r, kWindColumn + 4,
        plan.windMinutes ? QString::fromStdString(flightplan::hoursText(*plan.windMinutes / 60.0))
                         : QString(),
        false, true);
    table_->resizeColumnsToContents();
    note_->setText(
        (plan.magnetic
             ? QStringLiteral("Courses are magnetic, with the simulator's variation. Times are "
                              "at each entry's true airspeed, without wind.")
             : QStringLiteral("Courses are true: the simulator gives no variation. Times are at "
                              "each entry's true airspeed, without wind.")) +
        QStringLiteral(" A speed in knots is indicated, as the autopilot holds it; its true "
                       "airspeed is that at the entry's altitude in the winds aloft's "
                       "temperature, else in the standard atmosphere.") +
        QStringLiteral("\n") + windNote(plan));
}

}  // namespace zephyra::shell
