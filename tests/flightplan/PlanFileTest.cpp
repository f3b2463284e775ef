#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "flightplan/PlanExchange.h"
#include "flightplan/PlanFile.h"
#include "flightplan/PlanNumbers.h"
#include "flightplan/RouteSender.h"
#include "simlink/FakePropertyServer.h"
#include "support/PlanText.h"
#include "support/TempDir.h"

using namespace zephyra;
using flightplan::ExchangeFormat;
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

PlanStore planOf(const std::vector<PlanStore::Row>& rows) {
    PlanStore plan;
    for (const auto& r : rows) {
        plan.append(r);
    }
    return plan;
}

PlanStore::Row row(const std::string& name, double lat, double lon, int alt, double spd) {
    const auto text = flightplan::standardText(spd);
    return {name, std::to_string(alt), text, lat, lon, static_cast<double>(alt), spd};
}

flightplan::WaypointStore storeWith() {
    flightplan::WaypointStore store;
    store.add("A", "Atlanta Hartsfield", "", 33.6367, -84.428101, 0, 0, "KATL");
    store.add("V", "Spartanburg", "115.7", 35.0338, -81.927, 0, 0, "SPA");
    store.add("A", "John F Kennedy Intl", "", 40.639801, -73.7789, 0, 0, "KJFK");
    return store;
}

// An airport, a VOR, a position with XML-escaped characters and a Mach speed, an airport.
PlanStore katlKjfk() {
    return planOf({row("Atlanta Hartsfield", 33.6367, -84.428101, 1000, 250),
                   row("Spartanburg", 35.0338, -81.927, 9000, 250),
                   row("Point <A> & \"B\"", 37.123456, -78.654321, 33000, 0.78),
                   row("John F Kennedy Intl", 40.639801, -73.7789, 3000, 180)});
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

TEST(PlanExchange, ExportsImportBackToTheSameEntries) {
    const auto store = storeWith();
    const PlanStore original = katlKjfk();
    for (const auto& [format, name] :
         {std::pair{ExchangeFormat::FlightGearRoute, "FlightGear route"},
          std::pair{ExchangeFormat::Gpx, "GPX"}}) {
        test::TempDir dir;
        const std::string path = dir.file("plan.xml");
        ASSERT_TRUE(flightplan::exportPlanFile(path, format, original, &store));
        PlanStore back = planOf({row("old", 1, 2, 3, 4)});
        Host host;
        const auto r = flightplan::importPlanFile(path, back, host, {});
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.format, name);
        EXPECT_TRUE(r.notes.empty());
        EXPECT_EQ(zephyra::test::planEntries(back), zephyra::test::planEntries(original));
    }
}

