#include <gtest/gtest.h>

#include <sqlite3.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>

#include "RecordFields.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "support/DbRows.h"
#include "support/Gzip.h"
#include "support/RealData.h"
#include "support/SmallFilesystem.h"
#include "support/TempDir.h"
#include "weather/LineEnds.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherFile.h"
#include "weather/WeatherLoader.h"

using namespace zephyra;
using weather::WeatherLoader;
using weather::WeatherRecord;

namespace {

class RecordingHost final : public weather::LoadHost {
  public:
    int randomTimer = 0;
    void setStatus(const std::string&) override {}
    void processEvents() override {}
    void setRandomTimerInterval(int milliseconds) override { randomTimer = milliseconds; }
};

// A station list, one entry a line with every field, for comparing whole lists.
std::vector<std::string> rows(const weather::StationList& list) {
    std::vector<std::string> out;
    for (const auto& e : list.entries) {
        char position[64];
        std::snprintf(position, sizeof position, " %.17g %.17g ", e.latitude, e.longitude);
        out.push_back(e.ID + position + e.Name + "|" + e.StateCode + "|" + e.Country);
    }
    return out;
}

class LoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        station("KATL", "3338N", "08426W", 313);
        station("EGLL", "5129N", "00027W", 25);
        station("KXYZ", "4000N", "10000W", 300);
        station("KMCN", "3242N", "08339W", 107);
        rnd.setConstant(0.5);
    }
    void station(const std::string& id, const std::string& lat, const std::string& lon,
                 double metres) {
        test::addStation(*db, {id, lat, lon, metres, "Station " + id, "XX", "Testland"});
    }
    WeatherLoader loader(const std::string& scratch = {}) {
        WeatherLoader l(*db, rnd, dialogs, clock, host, loaded);
        if (!scratch.empty()) {
            l.setScratchFile(scratch);
        }
        return l;
    }
    // Loads a METAR file of the given text; only its dialogs stay on record.
    weather::LoadOutcome load(const std::string& text, const std::string& name = "wx.txt") {
        dialogs.clear();
        return loader().loadMetar(dir.write(name, text), false);
    }
    test::TempDir dir;
    std::unique_ptr<weather::WeatherDb> db;
    platform::PinnedRandom rnd;
    platform::ScriptedDialogs dialogs;
    platform::VirtualScheduler clock;
    RecordingHost host;
    weather::LoadedWeather loaded;
};

const char* const kThreeReports =
    "1999/12/12 17:56\r\n"
    "METAR KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992\r\n"
    "EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q1021\r\n"
    "KXYZ 121755Z VRB03KT 1 1/2SM BR OVC004 05/04 A3001\r\n";

}  // namespace

TEST_F(LoaderTest, MetarFileBecomesCompletedRecordsAndAStationList) {
    const auto outcome = load(kThreeReports);
    ASSERT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.loaded, 3);
    EXPECT_EQ(outcome.processed, 3);
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 3 stations."});
    EXPECT_EQ(host.randomTimer, 60000);
    EXPECT_EQ(loaded.stations.count(), 3);
    EXPECT_FALSE(loaded.noWeather);
    const auto katl = db->findWeather("KATL");
    ASSERT_TRUE(katl.has_value());
    EXPECT_EQ(katl->Observation + " " + katl->TempScale + " " + katl->ObsTime,
              "METAR F 1999-12-12T17:56Z");  // the month and year of the date line
    EXPECT_EQ(katl->RawText, "METAR KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992");
    EXPECT_NEAR(katl->Pressure, 1013.2, 0.05);
    // Heights are raised by the station's 1026 ft (Int(313 m x 3.281)); 12 C is 53 F in the
    // record, and Dew holds the reported dew point in Celsius.
    test::expectFields(*katl, test::kRecordFields,
                       "w0Dir=270 w0Spd=10 w0Gust=1 Precip=4 VisibVary=1 Altimeter=30 "
                       "cl1Base=3526 cl2Base=9026 t0Alt=1026 t0Deg=53 Dew=8 t1alt=20000");
    EXPECT_EQ(loaded.precipitation, 2);  // of the last line: KXYZ's mist
    load(std::string(kThreeReports) + "1999/12/12 18:00\r\n");
    EXPECT_EQ(loaded.precipitation, 0);
}

