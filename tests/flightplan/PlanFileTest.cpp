#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "flightplan/PlanFile.h"
#include "flightplan/PlanNumbers.h"
#include "support/TempDir.h"

using namespace zephyra;
using flightplan::PlanStore;

namespace {

class Host final : public flightplan::PlanLoadHost {
  public:
    bool answer = true;
    int processed = 0;
    bool useCustomWeather() override { return answer; }
    void processCustomWeather() override { ++processed; }
};

// A weather section of entries 0 to w: field 2 is -84.5, the others 10 * field + entry.
std::string weatherSection(int w) {
    std::string s = "Weather\r\n " + std::to_string(w) + " \r\n";
    for (int a = 0; a <= w; ++a) {
        s += "WX" + std::to_string(a) + "\r\n";
        for (int b = 1; b < 16; ++b) {
            s += (b == 2 ? "-84.5" : " " + std::to_string(b * 10 + a) + " ") + std::string("\r\n");
        }
    }
    return s;
}

TEST(PlanNumbers, TextForms) {
    EXPECT_EQ(flightplan::standardText(250.0), "250");
    EXPECT_EQ(flightplan::standardText(0.78), "0.78");
    EXPECT_EQ(flightplan::standardText(33.64027777777777), "33.6402777777778");
    EXPECT_EQ(flightplan::standardText(-84.42694444444444), "-84.4269444444444");
    EXPECT_EQ(flightplan::printForm(3000), " 3000 ");
    EXPECT_EQ(flightplan::printForm(-5.5), "-5.5 ");
    EXPECT_EQ(flightplan::printForm(0), " 0 ");
    EXPECT_EQ(flightplan::fourDecimals(-84.43), "-84.4300");
    EXPECT_EQ(flightplan::roundHalfEven(4500.5), 4500);
    EXPECT_EQ(flightplan::roundHalfEven(4501.5), 4502);
    EXPECT_FALSE(flightplan::readNumber("12a").has_value());
    EXPECT_EQ(flightplan::readNumber(" -3.5 ").value_or(0), -3.5);
}

TEST(PlanFile, RoundTripKeepsNamesAltitudesPositionsAndWeather) {
    test::TempDir dir;
    Host host;
    const std::string text =
        "Macon|32.6927777777778|-83.6491666666667|9000|0.6\r\n"
        "Atlanta|33.6402777777778|-84.4269444444444|3000|250.0\r\n" +
        weatherSection(0);
    PlanStore plan;
    const auto r = flightplan::readPlan(text, plan, host);
    EXPECT_TRUE(r.completed && r.weatherLoaded);
    EXPECT_EQ(host.processed, 1);
    EXPECT_EQ(plan.SpdLst, (std::vector<std::string>{"0.6", "250"}));
    EXPECT_EQ(plan.PlanAlt[1], 3000);
    EXPECT_EQ(plan.PlanWxCount, 0);
    EXPECT_TRUE(plan.hasCustomWeather);
    EXPECT_EQ(plan.PlanWx[0].id, "WX0");
    EXPECT_EQ(plan.PlanWx[0].field[2], -84.5);

    ASSERT_TRUE(flightplan::savePlanFile(dir.file("a.fpl"), plan));
    const std::string saved = dir.read("a.fpl");
    EXPECT_EQ(saved.substr(0, 51), "Macon|32.6927777777778|-83.6491666666667|9000|0.6\r\n");
    EXPECT_NE(saved.find("|250\r\nWeather\r\n 0 \r\nWX0\r\n 10 \r\n-84.5 \r\n"), std::string::npos);
    PlanStore again;
    flightplan::loadPlanFile(dir.file("a.fpl"), again, host);
    EXPECT_EQ(again.PlanLat[0], plan.PlanLat[0]);
    EXPECT_EQ(again.PlanLon[1], plan.PlanLon[1]);
    EXPECT_EQ(flightplan::formatPlan(again), saved);

    // A plan without weather writes no weather section.
    PlanStore bare;
    bare.append({"X", "1", "2", 1, 2, 1, 2});
    EXPECT_EQ(flightplan::formatPlan(bare), "X|1|2|1|2\r\n");
}

TEST(PlanFile, SaveNamesGetTheSuffix) {
    const std::pair<std::string, std::string> cases[] = {
        {"trip", "trip.fpl"},     {"/a/b/trip", "/a/b/trip.fpl"},     {"trip.fpl", "trip.fpl"},
        {"trip.txt", "trip.txt"}, {"dir.v2/trip", "dir.v2/trip.fpl"}, {"trip.", "trip.fpl"},
    };
    for (const auto& [given, saved] : cases) {
        EXPECT_EQ(flightplan::withPlanSuffix(given), saved);
    }
}

TEST(PlanFile, SectionsAnswersAndBadLines) {
    struct Case {
        const char* what;
        std::string text;
        bool answer;
        int entries;
        bool completed, weather;
    };
    auto crOnly = [](std::string text) {
        std::erase(text, '\n');
        return text;
    };
    const std::string a = "A|1|2|3000|250\r\n", b = "B|3|4|4000|0.7\r\n";
    std::string many;
    for (int i = 0; i < 2002; ++i) {
        many += a;
    }
    const std::string wx = a + weatherSection(1) + b;
    const Case cases[] = {
        {"declined weather keeps what came before", wx, false, 1, true, false},
        {"accepted weather goes on after it", wx, true, 2, true, true},
        {"ATC section consumed", a + "ATC\r\n1\r\nx,\"y,z\",w\r\nq,r,s\r\n" + b, true, 2, true,
         false},
        {"approach line loads nothing", "Approach=ILS 27\r\n" + a, true, 0, false, false},
        {"missing field", a + "C|1|2|3\r\n" + b, true, 1, false, false},
        {"non-numeric altitude", a + "C|1|2|high|250\r\n", true, 1, false, false},
        {"weather index above 200", a + "Weather\r\n201\r\n", true, 1, false, false},
        {"2002nd entry", many, true, 2001, false, false},
        {"unix line ends", "A|1|2|3000|250\nB|3|4|4000|0.7\n", true, 2, true, false},
        {"old Macintosh line ends", "A|1|2|3000|250\rB|3|4|4000|0.7\r", true, 2, true, false},
        {"weather with CR line ends", crOnly(wx), true, 2, true, true},
        {"latitude off the Earth", a + "C|90.5|2|3000|250\r\n" + b, true, 1, false, false},
        {"longitude off the Earth", a + "C|1|-180.01|3000|250\r\n" + b, true, 1, false, false},
        {"poles and date line", "N|90|180|1|1\r\nS|-90|-180|1|1\r\n", true, 2, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Host host;
        host.answer = c.answer;
        PlanStore plan;
        plan.PlanWxCount = 7;
        const auto r = flightplan::readPlan(c.text, plan, host);
        EXPECT_EQ(plan.PlanCount, c.entries);
        EXPECT_EQ(static_cast<int>(plan.WaypLst.size()), c.entries);
        EXPECT_EQ(r.completed, c.completed);
        EXPECT_EQ(r.weatherLoaded, c.weather);
        EXPECT_EQ(plan.PlanWxCount, c.weather ? 1 : 7);
        EXPECT_EQ(host.processed, c.weather ? 1 : 0);
        EXPECT_EQ(r.problem.find("outside the Earth") != std::string::npos,
                  std::string(c.what).ends_with("off the Earth"))
            << r.problem;
    }
}

TEST(PlanFile, OnlyRegularFilesOfAtMost16MbAreRead) {
    test::TempDir dir;
    const std::string huge = dir.write("huge.fpl", "");
    std::filesystem::resize_file(huge, flightplan::kMaxPlanFileBytes + 1);  // sparse
    const std::string fifo = dir.file("pipe.fpl");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // nobody writes: a read would never end
    const std::string device = "This is not a regular file, so it cannot be a flight plan.";
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/zero", device},
        {"/dev/urandom", device},
        {fifo, device},
        {dir.path(), "This is a folder, not a flight plan."},
        {huge, "The file is too large to be a flight plan."},
        {dir.file("nope.fpl"), "File not found."},
    };
    for (const auto& [path, reason] : cases) {
        Host host;
        PlanStore plan;
        plan.append({"KEPT", "9000", "250", 33.6, -84.4, 9000, 250});
        const auto r = flightplan::loadPlanFile(path, plan, host);
        EXPECT_FALSE(r.opened) << path;
        EXPECT_EQ(r.error, reason);
        EXPECT_EQ(plan.PlanCount, 1);  // the plan shown before stays
    }
}

}  // namespace
