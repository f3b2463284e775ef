#include "simlink/FakePropertyServer.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace zephyra::test {

FakePropertyServer::FakePropertyServer(int frameMs) : frameMs_(frameMs) {
    startListening();
    thread_ = std::thread([this] { run(); });
}

FakePropertyServer::~FakePropertyServer() {
    stop_ = true;
    thread_.join();
    stopListening();
    for (auto& c : clients_) {
        ::close(c.first);
    }
}

void FakePropertyServer::set(const std::string& path, const std::string& value) {
    std::lock_guard lock(mutex_);
    values_[path] = value;
}

std::vector<std::string> FakePropertyServer::lines() {
    std::lock_guard lock(mutex_);
    return lines_;
}

void FakePropertyServer::clearLines() {
    std::lock_guard lock(mutex_);
    lines_.clear();
    answeringFrames_ = 0;
}

void FakePropertyServer::flood(const std::string& chunk) {
    std::lock_guard lock(mutex_);
    while (flood_.size() < 65536) {  // whole sends, not one syscall per short line
        flood_ += chunk;
    }
}

void FakePropertyServer::dropClients() {
    dropRequested_ = true;
    while (dropRequested_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void FakePropertyServer::stopListening() {
    std::lock_guard lock(mutex_);
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
}

void FakePropertyServer::startListening() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port_));
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        throw std::runtime_error("fake property server: cannot listen");
    }
    port_ = ntohs(addr.sin_port);
    std::lock_guard lock(mutex_);
    listenFd_ = fd;
}

void FakePropertyServer::run() {
    while (!stop_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(frameMs_));
        std::lock_guard lock(mutex_);
        if (dropRequested_) {
            for (auto& c : clients_) {
                ::close(c.first);
            }
            clients_.clear();
            dropRequested_ = false;
        }
        if (listenFd_ >= 0) {
            for (int fd; (fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
                clients_.emplace_back(fd, std::string());
                ++connections_;
            }
        }
        bool answered = false;
        for (auto it = clients_.begin(); it != clients_.end();) {
            char buf[8192];
            ssize_t n = 0;
            bool closed = false;
            while ((n = ::recv(it->first, buf, sizeof buf, 0)) > 0) {
                it->second.append(buf, static_cast<std::size_t>(n));
            }
            closed = n == 0;
            std::string reply;
            for (std::size_t end; (end = it->second.find("\r\n")) != std::string::npos;) {
                const std::string line = it->second.substr(0, end);
                it->second.erase(0, end + 2);
                lines_.push_back(line);
                if (line.rfind("get ", 0) == 0 && !silent_) {
                    const auto v = values_.find(line.substr(4));
                    reply += (v == values_.end() ? std::string() : v->second) + "\r\n";
                    answered = true;
                }
            }
            for (int i = 0; i < 64 && !flood_.empty() &&
                            ::send(it->first, flood_.data(), flood_.size(), MSG_NOSIGNAL) > 0;
                 ++i) {
            }
            if (!reply.empty()) {
                ::send(it->first, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
            if (closed) {
                ::close(it->first);
                it = clients_.erase(it);
            } else {
                ++it;
            }
        }
        if (answered) {
            ++answeringFrames_;
        }
    }
}

}  // namespace zephyra::test
