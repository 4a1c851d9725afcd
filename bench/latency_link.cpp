#include "latency_link.h"

#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvane::bench {

namespace {

using Clock = std::chrono::steady_clock;

// Every wait ends at least this often, so a stop is seen in good time.
constexpr int kPollMs = 100;
// A peer that takes no bytes for this long is given up.
constexpr int kSendTimeoutS = 30;
constexpr int kConnectTimeoutMs = 5000;
// More connections than a run ever opens: a runaway client cannot exhaust threads.
constexpr std::int64_t kMaxConnections = 256;

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

sockaddr_in Address(const std::string& host, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &a.sin_addr) != 1)
        throw std::runtime_error("not an IPv4 address: " + host);
    return a;
}

// Small chunks go out at once (no waiting to fill a segment), and a send that the
// peer never takes ends.
void Tune(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const timeval timeout{kSendTimeoutS, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

// Connects within kConnectTimeoutMs; -1 when it cannot.
int ConnectTo(const sockaddr_in& to) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        if (errno != EINPROGRESS || poll(&p, 1, kConnectTimeoutMs) != 1 ||
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            close(fd);
            return -1;
        }
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

struct Chunk {
    Clock::time_point due;
    std::string bytes; // empty: the sender closed its side
};

} // namespace

// One direction of a connection: what its reader has read and its writer not yet sent.
struct Direction {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Chunk> queue;
    std::thread reader, writer;
};

struct LatencyLink::Connection {
    int client = -1, server = -1;
    std::atomic<bool> serverSpoke{false};
    Direction up, down; // client to server, server to client
};

LatencyLink::LatencyLink(const Options& options) : options_(options) {
    const sockaddr_in at = Address(options.listenAddress, options.listenPort);
    Address(options.serverAddress, options.serverPort); // a bad address fails here
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        Fail("socket");
    // Lets a new link take the port while connections of an earlier one linger; a
    // server that listens there still makes bind fail.
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const std::string where = options.listenAddress + ":" + std::to_string(options.listenPort);
    if (bind(listener_, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
        listen(listener_, 16) != 0) {
        const int error = errno;
        close(listener_);
        errno = error;
        Fail("the latency link cannot listen on " + where +
             " (in use by another program? choose another loopback address)");
    }
    sockaddr_in bound{};
    socklen_t size = sizeof bound;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &size);
    port_ = ntohs(bound.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LatencyLink::~LatencyLink() {
    stop_ = true;
    acceptor_.join();
    close(listener_);
    std::lock_guard lock(mutex_);
    for (auto& c : open_) {
        // Wakes a reader or writer blocked on either socket.
        shutdown(c->client, SHUT_RDWR);
        shutdown(c->server, SHUT_RDWR);
        for (Direction* d : {&c->up, &c->down}) {
            d->ready.notify_all();
            d->reader.join();
            d->writer.join();
        }
        close(c->client);
        close(c->server);
    }
}

void LatencyLink::AcceptLoop() {
    while (!stop_) {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, kPollMs) != 1)
            continue;
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        if (connections_ >= kMaxConnections) {
            close(client);
            continue;
        }
        Serve(client);
    }
}

void LatencyLink::Serve(int client) {
    const int server = ConnectTo(Address(options_.serverAddress, options_.serverPort));
    if (server < 0) {
        std::fprintf(stderr, "latency link: cannot reach %s:%d\n", options_.serverAddress.c_str(),
                     options_.serverPort);
        close(client);
        return;
    }
    Tune(client);
    Tune(server);
    auto c = std::make_unique<Connection>();
    c->client = client;
    c->server = server;
    Connection& conn = *c;
    conn.up.reader = std::thread([this, &conn] { Read(conn, true); });
    conn.up.writer = std::thread([this, &conn] { Write(conn, true); });
    conn.down.reader = std::thread([this, &conn] { Read(conn, false); });
    conn.down.writer = std::thread([this, &conn] { Write(conn, false); });
    ++connections_;
    std::lock_guard lock(mutex_);
    open_.push_back(std::move(c));
}

void LatencyLink::Read(Connection& c, bool fromClient) {
    Direction& d = fromClient ? c.up : c.down;
    const int from = fromClient ? c.client : c.server;
    std::string buffer(64 * 1024, '\0');
    auto put = [&](std::string bytes) {
        {
            std::lock_guard lock(d.mutex);
            d.queue.push_back({Clock::now() + options_.delay, std::move(bytes)});
        }
        d.ready.notify_one();
    };
    while (!stop_) {
        pollfd p{from, POLLIN, 0};
        const int ready = poll(&p, 1, kPollMs);
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        const ssize_t n = ready < 0 ? -1 : recv(from, buffer.data(), buffer.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (!fromClient)
            c.serverSpoke = true;
        else if (c.serverSpoke.exchange(false))
            ++turns_;
        put(buffer.substr(0, static_cast<std::size_t>(n)));
    }
    put(std::string()); // the end of this direction
}

void LatencyLink::Write(Connection& c, bool toServer) {
    Direction& d = toServer ? c.up : c.down;
    const int to = toServer ? c.server : c.client;
    // A timed wait may end up to the thread's timer slack (50 us by default) late, on
    // every chunk: wake as close to the due time as the kernel can.
    prctl(PR_SET_TIMERSLACK, 1UL);
    std::unique_lock lock(d.mutex);
    while (!stop_) {
        if (d.queue.empty()) {
            d.ready.wait_for(lock, std::chrono::milliseconds(kPollMs));
            continue;
        }
        const Clock::time_point due = d.queue.front().due;
        if (Clock::now() < due) {
            d.ready.wait_until(lock, due);
            continue;
        }
        const std::string bytes = std::move(d.queue.front().bytes);
        d.queue.pop_front();
        lock.unlock();
        if (bytes.empty()) {
            shutdown(to, SHUT_WR); // the other side closed: pass it on
            return;
        }
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = send(to, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                // The receiver is gone: end both directions.
                shutdown(c.client, SHUT_RDWR);
                shutdown(c.server, SHUT_RDWR);
                return;
            }
            sent += static_cast<std::size_t>(n);
        }
        lock.lock();
    }
}

} // namespace tolvane::bench
