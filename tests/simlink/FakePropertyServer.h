#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zephyra::test {

// FlightGear's property server on loopback: answers `get` from a table once per frame (an empty
// line for a missing property) and records every line; it can go silent, drop or flood clients.
class FakePropertyServer {
  public:
    explicit FakePropertyServer(int frameMs = 10);
    ~FakePropertyServer();

    int port() const { return port_; }
    void set(const std::string& path, const std::string& value);
    std::vector<std::string> lines();  // every line received, without CR LF
    void clearLines();
    // Frames in which at least one `get` was answered.
    int answeringFrames() const { return answeringFrames_; }
    int connections() const { return connections_; }

    void setSilent(bool silent) { silent_ = silent; }
    void flood(const std::string& chunk);  // written over and over, whatever is asked
    void dropClients();
    void stopListening();
    void startListening();  // on the same port

  private:
    void run();

    int port_ = 0;
    int listenFd_ = -1;
    int frameMs_;
    std::mutex mutex_;
    std::map<std::string, std::string> values_;
    std::vector<std::string> lines_;
    std::string flood_;
    std::vector<std::pair<int, std::string>> clients_;  // socket, bytes not yet a full line
    std::atomic<int> answeringFrames_{0};
    std::atomic<int> connections_{0};
    std::atomic<bool> silent_{false};
    std::atomic<bool> dropRequested_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace zephyra::test
