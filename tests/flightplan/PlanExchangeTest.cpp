#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "flightplan/PlanExchange.h"
#include "flightplan/PlanNumbers.h"
#include "flightplan/RouteSender.h"
#include "simlink/FakePropertyServer.h"
#include "support/TempDir.h"

using namespace zephyra;
using flightplan::ExchangeFormat;
using flightplan::PlanStore;

namespace {

class Host final : public flightplan::PlanLoadHost {
  public:
    bool useCustomWeather() override { return true; }
    void processCustomWeather() override {}
};

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
    store.add("A", "Atlanta Hartsfield", "", 33.6367, -84.428101);
    store.WpsIdent.back() = "KATL";
    store.add("V", "Spartanburg", "115.7", 35.0338, -81.927);
    store.WpsIdent.back() = "SPA";
    store.add("A", "John F Kennedy Intl", "", 40.639801, -73.7789);
    store.WpsIdent.back() = "KJFK";
    return store;
}

// Atlanta to Kennedy: an airport, a VOR, a plain position (with characters XML escapes and a
// Mach speed), the arrival airport; the store knows the airports and the VOR.
PlanStore katlKjfk() {
    return planOf({row("Atlanta Hartsfield", 33.6367, -84.428101, 1000, 250),
                   row("Spartanburg", 35.0338, -81.927, 9000, 250),
                   row("Point <A> & \"B\"", 37.123456, -78.654321, 33000, 0.78),
                   row("John F Kennedy Intl", 40.639801, -73.7789, 3000, 180)});
}

void expectSameEntries(const PlanStore& a, const PlanStore& b) {
    ASSERT_EQ(a.PlanCount, b.PlanCount);
    for (int i = 0; i < a.PlanCount; ++i) {
        const auto x = a.row(i), y = b.row(i);
        EXPECT_EQ(x.name, y.name) << i;
        EXPECT_NEAR(x.lat, y.lat, 1e-4) << i;
        EXPECT_NEAR(x.lon, y.lon, 1e-4) << i;
        EXPECT_EQ(x.altText, y.altText) << i;
        EXPECT_EQ(x.spdText, y.spdText) << i;
    }
}

}  // namespace

TEST(PlanExchange, ExportsImportBackToTheSameEntries) {
    const auto store = storeWith();
    const PlanStore original = katlKjfk();
    struct Case {
        ExchangeFormat format;
        std::vector<std::string> contains;
        std::string format_name;
    };
    const std::vector<Case> cases = {
        {ExchangeFormat::FlightGearRoute,
         {"<version type=\"int\">2</version>", "<airport type=\"string\">KATL</airport>",
          "<destination>", "<departure type=\"bool\">true</departure>",
          "<approach type=\"bool\">true</approach>", "<type type=\"string\">navaid</type>",
          "<ident type=\"string\">SPA</ident>", "<type type=\"string\">basic</type>",
          "<lat type=\"double\">37.123456</lat>", "<altitude-ft type=\"double\">33000",
          "<speed-restrict type=\"string\">mach</speed-restrict>"},
         "FlightGear route"},
        {ExchangeFormat::Gpx,
         {"version=\"1.1\"", "<rtept lat=\"33.636700\" lon=\"-84.428101\">", "<cmt>KJFK</cmt>",
          "<type>VOR</type>", "<ele>10058.4000</ele>", "Point &lt;A&gt; &amp; &quot;B&quot;"},
         "GPX"},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const std::string path = dir.file("plan.xml");
        ASSERT_TRUE(flightplan::exportPlanFile(path, c.format, original, &store));
        const std::string text = dir.read("plan.xml");
        for (const auto& s : c.contains) {
            EXPECT_NE(text.find(s), std::string::npos) << c.format_name << ": " << s;
        }
        PlanStore back = planOf({row("old", 1, 2, 3, 4)});
        Host host;
        const auto r = flightplan::importPlanFile(path, back, host, {});
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.format, c.format_name);
        EXPECT_TRUE(r.notes.empty());
        expectSameEntries(original, back);
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
        // A route wins over the waypoints beside it; the identifier stands in for a missing
        // name; "|" leaves names.
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
    for (const auto& [body, entries] : cases) {
        PlanStore plan;
        Host host;
        flightplan::ImportDefaults defaults;
        defaults.altText = "7000";
        const auto r = flightplan::importPlanText(head + body + "</gpx>", plan, host, defaults);
        ASSERT_TRUE(r.ok) << r.message;
        std::string got;
        for (int i = 0; i < plan.PlanCount; ++i) {
            got += plan.row(i).name + "/" + plan.row(i).altText + "/" + plan.row(i).spdText + " ";
        }
        EXPECT_EQ(got, entries);
        EXPECT_TRUE(std::any_of(r.notes.begin(), r.notes.end(), [](const std::string& n) {
            return n.find("default speed, 250") != std::string::npos;
        })) << body;
    }
}

