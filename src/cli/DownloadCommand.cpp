#include "cli/OpenDatabase.h"
#include "cli/QtCommands.h"
#include "cli/WeatherCommands.h"

#include <QCoreApplication>
#include <chrono>
#include <optional>

#include "flightplan/WaypointStore.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/qt/QtScheduler.h"
#include "weather/TafStore.h"
#include "weather/download/AloftDownload.h"
#include "weather/download/TafDownload.h"
#include "weather/download/WeatherDownload.h"

namespace zephyra::cli {

namespace {

void downloadUsage(std::ostream& out) {
    out << "usage: zephyra-cli download [--url URL] [--out FILE] [--db FILE]\n"
           "       zephyra-cli download --aloft fb|gfs [--box S,W,N,E] [--url URL] [--out FILE]\n"
           "                            [--db FILE]\n"
           "       zephyra-cli download --taf [--url URL] [--out FILE] [--db FILE]\n"
           "  Fetches the current bulk reports, writes them as a plain report file and loads\n"
           "  it as the main window loads a picked file. With --aloft, fetches a winds aloft\n"
           "  forecast instead and writes it once it was read whole. With --taf, fetches\n"
           "  the current TAFs, writes them once they were read whole and loads them into\n"
           "  the database in place of the TAFs loaded before.\n"
           "  --url    where from (default: Url in zephyra.ini beside the program, else\n"
           "           "
        << weather::kDefaultWeatherUrl
        << ";\n"
           "           with --aloft fb: AloftAddress, else\n"
           "           "
        << weather::kDefaultAloftUrl
        << ";\n"
           "           with --aloft gfs: the filter GfsAddress, else\n"
           "           "
        << weather::kDefaultGfsUrl
        << ";\n"
           "           with --taf: TafAddress, else\n"
           "           "
        << weather::kDefaultTafUrl
        << ")\n"
           "  --aloft  fb: NOAA's winds and temperatures aloft text; gfs: the GFS model's\n"
           "           winds, temperatures and heights at 1000 to 150 hPa, newest run\n"
           "  --box    the GFS box: south,west,north,east in degrees (needed with gfs)\n"
           "  --taf    NOAA's current TAFs (tafs.cache.csv)\n"
           "  --out    the file (default beside the program: metar-YYYYMMDD-HHMMZ.txt,\n"
           "           with --aloft aloft.txt or gfs.grib2, with --taf tafs.csv)\n"
           "  --db     the database (default: vanedb.mdb beside the program); places the FB\n"
           "           sites\n";
}

// A console that prints the download's status lines, progress at most once a second; it is
// never cancelled.
class ConsoleDownloadHost final : public weather::DownloadHost {
  public:
    explicit ConsoleDownloadHost(std::ostream& out) : out_(out) {}
    void setStatus(const std::string& text) override {
        const auto now = std::chrono::steady_clock::now();
        const bool progress = text.starts_with("Downloading ") && text.find(": ") != text.npos;
        if (text == last_ || (progress && now - lastProgress_ < std::chrono::seconds(1))) {
            return;
        }
        if (progress) {
            lastProgress_ = now;
        }
        last_ = text;
        out_ << text << "\n";
    }
    bool cancelRequested() override { return false; }

  private:
    std::ostream& out_;
    std::string last_;
    std::chrono::steady_clock::time_point lastProgress_{};
};

// The network needs Qt's event loop; the waits of the download run it.
class EventLoop {
  public:
    EventLoop() {
        if (QCoreApplication::instance() == nullptr) {
            app_.emplace(argc_, argv_);
        }
    }

