// zephyra-cli taf: the period in force at a time, from NWS's bulletin for JFK.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/TafCommand.h"

namespace {

TEST(TafCommand, NamesThePeriodInForce) {
    const std::string file = std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/taf/TAFJFK.txt";
    struct Row {
        std::vector<std::string> args;
        int code;
        std::string inOutput;
    } rows[] = {
        {{file, "KJFK", "--at", "251700Z"}, 0, "in force: FM251600 06008KT P6SM OVC025\n"},
        {{file, "KJFK", "--at", "260600Z"}, 0, "in force: FM260500 05007KT P6SM SCT040\n"},
        {{file, "KJFK", "--at", "260600Z", "--json"},
         0,
         "\"in_force\":\"FM260500 05007KT P6SM SCT040\""},
        {{file, "KXYZ"}, 1, "no TAF for KXYZ"},
    };
    for (const Row& r : rows) {
        std::ostringstream out, err;
        EXPECT_EQ(zephyra::cli::runTafCommand(r.args, out, err), r.code);
        EXPECT_NE((out.str() + err.str()).find(r.inOutput), std::string::npos) << out.str();
    }
}

}  // namespace