TEST(PlanExchange, RefusesHostileFilesAndKeepsThePlan) {
    test::TempDir dir;
    const std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a \"aaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n"
        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n]>\n"
        "<gpx><wpt lat=\"1\" lon=\"2\"><name>&e;</name></wpt></gpx>\n";
    const std::string external =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
        "<gpx><wpt lat=\"1\" lon=\"2\"><name>&x;</name></wpt></gpx>";
    std::string many = "<gpx><trk><trkseg>";
    for (int i = 0; i < 2002; ++i) {
        many += "<trkpt lat=\"1\" lon=\"2\"/>";
    }
    many += "</trkseg></trk></gpx>";
    const std::string big =
        dir.write("big.gpx", "<gpx>" + std::string(20 * 1024 * 1024, ' ') + "</gpx>");
    const std::pair<std::string, std::string> cases[] = {
        {bomb, "the file declares a document type"},
        {external, "declares a document type"},
        {"<?xml version=\"1.0\"?>\n<PropertyList>\n<route>\n<wp><ident>A</ident>", "Line 4: "},
        {"<gpx>\n<rte>\n</gpx>", "Line 3: "},
        {"<kml><Placemark/></kml>", "root element <kml>"},
        {many, "2002 track points; a plan holds at most 2,001"},
        {"<gpx><wpt lat=\"91\" lon=\"0\"><name>N</name></wpt></gpx>", "outside the Earth"},
        {"<PropertyList><route><wp><ident>ZZZ</ident></wp></route></PropertyList>",
         "Entry 1 (ZZZ) has no position"},
        {"<PropertyList><version>2</version></PropertyList>", "holds no route/wp"},
        {"hello world\n", "it begins \"hello world\""},
        {"A|1|2|3|4\r\nB|x|2|3|4\r\n", "Line 2 of the plan"},
        {big, "larger than 16 MB"},
        {dir.path(), "not a file"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(message);
        PlanStore plan = planOf({row("kept", 1, 2, 3, 4)});
        Host host;
        const bool file = text == big || text == dir.path();
        const auto r = file ? flightplan::importPlanFile(text, plan, host, {})
                            : flightplan::importPlanText(text, plan, host, {});
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
    struct Case {
        std::string what;
        bool home;   // /sim/fg-home names a folder here
        int num;     // what the fake route reports
        bool named;  // its ids are those sent
        bool ok;
        std::string method;
    };
    const std::vector<Case> cases = {
        {"file", true, 4, true, true, "file"},
        {"remote: inserted", false, 4, false, true, "inserted"},
        {"short route", true, 3, true, false, "file"},
        {"renamed", true, 4, false, false, "file"},
    };
    for (const auto& c : cases) {
        test::TempDir home;
        test::FakePropertyServer fg;
        fg.set("/sim/fg-home", c.home ? home.path() : "/nonexistent/fg-home");
        fg.set("/autopilot/route-manager/route/num", std::to_string(c.num));
        for (int i = 0; i < c.num; ++i) {
            fg.set("/autopilot/route-manager/route/wp[" + std::to_string(i) + "]/id",
                   c.named ? ids[static_cast<std::size_t>(i)] : "WP" + std::to_string(i));
        }
        simlink::FlightGearSettings settings;
        settings.port = fg.port();
        const auto r = flightplan::sendRouteToFlightGear(plan, &store, settings);
        EXPECT_EQ(r.ok, c.ok) << c.what << ": " << r.message;
        EXPECT_EQ(r.method, c.method) << c.what;
        EXPECT_EQ(r.routeCount, c.num) << c.what;
        const auto lines = fg.lines();
        const auto sent = [&](const std::string& line) {
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        };
        if (c.method == "file") {
            EXPECT_TRUE(sent("set /autopilot/route-manager/file-path " + home.path() +
                             "/Export/zephyra-route.xml"))
                << c.what;
            EXPECT_TRUE(sent("set /autopilot/route-manager/input @LOAD")) << c.what;
            EXPECT_NE(home.read("Export/zephyra-route.xml").find("<ident type=\"string\">SPA"),
                      std::string::npos);
        } else {
            EXPECT_TRUE(sent("set /autopilot/route-manager/input @CLEAR")) << c.what;
            EXPECT_TRUE(sent("set /autopilot/route-manager/input -81.927000,35.033800@9000"))
                << c.what;
        }
    }
    // Nobody listening.
    simlink::FlightGearSettings nobody;
    nobody.port = 1;
    const auto r = flightplan::sendRouteToFlightGear(plan, &store, nobody);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("does not answer"), std::string::npos) << r.message;
}
