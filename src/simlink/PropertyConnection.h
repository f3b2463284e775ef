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
    // No reply line is longer, and no reply larger; a peer that sends more is dropped.
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;
    static constexpr std::size_t kMaxBufferBytes = 1024 * 1024;

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
    // timeout, a closed peer or a peer that floods (a line over kMaxLineBytes, a reply over
    // kMaxBufferBytes) closes the connection, since later replies would be out of step. The
    // timeout holds whatever the peer sends.
    std::optional<std::vector<std::string>> readLines(std::size_t count,
                                                      std::chrono::milliseconds timeout);
    // True when the peer has closed the connection; drops any bytes nobody asked for, and the
    // connection with them once more than kMaxBufferBytes have come since the last request
    // (however slowly they come).
    bool peerClosed();

  private:
    int fd_ = -1;
    std::string pending_;      // bytes received past the last full line
    std::size_t unasked_ = 0;  // bytes dropped since the last request
};

}  // namespace zephyra::simlink
