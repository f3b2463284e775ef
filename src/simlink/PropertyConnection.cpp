#include "simlink/PropertyConnection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zephyra::simlink {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, remainingMs(deadline));
        if (rc > 0) {
            return true;
        }
        if (rc == 0 || errno != EINTR) {
            return false;
        }
    }
}

}  // namespace

PropertyConnection::~PropertyConnection() {
    close();
}

void PropertyConnection::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    pending_.clear();
    unasked_ = 0;
}

bool PropertyConnection::open(const std::string& host, int port,
                              std::chrono::milliseconds timeout) {
    close();
    const auto deadline = Clock::now() + timeout;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    for (addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS && waitFor(fd, POLLOUT, deadline)) {
            int error = 0;
            socklen_t len = sizeof error;
            rc = ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0 ? 0 : -1;
        }
        if (rc == 0) {
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            fd_ = fd;
        } else {
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    return fd_ >= 0;
}

bool PropertyConnection::send(std::string_view text, std::chrono::milliseconds timeout) {
    unasked_ = 0;
    const auto deadline = Clock::now() + timeout;
    while (fd_ >= 0 && !text.empty()) {
        const ssize_t n = ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
        if (n > 0) {
            text.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
                   waitFor(fd_, POLLOUT, deadline)) {
            continue;
        } else {
            close();
        }
    }
    return fd_ >= 0;
}

std::optional<std::vector<std::string>> PropertyConnection::readLines(
    std::size_t count, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::vector<std::string> lines;
    std::size_t start = 0;    // where the next line begins
    std::size_t scanned = 0;  // pending_ holds no line end before this
    const auto fail = [this] {
        close();
        return std::nullopt;
    };
    for (;;) {
        for (std::size_t end;
             lines.size() < count &&
             (end = pending_.find("\r\n", std::max(start, scanned))) != std::string::npos;) {
            if (end - start > kMaxLineBytes) {
                return fail();
            }
            lines.push_back(pending_.substr(start, end - start));
            start = end + 2;
        }
        if (lines.size() == count) {
            pending_.erase(0, start);
            return lines;
        }
        // A CR at the very end may be half of a line end still on its way.
        scanned = pending_.empty() ? 0 : pending_.size() - 1;
        // A line or a reply far longer than any answer is a peer that floods: it is dropped.
        // So is one that keeps sending past the deadline (poll would report it ready forever).
        if (pending_.size() - start > kMaxLineBytes || pending_.size() > kMaxBufferBytes ||
            fd_ < 0 || Clock::now() >= deadline || !waitFor(fd_, POLLIN, deadline)) {
            return fail();
        }
        char buf[4096];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n > 0) {
            pending_.append(buf, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            return fail();
        }
    }
}

bool PropertyConnection::peerClosed() {
    // Nothing is expected between round trips: what came is dropped, but a peer that keeps
    // sending more than a reply's worth is dropped itself, over as many calls as it takes (a
    // flood that only trickles in between two calls is a flood all the same).
    while (fd_ >= 0) {
        char buf[4096];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
            unasked_ += static_cast<std::size_t>(n);
            if (unasked_ > kMaxBufferBytes) {
                close();
            }
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            close();
        }
        break;
    }
    pending_.clear();
    return fd_ < 0;
}

}  // namespace zephyra::simlink
