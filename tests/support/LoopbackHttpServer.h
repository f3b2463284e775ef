#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <vector>

namespace zephyra::test {

// A tiny HTTP/1.1 server on 127.0.0.1 for download tests. It answers in the event loop of the
// thread that made it, so the download's waits serve it too; nothing leaves the machine.
class LoopbackHttpServer : public QObject {
  public:
    enum class Mode {
        Whole,     // status, headers, the whole body, close
        Stall,     // accept the request and never answer
        Truncate,  // announce the whole body, send half of it, close
        Endless,   // no length; the body, over and over, while the client reads
        Drip,      // no length; one byte of the body every 100 ms, for ever
        Hold,      // announce the whole body, send two fifths of it in four pieces 100 ms apart,
                   // keep the connection open (the client reports a piece once the next one came)
    };
    struct Route {
        Route(int status_ = 200, QByteArray body_ = {}, Mode mode_ = Mode::Whole,
              QByteArray location_ = {}, QByteArray headers_ = {})
            : status(status_),
              body(std::move(body_)),
              mode(mode_),
              location(std::move(location_)),
              headers(std::move(headers_)) {}
        int status;
        QByteArray body;
        Mode mode;
        QByteArray location;  // for redirects
        QByteArray headers;   // more header lines, each ending in CR LF
    };

    LoopbackHttpServer() {
        // A proxy from the environment must not carry loopback requests away.
        qputenv("no_proxy", "127.0.0.1,localhost");
        qputenv("NO_PROXY", "127.0.0.1,localhost");
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
    }

    void route(const QByteArray& path, Route r) { routes_[path] = std::move(r); }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
    }

  private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                *buffer += socket->readAll();
                if (buffer->contains("\r\n\r\n")) {
                    answer(*socket, buffer->split(' ').value(1));
                }
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void answer(QTcpSocket& socket, const QByteArray& path) {
        const auto found = routes_.constFind(path);
        const Route r = found != routes_.constEnd() ? *found : Route{404, "Not Found\n"};
        if (r.mode == Mode::Stall) {
            return;
        }
        const bool open = r.mode == Mode::Endless || r.mode == Mode::Drip;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) +
                          (r.status == 200   ? " OK"
                           : r.status == 404 ? " Not Found"
                                             : " Moved") +
                          "\r\n" +
                          (open ? QByteArray()
                                : "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n") +
                          "Connection: close\r\n" + r.headers;
        if (!r.location.isEmpty()) {
            head += "Location: " + r.location + "\r\n";
        }
        socket.write(head + "\r\n");
        if (r.mode == Mode::Endless) {
            QObject::connect(&socket, &QTcpSocket::bytesWritten, &socket, [&socket, r] {
                if (socket.bytesToWrite() < r.body.size()) {
                    socket.write(r.body);
                }
            });
            socket.write(r.body);
            return;
        }
        if (r.mode == Mode::Drip) {
            auto* timer = new QTimer(&socket);
            QObject::connect(timer, &QTimer::timeout, &socket,
                             [&socket, r] { socket.write(r.body.left(1)); });
            timer->start(100);
            return;
        }
        if (r.mode == Mode::Hold) {
            auto* timer = new QTimer(&socket);
            auto sent = std::make_shared<qsizetype>(0);
            QObject::connect(timer, &QTimer::timeout, &socket, [&socket, timer, sent, r] {
                const qsizetype piece = r.body.size() / 10;
                socket.write(r.body.mid(*sent, piece));
                *sent += piece;
                if (*sent >= piece * 4) {
                    timer->stop();
                }
            });
            timer->start(100);
            return;
        }
        socket.write(r.mode == Mode::Truncate ? r.body.left(r.body.size() / 2) : r.body);
        socket.disconnectFromHost();
    }

    QTcpServer server_;
    QMap<QByteArray, Route> routes_;
};

}  // namespace zephyra::test