  private:
    int argc_ = 1;
    char name_[12] = "zephyra-cli";
    char* argv_[2] = {name_, nullptr};
    std::optional<QCoreApplication> app_;
};

int downloadAloft(const std::string& kind, const std::optional<std::string>& url,
                  const std::string& boxText, std::string file, const std::string& database,
                  std::ostream& out, std::ostream& err) {
    const char* const who = "zephyra-cli download";
    if (kind != "fb" && kind != "gfs") {
        err << who << ": --aloft takes fb or gfs\n";
        return 2;
    }
    const bool gfs = kind == "gfs";
    if (!boxText.empty() && !gfs) {
        err << who << ": --box goes with --aloft gfs\n";
        return 2;
    }
    std::optional<weather::AloftBox> box;
    if (gfs) {
        std::string why = "--aloft gfs needs --box S,W,N,E.";
        if (boxText.empty() || !(box = weather::parseAloftBox(boxText, &why))) {
            err << who << ": " << why << "\n";
            return 2;
        }
    }
    const weather::DownloadSettings settings =
        weather::readDownloadSettings(platform::folders().settings);
    auto db = openDatabaseOrSay(database, who, err);
    if (!db) {
        return 1;
    }
    EventLoop loop;
    platform::QtScheduler clock;
    if (file.empty()) {
        file = platform::joinPath(platform::folders().user,
                                  gfs ? weather::kAloftGfsFile : weather::kAloftFbFile);
    }
    const auto reference = weather::aloftReference(clock.wallClock());
    ConsoleDownloadHost host(out);
    weather::AloftDownload download(clock, host);
    const weather::AloftReader read = [&](const std::string& path) {
        return weather::loadAloftFile(path, *db, reference);
    };
    const auto result =
        gfs ? download.fetchGfs(url.value_or(settings.gfsUrl), *box,
                                static_cast<std::int64_t>(clock.wallClock()), settings, file, read)
            : download.fetch(weather::AloftKind::Fb, url.value_or(settings.aloftUrl), settings,
                             file, read);
    if (!result.ok) {
        err << "zephyra-cli: " << result.error << " The file already there is kept.\n";
        return 1;
    }
    if (!result.load.unplaced.empty()) {
        out << result.load.unplaced.size() << " sites found nowhere in the database\n";
    }
    weather::AloftField field;
    field.add(result.load.forecast);
    out << weather::aloftStatus(field, clock.wallClock()).text << "\n";
    out << "Wrote " << result.path << "\n";
    return 0;
}

int downloadTafs(const std::optional<std::string>& url, std::string file,
                 const std::string& database, std::ostream& out, std::ostream& err) {
    const weather::DownloadSettings settings =
        weather::readDownloadSettings(platform::folders().settings);
    auto db = openDatabaseOrSay(database, "zephyra-cli download", err);
    if (!db) {
        return 1;
    }
    EventLoop loop;
    platform::QtScheduler clock;
    if (file.empty()) {
        file = platform::joinPath(platform::folders().user, weather::kTafFile);
    }
    ConsoleDownloadHost host(out);
    weather::TafDownload download(clock, host);
    const auto result = download.fetch(url.value_or(settings.tafUrl), settings, file,
                                       static_cast<std::int64_t>(clock.wallClock()));
    if (!result.ok) {
        err << "zephyra-cli: " << result.error
            << " The file already there and the TAFs already loaded are kept.\n";
        return 1;
    }
    out << "Wrote " << result.tafs.size() << (result.tafs.size() == 1 ? " TAF to " : " TAFs to ")
        << result.path << "\n";
    std::string error;
    int stored = 0;
    if (!weather::replaceTafs(*db, result.tafs, &error, &stored)) {
        err << "zephyra-cli: " << error << " The TAFs loaded before are kept.\n";
        return 1;
    }
    out << "Loaded the TAFs of " << stored << (stored == 1 ? " station\n" : " stations\n");
    return 0;
}

}  // namespace

int runDownloadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string folder = platform::folders().user;
    weather::DownloadSettings settings =
        weather::readDownloadSettings(platform::folders().settings);
    std::string database = defaultDatabase();
    std::string file;
    std::optional<std::string> url, aloft;
    std::string box;
    bool taf = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--url" && i + 1 < args.size()) {
            url = args[++i];
        } else if (a == "--aloft" && i + 1 < args.size()) {
            aloft = args[++i];
        } else if (a == "--taf") {
            taf = true;
        } else if (a == "--box" && i + 1 < args.size()) {
            box = args[++i];
        } else if (a == "--out" && i + 1 < args.size()) {
            file = args[++i];
        } else if (a == "--db" && i + 1 < args.size()) {
            database = args[++i];
        } else if (a == "--help" || a == "-h") {
            downloadUsage(out);
            return 0;
        } else {
            downloadUsage(err);
            return 2;
        }
    }
    if (taf && (aloft || !box.empty())) {
        err << "zephyra-cli download: --taf goes alone, without --aloft or --box\n";
        return 2;
    }
    if (taf) {
        return downloadTafs(url, file, database, out, err);
    }
    if (aloft) {
        return downloadAloft(*aloft, url, box, file, database, out, err);
    }
    if (!box.empty()) {
        err << "zephyra-cli download: --box goes with --aloft gfs\n";
        return 2;
    }
    if (url) {
        settings.url = *url;
    }
    EventLoop loop;
    platform::QtScheduler clock;
    const bool nameAfterReports = file.empty();
    if (file.empty()) {
        file = platform::joinPath(folder, weather::downloadFileName(clock.wallClock()));
    }
    ConsoleDownloadHost host(out);
    weather::WeatherDownload download(clock, host);
    const auto result = download.fetch(settings, file, nameAfterReports);
    if (!result.ok) {
        err << "zephyra-cli: " << result.error << " The weather already loaded is kept.\n";
        return 1;
    }
    out << "Wrote " << result.reports << " reports to " << result.path << "\n";
    return loadWeatherFile(database, result.path, false, flightplan::kAll, out, err);
}

}  // namespace zephyra::cli
