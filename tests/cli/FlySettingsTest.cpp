#include <gtest/gtest.h>

#include <sstream>

#include "cli/FlightWeather.h"
#include "shell/ParamFile.h"
#include "support/TempDir.h"

namespace zephyra::cli {
namespace {

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
    EXPECT_EQ(read.maxTurb, 40);
    EXPECT_EQ(read.unlimitedVis, 12);
    EXPECT_FALSE(read.newClouds);
    EXPECT_FALSE(read.winds);
    EXPECT_TRUE(read.metric());
    EXPECT_EQ(err.str(), "");

    // No file: what a first run writes.
    const FlySettings firstRun = readFlySettings(dir.file("none.par"), err);
    EXPECT_EQ(firstRun.maxTurb, 180);
    EXPECT_EQ(firstRun.unlimitedVis, 30);
    EXPECT_TRUE(firstRun.newClouds);
    EXPECT_TRUE(firstRun.winds);
    EXPECT_EQ(firstRun.uom, "U");
    EXPECT_EQ(err.str(), "");

    // A bad line stops the reading, as in the window, and is reported.
    dir.write("bad.par", "UnlimitedVis=12\r\nMaxTurb=lots\r\nNewClouds=0\r\n");
    const FlySettings bad = readFlySettings(dir.file("bad.par"), err);
    EXPECT_EQ(bad.unlimitedVis, 12);
    EXPECT_EQ(bad.maxTurb, 0);
    EXPECT_TRUE(bad.newClouds);
    EXPECT_NE(err.str().find("bad.par line 2"), std::string::npos) << err.str();
}

TEST(FlySettings, OptionsOverrideTheFile) {
    struct Case {
        std::string option;
        const char* value;
        simlink::OptionUse use;
        std::string settings;  // maxTurb/unlimitedVis/newClouds/winds/uom after it
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
        std::string problem;
        EXPECT_EQ(takeFlySettingOption(c.option, c.value != nullptr ? &value : nullptr, s, problem),
                  c.use)
            << c.option << " " << value;
        EXPECT_EQ(std::to_string(s.maxTurb) + "/" + std::to_string(s.unlimitedVis) + "/" +
                      std::to_string(s.newClouds) + "/" + std::to_string(s.winds) + "/" + s.uom,
                  c.settings)
            << c.option << " " << value;
        EXPECT_EQ(problem.empty(), c.use != OptionUse::Bad) << c.option << " " << value;
    }
}

}  // namespace
}  // namespace zephyra::cli
