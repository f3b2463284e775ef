// TAF reading: NOAA's bulletins and its CSV cache, the forecast at a time, and damaged input.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Gzip.h"
#include "support/RealData.h"
#include "weather/AloftField.h"
#include "weather/Taf.h"

using namespace zephyra::weather;

namespace {

std::int64_t at(const char* iso) {
    return isoSeconds(iso).value();
}

std::vector<Taf> read(const std::string& name, const char* reference) {
    std::vector<std::string> problems;
    std::vector<Taf> tafs =
        readTafs(zephyra::test::realData("taf/" + name), at(reference), &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    return tafs;
}

const Taf& find(const std::vector<Taf>& tafs, const std::string& station) {
    for (const Taf& t : tafs) {
        if (t.station == station) {
            return t;
        }
    }
    throw std::runtime_error("no TAF for " + station);
}

// Each change group and both validity forms of the real bulletins, dated from a file written
// on 7 December 2026: the TAFs are of 25 November (KJFK) and 6 December (PAGK, PAKN).
TEST(Taf, ReadsTheRealBulletinsPeriodByPeriod) {
    const std::vector<Taf> jfk = read("TAFJFK.txt", "2026-12-07T12:00Z");
    const std::vector<Taf> collective = read("TAF_collective.txt", "2026-12-07T12:00Z");
    ASSERT_EQ(jfk.size(), 1u);
    ASSERT_EQ(collective.size(), 2u);
    struct Row {
        const std::vector<Taf>* file;
        const char* station;
        const char *issued, *validFrom, *validTo;
        std::size_t periods, index;
        TafChange change;
        const char *from, *to, *text;
    } rows[] = {
        {&jfk, "KJFK", "2026-11-25T13:41:00Z", "2026-11-25T14:00:00Z", "2026-11-26T18:00:00Z", 6, 0,
         TafChange::Base, "2026-11-25T14:00:00Z", "2026-11-25T16:00:00Z",
         "KJFK 251341Z 2514/2618 05006KT P6SM BKN018"},
        {&jfk, "KJFK", "2026-11-25T13:41:00Z", "2026-11-25T14:00:00Z", "2026-11-26T18:00:00Z", 6, 5,
         TafChange::From, "2026-11-26T17:00:00Z", "2026-11-26T18:00:00Z",
         "FM261700 12008KT P6SM SCT200"},
        // Old form: TEMPO 1904 runs past midnight; its continuation line is joined.
        {&collective, "PAGK", "2026-12-06T19:09:00Z", "2026-12-06T19:00:00Z",
         "2026-12-07T18:00:00Z", 6, 1, TafChange::Temporary, "2026-12-06T19:00:00Z",
         "2026-12-07T04:00:00Z", "TEMPO 1904 5SM -SHSN BKN020"},
        {&collective, "PAGK", "2026-12-06T19:09:00Z", "2026-12-06T19:00:00Z",
         "2026-12-07T18:00:00Z", 6, 4, TafChange::From, "2026-12-07T09:00:00Z",
         "2026-12-07T18:00:00Z", "FM0900 VRB03KT P6SM SCT020 BKN040"},
        // Hour 24 is the next day's 00; FM0000 belongs to the day within the validity.
        {&collective, "PAKN", "2026-12-06T19:09:00Z", "2026-12-06T19:00:00Z",
         "2026-12-07T18:00:00Z", 6, 3, TafChange::Temporary, "2026-12-06T22:00:00Z",
         "2026-12-07T00:00:00Z", "TEMPO 2224 BKN020"},
        {&collective, "PAKN", "2026-12-06T19:09:00Z", "2026-12-06T19:00:00Z",
         "2026-12-07T18:00:00Z", 6, 4, TafChange::From, "2026-12-07T00:00:00Z",
         "2026-12-07T18:00:00Z", "FM0000 01006KT P6SM SCT080 BKN150"},
        {&collective, "PAKN", "2026-12-06T19:09:00Z", "2026-12-06T19:00:00Z",
         "2026-12-07T18:00:00Z", 6, 5, TafChange::Becoming, "2026-12-07T06:00:00Z",
         "2026-12-07T08:00:00Z", "BECMG 0608 01012KT"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.station) + " " + r.text);
        const Taf& taf = find(*r.file, r.station);
        EXPECT_EQ(isoTime(taf.issued), r.issued);
        EXPECT_EQ(isoTime(taf.validFrom), r.validFrom);
        EXPECT_EQ(isoTime(taf.validTo), r.validTo);
        EXPECT_TRUE(taf.amended);  // "TAF AMD" heads both bulletins
        EXPECT_FALSE(taf.corrected);
        EXPECT_TRUE(taf.unread.empty());
        ASSERT_EQ(taf.periods.size(), r.periods);
        const TafPeriod& p = taf.periods[r.index];
        EXPECT_EQ(p.change, r.change);
        EXPECT_EQ(isoTime(p.from), r.from);
        EXPECT_EQ(isoTime(p.to), r.to);
        EXPECT_EQ(p.text, r.text);
    }
}

TEST(Taf, DescribesEachPeriodInWords) {
    const std::vector<Taf> tafs = read("TAF_collective.txt", "2026-12-07T12:00Z");
    const Taf& pakn = find(tafs, "PAKN");
    const std::vector<std::string> expected = {
        "From 06 19:00Z  wind 010\u00b0 9 kt, visibility 6 SM or more, scattered at 1,000 ft, "
        "broken at 4,000 ft",
        "TEMPO 06 19:00Z-06 22:00Z  visibility 2 SM, light snow showers, mist, broken at 1,000 ft",
        "FM 06 22:00Z  wind 340\u00b0 7 kt, visibility 6 SM or more, scattered at 2,000 ft, "
        "broken at 8,000 ft",
        "TEMPO 06 22:00Z-07 00:00Z  broken at 2,000 ft",
        "FM 07 00:00Z  wind 010\u00b0 6 kt, visibility 6 SM or more, scattered at 8,000 ft, "
        "broken at 15,000 ft",
        "BECMG 07 06:00Z-07 08:00Z  wind 010\u00b0 12 kt",
    };
    EXPECT_EQ(describeTaf(pakn), expected);

    // Maximum and minimum temperatures, in both time forms, below zero and at the day's end.
    const std::vector<Taf> egll = readTafs(
        "EGLL 251100Z 2512/2618 24010KT 9999 SCT030 TX15/2514Z TNM02/2606Z TX01/24Z TXM1/Z=",
        at("2026-11-25T11:00Z"));
    ASSERT_EQ(egll.size(), 1u);
    EXPECT_EQ(egll[0].unread, (std::vector<std::string>{"TXM1/Z"}));
    const std::vector<std::string> lines = describeTaf(egll[0]);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()),
              (std::vector<std::string>{"Maximum 15 \u00b0C at 25 14:00Z",
                                        "Minimum -2 \u00b0C at 26 06:00Z",
                                        "Maximum 1 \u00b0C at 26 00:00Z"}));
}