// Plan altitudes are feet, or metres under metric units; GPX elevations are metres and
// FlightGear's restrictions feet, both ways.
TEST(PlanExchange, AltitudesConvertBetweenThePlansUnitsAndTheFormats) {
    struct Case {
        bool metres;
        int planAlt;
        const char *gpxEle, *fgFeet;
    };
    const Case cases[] = {
        {false, 9000, "<ele>2743.2000</ele>", "<altitude-ft type=\"double\">9000<"},
        {true, 2743, "<ele>2743.0000</ele>", "<altitude-ft type=\"double\">8999<"},
        {true, 9000, "<ele>9000.0000</ele>", "<altitude-ft type=\"double\">29528<"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.planAlt) + (c.metres ? " m" : " ft"));
        const PlanStore plan = planOf({row("Foothills", 34.6958, -83.2978, c.planAlt, 250)});
        const std::string gpx = flightplan::formatGpx(plan, nullptr, c.metres);
        const std::string fg = flightplan::formatFlightGearRoute(plan, nullptr, c.metres);
        EXPECT_NE(gpx.find(c.gpxEle), std::string::npos) << gpx;
        EXPECT_NE(fg.find(c.fgFeet), std::string::npos) << fg;
        for (const std::string& text : {gpx, fg}) {
            PlanStore back;
            Host host;
            flightplan::ImportDefaults defaults;
            defaults.planInMetres = c.metres;
            const auto r = flightplan::importPlanText(text, back, host, defaults);
            ASSERT_TRUE(r.ok) << r.message;
            EXPECT_EQ(back.AltLst.at(0), std::to_string(c.planAlt));
            EXPECT_EQ(back.PlanAlt[0], c.planAlt);
        }
    }
    // A file's altitudes as each plan holds them, and what entries without one take.
    const std::string head = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><rte>";
    const std::pair<std::string, std::string> files[] = {
        {head + "<rtept lat=\"1\" lon=\"2\"><ele>2743.2</ele></rtept></rte></gpx>", "9000 2743"},
        {"<PropertyList><route><wp><lat>1</lat><lon>2</lon><altitude-ft>9000</altitude-ft></wp>"
         "</route></PropertyList>",
         "9000 2743"},
        {head + "<rtept lat=\"1\" lon=\"2\"/></rte></gpx>", "1000 1000"},
    };
    for (const auto& [text, alts] : files) {
        std::string got;
        for (const bool metres : {false, true}) {
            PlanStore plan;
            Host host;
            flightplan::ImportDefaults defaults;
            defaults.planInMetres = metres;
            defaults.altText = "1000";
            const auto r = flightplan::importPlanText(text, plan, host, defaults);
            ASSERT_TRUE(r.ok) << r.message;
            got += (metres ? " " : "") + plan.AltLst.at(0);
            if (alts == "1000 1000") {
                EXPECT_EQ(r.notes.at(0),
                          std::string("1 entry had no altitude in the file and takes 1000") +
                              (metres ? " m." : " ft."));
            }
        }
        EXPECT_EQ(got, alts) << text;
    }
}

TEST(PlanExchange, ReadsARouteFlightGearSaved) {
    // Written by FlightGear itself (see data/README.md): a runway without a position, navaids
    // and a plain position, altitudes only where FlightGear had a restriction.
    std::ifstream in(std::string(ZEPHYRA_SOURCE_DIR) + "/tests/flightplan/data/fg-saved-route.xml");
    const std::string text(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(text.empty());
    PlanStore plan;
    Host host;
    flightplan::ImportDefaults defaults;
    defaults.altText = "5000";
    defaults.findIdent = [](const std::string& ident) -> std::optional<flightplan::FoundNavaid> {
        if (ident == "KSFO") {
            return flightplan::FoundNavaid{"San Francisco Intl", "A", 37.618806, -122.375417};
        }
        return std::nullopt;
    };
    const auto r = flightplan::importPlanText(text, plan, host, defaults);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.format, "FlightGear route");
    const std::vector<std::string> names = {"KSFO 28L", "KSJC", "OSI", "W121N037"};
    const std::vector<std::string> alts = {"5000", "5000", "6000", "4000"};
    const std::vector<double> lats = {37.618806, 37.36237467, 37.3925, 37.2};
    ASSERT_EQ(plan.PlanCount, 4);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(plan.WaypLst[i], names[i]);
        EXPECT_EQ(plan.AltLst[i], alts[i]);
        EXPECT_NEAR(plan.PlanLat[i], lats[i], 1e-6);
    }
    EXPECT_EQ(r.notes.size(), 3u);  // a position looked up, altitudes and speeds made up
}

