#include "tests/support/RawBusClient.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tests {

namespace {

[[noreturn]] void fail(const QString& reason) {
    throw RawBusClientError(("Raw bus client: " + reason).toStdString());
}

// The D-Bus wire format, little-endian, as far as a method call needs it.
class Marshaller {
public:
    void align(int boundary) {
        while (bytes_.size() % boundary != 0)
            bytes_.append('\0');
    }
    void byte(uint8_t value) { bytes_.append(static_cast<char>(value)); }
    void uint32(uint32_t value) {
        align(4);
        for (int shift = 0; shift < 32; shift += 8)
            bytes_.append(static_cast<char>((value >> shift) & 0xFF));
    }
    void string(const QByteArray& text) {
        uint32(static_cast<uint32_t>(text.size()));
        bytes_.append(text);
        bytes_.append('\0');
    }
    void signature(const QByteArray& text) {
        byte(static_cast<uint8_t>(text.size()));
        bytes_.append(text);
        bytes_.append('\0');
    }
    void patchUint32(qsizetype at, uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes_[at + shift / 8] = static_cast<char>((value >> shift) & 0xFF);
    }
    qsizetype size() const { return bytes_.size(); }
    const QByteArray& bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};

uint32_t readUint32(const QByteArray& bytes, qsizetype at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

enum FieldCode : uint8_t {
    kPath = 1,
    kInterface = 2,
    kMember = 3,
    kDestination = 6,
    kSignature = 8
};

struct Call {
    QByteArray destination;
    QByteArray path;
    QByteArray interface;
    QByteArray member;
    QByteArray signature;
    QByteArray body;
};

QByteArray methodCall(const Call& call, uint32_t serial) {
    Marshaller header;
    header.byte('l');
    header.byte(1); // a method call
    header.byte(0);
    header.byte(1); // protocol version
    header.uint32(static_cast<uint32_t>(call.body.size()));
    header.uint32(serial);
    header.uint32(0); // the fields' length, patched below
    const qsizetype fieldsStart = header.size();
    const auto field = [&](uint8_t code, const char* type, const QByteArray& value) {
        header.align(8);
        header.byte(code);
        header.signature(type);
        if (code == kSignature)
            header.signature(value);
        else
            header.string(value);
    };
    field(kPath, "o", call.path);
    if (!call.interface.isEmpty())
        field(kInterface, "s", call.interface);
    field(kMember, "s", call.member);
    field(kDestination, "s", call.destination);
    if (!call.signature.isEmpty())
        field(kSignature, "g", call.signature);
    header.patchUint32(fieldsStart - 4, static_cast<uint32_t>(header.size() - fieldsStart));
    header.align(8);
    return header.bytes() + call.body;
}

// Invoke(method, no values): "sa(yv)".
QByteArray invokeBody(const QString& method) {
    Marshaller body;
    body.string(method.toUtf8());
    body.uint32(0);
    // An array's elements start aligned even when there are none.
    body.align(8);
    return body.bytes();
}

} // namespace

RawBusClient::RawBusClient(const QString& address, const std::optional<DirectGreeting>& direct) {
    sockaddr_un socketAddress{};
    socketAddress.sun_family = AF_UNIX;
    socklen_t addressLength = 0;
    const QStringList parts = address.section(QLatin1Char(':'), 1).split(QLatin1Char(','));
    for (const QString& part : parts) {
        const QByteArray value = part.section(QLatin1Char('='), 1).toLocal8Bit();
        if (static_cast<std::size_t>(value.size()) >= sizeof(socketAddress.sun_path) - 1)
            fail(QStringLiteral("the address %1 is too long").arg(address));
        if (part.startsWith(QLatin1String("path="))) {
            std::memcpy(socketAddress.sun_path, value.constData(), value.size());
            addressLength = offsetof(sockaddr_un, sun_path) + value.size() + 1;
        } else if (part.startsWith(QLatin1String("abstract="))) {
            std::memcpy(socketAddress.sun_path + 1, value.constData(), value.size());
            addressLength = offsetof(sockaddr_un, sun_path) + 1 + value.size();
        }
    }
    if (!address.startsWith(QLatin1String("unix:")) || addressLength == 0)
        fail(QStringLiteral("cannot connect to %1, only to unix:path= and unix:abstract=")
                 .arg(address));
    socket_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0 ||
        ::connect(socket_, reinterpret_cast<sockaddr*>(&socketAddress), addressLength) != 0)
        fail(QStringLiteral("cannot connect to %1 (%2)").arg(address, std::strerror(errno)));

