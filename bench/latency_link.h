#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::bench {

// A network between the program and its server, on loopback: listens on one address
// and port and forwards every connection it accepts to the server's TCP port, each
// chunk of bytes written to the other side `delay` after it was read. The byte stream
// keeps its order, and the two directions do not wait for each other: in each, a
// reader stamps the chunks into a queue and a writer sends each when its time has
// come. So a request and its answer take at least twice the delay.
//
// It counts the turns of the conversation: one each time the client sends after the
// server has sent, per connection, summed over all connections.
class LatencyLink {
public:
    struct Options {
        std::string listenAddress = "127.0.0.2";
        int listenPort = 5432; // 0: any free port (see Port())
        std::string serverAddress = "127.0.0.1";
        int serverPort = 5432;
        std::chrono::microseconds delay{250}; // each way
    };

    // Listens at once; throws std::runtime_error, saying why, when the address and
    // port cannot be had (another server on them, an address not on this machine).
    explicit LatencyLink(const Options& options);
    // Closes every connection and waits for every thread.
    ~LatencyLink();
    LatencyLink(const LatencyLink&) = delete;
    LatencyLink& operator=(const LatencyLink&) = delete;

    int Port() const { return port_; }
    std::int64_t Turns() const { return turns_; }
    std::int64_t Connections() const { return connections_; }

    struct Connection;

private:
    void AcceptLoop();
    void Serve(int client);
    void Read(Connection& c, bool fromClient);
    void Write(Connection& c, bool toServer);

    Options options_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<std::int64_t> turns_{0};
    std::atomic<std::int64_t> connections_{0};
    std::mutex mutex_;
    std::vector<std::unique_ptr<Connection>> open_;
    std::thread acceptor_;
};

} // namespace tolvane::bench
