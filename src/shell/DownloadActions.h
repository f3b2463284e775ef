#pragma once

#include <QObject>
#include <string>

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
    void cancel() { cancelRequested_ = true; }
    bool downloading() const { return downloading_; }
    QPushButton* downloadButton() const { return download_; }
    QPushButton* cancelButton() const { return cancel_; }

    // DownloadHost
    void setStatus(const std::string& text) override;
    bool cancelRequested() override { return cancelRequested_; }

  private:
    void setDownloading(bool on);

    AppContext& ctx_;
    VaneWindow& vane_;
    WeatherActions& weather_;
    QPushButton* download_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool downloading_ = false;
    bool cancelRequested_ = false;
};

}  // namespace zephyra::shell
