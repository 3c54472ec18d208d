#include "tests/programmer/update/LoopbackHttpServer.h"

#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace halden::test {

// Lives on the server's thread: the listening socket and its connections.
class LoopbackHttpWorker : public QObject {
public:
    LoopbackHttpWorker(LoopbackHttpServer& owner, const QSslConfiguration& tls) : owner_(owner) {
        if (owner.tls_) {
            auto* server = new QSslServer(this);
            server->setSslConfiguration(tls);
            server_ = server;
        } else {
            server_ = new QTcpServer(this);
        }
        connect(server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection()) {
                serve(socket);
            }
        });
    }

    int listen() { return server_->listen(QHostAddress::LocalHost, 0) ? server_->serverPort() : 0; }

    void stop() {
        server_->close();
        const auto children = findChildren<QObject*>(Qt::FindDirectChildrenOnly);
        qDeleteAll(children);
    }

private:
    void serve(QTcpSocket* socket) {
        socket->setParent(this);
        auto* head = new QByteArray;
        connect(socket, &QObject::destroyed, [head] { delete head; });
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
            if (head->contains("\r\n\r\n")) {
                socket->readAll();
                return;
            }
            head->append(socket->readAll());
            const auto end = head->indexOf("\r\n\r\n");
            if (end >= 0) {
                owner_.recordRequest(head->left(end));
                answer(socket, owner_.reply());
            }
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    static QByteArray statusLine(int status) {
        return "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Not Found") +
               "\r\n";
    }

    void answer(QTcpSocket* socket, const LoopbackHttpServer::Reply& reply) {
        using Behaviour = LoopbackHttpServer::Behaviour;
        switch (reply.behaviour) {
        case Behaviour::Silent:
            return;
        case Behaviour::Answer:
            socket->write(statusLine(reply.status) +
                          "Content-Length: " + QByteArray::number(reply.body.size()) +
                          "\r\nConnection: close\r\n\r\n" + reply.body);
            socket->disconnectFromHost();
            return;
        case Behaviour::Unsized:
            socket->write(statusLine(reply.status) + "Connection: close\r\n\r\n" + reply.body);
            socket->disconnectFromHost();
            return;
        case Behaviour::Trickle: {
            socket->write(statusLine(reply.status) + "Content-Length: 1000\r\n\r\n");
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
            timer->start(200);
            return;
        }
        }
    }

    LoopbackHttpServer& owner_;
    QTcpServer* server_ = nullptr;
};

LoopbackHttpServer::LoopbackHttpServer(const QSslConfiguration& tls)
    : tls_(!tls.localCertificate().isNull()) {
    worker_ = new LoopbackHttpWorker(*this, tls);
    worker_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        worker_, [this] { port_ = worker_->listen(); }, Qt::BlockingQueuedConnection);
    if (port_ == 0) {
        throw std::runtime_error("the loopback server cannot listen");
    }
}

LoopbackHttpServer::~LoopbackHttpServer() {
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->stop(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    delete worker_;
}

void LoopbackHttpServer::setReply(Reply reply) {
    std::lock_guard lock(mutex_);
    reply_ = std::move(reply);
}

void LoopbackHttpServer::onRequest(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

LoopbackHttpServer::Reply LoopbackHttpServer::reply() const {
    std::lock_guard lock(mutex_);
    return reply_;
}

void LoopbackHttpServer::recordRequest(const QByteArray& head) {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head.toStdString());
        hook = hook_;
    }
    if (hook) {
        hook();
    }
}

std::string LoopbackHttpServer::url(const std::string& path) const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

std::size_t LoopbackHttpServer::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

std::string LoopbackHttpServer::lastRequest() const {
    std::lock_guard lock(mutex_);
    return requests_.empty() ? std::string() : requests_.back();
}

} // namespace halden::test
