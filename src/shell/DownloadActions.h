#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "platform/Scheduler.h"

#include "weather/download/WeatherDownload.h"

class QPushButton;

namespace zephyra::shell {

class VaneWindow;
class WeatherActions;
struct AppContext;

// The main window's "Download current weather" control: fetches the current reports into a
// dated file in the program folder, with progress in the status line and a Cancel button, then
// loads the file as a picked file is loaded.
class DownloadActions : public QObject, public weather::DownloadHost {
    Q_OBJECT
  public:
    DownloadActions(AppContext& context, VaneWindow& vane, WeatherActions& weather);

    void download();
    // The in-flight refresh's tick: while the aircraft flies with downloaded weather loaded
    // (not a file the pilot picked), the reports are downloaded and loaded again without a
    // message box; the blend takes the new weather in at its rates. Its interval is
    // zephyra.ini's RefreshMinutes, read again at each tick.
    void refreshTick();
    const platform::Timer& refreshTimer() const { return *refresh_; }
    void cancel() { cancelRequested_ = true; }
    bool downloading() const { return downloading_; }
    QPushButton* downloadButton() const { return download_; }
    QPushButton* cancelButton() const { return cancel_; }

    // DownloadHost
    void setStatus(const std::string& text) override;
    bool cancelRequested() override { return cancelRequested_; }

  private:
    void setDownloading(bool on);
    void armRefresh();
    // Fetches the reports into a dated file; the path, or nothing (the reason in error, empty
    // when cancelled).
    std::optional<std::string> fetch(std::string& error);

    AppContext& ctx_;
    VaneWindow& vane_;
    WeatherActions& weather_;
    QPushButton* download_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool downloading_ = false;
    bool cancelRequested_ = false;
    std::unique_ptr<platform::Timer> refresh_;
    std::string downloaded_;  // the file of the last download loaded
};

}  // namespace zephyra::shell
