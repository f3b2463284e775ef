#include "shell/SimulatorWindow.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "simlink/BuiltInAircraft.h"

namespace zephyra::shell {

namespace {

QString degreesText(double value, bool latitude) {
    const char hemi = latitude ? (value < 0 ? 'S' : 'N') : (value < 0 ? 'W' : 'E');
    const double a = std::fabs(value);
    const int d = static_cast<int>(a);
    const double m = (a - d) * 60.0;
    return QStringLiteral("%1°%2' %3 (%4)")
        .arg(d)
        .arg(m, 5, 'f', 2, QLatin1Char('0'))
        .arg(QLatin1Char(hemi))
        .arg(value, 0, 'f', 4);
}

// A number with as many decimals as its size deserves: 30, 2.5, 0.75.
QString sensible(double value) {
    const double a = std::fabs(value);
    const int decimals = a >= 10 ? 0 : a >= 1 ? 1 : 2;
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) {
            text.chop(1);
        }
        if (text.endsWith(QLatin1Char('.'))) {
            text.chop(1);
        }
    }
    return text;
}

QString feet(double value) {
    return QLocale(QLocale::English).toString(std::lround(value)) + QStringLiteral(" ft");
}

// Turbulence comes on a scale of 0 to 255.
QString outOf255(double value) {
    return QStringLiteral("%1/255").arg(value, 0, 'f', 0);
}

// "6,273 to 21,273 ft"
QString feetSpan(double from, double to) {
    return QLocale(QLocale::English).toString(std::lround(from)) + QStringLiteral(" to ") +
           feet(to);
}

QString eighths(double coverage) {
    return sensible(coverage) + QStringLiteral("/8");
}

// The picture above the Simulator window's controls: sky and ground, the cloud layers the
// aircraft holds drawn as thick as their cover, and a haze as dense as the visibility is low.
// The eighths a reported class stands for, for drawing.
double observedEighths(const std::string& coverage) {
    return coverage == "few"         ? 2.0
           : coverage == "scattered" ? 4.0
           : coverage == "broken"    ? 6.0
                                     : 8.0;
}

class SkyPicture final : public QFrame {
  public:
    SkyPicture(const simlink::BuiltInAircraft& aircraft, QWidget* parent)
        : QFrame(parent), aircraft_(aircraft) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        const auto& w = aircraft_.weather();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = rect();
        const double horizon = r.height() * 0.56;
        QLinearGradient sky(0, 0, 0, horizon);
        sky.setColorAt(0, QColor(0x4f, 0x86, 0xc6));
        sky.setColorAt(1, QColor(0xa9, 0xc9, 0xec));
        p.fillRect(QRectF(0, 0, r.width(), horizon), sky);
        QLinearGradient ground(0, horizon, 0, r.height());
        ground.setColorAt(0, QColor(0x6f, 0x8f, 0x4e));
        ground.setColorAt(1, QColor(0x4c, 0x6a, 0x33));
        p.fillRect(QRectF(0, horizon, r.width(), r.height() - horizon), ground);

        // Each layer veils the sky above its base as much as it covers it; its puffs line the
        // base, which lies the higher in the picture the higher it is.
        auto layer = [&](const simlink::BuiltInAircraft::CloudLayer& c) {
            if (!c.received || c.coverage <= 0 || c.top <= c.base) {
                return;
            }
            const double cover = std::clamp(c.coverage / 8.0, 0.0, 1.0);
            const double y = horizon * (1.0 - std::clamp(c.base / 30000.0, 0.05, 0.9));
            QColor grey(0xd8, 0xdc, 0xe2);
            grey.setAlphaF(static_cast<float>(0.1 + 0.85 * cover));
            p.fillRect(QRectF(0, 0, r.width(), y), grey);
            p.setPen(Qt::NoPen);
            p.setBrush(grey);
            const int puffs = 3 + static_cast<int>(cover * 13);
            for (int i = 0; i < puffs; ++i) {
                const double x = (i + 0.5) * r.width() / puffs;
                const double wide = r.width() / puffs * (0.3 + 0.5 * cover);
                p.drawEllipse(QPointF(x, y), wide, 4 + 6 * cover);
            }
        };
        // A station's full observation draws every reported layer, highest first; without one
        // the classic two layers stand.
        if (w.observed.valid) {
            for (auto it = w.observed.layers.rbegin(); it != w.observed.layers.rend(); ++it) {
                simlink::BuiltInAircraft::CloudLayer c;
                c.received = true;
                c.base = it->base;
                c.top = it->base + it->thickness;
                c.coverage = observedEighths(it->coverage);
                layer(c);
            }
        } else {
            layer(w.cloud1);
            layer(w.cloud2);
        }