// The hand-made cache: the new form with BECMG, TEMPO, PROB30 TEMPO, PROB40, NSW and wind
// shear; COR and CNL; a raw_text quoted over two lines; issue_time giving October 2022.
TEST(Taf, ReadsTheCsvCache) {
    std::vector<std::string> problems;
    const std::string csv = zephyra::test::realData("taf/tafs_handmade.cache.csv");
    // The plain and the gzip-compressed file read alike; the reference is not needed.
    for (const std::string& bytes : {csv, zephyra::test::gzip(csv)}) {
        const std::vector<Taf> tafs = readTafs(bytes, 0, &problems);
        EXPECT_TRUE(problems.empty());
        ASSERT_EQ(tafs.size(), 4u);
        EXPECT_EQ(isoTime(find(tafs, "EGLL").issued), "2022-10-23T10:58:00Z");
        EXPECT_EQ(isoTime(find(tafs, "EGLL").validTo), "2022-10-24T18:00:00Z");
        const Taf& jfk = find(tafs, "KJFK");
        ASSERT_EQ(jfk.periods.size(), 2u);
        EXPECT_EQ(jfk.periods[0].windShear, "WS020/24045KT");
        EXPECT_EQ(jfk.periods[1].text, "FM231800 30015G25KT P6SM SKC");
        const Taf& bos = find(tafs, "KBOS");
        EXPECT_TRUE(bos.corrected);
        EXPECT_EQ(bos.periods[0].conditions.visibilityMiles, 1.5);
        EXPECT_TRUE(find(tafs, "KORD").cancelled);
        EXPECT_FALSE(forecastAt(find(tafs, "KORD"), at("2022-10-23T13:00Z")));
    }
    const std::vector<Taf> tafs = readTafs(csv, 0);
    const auto& egll = find(tafs, "EGLL").periods;
    EXPECT_EQ(egll[3].change, TafChange::Probability);
    EXPECT_EQ(egll[3].probability, 30);
    EXPECT_TRUE(egll[3].temporary);
    EXPECT_EQ(egll[5].probability, 40);
    EXPECT_FALSE(egll[5].temporary);
    EXPECT_EQ(describeTaf(find(tafs, "KJFK"))[0],
              "From 23 12:00Z  wind 310\u00b0 12 kt, visibility 6 SM or more, few clouds at "
              "25,000 ft, wind shear at 2,000 ft, 240\u00b0 45 kt");
}