TEST(PlanExchange, GpxRouteTrackOrWaypoints) {
    const std::string head =
        "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\" "
        "xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    const std::pair<std::string, std::string> cases[] = {
        // A route wins over waypoints; the identifier stands in for a name; "|" is dropped.
        {"<wpt lat=\"1\" lon=\"1\"><name>ignored</name></wpt><rte><rtept lat=\"33.5\" "
         "lon=\"-84.5\"><ele>304.8</ele><name>A|B</name></rtept><rtept lat=\"34\" "
         "lon=\"-83\"><cmt>SPA</cmt></rtept></rte>",
         "AB/1000/250 SPA/7000/250 "},
        // A track with two segments, read in order.
        {"<trk><trkseg><trkpt lat=\"10\" lon=\"20\"><ele>0</ele></trkpt></trkseg><trkseg><trkpt "
         "lat=\"11\" lon=\"21\"><name>end</name></trkpt></trkseg></trk>",
         "WP1/0/250 end/7000/250 "},
        {"<wpt lat=\"-45\" lon=\"170\"><name>south</name><desc>d</desc></wpt>", "south/7000/250 "},
    };
    // Each also as UTF-16 with its byte-order mark, in either byte order.
    const auto utf16 = [](const std::string& ascii, bool little) {
        std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
        for (const char c : ascii) {
            out += little ? std::string{c, '\0'} : std::string{'\0', c};
        }
        return out;
    };
    for (const auto& [body, entries] : cases) {
        for (const int encoding : {0, 1, 2}) {
            PlanStore plan;
            Host host;
            flightplan::ImportDefaults defaults;
            defaults.altText = "7000";
            const std::string text = head + body + "</gpx>";
            const auto r = flightplan::importPlanText(
                encoding == 0 ? text : utf16(text, encoding == 1), plan, host, defaults);
            ASSERT_TRUE(r.ok) << r.message;
            std::string got;
            for (int i = 0; i < plan.PlanCount; ++i) {
                got +=
                    plan.row(i).name + "/" + plan.row(i).altText + "/" + plan.row(i).spdText + " ";
            }
            EXPECT_EQ(got, entries);
            EXPECT_TRUE(std::any_of(r.notes.begin(), r.notes.end(), [](const std::string& n) {
                return n.find("default speed, 250") != std::string::npos;
            })) << body;
        }
    }
}

TEST(PlanExchange, RefusesHostileFilesAndKeepsThePlan) {
    test::TempDir dir;
    // Any document type is refused, so neither entity expansion nor external entities happen.
    const std::string external =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
        "<gpx><wpt lat=\"1\" lon=\"2\"><name>&x;</name></wpt></gpx>";
    std::string many = "<gpx><trk><trkseg>";
    for (int i = 0; i < 2002; ++i) {
        many += "<trkpt lat=\"1\" lon=\"2\"/>";
    }
    many += "</trkseg></trk></gpx>";
    // The reader takes time that grows with the square of an element's attributes.
    std::string crowded = "<gpx><rte>\n<rtept lat=\"1\" lon=\"2\"";
    for (int i = 0; i < 1000; ++i) {
        crowded += " a" + std::to_string(i) + "='>'";
    }
    crowded += "/></rte></gpx>";
    std::string manyFixes = "<OFP><navlog>";
    for (int i = 0; i < 100000; ++i) {
        manyFixes += "<fix><pos_lat>1</pos_lat><pos_long>2</pos_long></fix>";
    }
    manyFixes += "</navlog></OFP>";
    const std::string ofpFix =
        "<OFP><origin><pos_lat>1</pos_lat><pos_long>2</pos_long></origin><navlog><fix>"
        "<ident>F</ident><pos_lat>";
    const std::string speed =
        "<PropertyList><route><wp><ident>S</ident><lat>1</lat><lon>2</lon><speed-restrict>at"
        "</speed-restrict><speed>";
    const std::pair<std::string, std::string> cases[] = {
        {crowded, "Line 2: an element has more than 32 attributes"},
        {"<gpx><wpt lat=\"1\" lon=\"2\"><name>&x;</name></wpt></gpx>",
         "Line 1: Entity 'x' not declared. Nothing was imported."},
        {"<gpx><wpt lat=\"1\" lon=\"2\"><name>S</name><extensions><speed>1e-300</speed>"
         "</extensions></wpt></gpx>",
         "The speed of \"S\" (1E-300) is one no aircraft flies: a plan's speeds are 20 to 4000 "
         "knots, or a Mach number from 0.1 to 0.99. Nothing was imported."},
        {speed + "5</speed></wp></route></PropertyList>", "The speed of \"S\" (5) is one"},
        {speed + "0.01</speed></wp></route></PropertyList>", "The speed of \"S\" (0.01) is one"},
        {speed + "-250</speed></wp></route></PropertyList>", "The speed of \"S\" (-250) is one"},
        {external, "the file declares a document type"},
        {"<?xml version=\"1.0\"?>\n<PropertyList>\n<route>\n<wp><ident>A</ident>", "Line 4: "},
        {"<kml><Placemark/></kml>", "root element <kml>"},
        {many, "2002 track points; a plan holds at most 2,001"},
        {"<gpx><wpt lat=\"91\" lon=\"0\"><name>N</name></wpt></gpx>", "outside the Earth"},
        {"<PropertyList><route><wp><ident>ZZZ</ident></wp></route></PropertyList>",
         "Entry 1 (ZZZ) has no position"},
        {"<PropertyList><version>2</version></PropertyList>", "holds no route/wp"},
        {"hello world\n", "it begins \"hello world\""},
        {"A|1|2|3|4\r\nB|x|2|3|4\r\n", "Line 2 of the plan"},
        {manyFixes,
         "The SimBrief OFP was not read: Line 1: the navlog holds more than 2001 fixes."},
        {ofpFix + "999</pos_lat><pos_long>2</pos_long></fix></navlog></OFP>",
         "Fix 1 (F) lies off the Earth (latitude 999, longitude 2;"},
        {ofpFix + "1</pos_lat><pos_long>2</pos_long><ind_airspeed>1e-300</ind_airspeed></fix>"
                  "</navlog></OFP>",
         "The speed of \"F\" (1E-300) is one no aircraft flies"},
        {"<OFP><origin><icao_code>KATL</icao_code></origin></OFP>", "The OFP has no navlog fixes"},
        {"<OFP><origin><icao_code>KAAA</icao_code><pos_lat>1</pos_lat><pos_long>2</pos_long>"
         "</origin><navlog><fix><ident>NOWHERE</ident></fix></navlog></OFP>",
         "Entry 2 (NOWHERE) has no position"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(message);
        PlanStore plan = planOf({row("kept", 1, 2, 3, 4)});
        Host host;
        const auto r = flightplan::importPlanText(text, plan, host, {});
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find(message), std::string::npos) << r.message;
        ASSERT_EQ(plan.PlanCount, 1);
        EXPECT_EQ(plan.WaypLst[0], "kept");
    }
}

