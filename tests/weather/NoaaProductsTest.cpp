#include <gtest/gtest.h>

#include "support/Gzip.h"
#include "weather/NoaaProducts.h"

using namespace zephyra;

namespace {

const char* const kReportA = "KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992";
const char* const kReportB = "EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q1021";

TEST(NoaaCsv, TheRawTextColumnGivesOneReportPerLine) {
    const std::string expected = std::string(kReportA) + "\r\n" + kReportB + "\r\n";
    const struct {
        const char* name;
        std::string csv;
    } cases[] = {
        {"header first, CR CR LF line ends", std::string("raw_text,station_id\r\r\n") + kReportA +
                                                 ",KATL\r\r\n" + kReportB + ",EGLL\r\r\n"},
        {"status lines before the header, column in the middle, LF line ends",
         std::string("No errors\nNo warnings\n2 results\nstation_id,raw_text,temp_c\nKATL,") +
             kReportA + ",12\nEGLL," + kReportB + ",-2"},
        {"quoted fields with commas, quotes and line ends",
         std::string("\"name, long\",raw_text\n\"a \"\"b\"\"\nc\",\"") + kReportA + "\"\nx,\"" +
             kReportB + "\"\n"},
        {"rows without a report are left out", std::string("raw_text,station_id\n") + kReportA +
                                                   ",KATL\n,KXYZ\n\n" + kReportB + ",EGLL\n"},
        {"rows of more than 256 fields or 64 KB give no report",
         std::string("raw_text,station_id\n") + kReportA + ",KATL\nKXYZ 121756Z 27010KT" +
             std::string(300, ',') + "\n\"KXYZ 121756Z " + std::string(70 * 1024, 'x') + "\"\n" +
             kReportB + ",EGLL\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool packed : {false, true}) {
            std::string text = packed ? test::gzip(c.csv) : c.csv;
            std::string error;
            ASSERT_TRUE(weather::toReportText(text, &error)) << error;
            EXPECT_EQ(text, expected);
        }
    }
}

TEST(NoaaCsv, PlainReportsAndDamagedGzip) {
    // Report files stay as they are, even ones with commas or a "raw_text" far down.
    std::string plain = std::string(kReportA) + "\r\nTEXT,WITH,COMMAS\r\n";
    for (int k = 0; k < 30; ++k) {
        plain += "line\r\n";
    }
    plain += "raw_text,x\r\n";
    // Nor is a line that names the column among more fields than a CSV row may have (a few KB
    // of gzip held millions of commas after "raw_text", one string each when it was split).
    const std::string commas = "raw_text" + std::string(300, ',') + "\r\n" + kReportA + "\r\n";
    for (const auto& kept : {plain, commas}) {
        std::string text = kept;
        EXPECT_TRUE(weather::toReportText(text));
        EXPECT_EQ(text, kept);
    }
    const std::string packed = test::gzip(std::string(200, 'x'));
    const struct {
        std::string bytes;
        const char* error;
    } damaged[] = {
        {packed.substr(0, packed.size() - 12),
         "The gzip data ends early (the file is incomplete)."},
        {std::string("\x1f\x8b\x08\x00garbage-garbage-garbage", 26), "The gzip data is damaged."},
    };
    for (const auto& d : damaged) {
        std::string bytes = d.bytes;
        std::string error;
        EXPECT_FALSE(weather::toReportText(bytes, &error));
        EXPECT_EQ(error, d.error);
    }
    // Two members one after the other read as one text.
    EXPECT_EQ(weather::gunzip(test::gzip("ab") + test::gzip("cd")), "abcd");
}

}  // namespace
