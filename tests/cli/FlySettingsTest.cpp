#include <gtest/gtest.h>

#include <sstream>

#include "cli/FlightWeather.h"
#include "shell/ParamFile.h"
#include "support/TempDir.h"

namespace zephyra::cli {
namespace {

// maxTurb/unlimitedVis/newClouds/winds/uom
std::string summary(const FlySettings& s) {
    return std::to_string(s.maxTurb) + "/" + std::to_string(s.unlimitedVis) + "/" +
           std::to_string(s.newClouds) + "/" + std::to_string(s.winds) + "/" + s.uom;
}

TEST(FlySettings, ReadFromTheParameterFileAsTheWindowReadsIt) {
    test::TempDir dir;
    shell::Settings saved = shell::firstRunSettings("/fs98");
    saved.MaxTurb = 40;
    saved.UnlimitedVis = 12;
    saved.NewClouds = false;
    saved.Wind = false;
    saved.WindText = "False";
    saved.UOM = "M";
    ASSERT_TRUE(shell::writeParamFile(dir.file("vane98.par"), saved));
    std::ostringstream err;
    const FlySettings read = readFlySettings(dir.file("vane98.par"), err);
    EXPECT_EQ(summary(read), "40/12/0/0/M");
    EXPECT_TRUE(read.metric());
    // No file: what a first run writes.
    EXPECT_EQ(summary(readFlySettings(dir.file("none.par"), err)), "180/30/1/1/U");
    EXPECT_EQ(err.str(), "");

    // A bad line stops the reading, as in the window, and is reported.
    dir.write("bad.par", "UnlimitedVis=12\r\nMaxTurb=lots\r\nNewClouds=0\r\n");
    EXPECT_EQ(summary(readFlySettings(dir.file("bad.par"), err)).substr(0, 6), "0/12/1");
    EXPECT_NE(err.str().find("bad.par line 2"), std::string::npos) << err.str();
}

TEST(FlySettings, OptionsOverrideTheFile) {
    struct Case {
        std::string option;
        const char* value;
        simlink::OptionUse use;
        std::string settings;  // the summary after it
    };
    using simlink::OptionUse;
    const Case cases[] = {
        {"--max-turb", "0", OptionUse::Taken, "0/30/1/1/U"},
        {"--max-turb", "255", OptionUse::Taken, "255/30/1/1/U"},
        {"--max-turb", "256", OptionUse::Bad, "180/30/1/1/U"},
        {"--max-turb", "x", OptionUse::Bad, "180/30/1/1/U"},
        {"--max-turb", nullptr, OptionUse::Bad, "180/30/1/1/U"},
        {"--unlimited-vis", "50", OptionUse::Taken, "180/50/1/1/U"},
        {"--unlimited-vis", "0", OptionUse::Bad, "180/30/1/1/U"},
        {"--new-clouds", "off", OptionUse::Taken, "180/30/0/1/U"},
        {"--new-clouds", "no", OptionUse::Bad, "180/30/1/1/U"},
        {"--winds", "off", OptionUse::Taken, "180/30/1/0/U"},
        {"--uom", "F", OptionUse::Taken, "180/30/1/1/F"},
        {"--uom", "m", OptionUse::Bad, "180/30/1/1/U"},
        {"--metric", nullptr, OptionUse::NotMine, "180/30/1/1/U"},
    };
    for (const auto& c : cases) {
        FlySettings s;
        std::string value = c.value != nullptr ? c.value : "";
        SCOPED_TRACE(c.option + " " + value);
        std::string problem;
        EXPECT_EQ(takeFlySettingOption(c.option, c.value != nullptr ? &value : nullptr, s, problem),
                  c.use);
        EXPECT_EQ(summary(s), c.settings);
        EXPECT_EQ(problem.empty(), c.use != OptionUse::Bad);
    }
}

}  // namespace
}  // namespace zephyra::cli