TEST(RouteSender, LoadsTheRouteIntoFlightGearAndReadsItBack) {
    const auto store = storeWith();
    const PlanStore plan = katlKjfk();
    const std::vector<std::string> ids = {"KATL", "SPA", "Point <A> & \"B\"", "KJFK"};
    // fg-home here or not; FlightGear reports `num` entries, named as sent or not.
    // A metric plan's 9,000 m are FlightGear's 29,528 ft, in the file and inserted.
    auto send = [&](bool home, int num, bool named, bool ok, const std::string& method,
                    bool metric = false) {
        SCOPED_TRACE(method + " " + std::to_string(num) + (metric ? " metric" : ""));
        test::TempDir dir;
        test::FakePropertyServer fg;
        fg.set("/sim/fg-home", home ? dir.path() : "/nonexistent/fg-home");
        fg.set("/autopilot/route-manager/route/num", std::to_string(num));
        for (int i = 0; i < num; ++i) {
            fg.set("/autopilot/route-manager/route/wp[" + std::to_string(i) + "]/id",
                   named ? ids[static_cast<std::size_t>(i)] : "WP" + std::to_string(i));
        }
        const auto r = flightplan::sendRouteToFlightGear(plan, &store, {.port = fg.port()},
                                                         std::nullopt, metric);
        EXPECT_EQ(r.ok, ok) << r.message;
        EXPECT_EQ(r.method, method);
        EXPECT_EQ(r.routeCount, num);
        const auto lines = fg.lines();
        auto sent = [&](const std::string& line) {
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        };
        const std::string route = dir.path() + "/Export/zephyra-route.xml";
        if (method == "file") {
            EXPECT_TRUE(sent("set /autopilot/route-manager/file-path " + route));
            EXPECT_TRUE(sent("set /autopilot/route-manager/input @LOAD"));
            const std::string file = dir.read("Export/zephyra-route.xml");
            EXPECT_NE(file.find("<ident type=\"string\">SPA"), std::string::npos);
            EXPECT_NE(file.find(metric ? "<altitude-ft type=\"double\">29528<"
                                       : "<altitude-ft type=\"double\">9000<"),
                      std::string::npos);
        } else {
            EXPECT_TRUE(sent("set /autopilot/route-manager/input @CLEAR"));
            EXPECT_TRUE(
                sent(std::string("set /autopilot/route-manager/input -81.927000,35.033800@") +
                     (metric ? "29528" : "9000")));
        }
    };
    send(true, 4, true, true, "file", true);
    send(false, 4, false, true, "inserted", true);
    send(true, 4, true, true, "file");
    send(true, 3, true, false, "file");   // a short route
    send(true, 4, false, false, "file");  // renamed
    send(false, 4, false, true, "inserted");
    // Nobody listening.
    const auto r = flightplan::sendRouteToFlightGear(plan, &store, {.port = 1});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("does not answer"), std::string::npos) << r.message;
}

