#include "shell/SimulatorWindow.h"
#include "support/WindowFixture.h"

using namespace zephyra;
using shell::SimulatorWindow;

class SimulatorWindowTest : public test::WindowFixture {};

TEST_F(SimulatorWindowTest, StartStopAndFlyOnTheClock) {
    SimulatorWindow w(aircraft);
    auto* button = w.findChild<QPushButton*>("SimStartStop");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Start");
    button->click();
    EXPECT_TRUE(aircraft.running());
    EXPECT_EQ(button->text(), "Stop");
    scheduler.advance(60);
    EXPECT_GT(aircraft.groundDistanceNm(), 1.9);
    EXPECT_TRUE(w.findChild<QLabel*>("AircraftState")->text().contains("Running"));
    button->click();
    EXPECT_FALSE(aircraft.running());
}

TEST_F(SimulatorWindowTest, ApplyPlacesAndSteersTheAircraft) {
    SimulatorWindow w(aircraft);
    w.findChild<QLineEdit*>("SimLatitude")->setText("51.4775");
    w.findChild<QLineEdit*>("SimLongitude")->setText("-0.4614");
    w.findChild<QDoubleSpinBox*>("SimHeading")->setValue(270);
    w.findChild<QDoubleSpinBox*>("SimAltitude")->setValue(8000);
    w.findChild<QDoubleSpinBox*>("SimSpeed")->setValue(250);
    w.applySettings();
    EXPECT_NEAR(aircraft.latitude(), 51.4775, 1e-9);
    EXPECT_NEAR(aircraft.longitude(), -0.4614, 1e-9);
    EXPECT_EQ(aircraft.heading(), 270);
    EXPECT_EQ(aircraft.altitude(), 8000);
    EXPECT_EQ(aircraft.trueAirspeed(), 250);

    // Typing nonsense keeps the aircraft where it is.
    w.findChild<QLineEdit*>("SimLatitude")->setText("north");
    w.applySettings();
    EXPECT_NEAR(aircraft.latitude(), 51.4775, 1e-9);
    EXPECT_EQ(w.findChild<QLineEdit*>("SimLatitude")->text(), "51.4775");
}

TEST_F(SimulatorWindowTest, AirportLookupMovesTheAircraft) {
    SimulatorWindow w(aircraft);
    auto* ident = w.findChild<QLineEdit*>("SimAirport");
    EXPECT_FALSE(w.goToAirport());
    w.findAirport = [](const std::string& id) -> std::optional<std::pair<double, double>> {
        if (id == "EGLL") {
            return std::make_pair(51.4706, -0.4619);
        }
        return std::nullopt;
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
    SimulatorWindow w(aircraft);
    EXPECT_EQ(w.weatherSummary(), "No weather received yet.");
    aircraft.upd_visib(30);
    aircraft.upd_temps(1026, 53, 20000, -21, 30000, -39, 40000, -50, 1013.2,
                       simlink::TemperatureScale::Fahrenheit);
    aircraft.upd_cloud1(3526, 4100, 7.0, 300, 0, 0, 12.5);
    aircraft.upd_wind0(5000, 10, 270, 3.5, 1);
    aircraft.upd_Tstorm(5000, 30000, 5.0, 0, 0, 0, 150.0);
    w.refresh();
    const QString text = w.findChild<QPlainTextEdit*>("WeatherHeld")->toPlainText();
    EXPECT_TRUE(text.contains("Visibility  30.0000 sm"));
    EXPECT_TRUE(text.contains("Pressure    1013.20 mb"));
    EXPECT_TRUE(text.contains("Cloud 1     3526-4100 ft, cover 7.0/8"));
    EXPECT_TRUE(text.contains("Wind 0      270° 10 kt"));
    EXPECT_TRUE(text.contains("gusts"));
    EXPECT_TRUE(text.contains("Storm       on"));
}
