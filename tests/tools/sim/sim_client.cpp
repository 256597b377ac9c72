#include "sim_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zem::test {

httplib::Result FetchThrough(int port, std::string_view url, const httplib::Headers& headers,
                             std::chrono::milliseconds readTimeout) {
    const auto pathStart = url.find('/', url.find("//") + 2);
    const std::string origin(url.substr(0, pathStart));
    const std::string path =
        pathStart == std::string_view::npos ? std::string("/") : std::string(url.substr(pathStart));
    httplib::Client client(origin);
    client.set_proxy("127.0.0.1", port);
    client.set_url_encode(false);
    client.set_read_timeout(readTimeout);
    return client.Get(path, headers);
}

std::string ProxyRequestText(std::string_view url) {
    const auto hostStart = url.find("//") + 2;
    const std::string_view host = url.substr(hostStart, url.find('/', hostStart) - hostStart);
    return "GET " + std::string(url) + " HTTP/1.1\r\nHost: " + std::string(host) +
           "\r\nUser-Agent: raw-test\r\nConnection: close\r\n\r\n";
}

RawConnection::RawConnection(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

RawConnection::~RawConnection() {
    if (fd_ >= 0) close(fd_);
}

bool RawConnection::Send(std::string_view bytes) {
    while (fd_ >= 0 && !bytes.empty()) {
        const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return fd_ >= 0;
}

bool RawConnection::ReadFor(std::chrono::milliseconds quiet) {
    if (fd_ < 0) return true;
    char buffer[16384];
    for (;;) {
        pollfd waiting{fd_, POLLIN, 0};
        if (poll(&waiting, 1, static_cast<int>(quiet.count())) <= 0) return false;
        const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0) return true;
        received_.append(buffer, static_cast<std::size_t>(got));
    }
}

RawReply SplitReply(const std::string& bytes) {
    RawReply reply;
    const auto end = bytes.find("\r\n\r\n");
    if (end == std::string::npos) {
        reply.head = bytes;
        return reply;
    }
    reply.head = bytes.substr(0, end + 2);
    reply.body = bytes.substr(end + 4);
    reply.complete = true;
    return reply;
}

std::string HeaderOf(const RawReply& reply, std::string_view name) {
    const std::string key = "\r\n" + std::string(name) + ": ";
    const auto at = reply.head.find(key);
    if (at == std::string::npos) return {};
    const auto start = at + key.size();
    return reply.head.substr(start, reply.head.find("\r\n", start) - start);
}

}  // namespace zem::test