    const auto readLine = [this] {
        QByteArray line;
        char c = 0;
        while (!line.endsWith("\r\n")) {
            if (::read(socket_, &c, 1) != 1)
                fail(QStringLiteral("the bus closed the connection while authenticating"));
            line.append(c);
        }
        return line;
    };
    const QByteArray uid = QByteArray::number(::getuid()).toHex();
    const QByteArray greeting = QByteArray(1, '\0') + "AUTH EXTERNAL " + uid + "\r\n";
    writeAll(greeting.constData(), greeting.size());
    if (!readLine().startsWith("OK "))
        fail(QStringLiteral("the bus refused EXTERNAL authentication"));
    writeAll("NEGOTIATE_UNIX_FD\r\n", 19);
    if (!readLine().startsWith("AGREE_UNIX_FD"))
        fail(QStringLiteral("the bus does not pass descriptors"));
    writeAll("BEGIN\r\n", 7);

    QByteArray hello;
    if (direct) {
        Marshaller body;
        body.string(direct->busName.toUtf8());
        body.string(direct->token.toUtf8());
        hello = methodCall(Call{direct->busName.toUtf8(), "/Tallowick_Class",
                                "Tallowick.Automation.Direct", "Hello", "ss", body.bytes()},
                           ++serial_);
    } else {
        hello = methodCall(Call{"org.freedesktop.DBus", "/org/freedesktop/DBus",
                                "org.freedesktop.DBus", "Hello", "", ""},
                           ++serial_);
    }
    writeAll(hello.constData(), hello.size());
    const RawReplies welcome = readReplies(1, 10000);
    if (welcome.errors != 0)
        fail(QStringLiteral("the bus refused Hello: %1").arg(welcome.firstError));
}

RawBusClient::~RawBusClient() {
    if (socket_ >= 0)
        ::close(socket_);
}

void RawBusClient::writeAll(const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::send(socket_, bytes, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(QStringLiteral("writing to the bus failed (%1)").arg(std::strerror(errno)));
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void RawBusClient::sendInvokes(const QString& destination, const QString& path,
                               const QString& method, int count) {
    const QByteArray body = invokeBody(method);
    // Written in batches, so that a flood costs few system calls.
    QByteArray batch;
    for (int i = 0; i < count; ++i) {
        batch += methodCall(Call{destination.toUtf8(), path.toUtf8(), "Tallowick.Automation",
                                 "Invoke", "sa(yv)", body},
                            ++serial_);
        if (batch.size() > (1 << 16) || i + 1 == count) {
            writeAll(batch.constData(), static_cast<std::size_t>(batch.size()));
            batch.clear();
        }
    }
}

std::size_t RawBusClient::unreadByTheBus() const {
    int pending = 0;
    if (::ioctl(socket_, SIOCOUTQ, &pending) != 0)
        fail(QStringLiteral("cannot ask how much the bus has not read (%1)")
                 .arg(std::strerror(errno)));
    return static_cast<std::size_t>(pending);
}

RawReplies RawBusClient::readReplies(int count, int timeoutMs) {
    RawReplies replies;
    QElapsedTimer clock;
    clock.start();
    while (replies.replies + replies.errors < count) {
        // Whole messages first: each is its fixed header, its fields padded
        // to 8 bytes, and its body.
        if (received_.size() >= 16) {
            if (received_[0] != 'l')
                fail(QStringLiteral("the bus sent a big-endian message"));
            const uint32_t bodyLength = readUint32(received_, 4);
            const uint32_t fieldsLength = readUint32(received_, 12);
            const qsizetype bodyStart = (16 + qsizetype(fieldsLength) + 7) / 8 * 8;
            const qsizetype total = bodyStart + qsizetype(bodyLength);
            if (received_.size() >= total) {
                const auto type = static_cast<uint8_t>(received_[1]);
                if (type == 2)
                    ++replies.replies;
                if (type == 3) {
                    ++replies.errors;
                    if (replies.firstError.isEmpty() && bodyLength >= 4)
                        replies.firstError = QString::fromUtf8(
                            received_.mid(bodyStart + 4, readUint32(received_, bodyStart)));
                }
                received_.remove(0, total);
                continue;
            }
        }
        pollfd readable{socket_, POLLIN, 0};
        const int left = timeoutMs - static_cast<int>(clock.elapsed());
        if (left <= 0 || ::poll(&readable, 1, left) <= 0)
            fail(QStringLiteral("%1 of %2 answers came within %3 ms")
                     .arg(replies.replies + replies.errors)
                     .arg(count)
                     .arg(timeoutMs));
        char buffer[1 << 16];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 64)];
        iovec vector{buffer, sizeof(buffer)};
        msghdr message{};
        message.msg_iov = &vector;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        const ssize_t got = ::recvmsg(socket_, &message, MSG_CMSG_CLOEXEC);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            fail(QStringLiteral("the bus closed the connection"));
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
             header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS)
                continue;
            const auto descriptors = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < descriptors; ++i) {
                int fd = -1;
                std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
                ::close(fd);
            }
            replies.descriptors += static_cast<int>(descriptors);
        }
        received_.append(buffer, got);
    }
    return replies;
}

} // namespace tests