TEST(RouteSender, TheServerChoosesNeitherHowManyNamesAreAskedNorWhereTheRouteIsWritten) {
    namespace fs = std::filesystem;
    const auto store = storeWith();
    const PlanStore plan = katlKjfk();
    test::TempDir dir;
    const std::string mine = dir.write("mine.txt", "the user's own file");
    dir.mkdir("home");
    fs::create_directory_symlink(dir.mkdir("linked"), dir.file("home-link"));
    dir.mkdir("export-link");
    fs::create_directory_symlink(dir.mkdir("elsewhere"), dir.file("export-link/Export"));
    dir.mkdir("file-link/Export");
    fs::create_symlink(mine, dir.file("file-link/Export/zephyra-route.xml"));
    dir.mkdir("pipe/Export");
    ASSERT_EQ(::mkfifo(dir.file("pipe/Export/zephyra-route.xml").c_str(), 0600), 0);
    // Someone else's folder: one given away when the test runs as root, else the root folder.
    std::string foreign = "/";
    if (::geteuid() == 0) {
        foreign = dir.mkdir("foreign");
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    }
    const struct {
        const char* name;
        std::string home;
        int num;
        const char* method;
    } cases[] = {
        {"a folder of the user's", dir.file("home"), 4, "file"},
        {"a route of 100,000 waypoints", "/nonexistent/fg-home", 100000, "inserted"},
        {"home through a link", dir.file("home-link"), 4, "inserted"},
        {"Export a link", dir.file("export-link"), 4, "inserted"},
        {"the route file a link to the user's file", dir.file("file-link"), 4, "inserted"},
        {"the route file a pipe", dir.file("pipe"), 4, "inserted"},
        {"someone else's folder", foreign, 4, "inserted"},
        {"a relative path", ".", 4, "inserted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakePropertyServer fg;
        fg.set("/sim/fg-home", c.home);
        fg.set("/autopilot/route-manager/route/num", std::to_string(c.num));
        const auto r = flightplan::sendRouteToFlightGear(plan, &store, {.port = fg.port()});
        EXPECT_EQ(r.method, c.method);
        EXPECT_EQ(r.routeCount, c.num);
        const auto lines = fg.lines();
        EXPECT_LE(
            std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) {
                              return line.starts_with("get /autopilot/route-manager/route/wp[");
                          }),
            4);
    }
    EXPECT_TRUE(dir.exists("home/Export/zephyra-route.xml"));
    EXPECT_EQ(dir.read("mine.txt"), "the user's own file");
    EXPECT_TRUE(fs::is_symlink(dir.file("file-link/Export/zephyra-route.xml")));
    EXPECT_TRUE(fs::is_fifo(dir.file("pipe/Export/zephyra-route.xml")));
    EXPECT_FALSE(dir.exists("linked/Export"));
    EXPECT_TRUE(fs::is_empty(dir.file("elsewhere")));
    EXPECT_FALSE(fs::exists(fs::path(foreign) / "Export" / "zephyra-route.xml"));
    EXPECT_FALSE(fs::exists("Export/zephyra-route.xml"));
}

}  // namespace
