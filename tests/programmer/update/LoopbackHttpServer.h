#pragma once

#include <QByteArray>
#include <QSslConfiguration>
#include <QString>
#include <QThread>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace halden::test {

class LoopbackHttpWorker;

// A real HTTP (or, with a TLS configuration, HTTPS) server on 127.0.0.1 with a port of its
// own, running on its own thread, so it answers while the test's thread waits in a
// download or for a process. Every request gets the current reply.
class LoopbackHttpServer {
public:
    enum class Behaviour {
        Answer,  // status line, headers and body, then the connection closes
        Unsized, // the body without Content-Length, ended by closing the connection
        Silent,  // accepts and never says a word
        Trickle, // announces a small body and sends one byte of it every 200 ms
    };
    struct Reply {
        int status = 200;
        QByteArray body;
        Behaviour behaviour = Behaviour::Answer;
    };

    // tls: the server's certificate and key; a default configuration serves plain HTTP.
    explicit LoopbackHttpServer(const QSslConfiguration& tls = {});
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void setReply(Reply reply);
    // Runs on the server's thread when a request has been read.
    void onRequest(std::function<void()> hook);

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" and the path.
    std::string url(const std::string& path = "/") const;
    std::size_t requestCount() const;
    // The last request's head (request line and headers).
    std::string lastRequest() const;

private:
    friend class LoopbackHttpWorker;
    Reply reply() const;
    void recordRequest(const QByteArray& head);

    QThread thread_;
    LoopbackHttpWorker* worker_ = nullptr;
    bool tls_ = false;
    int port_ = 0;
    mutable std::mutex mutex_;
    Reply reply_;
    std::function<void()> hook_;
    std::vector<std::string> requests_;
};

} // namespace halden::test
