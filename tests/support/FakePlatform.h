#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace zephyra::test {

// A desktop whose simulator, browser and registry answers are set by the test.
class FakePlatform final : public platform::Platform {
  public:
    bool simulatorRunning = false;
    bool startSucceeds = true;
    bool browserOpens = true;
    std::optional<std::string> registryPath;
    std::vector<std::string> started;
    std::vector<std::string> opened;

    bool simulatorWindowExists() override { return simulatorRunning; }
    bool startSimulator(const std::string& folder) override {
        started.push_back(folder);
        return startSucceeds;
    }
    void openUrl(const std::string& url, std::function<void(bool)> done) override {
        opened.push_back(url);
        if (done) {
            done(browserOpens);
        }
    }
    std::optional<std::string> fs98PathFromRegistry() override { return registryPath; }
};

}  // namespace zephyra::test
