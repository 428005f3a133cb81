#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <stdexcept>

namespace tests {

class RawBusClientError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the answers a raw client read came to.
struct RawReplies {
    int replies = 0;
    int errors = 0;
    // Descriptors that came with the answers (closed as they were counted).
    int descriptors = 0;
    // The message of the first error answer, empty without one.
    QString firstError;
};

// A plain client of a bus, speaking the D-Bus protocol on its own socket
// without any library: it authenticates, says Hello, agrees to receive
// descriptors, and from then on writes what it is told and reads only when
// told to. So it can do what no QtDBus or libdbus client does: send call
// after call and never read an answer, leaving every answer (and every
// descriptor in one) with the bus daemon.
// The greeting on a direct connection to the host, where the bus's Hello
// would be.
struct DirectGreeting {
    QString busName;
    QString token;
};

class RawBusClient {
public:
    // Connects to `address` (a unix:path= or unix:abstract= address), and
    // greets a bus, or the host with `direct`; RawBusClientError when it
    // cannot or the greeting is refused.
    explicit RawBusClient(const QString& address,
                          const std::optional<DirectGreeting>& direct = std::nullopt);
    RawBusClient(const RawBusClient&) = delete;
    RawBusClient& operator=(const RawBusClient&) = delete;
    ~RawBusClient();

    // Writes `count` calls of Invoke(`method`, no values) to the object at
    // `path` of `destination`, reading nothing.
    void sendInvokes(const QString& destination, const QString& path, const QString& method,
                     int count);
    // The bytes written that the bus daemon has not read yet.
    std::size_t unreadByTheBus() const;
    // Reads answers until `count` have come (the answer to Hello, read at
    // the start, is not among them); RawBusClientError when the bus closes
    // the connection first or nothing comes for `timeoutMs`.
    RawReplies readReplies(int count, int timeoutMs = 60000);

private:
    void writeAll(const char* bytes, std::size_t size);

    int socket_ = -1;
    uint32_t serial_ = 0;
    QByteArray received_;
};

} // namespace tests
