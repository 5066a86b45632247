// A small stand-alone host of the VXI-11 core channel and the portmapper for
// the end-to-end tests with real clients: plain POSIX sockets on 127.0.0.1,
// one poll loop, SCPI sessions on an instrument whose box is a file or a
// pseudo-terminal (each command written with its CR, as the line carries it).
//   vxi11_host --box PATH [--core-port N] [--portmapper-port N] [--max-recv N]
// Prints "core <port>" (and "portmapper <port>") once listening; stops on
// SIGTERM or SIGINT.

#include "scpi/instrument.h"
#include "vxi11/device_core.h"
#include "vxi11/portmapper.h"
#include "vxi11/rpc_stream.h"
#include "vxi11/scpi_session_host.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t stopping = 0;

class FileBox : public zz::scpi::BoxLink {
public:
    explicit FileBox(int fd) : fd_(fd) {}
    zz::Status send(std::string_view command) override {
        const std::string frame = std::string(command) + '\r';
        if (::write(fd_, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size()))
            return zz::Status::failure(2, std::string("box: ") + std::strerror(errno));
        last_ = command;
        return {};
    }
    std::optional<std::string> lastCommand() const override { return last_; }

private:
    int fd_;
    std::optional<std::string> last_;
};

int listenOn(int type, std::uint16_t port) {
    const int fd = ::socket(AF_INET, type, 0);
    if (fd < 0) return -1;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
        (type == SOCK_STREAM && ::listen(fd, 16) != 0)) {
        std::fprintf(stderr, "vxi11_host: port %u: %s\n", port, std::strerror(errno));
        std::exit(1);
    }
    return fd;
}

std::uint16_t boundPort(int fd) {
    sockaddr_in addr{};
    socklen_t length = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &length);
    return ntohs(addr.sin_port);
}

struct Client {
    int fd;
    zz::vxi11::ConnectionId id;
    zz::vxi11::RpcStream stream;
};

}  // namespace

int main(int argc, char **argv) {
    const char *boxPath = nullptr;
    long corePort = 0, mapperPort = -1, maxRecv = 64 * 1024;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--box")
            boxPath = argv[i + 1];
        else if (option == "--core-port")
            corePort = std::atol(argv[i + 1]);
        else if (option == "--portmapper-port")
            mapperPort = std::atol(argv[i + 1]);
        else if (option == "--max-recv")
            maxRecv = std::atol(argv[i + 1]);
    }
    if (!boxPath) {
        std::fprintf(stderr,
                     "usage: vxi11_host --box PATH [--core-port N] "
                     "[--portmapper-port N] [--max-recv N]\n");
        return 2;
    }
    const int boxFd = ::open(boxPath, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (boxFd < 0) {
        std::fprintf(stderr, "vxi11_host: %s: %s\n", boxPath, std::strerror(errno));
        return 1;
    }
    std::signal(SIGTERM, [](int) { stopping = 1; });
    std::signal(SIGINT, [](int) { stopping = 1; });
    std::signal(SIGPIPE, SIG_IGN);

    const int coreListener = listenOn(SOCK_STREAM, static_cast<std::uint16_t>(corePort));
    const std::uint16_t core = boundPort(coreListener);
    int mapperTcp = -1, mapperUdp = -1;
    if (mapperPort >= 0) {
        mapperTcp = listenOn(SOCK_STREAM, static_cast<std::uint16_t>(mapperPort));
        mapperUdp = listenOn(SOCK_DGRAM, boundPort(mapperTcp));
    }

    FileBox box(boxFd);
    zz::scpi::Instrument instrument(box);
    zz::vxi11::ScpiSessionHost host(instrument);
    zz::vxi11::DeviceCore device(
        host, {16, core, static_cast<std::uint32_t>(maxRecv)});  // abort on the same port
    const zz::vxi11::pmap::Portmapper mapper(core);

    std::printf("core %u\n", core);
    if (mapperTcp >= 0) std::printf("portmapper %u\n", boundPort(mapperTcp));
    std::fflush(stdout);

    std::list<Client> clients;
    zz::vxi11::ConnectionId nextId = 1;
    std::vector<std::uint8_t> buffer(65536);
    while (!stopping) {
        std::vector<pollfd> fds{
            {coreListener, POLLIN, 0}, {mapperTcp, POLLIN, 0}, {mapperUdp, POLLIN, 0}};
        for (const Client &c : clients) fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 500) <= 0) continue;

        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & POLLIN)) continue;
            const int fd = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            const zz::vxi11::ConnectionId id = nextId++;
            zz::vxi11::CallHandler handler;
            if (i == 0)
                handler = [&device, id](auto record) { return device.handleCall(record, id); };
            else
                handler = [&mapper](auto record) { return mapper.handleCall(record); };
            clients.push_back({fd, id, zz::vxi11::RpcStream(std::move(handler))});
        }
        if (fds[2].revents & POLLIN) {
            sockaddr_in peer{};
            socklen_t length = sizeof peer;
            const ssize_t n = ::recvfrom(mapperUdp, buffer.data(), buffer.size(), 0,
                                         reinterpret_cast<sockaddr *>(&peer), &length);
            if (n > 0) {
                const auto reply = mapper.handleCall(std::span(buffer.data(), std::size_t(n)));
                if (!reply.empty())
                    ::sendto(mapperUdp, reply.data(), reply.size(), 0,
                             reinterpret_cast<sockaddr *>(&peer), length);
            }
        }

        std::size_t slot = 3;
        for (auto it = clients.begin(); it != clients.end(); ++slot) {
            bool close = false;
            if (slot < fds.size() && fds[slot].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = ::read(it->fd, buffer.data(), buffer.size());
                if (n <= 0) {
                    close = true;
                } else {
                    const auto out = it->stream.feed(std::span(buffer.data(), std::size_t(n)));
                    // Blocking sends: the replies are small and the client reads them.
                    std::size_t sent = 0;
                    while (sent < out.bytes.size()) {
                        const ssize_t w = ::send(it->fd, out.bytes.data() + sent,
                                                 out.bytes.size() - sent, MSG_NOSIGNAL);
                        if (w <= 0) break;
                        sent += std::size_t(w);
                    }
                    close = out.close || sent < out.bytes.size();
                }
            }
            if (close) {
                device.closeConnection(it->id);
                ::close(it->fd);
                it = clients.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const Client &c : clients) ::close(c.fd);
    return 0;
}