TEST_F(LoaderTest, LaterReportWinsClearSkyIsRaisedAndUnknownStationsAreNotListed) {
    const auto outcome = load(
        "KATL 121756Z 27010KT 10SM SKC 12/08 A2992\r\nKATL 121856Z 09005KT 10SM SKC 20/08 A2992\r\n"
        "KXYZ 121755Z 00000KT 10SM SKC 05/04 A3001\r\nZZZZ 121756Z 27010KT 10SM SKC 12/08 "
        "A2992\r\n");
    EXPECT_EQ(outcome.loaded, 3);
    EXPECT_EQ(db->weatherCount(), 3);
    EXPECT_EQ(db->findWeather("KATL")->w0Dir, 90);
    EXPECT_EQ(dialogs.lastMessage(), "Done Processing 3 stations.");
    EXPECT_EQ(db->findWeather("KXYZ")->cl1Base, 25984);  // 25000 ft above 300 m
    const auto zzzz = db->findWeather("ZZZZ");
    ASSERT_TRUE(zzzz.has_value());
    EXPECT_EQ(zzzz->t0Deg, 12);  // no station: sea level, report's own scale
    EXPECT_EQ(zzzz->TempScale, "C");
    EXPECT_EQ(loaded.stations.count(), 2);
}

// What a report leaves out comes from the nearest station within 100 nm that reported it, else
// from the standard atmosphere at the station's elevation; the record says which.
TEST_F(LoaderTest, MissingElementsAreEstimatedFromNeighboursOrTheStandardAtmosphere) {
    station("KBBB", "3400N", "08430W", 0);     // 22 nm from KATL
    station("KGGG", "4500N", "09000W", 1000);  // alone: 3281 ft
    ASSERT_TRUE(load("2022/10/23 11:00\r\n"
                     "KATL 231053Z 00000KT 10SM CLR 10/05 A3000\r\n"
                     "KBBB 231053Z 00000KT CLR A3021\r\n"
                     "KMCN 231053Z 00000KT 10SM CLR 20/10\r\n"
                     "KGGG 231053Z AUTO 00000KT CLR ///// A3000\r\n"
                     "KXYZ 231053Z 00000KT 5SM CLR 05/04\r\n")
                    .finished);
    const struct {
        const char* id;
        const char* fields;  // within 0.05, the pressure's rounding
        const char* estimated;
    } cases[] = {
        {"KATL", "t0Deg=50", ""},
        // 10 C at 1026 ft is 12 C at sea level (2 C per 1,000 ft): 53 F.
        {"KBBB", "t0Deg=53 Visibility=10 Pressure=1023", "T=KATL;V=KATL"},
        {"KMCN", "Pressure=1015.9", "P=KATL"},
        // 15 C less 6.6 C for 3281 ft: 8 C, 46 F; unlimited visibility is the settings' ceiling.
        {"KGGG", "t0Deg=46 Visibility=100", "T=STD;V=STD"},
        {"KXYZ", "Pressure=1013.2 Visibility=5", "P=STD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const auto r = db->findWeather(c.id);
        ASSERT_TRUE(r.has_value());
        test::expectFields(*r, test::kRecordFields, c.fields, 0.05);
        EXPECT_EQ(r->Estimated, c.estimated);
    }
}

// Reports whose groups the positional reading shifts or splits: the record takes the full
// reading's values, and what no reading can trust is estimated like a missing element.
TEST_F(LoaderTest, MisreadGroupsAreTakenFromTheFullReading) {
    station("SBCM", "2845S", "04925W", 0);
    station("FAGG", "3403S", "02222E", 0);
    ASSERT_TRUE(load("2014/12/03 00:40\r\n"
                     "SBCM 262100Z 21008KT 2000 -DZ BR SCT003 BKN005 OVC015 17/16 Q10 16\r\n"
                     "FAGG 020031Z AUTO 32004KT 0750 0450 R29/0500N -RA FG VV001 12/12 Q1016\r\n"
                     "KMCN 231053Z 00000KT 10SM CLR 20/10 Q0700\r\n"
                     "KXYZ 231053Z 00000KT 10SM CLR 05/M04 A2990\r\n")
                    .finished);
    const struct {
        const char* id;
        const char* fields;  // temperatures are Fahrenheit after completion, Dew stays Celsius
        const char* estimated;
    } cases[] = {
        {"SBCM", "t0Deg=62 Dew=16 Pressure=1016", ""},
        {"FAGG", "t0Deg=53 Dew=12 Pressure=1016", ""},
        {"KMCN", "t0Deg=68 Dew=10 Pressure=1013.2", "P=STD"},
        {"KXYZ", "t0Deg=41 Dew=-4", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const auto r = db->findWeather(c.id);
        ASSERT_TRUE(r.has_value());
        test::expectFields(*r, test::kRecordFields, c.fields, 0.05);
        EXPECT_EQ(r->Estimated, c.estimated);
    }
}

// The month and year come from a date line above a report; without one they are the file's
// own, and the record says they were assumed.
TEST_F(LoaderTest, ObservationDatesSayWhenTheMonthWasAssumed) {
    const std::string file = dir.write("copied.txt",
                                       "KMCN 031756Z 09005KT 10SM SKC 20/08 A2992\r\n"
                                       "KXYZ 311755Z VRB03KT 10SM OVC004 A3001\r\n"
                                       "2024/08/03 18:00\r\n"
                                       "KATL 031751Z 27010KT 10SM SKC 12/08 A2992\r\n");
    const auto copied = std::filesystem::file_time_type::clock::from_sys(
        std::chrono::sys_seconds{std::chrono::sys_days{std::chrono::year{2026} / 11 / 6}});
    std::filesystem::last_write_time(file, copied);
    ASSERT_TRUE(loader().loadMetar(file, false).finished);
    const struct {
        const char* id;
        const char* obsTime;
        const char* estimated;
    } cases[] = {
        {"KMCN", "2026-11-03T17:56Z", "D=FILE"},  // above the date line: the file's date
        {"KXYZ", "2026-10-31T17:55Z", "T=STD;D=FILE"},
        {"KATL", "2024-08-03T17:51Z", ""},
    };
    for (const auto& c : cases) {
        const auto r = db->findWeather(c.id);
        ASSERT_TRUE(r.has_value()) << c.id;
        EXPECT_EQ(r->ObsTime + " " + r->Estimated, std::string(c.obsTime) + " " + c.estimated);
    }
}

TEST_F(LoaderTest, NoaaCsvFilesLoadLikeTheirReports) {
    const std::string csv =
        std::string("No errors\r\nNo warnings\r\nstation_id,raw_text,observation_time\r\n") +
        "KATL,METAR KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992,"
        "1999-12-12T17:56:00Z\r\n" +
        "EGLL,EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q1021\r\n" +
        "KXYZ,KXYZ 121755Z VRB03KT 1 1/2SM BR OVC004 05/04 A3001\r\n";
    for (const auto& file : {dir.write("wx.csv", csv), dir.write("wx.csv.gz", test::gzip(csv))}) {
        SCOPED_TRACE(file);
        dialogs.clear();
        EXPECT_TRUE(loader().loadMetar(file, false).finished);
        EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 3 stations."});
        EXPECT_EQ(db->findWeather("KXYZ")->ObsTime, "1999-12-12T17:55Z");  // observation_time's
    }
}

TEST_F(LoaderTest, StoreFailuresAreReportedAndThePreviousWeatherKept) {
    load(kThreeReports);
    const auto refused = [](const std::string& why) {
        return std::vector<std::string>{"The weather could not be stored in the database (" + why +
                                        "). The previous weather is kept."};
    };
    // A database that refuses new weather, as a full disk would.
    const auto exec = [this](const char* sql) {
        return sqlite3_exec(db->handle(), sql, nullptr, nullptr, nullptr);
    };
    ASSERT_EQ(exec("CREATE TRIGGER refuse BEFORE INSERT ON Weather "
                   "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;"),
              SQLITE_OK);
    EXPECT_FALSE(load("KMCN 121756Z 27010KT 10SM SKC 12/08 A2992\r\n", "new.txt").finished);
    EXPECT_EQ(dialogs.messages(), refused("database or disk is full"));
    EXPECT_EQ(db->weatherCount(), 3);
    EXPECT_FALSE(db->findWeather("KMCN").has_value());
    ASSERT_EQ(exec("DROP TRIGGER refuse"), SQLITE_OK);

    // A read-only database is read, and a load into it says it is read-only.
    db.reset();  // closing copies the log into the file
    test::SmallFilesystem fs("8m");
    if (!fs.mounted()) {
        GTEST_SKIP() << fs.why();
    }
    const std::string path = fs.dir().file("vanedb.mdb");
    std::filesystem::copy_file(dir.file("vanedb.mdb"), path);
    ASSERT_TRUE(fs.makeReadOnly());
    std::string error;
    db = weather::WeatherDb::open(path, &error, false);
    ASSERT_NE(db, nullptr) << error;
    EXPECT_TRUE(db->readOnly());
    EXPECT_EQ(db->weatherCount(), 3);
    EXPECT_EQ(db->stationList().count(), 3);
    load("KMCN 121756Z 27010KT 10SM 12/08 A2992\r\n", "other.txt");
    EXPECT_EQ(dialogs.messages(), refused("the database is read-only"));
    EXPECT_EQ(db->weatherCount(), 3);
}

TEST_F(LoaderTest, UnreadableFilesAndFilesWithoutReportsKeepThePreviousWeather) {
    load(kThreeReports);
    const auto kept = rows(loaded.stations);
    const std::string huge = dir.write("movie.txt", "");
    std::filesystem::resize_file(huge, 300ull * 1024 * 1024);  // sparse: no disk used
    const std::string fifo = dir.file("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // nobody writes: a read would never end
    std::string randomBytes;
    std::mt19937 gen(2463534242u);
    for (int k = 0; k < 240; ++k) {
        randomBytes.push_back(static_cast<char>(gen() & 0xff));
    }
    int files = 0;
    const auto file = [&](const std::string& text) {
        return dir.write("none" + std::to_string(++files) + ".txt", text);
    };
    const auto noWeather = [](const std::string& found, bool looksLikeMetar = false) {
        std::vector<std::string> m = {weather::kNoWeatherMessage, found,
                                      weather::kPreviousWeatherKept};
        if (looksLikeMetar) {
            m.push_back(weather::kLooksLikeMetar);
        }
        return m;
    };
    const auto none = noWeather("The file holds no weather reports.");
    const auto binary = noWeather("The file holds binary data, not weather reports.");
    enum { kMetar = 1, kSa = 2, kBoth = 3 };
    const struct {
        std::string path;
        int as;
        std::vector<std::string> messages;
    } cases[] = {
        {huge, kBoth, {"The file is too large to be a weather file."}},
        {fifo, kBoth, {"This is not a regular file, so it cannot be a weather file."}},
        {dir.path(), kBoth, {"This is a folder, not a weather file."}},
        {dir.file("nope.txt"), kBoth, {"File not found."}},
        {file(""), kMetar, none},
        {file("no reports here\r\n"), kSa, none},
        {file(kThreeReports), kSa, noWeather("The file holds no weather reports.", true)},
        // A short first word and a slash once passed for a report.
        {file("Page not found: /data/metars.cache.csv BACKTRACE=off\n"), kBoth, none},
        {file("<!DOCTYPE html>\n<html><body>KATL 1/2 KT</body></html>\n"), kMetar,
         noWeather("The file holds an HTML page, not weather reports.")},
        {file(randomBytes), kBoth, binary},
        // Station and time must both be real: no day 32, no hour 24, no minute 60.
        {file("KATL 321756Z 27010KT 10SM 12/08 A2992\r\nKATL 122456Z 27010KT 12/08 A2992\r\n"
              "KATL 121760Z 27010KT 12/08 A2992\r\nK-TL 121756Z 27010KT 12/08 A2992\r\n"),
         kMetar, none},
        {file("ATL SA 2500 CLR 15 132/72/64/0214/992\r\nATL SA 1460 CLR 15 132/72/64/0214/992\r\n"
              "A SA 1400 CLR 15 132/72/64/0214/992\r\n"),
         kSa, none},
    };
    for (const auto& c : cases) {
        for (const bool sa : {false, true}) {
            if ((c.as & (sa ? kSa : kMetar)) == 0) {
                continue;
            }
            SCOPED_TRACE(c.path + (sa ? " as SA" : " as METAR"));
            dialogs.clear();
            EXPECT_FALSE(
                (sa ? loader().loadSa(c.path) : loader().loadMetar(c.path, false)).finished);
            EXPECT_EQ(dialogs.messages(), c.messages);
            if (c.messages.size() == 1) {  // not read at all
                EXPECT_EQ(dialogs.shown()[0].message.title,
                          "Weather File " + c.path + "  -- ERROR");
            }
            EXPECT_EQ(db->weatherCount(), 3);
            EXPECT_EQ(rows(loaded.stations), kept);
            EXPECT_FALSE(loaded.noWeather);
        }
    }
    EXPECT_EQ(std::filesystem::file_size(huge), 300ull * 1024 * 1024);
}

TEST_F(LoaderTest, EndlessLineEndsAfterAReportLoadTheReport) {
    // Room is reserved by bounded estimates: millions of empty lines ask for little.
    const std::string report = "KATL 121756Z 27010G18KT 10SM BKN025 12/08 A2992";
    const std::string lineEnds(8u << 20, '\n');
    for (const auto& file : {dir.write("wx.txt", report + "\n" + lineEnds),
                             dir.write("wx.csv.gz", test::gzip("raw_text,station_id\n" + report +
                                                               ",KATL\n" + lineEnds))}) {
        dialogs.clear();
        EXPECT_TRUE(loader().loadMetar(file, false).finished) << file;
        EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 1 stations."});
    }
}

TEST_F(LoaderTest, FileWithoutReportsGivesTheNoWeatherMessage) {
    host.randomTimer = -1;
    const auto outcome = load("no reports here\r\n");
    EXPECT_FALSE(outcome.finished);
    EXPECT_EQ(dialogs.messages(), (std::vector<std::string>{weather::kNoWeatherMessage,
                                                            "The file holds no weather reports."}));
    EXPECT_EQ(dialogs.lastAnswer(), platform::Answer::No);
    EXPECT_TRUE(loaded.noWeather);
    EXPECT_EQ(loaded.stations.count(), 0);
    EXPECT_EQ(host.randomTimer, -1);
}

TEST_F(LoaderTest, UseLastWeatherRebuildsTheListWithoutReading) {
    load(kThreeReports);
    const auto listOfTheLoad = rows(loaded.stations);
    dialogs.clear();
    loaded = {};
    host.randomTimer = 0;
    EXPECT_TRUE(loader().loadMetar("", true).finished);
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(rows(loaded.stations), listOfTheLoad);  // one list, from the stored query either way
    EXPECT_EQ(host.randomTimer, 60000);
    db->emptyWeather();
    loaded = {};
    loader().loadMetar("", true);
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{weather::kNoWeatherMessage});
}

TEST_F(LoaderTest, SaFileIsValidatedAndCompleted) {
    test::addStation(
        *db,
        {.id = "ATL", .latitude = "3338N", .longitude = "08426W", .metres = 313, .celsius = false});
    const std::string file = dir.write("sa.txt",
                                       "ATL SA 1756 250 SCT 7 141/72/58/2510G18/992\r\n"
                                       "KMCN SA 1756 CLR 10 160/80/60/0905/012\r\n"
                                       "KXYZ SA 1756 20 SKC 7 141/72/58/2510/992\r\n"
                                       "EGLL SA 1756 garbage\r\n"
                                       "KATL SA 1756 CLR 10 80/60/0905/012\r\n");
    const auto outcome = loader().loadSa(file);
    ASSERT_TRUE(outcome.finished);
    EXPECT_FALSE(db->findWeather("KXYZ").has_value());
    const auto atl = db->findWeather("ATL");
    ASSERT_TRUE(atl.has_value());
    EXPECT_EQ(atl->Observation + " " + atl->Time + " " + atl->TempScale + " " + atl->Estimated,
              "SA 1756 F ");
    EXPECT_EQ(atl->RawText, "ATL SA 1756 250 SCT 7 141/72/58/2510G18/992");
    // SA reports are in Fahrenheit and their station row says so: no second conversion.
    test::expectFields(*atl, test::kRecordFields,
                       "w0Dir=250 w0Gust=1 Altimeter=29.92 t0Deg=72 Dew=58");
    EXPECT_GE(atl->Cl1Coverage, 1);
    EXPECT_EQ(db->findWeather("KMCN")->Visibility, 20);
    // A report without the pressure field takes its neighbour's, not the format's 1016 hPa.
    EXPECT_EQ(db->findWeather("KATL")->Estimated, "P=ATL");
    EXPECT_DOUBLE_EQ(db->findWeather("KATL")->Pressure, 1014.1);
    EXPECT_EQ(host.randomTimer, 60000);
    EXPECT_EQ(dialogs.lastMessage(),
              "Done Processing " + std::to_string(outcome.processed) + " stations.");
}

TEST(LineEnds, LinesEndAtCrLfALoneCrOrALoneLf) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\r\n\n", {"", "", ""}},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<std::string> lines;
        weather::forEachLine(text, [&](std::string_view l) { lines.emplace_back(l); });
        EXPECT_EQ(lines, expected) << text;
    }
}

