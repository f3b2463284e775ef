#include "shell/SimulatorWindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>

#include "platform/qt/QtScheduler.h"
#include "support/WindowFixture.h"

using namespace zephyra;
using shell::SimulatorWindow;

class SimulatorWindowTest : public test::WindowFixture {
  protected:
    SimulatorWindow w{aircraft};
};

TEST_F(SimulatorWindowTest, StartStopAndFlyOnTheClock) {
    auto* button = w.findChild<QPushButton*>("SimStartStop");
    button->click();
    EXPECT_TRUE(aircraft.running());
    scheduler.advance(60);
    EXPECT_GT(aircraft.groundDistanceNm(), 1.9);
    button->click();
    EXPECT_FALSE(aircraft.running());
}

// Typing nonsense or an unknown airport keeps the aircraft where it is.
TEST_F(SimulatorWindowTest, ApplyAndAirportLookupPlaceTheAircraft) {
    auto* latitude = w.findChild<QLineEdit*>("SimLatitude");
    latitude->setText("51.4775");
    w.findChild<QLineEdit*>("SimLongitude")->setText("-0.4614");
    w.findChild<QDoubleSpinBox*>("SimHeading")->setValue(270);
    w.findChild<QDoubleSpinBox*>("SimAltitude")->setValue(8000);
    w.findChild<QDoubleSpinBox*>("SimSpeed")->setValue(250);
    w.applySettings();
    EXPECT_NEAR(aircraft.latitude(), 51.4775, 1e-9);
    EXPECT_NEAR(aircraft.longitude(), -0.4614, 1e-9);
    EXPECT_EQ(aircraft.heading(), 270);
    EXPECT_EQ(aircraft.trueAirspeed(), 250);
    latitude->setText("north");
    w.applySettings();
    EXPECT_NEAR(aircraft.latitude(), 51.4775, 1e-9);
    EXPECT_EQ(latitude->text(), "51.4775");

    auto* ident = w.findChild<QLineEdit*>("SimAirport");
    EXPECT_FALSE(w.goToAirport());
    w.findAirport = [](const std::string& id) -> std::optional<std::pair<double, double>> {
        return id == "EGLL" ? std::optional(std::make_pair(51.4706, -0.4619)) : std::nullopt;
    };
    w.refresh();
    ident->setText("egll");
    EXPECT_TRUE(w.goToAirport());
    EXPECT_NEAR(aircraft.latitude(), 51.4706, 1e-9);
    ident->setText("XXXX");
    EXPECT_FALSE(w.goToAirport());
    EXPECT_NEAR(aircraft.latitude(), 51.4706, 1e-9);
}

TEST_F(SimulatorWindowTest, ShowsTheWeatherItReceived) {
    aircraft.upd_visib(30);
    aircraft.upd_temps(1026, 53, 20000, -21, 30000, -39, 40000, -50, 1013.2,
                       simlink::TemperatureScale::Fahrenheit);
    aircraft.upd_cloud1(3526, 4100, 7.0, 300, 0, 0, 12.5);
    aircraft.upd_wind0(5000, 10, 270, 3.5, 1);
    aircraft.upd_Tstorm(5000, 30000, 5.0, 0, 0, 0, 150.0);
    w.refresh();
    auto* held = w.findChild<QPlainTextEdit*>("WeatherHeld");
    const QString text = held->toPlainText();
    for (const char* line :
         {"Visibility  30 statute miles", "Pressure    1013.2 mb",
          "Temperature 53 °F at 1,026 ft, -21 °F at 20,000 ft",
          "Cloud 1     7/8, 3,526 to 4,100 ft, no icing, turbulence 13/255, deviation 300 ft",
          "Wind 0      270° at 10 kt up to 5,000 ft, turbulence 4/255, gusts", "Storm       on"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n" << text.toStdString();
    }
    // A record in Celsius shows Celsius.
    aircraft.upd_temps(1026, 9, 20000, -29, 30000, -39, 40000, -50, 1013.2,
                       simlink::TemperatureScale::Celsius);
    w.refresh();
    EXPECT_TRUE(held->toPlainText().contains(
        QString::fromUtf8("Temperature 9 °C at 1,026 ft, -29 °C at 20,000 ft")));

    // A station's full observation: every reported layer, the dew point, the visibility.
    simlink::ObservedWeather kjfk;
    kjfk.valid = true;
    kjfk.layers = {{"few", 3509, 500, false},
                   {"broken", 4709, 2000, false},
                   {"broken", 14009, 2000, false},
                   {"overcast", 21009, 3000, false}};
    kjfk.dewPointC = 11.7;
    kjfk.visibilityMetres = 16093;
    aircraft.upd_observed(kjfk);
    w.refresh();
    for (const char* line :
         {"Reported    few at 3,509 ft, broken at 4,709 ft, broken at 14,009 ft, "
          "overcast at 21,009 ft",
          "            dew point 11.7 °C, visibility 16093 m"}) {
        EXPECT_TRUE(held->toPlainText().contains(QString::fromUtf8(line)))
            << line << "\n"
            << held->toPlainText().toStdString();
    }
}

// The Time box speeds up the clock and its timers; a new rate goes on from the same time.
TEST_F(SimulatorWindowTest, TimeAccelerationRunsTheClockAndTimersFaster) {
    platform::QtScheduler clock;
    w.onRateChanged = [&](double r) { clock.setRate(r); };
    auto* rate = w.findChild<QComboBox*>("SimRate");
    ASSERT_NE(rate, nullptr);
    rate->setCurrentIndex(4);  // ×16
    int fired = 0;
    auto timer = clock.createTimer([&] { ++fired; });
    timer->setInterval(800);  // 50 ms of real time at ×16
    QElapsedTimer real;
    real.start();
    const double from = clock.now();
    while (real.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_GE(fired, 2);
    EXPECT_GE(clock.now() - from, 0.3 * 16 * 0.99);
    const double before = clock.now();
    rate->setCurrentIndex(0);
    EXPECT_EQ(clock.rate(), 1.0);
    EXPECT_GE(clock.now(), before);
    EXPECT_LT(clock.now() - before, 1.0);
}