        // Haze: none at 10 miles and more, the picture nearly white at none.
        const double miles = w.observed.valid && w.observed.visibilityMetres
                                 ? *w.observed.visibilityMetres / 1609.344
                                 : w.visibilityStatuteMiles;
        if (w.visibilityReceived || (w.observed.valid && w.observed.visibilityMetres)) {
            const double haze = std::clamp(1.0 - miles / 10.0, 0.0, 0.85);
            QColor white(0xf4, 0xf5, 0xf6);
            white.setAlphaF(static_cast<float>(haze));
            p.fillRect(r, white);
        }
        p.setPen(QColor(0x22, 0x22, 0x33));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }

  private:
    const simlink::BuiltInAircraft& aircraft_;
};

QDoubleSpinBox* spin(double min, double max, int decimals, const QString& suffix) {
    auto* s = new QDoubleSpinBox;
    s->setRange(min, max);
    s->setDecimals(decimals);
    s->setSuffix(suffix);
    s->setKeyboardTracking(false);
    return s;
}

}  // namespace

SimulatorWindow::SimulatorWindow(simlink::BuiltInAircraft& aircraft, QWidget* parent)
    : QWidget(parent), aircraft_(aircraft) {
    setObjectName(QStringLiteral("Simulator"));
    setWindowTitle(QStringLiteral("Simulator"));
    setWindowFlag(Qt::Window, true);

    cockpit_ = new SkyPicture(aircraft_, this);
    cockpit_->setObjectName(QStringLiteral("FS98MAIN"));
    cockpit_->setMinimumSize(360, 120);

    state_ = new QLabel(this);
    state_->setObjectName(QStringLiteral("AircraftState"));
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    state_->setMinimumWidth(260);
    state_->setWordWrap(true);

    weather_ = new QPlainTextEdit(this);
    weather_->setObjectName(QStringLiteral("WeatherHeld"));
    weather_->setReadOnly(true);
    weather_->setMinimumHeight(150);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSizeF(8.0);
    weather_->setFont(mono);

    lat_ = new QLineEdit(this);
    lat_->setObjectName(QStringLiteral("SimLatitude"));
    lon_ = new QLineEdit(this);
    lon_->setObjectName(QStringLiteral("SimLongitude"));
    airport_ = new QLineEdit(this);
    airport_->setObjectName(QStringLiteral("SimAirport"));
    airport_->setPlaceholderText(QStringLiteral("ICAO, e.g. KATL"));
    airport_->setMaxLength(8);
    airportGo_ = new QPushButton(QStringLiteral("Go"), this);
    airportGo_->setObjectName(QStringLiteral("SimAirportGo"));
    heading_ = spin(0, 360, 0, QStringLiteral("°"));
    heading_->setObjectName(QStringLiteral("SimHeading"));
    altitude_ = spin(0, 60000, 0, QStringLiteral(" ft"));
    altitude_->setObjectName(QStringLiteral("SimAltitude"));
    altitude_->setSingleStep(500);
    speed_ = spin(0, 2000, 0, QStringLiteral(" kt"));
    speed_->setObjectName(QStringLiteral("SimSpeed"));
    speed_->setSingleStep(10);
    magVar_ = spin(-180, 180, 1, QStringLiteral("°"));
    magVar_->setObjectName(QStringLiteral("SimMagVar"));
    magVar_->setToolTip(QStringLiteral("Magnetic variation, east positive"));

    auto* apply = new QPushButton(QStringLiteral("Apply"), this);
    apply->setObjectName(QStringLiteral("SimApply"));
    startStop_ = new QPushButton(this);
    startStop_->setObjectName(QStringLiteral("SimStartStop"));

    auto* place = new QGroupBox(QStringLiteral("Aircraft"), this);
    auto* form = new QFormLayout(place);
    auto* airportRow = new QHBoxLayout;
    airportRow->addWidget(airport_);
    airportRow->addWidget(airportGo_);
    form->addRow(QStringLiteral("Airport"), airportRow);
    form->addRow(QStringLiteral("Latitude"), lat_);
    form->addRow(QStringLiteral("Longitude"), lon_);
    form->addRow(QStringLiteral("Heading (true)"), heading_);
    form->addRow(QStringLiteral("Altitude"), altitude_);
    form->addRow(QStringLiteral("True airspeed"), speed_);
    form->addRow(QStringLiteral("Variation"), magVar_);
    rate_ = new QComboBox(this);
    rate_->setObjectName(QStringLiteral("SimRate"));
    for (const int r : {1, 2, 4, 8, 16}) {
        rate_->addItem(QStringLiteral("×%1").arg(r), r);
    }
    rate_->setToolTip(QStringLiteral(
        "Time acceleration: the aircraft, the navigation and the weather all run this much "
        "faster."));
    form->addRow(QStringLiteral("Time"), rate_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(apply);
    buttons->addWidget(startStop_);
    form->addRow(buttons);

    auto* status = new QGroupBox(QStringLiteral("Flight"), this);
    auto* sl = new QVBoxLayout(status);
    sl->addWidget(state_);
    sl->addStretch(1);

    auto* weatherBox = new QGroupBox(QStringLiteral("Weather received"), this);
    auto* wl = new QVBoxLayout(weatherBox);
    wl->addWidget(weather_);

    auto* top = new QHBoxLayout;
    top->addWidget(status, 1);
    top->addWidget(place, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cockpit_);
    layout->addLayout(top);
    layout->addWidget(weatherBox, 1);

    connect(apply, &QPushButton::clicked, this, [this] { applySettings(); });
    connect(rate_, &QComboBox::currentIndexChanged, this, [this] {
        if (onRateChanged) {
            onRateChanged(rate_->currentData().toDouble());
        }
    });
    connect(startStop_, &QPushButton::clicked, this, [this] { toggleRunning(); });
    connect(airportGo_, &QPushButton::clicked, this, [this] { goToAirport(); });
    connect(airport_, &QLineEdit::returnPressed, this, [this] { goToAirport(); });

    lat_->setText(QString::number(aircraft_.latitude(), 'f', 4));
    lon_->setText(QString::number(aircraft_.longitude(), 'f', 4));
    heading_->setValue(aircraft_.heading());
    altitude_->setValue(aircraft_.altitude());
    speed_->setValue(aircraft_.trueAirspeed());
    aircraft_.onChanged = [this] { refresh(); };
    resize(620, 560);
    refresh();
}

SimulatorWindow::~SimulatorWindow() {
    aircraft_.onChanged = nullptr;
}

void SimulatorWindow::applySettings() {
    bool okLat = false;
    bool okLon = false;
    const double lat = lat_->text().trimmed().toDouble(&okLat);
    const double lon = lon_->text().trimmed().toDouble(&okLon);
    if (okLat && okLon && std::fabs(lat) <= 90.0 && std::fabs(lon) <= 180.0) {
        aircraft_.setLatitude(lat);
        aircraft_.setLongitude(lon);
    } else {
        lat_->setText(QString::number(aircraft_.latitude(), 'f', 4));
        lon_->setText(QString::number(aircraft_.longitude(), 'f', 4));
    }
    aircraft_.setHeading(heading_->value());
    aircraft_.setAltitude(altitude_->value());
    aircraft_.setAirspeed(speed_->value());
    aircraft_.setMagVar(magVar_->value());
    refresh();
}

void SimulatorWindow::showRate(double rate) {
    const int i = rate_->findData(static_cast<int>(rate));
    if (i >= 0) {
        const QSignalBlocker quiet(rate_);
        rate_->setCurrentIndex(i);
    }
}

void SimulatorWindow::toggleRunning() {
    if (aircraft_.running()) {
        aircraft_.stop();
    } else {
        aircraft_.start();
    }
    refresh();
}

bool SimulatorWindow::goToAirport() {
    if (!findAirport) {
        airport_->setToolTip(QStringLiteral("Airport lookup needs the database."));
        return false;
    }
    const auto where = findAirport(airport_->text().trimmed().toUpper().toStdString());
    if (!where) {
        airport_->selectAll();
        airport_->setStyleSheet(QStringLiteral("background: #ffd9d9;"));
        return false;
    }
    airport_->setStyleSheet(QString());
    lat_->setText(QString::number(where->first, 'f', 4));
    lon_->setText(QString::number(where->second, 'f', 4));
    aircraft_.setLatitude(where->first);
    aircraft_.setLongitude(where->second);
    refresh();
    return true;
}

QString SimulatorWindow::weatherSummary() const {
    const auto& w = aircraft_.weather();
    QStringList lines;
    if (w.visibilityReceived) {
        lines << QStringLiteral("Visibility  %1 statute miles")
                     .arg(sensible(w.visibilityStatuteMiles));
    }
    if (w.temperatures.received) {
        const auto& t = w.temperatures;
        lines << QStringLiteral("Pressure    %1 mb").arg(t.pressureMb, 0, 'f', 1);
        // In the scale the record holds: a station whose report gave Celsius may keep it.
        const QString unit = t.scale == simlink::TemperatureScale::Celsius ? QStringLiteral("°C")
                                                                           : QStringLiteral("°F");
        auto temperature = [&](std::size_t at) {
            return QStringLiteral("%1 %2 at %3").arg(t.degrees[at]).arg(unit, feet(t.altitude[at]));
        };
        lines << QStringLiteral("Temperature %1, %2").arg(temperature(0), temperature(1));
        lines << QStringLiteral("            %1, %2").arg(temperature(2), temperature(3));
    }
    auto cloud = [&](const char* name, const simlink::BuiltInAircraft::CloudLayer& c) {
        if (c.received) {
            lines << QStringLiteral("%1 %2, %3, %4, turbulence %5%6")
                         .arg(QLatin1String(name))
                         .arg(eighths(c.coverage))
                         .arg(feetSpan(c.base, c.top))
                         .arg(c.icing != 0 ? QStringLiteral("icing") : QStringLiteral("no icing"))
                         .arg(outOf255(c.turbulence))
                         .arg(c.deviation != 0
                                  ? QStringLiteral(", deviation %1").arg(feet(c.deviation))
                                  : QString());
        }
    };
    cloud("Cloud 1    ", w.cloud1);
    cloud("Cloud 2    ", w.cloud2);
    if (w.observed.valid) {
        QStringList layers;
        for (const auto& l : w.observed.layers) {
            layers << QStringLiteral("%1 at %2%3")
                          .arg(QString::fromStdString(l.coverage), feet(l.base),
                               l.cumulonimbus ? QStringLiteral(" CB") : QString());
        }
        lines << QStringLiteral("Reported    %1")
                     .arg(layers.isEmpty() ? QStringLiteral("no cloud") : layers.join(", "));
        QStringList more;
        if (w.observed.dewPointC) {
            more << QStringLiteral("dew point %1 °C").arg(*w.observed.dewPointC, 0, 'f', 1);
        }
        if (w.observed.visibilityMetres) {
            more << QStringLiteral("visibility %1 m").arg(*w.observed.visibilityMetres, 0, 'f', 0);
        }
        if (w.observed.rain > 0 || w.observed.snow > 0) {
            more << QStringLiteral("rain %1, snow %2")
                        .arg(w.observed.rain, 0, 'f', 2)
                        .arg(w.observed.snow, 0, 'f', 2);
        }
        if (!more.isEmpty()) {
            lines << QStringLiteral("            %1").arg(more.join(", "));
        }
    }
    for (int i = 0; i < 4; ++i) {
        const auto& l = w.wind[static_cast<std::size_t>(i)];
        if (l.received) {
            // The surface layer reaches up to its depth; the others lie between floor and top.
            const QString span = i == 0 ? QStringLiteral("up to %1").arg(feet(l.base))
                                        : QStringLiteral("from %1").arg(feetSpan(l.base, l.top));
            lines << QStringLiteral("Wind %1      %2° at %3 kt %4, turbulence %5%6")
                         .arg(i)
                         .arg(l.direction, 0, 'f', 0)
                         .arg(l.speed)
                         .arg(span)
                         .arg(outOf255(l.turbulence))
                         .arg(l.gust != 0 ? QStringLiteral(", gusts") : QString());
        }
    }
    if (w.thunderstorm.received) {
        lines << (w.thunderstorm.base > 0 ? QStringLiteral("Storm       on")
                                          : QStringLiteral("Storm       off"));
    }
    if (lines.isEmpty()) {
        lines << QStringLiteral("No weather received yet.");
    }
    return lines.join(QLatin1Char('\n'));
}

void SimulatorWindow::refresh() {
    const bool running = aircraft_.running();
    startStop_->setText(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    QString speedTarget;
    switch (aircraft_.speedMode()) {
        case simlink::BuiltInAircraft::SpeedMode::Mach:
            speedTarget = QStringLiteral("M%1").arg(aircraft_.speedSetting(), 0, 'f', 2);
            break;
        case simlink::BuiltInAircraft::SpeedMode::IndicatedAirspeed:
            speedTarget = QStringLiteral("%1 kt IAS").arg(aircraft_.speedSetting(), 0, 'f', 0);
            break;
        case simlink::BuiltInAircraft::SpeedMode::TrueAirspeed:
            speedTarget = QStringLiteral("%1 kt TAS").arg(aircraft_.speedSetting(), 0, 'f', 0);
            break;
    }
    state_->setText(
        QStringLiteral("<b>%1</b><br>%2<br>%3<br>Altitude %4 ft<br>Heading %5° true, %6° "
                       "magnetic<br>True airspeed %7 kt<br>Autopilot: hdg %8° true, alt %9 ft, "
                       "%10<br>Flown %11 nm")
            .arg(running ? QStringLiteral("Running") : QStringLiteral("Stopped"))
            .arg(degreesText(aircraft_.latitude(), true))
            .arg(degreesText(aircraft_.longitude(), false))
            .arg(aircraft_.altitude(), 0, 'f', 0)
            .arg(aircraft_.heading(), 0, 'f', 0)
            .arg(aircraft_.magneticHeading(), 0, 'f', 0)
            .arg(aircraft_.trueAirspeed(), 0, 'f', 0)
            .arg(aircraft_.targetHeading(), 0, 'f', 0)
            .arg(aircraft_.targetAltitude(), 0, 'f', 0)
            .arg(speedTarget)
            .arg(aircraft_.groundDistanceNm(), 0, 'f', 1));
    const QString summary = weatherSummary();
    if (weather_->toPlainText() != summary) {
        weather_->setPlainText(summary);
        cockpit_->update();
    }
    airportGo_->setEnabled(static_cast<bool>(findAirport));
    airport_->setEnabled(static_cast<bool>(findAirport));
}

}  // namespace zephyra::shell
