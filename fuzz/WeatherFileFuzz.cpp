// A whole weather file through the program's load: the file checks, the line-end repair into
// the scratch file, line splitting, the METAR reader (or the SA reader when the first byte is
// "S"; that byte is not part of the file), the completion
// pass, the write into a database in a temporary folder and the station list. Besides the
// sanitizers' checks: the picked file is never changed, and a load either finishes with a list
// that matches the table or keeps the weather it had.

#include <sqlite3.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "ScratchDatabase.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "weather/Statement.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherFile.h"
#include "weather/WeatherLoader.h"

namespace {

namespace fs = std::filesystem;
using namespace zephyra;

using zephyra::fuzz::require;

class QuietHost final : public weather::LoadHost {
  public:
    void setStatus(const std::string&) override {}
    void processEvents() override {}
    void setRandomTimerInterval(int) override {}
};

// One database for the whole run, with a few stations.
struct Fixture : zephyra::fuzz::ScratchDatabase {
    Fixture() : ScratchDatabase("file") {
        const char* const stations[][5] = {
            {"KATL", "3338N", "08426W", "313", "1"}, {"EGLL", "5129N", "00027W", "25", "1"},
            {"KMCN", "3242N", "08339W", "107", "1"}, {"ATL", "3338N", "08426W", "313", "0"},
            {"ICT", "3739N", "09726W", "408", "0"},  {"CYYZ", "4341N", "07938W", "173", "1"},
        };
        weather::Statement st(db->handle(),
                              "INSERT INTO Stations (ID, Name, Latitude, Longitude, Altitude, "
                              "\"State Code\", Country, Celcius) VALUES (?, ?, ?, ?, ?, '', "
                              "'Testland', ?)");
        for (const auto& s : stations) {
            st.reset();
            st.bind(1, std::string(s[0]));
            st.bind(2, std::string("Station ") + s[0]);
            st.bind(3, std::string(s[1]));
            st.bind(4, std::string(s[2]));
            st.bind(5, std::stod(s[3]));
            st.bind(6, std::stoi(s[4]));
            require(st.step() == SQLITE_DONE);
        }
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    Fixture& f = fixture();
    const bool sa = data[0] == 'S';
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string picked = (f.folder / "picked.txt").string();
    {
        std::ofstream out(picked, std::ios::binary | std::ios::trunc);
        out << text;
    }
    const auto stamp = fs::last_write_time(picked);

    platform::PinnedRandom rnd;
    rnd.setConstant(0.37);
    platform::ScriptedDialogs dialogs;
    platform::VirtualScheduler clock;
    QuietHost host;
    weather::LoadedWeather loaded;
    weather::WeatherLoader loader(*f.db, rnd, dialogs, clock, host, loaded);
    loader.setScratchFile((f.folder / "vane1.txt").string());

    const int before = f.db->weatherCount();
    const auto outcome = sa ? loader.loadSa(picked) : loader.loadMetar(picked, false);

    // The picked file is read, never written.
    std::string after;
    std::string reason;
    require(weather::readWeatherFile(picked, after, reason) && after == text);
    require(fs::last_write_time(picked) == stamp);

    if (outcome.finished) {
        require(outcome.processed == f.db->weatherCount());
        require(loaded.stations.count() > 0 && loaded.stations.count() <= outcome.processed);
    } else if (outcome.processed == 0) {
        require(f.db->weatherCount() == before);  // nothing stored: the weather stays
    }
    require(!dialogs.messages().empty());

    // "Use Last Weather" over what is now in the table agrees with the table.
    weather::LoadedWeather reused;
    weather::WeatherLoader again(*f.db, rnd, dialogs, clock, host, reused);
    again.loadMetar({}, true);
    if (outcome.finished) {
        require(reused.stations.count() == loaded.stations.count());
    }
    // A load copies its log into the file on a thread that outlives the call, holding a
    // connection of its own. The leak check weighs each input's allocations against its frees,
    // and once reported that connection's memory as lost while the thread still had it;
    // reopening waits for the thread, so each input ends settled.
    f.reopen();
    return 0;
}