TEST(LineEnds, RepairEndsEveryLineWithCrLfAndKeepsTheLastOne) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"KATL 1,2\nEGLL 3\nlast line", "KATL 12\r\nEGLL 3\r\nlast line\r\n"},
        {"KATL 1\rEGLL 2\rKMCN 3", "KATL 1\r\nEGLL 2\r\nKMCN 3\r\n"},  // bare CRs end lines
        {"A\r\nB\nC\rD\r\n", "A\r\nB\r\nC\r\nD\r\n"},
        {"", ""},
    };
    for (const auto& [text, repaired] : cases) {
        EXPECT_EQ(weather::repairLineEnds(text), repaired);
    }
    std::string tenLines;
    for (int i = 0; i < 10; ++i) {
        tenLines += "LINE " + std::to_string(i) + "\r";
    }
    EXPECT_FALSE(weather::needsLineEndRepair(tenLines));
    EXPECT_TRUE(weather::needsLineEndRepair(tenLines.substr(0, tenLines.size() - 8)));
    EXPECT_TRUE(weather::needsLineEndRepair("KATL 1\nEGLL 2\n"));
}

TEST_F(LoaderTest, PickedFileIsNeverChangedAndEveryReportLoads) {
    const std::string reports[] = {"KATL 121756Z 27010KT 10SM SKC 12/08 A2992",
                                   "EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q1021",
                                   "KMCN 121756Z 09005KT 10SM SKC 20/08 A2992"};
    const auto joined = [&](const std::string& end) {
        return reports[0] + end + reports[1] + end + reports[2];
    };
    const std::vector<std::string> files = {
        joined("\n") + "\n", joined("\r"),
        "KATL 121756Z 27010KT 10SM, SKC 12/08 A2992\n" + joined("\n")};
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    for (const auto& text : files) {
        const std::string picked = dir.write("picked.txt", text);
        std::filesystem::last_write_time(picked, old);
        const auto outcome = loader(dir.file("vane1.txt")).loadMetar(picked, false);
        EXPECT_TRUE(outcome.finished) << text;
        EXPECT_EQ(outcome.loaded, 3) << text;
        EXPECT_EQ(dir.read("picked.txt"), text);
        EXPECT_EQ(std::filesystem::last_write_time(picked), old);
        EXPECT_EQ(dir.read("vane1.txt"), weather::repairLineEnds(text));
    }
}

