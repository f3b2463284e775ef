#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "weather/Taf.h"
#include "weather/download/TafDownload.h"

class QAction;
class QMenu;
class QPushButton;

namespace zephyra::shell {

class VaneWindow;
class WeatherActions;
struct AppContext;

// The main window's TAFs: "Load TAF file..." and "Download TAFs" in the winds aloft menu. The
// TAFs of a file or of NOAA's download replace those loaded in the database; a file or
// download that cannot be read keeps them and says why. The station reports show them.
class TafActions : public QObject, public weather::DownloadHost {
    Q_OBJECT
  public:
    // menu: where the two actions go (after a separator). The Cancel button takes the place
    // of the menu's button while a download runs.
    TafActions(AppContext& context, VaneWindow& vane, WeatherActions& weather, QMenu& menu);

    void loadFile();  // through the file dialog
    void loadFile(const std::string& path);
    void download();
    void cancel() { cancelRequested_ = true; }
    bool downloading() const { return downloading_; }
    QPushButton* cancelButton() const { return cancel_; }
    QAction* action(const char* name) const;

    // DownloadHost
    void setStatus(const std::string& text) override;
    bool cancelRequested() override { return cancelRequested_; }

  private:
    // Stores the TAFs; false (after saying why) when they could not be.
    bool store(const std::vector<weather::Taf>& tafs, const std::string& title);
    void fail(const std::string& title, const std::string& error);
    void setDownloading(bool on);

    AppContext& ctx_;
    VaneWindow& vane_;
    WeatherActions& weather_;
    QMenu& menu_;
    QPushButton* cancel_ = nullptr;
    bool downloading_ = false;
    bool cancelRequested_ = false;
};

}  // namespace zephyra::shell
