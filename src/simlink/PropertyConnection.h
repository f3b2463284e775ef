#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zephyra::simlink {

// A TCP client for a line protocol that ends every line in CR LF, as FlightGear's property
// server does. Every call is bounded by a timeout, so a simulator that stops answering can
// delay the caller by at most that long; the socket is non-blocking throughout.
class PropertyConnection {
  public:
    PropertyConnection() = default;
    ~PropertyConnection();
    PropertyConnection(const PropertyConnection&) = delete;
    PropertyConnection& operator=(const PropertyConnection&) = delete;

    // Connects to host (a numeric address or a name) and port within the timeout.
    bool open(const std::string& host, int port, std::chrono::milliseconds timeout);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Writes all of text within the timeout; false (and closed) when the peer is gone.
    bool send(std::string_view text, std::chrono::milliseconds timeout);
    // Reads exactly `count` lines (without their CR LF) within the timeout, or nothing; a
    // timeout or a closed peer closes the connection, since later replies would be out of step.
    std::optional<std::vector<std::string>> readLines(std::size_t count,
                                                      std::chrono::milliseconds timeout);
    // True when the peer has closed the connection; drops any bytes nobody asked for.
    bool peerClosed();

  private:
    int fd_ = -1;
    std::string pending_;  // bytes received past the last full line
};

}  // namespace zephyra::simlink
