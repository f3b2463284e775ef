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
#include "weather/download/WeatherDownload.h"

namespace zephyra::cli {

namespace {

void downloadUsage(std::ostream& out) {
    out << "usage: zephyra-cli download [--url URL] [--out FILE] [--db FILE]\n"
           "  Fetches the current bulk reports, writes them as a plain report file and loads\n"
           "  it as the main window loads a picked file.\n"
           "  --url  where from (default: Url in zephyra.ini beside the program, else\n"
           "         "
        << weather::kDefaultWeatherUrl
        << ")\n"
           "  --out  the report file (default: metar-YYYYMMDD-HHMMZ.txt beside the program)\n"
           "  --db   the database (default: vanedb.mdb beside the program)\n";
}

// A console that prints the download's status lines, progress at most once a second; it is
// never cancelled.
class ConsoleDownloadHost final : public weather::DownloadHost {
  public:
    explicit ConsoleDownloadHost(std::ostream& out) : out_(out) {}
    void setStatus(const std::string& text) override {
        const auto now = std::chrono::steady_clock::now();
        const bool progress = text.starts_with("Downloading current weather:");
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

}  // namespace

int runDownloadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string folder = platform::folders().user;
    weather::DownloadSettings settings =
        weather::readDownloadSettings(platform::folders().settings);
    std::string database = defaultDatabase();
    std::string file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--url" && i + 1 < args.size()) {
            settings.url = args[++i];
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
    // The network needs Qt's event loop; the waits of the download run it.
    int argc = 1;
    char name[] = "zephyra-cli";
    char* argv[] = {name, nullptr};
    std::optional<QCoreApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        app.emplace(argc, argv);
    }
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