// Before, during and after each BECMG; the TEMPO and PROB groups covering the time.
TEST(Taf, ForecastsAtATime) {
    const std::vector<Taf> cache =
        readTafs(zephyra::test::realData("taf/tafs_handmade.cache.csv"), 0);
    const Taf& egll = find(cache, "EGLL");
    const std::vector<Taf> jfks = read("TAFJFK.txt", "2026-12-07T12:00Z");
    const Taf& jfk = find(jfks, "KJFK");
    const std::vector<Taf> lfpg = readTafs(
        "LFPG 251100Z 2512/2618 24010KT CAVOK BECMG 2514/2516 5000 BR=", at("2026-11-25T11:00Z"));
    ASSERT_EQ(lfpg.size(), 1u);
    struct Row {
        const Taf* taf;
        const char* time;
        const char* inForce;
        const char* prevailing;
        std::vector<std::string> becoming, temporary;
    } rows[] = {
        {&jfk,
         "2026-11-25T17:00Z",
         "FM251600 06008KT P6SM OVC025",
         "wind 060\u00b0 8 kt, visibility 6 SM or more, overcast at 2,500 ft",
         {},
         {}},
        {&jfk,
         "2026-11-26T06:00Z",
         "FM260500 05007KT P6SM SCT040",
         "wind 050\u00b0 7 kt, visibility 6 SM or more, scattered at 4,000 ft",
         {},
         {}},
        {&egll,
         "2022-10-23T13:00Z",
         "",
         "wind 240\u00b0 12 kt, visibility 10 km or more, "
         "light rain, broken at 1,500 ft",
         {},
         {"TEMPO 2312/2316 4000 RA BKN008"}},
        {&egll,
         "2022-10-23T15:00Z",
         "",
         "wind 240\u00b0 12 kt, visibility 10 km or more, "
         "light rain, broken at 1,500 ft",
         {"BECMG 2314/2317 27018G30KT"},
         {"TEMPO 2312/2316 4000 RA BKN008"}},
        {&egll,
         "2022-10-23T19:00Z",
         "",
         "wind 270\u00b0 18 kt, gusting 30 kt, visibility 10 km "
         "or more, light rain, broken at 1,500 ft",
         {},
         {"PROB30 TEMPO 2318/2322 2000 +TSRA BKN008CB"}},
        {&egll,
         "2022-10-23T21:00Z",
         "",
         "wind 270\u00b0 18 kt, gusting 30 kt, visibility 10 km "
         "or more, light rain, broken at 1,500 ft",
         {"BECMG 2320/2322 NSW SCT025"},
         {"PROB30 TEMPO 2318/2322 2000 +TSRA BKN008CB"}},
        {&egll,
         "2022-10-24T01:00Z",
         "",
         "wind 270\u00b0 18 kt, gusting 30 kt, visibility 10 km "
         "or more, scattered at 2,500 ft",
         {},
         {"PROB40 2400/2406 0800 FG VV002"}},
        // Once the visibility falls, CAVOK no longer holds; the sky keeps no significant cloud.
        {&lfpg[0],
         "2026-11-25T13:00Z",
         "",
         "wind 240\u00b0 10 kt, ceiling and visibility OK (CAVOK)",
         {},
         {}},
        {&lfpg[0],
         "2026-11-25T17:00Z",
         "",
         "wind 240\u00b0 10 kt, visibility 5,000 m, mist, no significant cloud",
         {},
         {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.time);
        const auto f = forecastAt(*r.taf, at(r.time));
        ASSERT_TRUE(f);
        EXPECT_EQ(f->inForce->text, *r.inForce ? r.inForce : r.taf->periods[0].text);
        EXPECT_EQ(describeConditions(f->prevailing), r.prevailing);
        std::vector<std::string> becoming, temporary;
        for (const TafPeriod* p : f->becoming) {
            becoming.push_back(p->text);
        }
        for (const TafPeriod* p : f->temporary) {
            temporary.push_back(p->text);
        }
        EXPECT_EQ(becoming, r.becoming);
        EXPECT_EQ(temporary, r.temporary);
    }
    // The validity is from its start up to, not including, its end.
    EXPECT_FALSE(forecastAt(egll, at("2022-10-23T11:59Z")));
    EXPECT_FALSE(forecastAt(egll, at("2022-10-24T18:00Z")));
}

TEST(Taf, DatesADayTimeInTheNearestMonth) {
    struct Row {
        const char *ddhhmm, *near, *expected;
    } rows[] = {
        {"251700Z", "2026-12-07T12:00Z", "2026-11-25T17:00:00Z"},
        {"010030", "2026-12-31T20:00Z", "2027-01-01T00:30:00Z"},
        {"302400Z", "2026-11-20T00:00Z", "2026-12-01T00:00:00Z"},  // hour 24: the next day
        {"310600Z", "2026-11-02T00:00Z", "2026-10-31T06:00:00Z"},  // November has no 31st
        {"290000Z", "2027-03-01T00:00Z", "2027-03-29T00:00:00Z"},  // nor February 2027 a 29th
        {"321200Z", "2026-12-01T00:00Z", ""},
        {"251760Z", "2026-12-01T00:00Z", ""},
        {"2517Z", "2026-12-01T00:00Z", ""},
        {"", "2026-12-01T00:00Z", ""},
    };
    for (const Row& r : rows) {
        const auto t = dayTimeNear(r.ddhhmm, at(r.near));
        EXPECT_EQ(t ? isoTime(*t) : "", r.expected) << r.ddhhmm;
    }
}

// Damaged and hostile text: problems, no crash, and what can be read still read.
TEST(Taf, SurvivesDamagedInput) {
    const std::string huge(200000, 'X');
    std::string endless = "KJFK 251341Z 2514/2618 05006KT";
    while (endless.size() < 100000) {
        endless += " FM251600 06008KT";
    }
    struct Row {
        std::string text;
        std::size_t tafs;
    } rows[] = {
        {"", 0},
        {"junk\n\x01\x02\x03 more junk\n", 0},
        {"<html><body>Not found</body></html>", 0},
        {"TAF KJFK", 0},
        {"KJFK 251341Z", 0},
        {"KJFK 251341Z 2514/26", 0},
        {"KJFK 251341Z 9914/2618 05006KT=", 0},
        {"KJFK 251341Z NIL=", 0},
        {huge, 0},
        {endless, 0},
        {"\x1f\x8b\x08\x00garbage", 0},
        {"raw_text,issue_time\r\n", 0},
        {"KJFK 251341Z 2514/2618 05006KT ZZZZZ TEMPO FM25 BECMG=\nKLGA 251341Z 2514/2618 VRB03KT=",
         2},
    };
    for (const Row& r : rows) {
        std::vector<std::string> problems;
        const std::vector<Taf> tafs = readTafs(r.text, at("2026-12-07T12:00Z"), &problems);
        EXPECT_EQ(tafs.size(), r.tafs) << r.text.substr(0, 40);
        if (tafs.empty()) {
            EXPECT_FALSE(problems.empty()) << r.text.substr(0, 40);
        }
    }
    // A Windows copy of a bulletin (CR LF line ends, a byte-order mark) reads as the original.
    const std::string original = zephyra::test::realData("taf/TAF_collective.txt");
    std::string windows = "\xEF\xBB\xBF";
    for (const char c : original) {
        windows += c == '\n' ? "\r\n" : std::string(1, c);
    }
    const std::vector<Taf> fromWindows = readTafs(windows, at("2026-12-07T12:00Z"));
    ASSERT_EQ(fromWindows.size(), 2u);
    EXPECT_EQ(fromWindows[0].raw, readTafs(original, at("2026-12-07T12:00Z"))[0].raw);
    EXPECT_EQ(fromWindows[0].periods.size(), 6u);
    // A TAF too long to read is named by its start.
    std::vector<std::string> problems;
    readTafs(endless, at("2026-12-07T12:00Z"), &problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("left out: KJFK 251341Z 2514/2618"), std::string::npos)
        << problems[0];
    const std::vector<Taf> partly = readTafs(rows[12].text, at("2026-12-07T12:00Z"));
    EXPECT_EQ(partly[0].unread, (std::vector<std::string>{"ZZZZZ", "TEMPO: no interval", "FM25",
                                                          "BECMG: no interval"}));
}

}  // namespace