TEST_F(LoaderTest, ScratchFileThatCannotBeWrittenStopsTheLoad) {
    load(kThreeReports);
    const std::string picked = dir.write("unix.txt", "KMCN 121756Z 09005KT 10SM SKC 20/08 A2992\n");
    // A full disk, and a folder that is not there.
    for (const std::string& scratch : {std::string("/dev/full"), dir.file("gone/vane1.txt")}) {
        dialogs.clear();
        EXPECT_FALSE(loader(scratch).loadMetar(picked, false).finished);
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_NE(dialogs.shown()[0].message.text.find("\"" + scratch + "\" could not be"),
                  std::string::npos)
            << dialogs.shown()[0].message.text;
        EXPECT_EQ(db->weatherCount(), 3);
        EXPECT_FALSE(db->findWeather("KMCN").has_value());
        EXPECT_EQ(dir.read("unix.txt"), "KMCN 121756Z 09005KT 10SM SKC 20/08 A2992\n");
    }
}

TEST_F(LoaderTest, RealMetarFilesLoadIntoTheShippedDatabase) {
    const std::string shipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
    if (!std::filesystem::exists(shipped)) {
        GTEST_SKIP() << "no database at " << shipped << " (build the target zephyra_database)";
    }
    for (const std::string name :
         {"awc_metars_2022-10-23T11Z.txt", "awc_metars_2014-12-18T07Z.txt"}) {
        SCOPED_TRACE(name);
        db.reset();
        std::filesystem::copy_file(shipped, dir.file(name + ".mdb"));
        db = weather::WeatherDb::open(dir.file(name + ".mdb"));
        ASSERT_NE(db, nullptr);
        const std::string original = test::realData("metar/" + name);
        dir.write(name, original);
        // NOAA's files end their lines with bare line feeds, so they go through the repair.
        ASSERT_TRUE(weather::needsLineEndRepair(original));
        dialogs.clear();
        const auto outcome = loader(dir.file("vane1.txt")).loadMetar(dir.file(name), false);
        ASSERT_TRUE(outcome.finished);
        EXPECT_EQ(dir.read(name), original);
        EXPECT_GT(outcome.loaded, 4000);
        EXPECT_GT(loaded.stations.count(), 3900);
        // The list the load builds from its own records is the stored query's, and so are the
        // skies it hands to the waypoint store.
        EXPECT_EQ(rows(db->stationList()), rows(loaded.stations));
        std::string stored, table;
        for (const auto& w : outcome.stored) {
            stored += w.ID + " " + std::to_string(w.Cl1Coverage) + " " +
                      std::to_string(w.Cl2Coverage) + " " + std::to_string(w.VisibVary) + " " +
                      std::to_string(w.Thunder) + " " + std::to_string(w.Precip) + "\n";
        }
        weather::Statement st(db->handle(),
                              "SELECT ID || ' ' || Cl1Coverage || ' ' || Cl2Coverage || ' ' || "
                              "(VisibVary <> 0) || ' ' || (Thunder <> 0) || ' ' || Precip "
                              "FROM Weather ORDER BY ID");
        while (st.step() == SQLITE_ROW) {
            table += st.text(0) + "\n";
        }
        EXPECT_EQ(stored, table);
        EXPECT_EQ(dialogs.messages().size(), 1u);
    }
}
