#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace halden::test {

// A loopback TCP port that nothing listens on (bound once, then closed), so a connection
// to it is refused at once.
inline int closedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot bind a loopback port");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

// An update server address that refuses connections, for tests that start the programmer
// without wanting its update check to leave the machine.
inline std::string refusingUpdateServer() {
    return "http://127.0.0.1:" + std::to_string(closedLoopbackPort()) + "/";
}

} // namespace halden::test
